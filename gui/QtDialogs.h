// The production dialogs: Qt's message boxes and file dialog.
#pragma once

#include <QString>
#include <QStringList>

class QFileDialog;

#include "gui/Dialogs.h"

namespace morvatex {

class QtDialogs final : public Dialogs {
 public:
  void ShowMessage(const QString& text) override;
  bool AskOkCancel(const QString& text) override;
  bool AskYesNo(const QString& text) override;
  QStringList OpenFiles(const FileDialogOptions& options) override;
  QString SaveFile(const FileDialogOptions& options) override;
  QString ChooseFolder(const QString& start) override;

 private:
  QString lastFolder_;  // the next open dialog starts where the last one ended

  // A file dialog set up with the filter and default extension of `options`.
  void SetUpDialog(QFileDialog& dialog, const FileDialogOptions& options) const;
};

// Qt name filters for a filter of "description|pattern" entries. Each
// description is shown as it is; several patterns of one entry are separated
// by ";". "*.*" becomes "*", so that it matches every file in every dialog.
QStringList QtNameFilters(const QString& filter);

}  // namespace morvatex
