// The production dialogs: Qt's message boxes and file dialog.
#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;

#include "gui/Dialogs.h"

namespace morvatex {

class QtDialogs final : public Dialogs {
 public:
  void Nachricht(const QString& text) override;
  bool FrageOkAbbrechen(const QString& text) override;
  bool FrageJaNein(const QString& text) override;
  QStringList DateienOeffnen(const OeffnenOptionen& options) override;
  QString DateiSpeichern(const OeffnenOptionen& options) override;

 private:
  QString lastFolder_;  // the next open dialog starts where the last one ended

  // A file dialog set up with the filter and default extension of `options`.
  void Einrichten(QFileDialog& dialog, const OeffnenOptionen& options) const;
};

// Qt name filters for a filter of "description|pattern" entries. Each
// description is shown as it is; several patterns of one entry are separated
// by ";". Off Windows "*.*" becomes "*", so that it still matches every file.
QStringList QtNamensfilter(const QString& filter);

}  // namespace morvatex
