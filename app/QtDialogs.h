// The production dialogs: Qt's message boxes and file dialog.
#pragma once

#include <QString>
#include <QStringList>

#include "app/Dialogs.h"

class QFileDialog;

namespace morvatex {

class QtDialogs final : public Dialogs {
 public:
  void Nachricht(const QString& text) override;
  bool FrageOkAbbrechen(const QString& text) override;
  bool FrageJaNein(const QString& text) override;
  QStringList DateienOeffnen(const OeffnenOptionen& options) override;
  QString DateiSpeichern(const OeffnenOptionen& options) override;

 private:
  // Runs `dialog` with the filter and default extension of `options`, in the
  // folder where the last file dialog ended; the chosen files, native.
  QStringList Zeigen(QFileDialog& dialog, const OeffnenOptionen& options);

  QString lastFolder_;  // the next file dialog starts where the last one ended
};

// Qt name filters for a filter of "description|pattern" entries. Each
// description is shown as it is; several patterns of one entry are separated
// by ";". Off Windows "*.*" becomes "*", so that it still matches every file.
QStringList QtNamensfilter(const QString& filter);

}  // namespace morvatex
