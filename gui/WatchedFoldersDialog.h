// "Überwachte Ordner...": the list of watched folders, each with its
// pattern, sub-folders, archive, polling and "Automatisch konvertieren".
#pragma once

#include <QDialog>
#include <QPointer>

#include <vector>

#include "batch/WatchedFolderList.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace morvatex {

class Dialogs;
class FileSystem;

class WatchedFoldersDialog final : public QDialog {
  Q_OBJECT

 public:
  // `dialogs` shows the refusals and the folder pickers; `fs` tells whether
  // an archive folder is the watched one however written. The dialog opens
  // centred on `anchor` (a window that is not its parent, so it stays a
  // window of its own), every time at the same place; without one where
  // the system puts it.
  WatchedFoldersDialog(Dialogs& dialogs, FileSystem& fs, QWidget* anchor = nullptr, QWidget* parent = nullptr);

  // Puts `folders` into the list; the first one is selected.
  void Fill(const std::vector<WatchedFolderEntry>& folders);
  // The list as "Speichern" left it, without entries whose folder is empty.
  const std::vector<WatchedFolderEntry>& Folders() const { return folders_; }

  QListWidget* List() const { return list_; }
  QLineEdit* FolderEdit() const { return folderEdit_; }
  QLineEdit* PatternEdit() const { return patternEdit_; }
  QLineEdit* ArchiveEdit() const { return archiveEdit_; }
  QCheckBox* RecursiveBox() const { return recursiveBox_; }
  QCheckBox* PollingBox() const { return pollingBox_; }
  QCheckBox* AutoConvertBox() const { return autoConvertBox_; }
  // "..." beside the folder and the archive folder.
  QPushButton* FolderPicker() const { return folderPicker_; }
  QPushButton* ArchivePicker() const { return archivePicker_; }
  QPushButton* AddButton() const { return addButton_; }
  QPushButton* RemoveButton() const { return removeButton_; }
  QPushButton* SaveButton() const { return saveButton_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // The fields show entry `row` of the list (none: empty and disabled).
  void ShowEntry(int row);
  // Takes the fields into the entry shown; false (with a message) when a
  // text cannot be written in Windows-1252, or when the archive would hand
  // its files back to the watch.
  bool TakeFields();
  void AddEntry();
  void RemoveEntry();
  void Save();

  Dialogs& dialogs_;
  FileSystem& fs_;
  QPointer<QWidget> anchor_;
  std::vector<WatchedFolderEntry> folders_;  // as shown, fields not yet taken
  int shown_ = -1;
  QListWidget* list_ = nullptr;
  QLineEdit* folderEdit_ = nullptr;
  QLineEdit* patternEdit_ = nullptr;
  QLineEdit* archiveEdit_ = nullptr;
  QCheckBox* recursiveBox_ = nullptr;
  QCheckBox* pollingBox_ = nullptr;
  QCheckBox* autoConvertBox_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* folderPicker_ = nullptr;
  QPushButton* archivePicker_ = nullptr;
};

}  // namespace morvatex
