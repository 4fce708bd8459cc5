#include "gui/WatchedFoldersDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "base/PathSyntax.h"
#include "batch/FolderWatch.h"
#include "gui/Dialogs.h"
#include "gui/FolderPicker.h"
#include "gui/WindowPlacement.h"
#include "qttext/QtText.h"

namespace morvatex {
namespace {

QHBoxLayout* WithPicker(QLineEdit* field, QPushButton* picker) {
  auto* line = new QHBoxLayout;
  line->addWidget(field, 1);
  line->addWidget(picker);
  return line;
}

}  // namespace

WatchedFoldersDialog::WatchedFoldersDialog(Dialogs& dialogs, FileSystem& fs, QWidget* anchor, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), fs_(fs), anchor_(anchor) {
  setObjectName(QStringLiteral("watchedFoldersDialog"));
  setWindowTitle(QStringLiteral("Überwachte Ordner"));
  setModal(true);
  list_ = new QListWidget(this);
  folderEdit_ = new QLineEdit(this);
  patternEdit_ = new QLineEdit(this);
  archiveEdit_ = new QLineEdit(this);
  recursiveBox_ = new QCheckBox(QStringLiteral("Unterordner einbeziehen"), this);
  pollingBox_ = new QCheckBox(QStringLiteral("Regelmäßig nachsehen (Netzlaufwerke)"), this);
  autoConvertBox_ = new QCheckBox(QStringLiteral("Automatisch konvertieren"), this);
  addButton_ = new QPushButton(QStringLiteral("Hinzufügen"), this);
  removeButton_ = new QPushButton(QStringLiteral("Entfernen"), this);
  saveButton_ = new QPushButton(QStringLiteral("Speichern"), this);
  auto* cancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
  folderPicker_ = new QPushButton(this);
  archivePicker_ = new QPushButton(this);
  folderPicker_->setObjectName(QStringLiteral("folderPicker"));
  archivePicker_->setObjectName(QStringLiteral("archivePicker"));
  ConnectFolderPicker(folderPicker_, folderEdit_, dialogs_);
  ConnectFolderPicker(archivePicker_, archiveEdit_, dialogs_);

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Ordner:"), WithPicker(folderEdit_, folderPicker_));
  fields->addRow(QStringLiteral("Dateimuster:"), patternEdit_);
  fields->addRow(QStringLiteral("Archivordner:"), WithPicker(archiveEdit_, archivePicker_));
  fields->addRow(recursiveBox_);
  fields->addRow(pollingBox_);
  fields->addRow(autoConvertBox_);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {addButton_, removeButton_}) buttons->addWidget(button);
  buttons->addStretch();
  for (QPushButton* button : {saveButton_, cancelButton}) buttons->addWidget(button);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  resize(520, 380);
  KeepOnScreen(*this);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row == shown_) return;
    if (!TakeFields()) {
      const QSignalBlocker quiet(list_);
      list_->setCurrentRow(shown_);
      return;
    }
    ShowEntry(row);
  });
  connect(addButton_, &QPushButton::clicked, this, &WatchedFoldersDialog::AddEntry);
  connect(removeButton_, &QPushButton::clicked, this, &WatchedFoldersDialog::RemoveEntry);
  connect(saveButton_, &QPushButton::clicked, this, &WatchedFoldersDialog::Save);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  saveButton_->setDefault(true);
}

void WatchedFoldersDialog::showEvent(QShowEvent* event) {
  // Placed afresh at each opening: left to itself, the dialog drifts by its
  // frame each time it is shown again.
  if (!event->spontaneous() && anchor_) {
    QRect place(QPoint(), frameGeometry().size());
    place.moveCenter(anchor_->frameGeometry().center());
    if (const QScreen* screen = anchor_->screen()) {
      const QRect room = screen->availableGeometry();
      place.moveLeft(std::max(room.left(), std::min(place.left(), room.right() + 1 - place.width())));
      place.moveTop(std::max(room.top(), std::min(place.top(), room.bottom() + 1 - place.height())));
    }
    move(place.topLeft());
  }
  QDialog::showEvent(event);
}

void WatchedFoldersDialog::Fill(const std::vector<WatchedFolderEntry>& folders) {
  folders_ = folders;
  shown_ = -1;
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const WatchedFolderEntry& entry : folders_) list_->addItem(ToQString(entry.folder.folder));
  list_->setCurrentRow(folders_.empty() ? -1 : 0);
  ShowEntry(folders_.empty() ? -1 : 0);
}

void WatchedFoldersDialog::ShowEntry(int row) {
  shown_ = row >= 0 && row < static_cast<int>(folders_.size()) ? row : -1;
  const WatchedFolderEntry entry = shown_ >= 0 ? folders_[static_cast<std::size_t>(shown_)] : WatchedFolderEntry{};
  folderEdit_->setText(ToQString(entry.folder.folder));
  patternEdit_->setText(ToQString(entry.folder.pattern));
  archiveEdit_->setText(ToQString(entry.folder.archive));
  recursiveBox_->setChecked(entry.folder.recursive);
  pollingBox_->setChecked(entry.polling);
  autoConvertBox_->setChecked(entry.autoConvert);
  for (QWidget* field :
       std::initializer_list<QWidget*>{folderEdit_, folderPicker_, patternEdit_, archiveEdit_, archivePicker_,
                                       recursiveBox_, pollingBox_, autoConvertBox_, removeButton_})
    field->setEnabled(shown_ >= 0);
}

bool WatchedFoldersDialog::TakeFields() {
  if (shown_ < 0) return true;
  const auto folder = ToCp1252(folderEdit_->text().trimmed());
  const auto pattern = ToCp1252(patternEdit_->text().trimmed());
  const auto archive = ToCp1252(archiveEdit_->text().trimmed());
  if (!folder || !pattern || !archive) {
    dialogs_.ShowMessage(
        QStringLiteral("Ordner, Muster und Archivordner dürfen nur Zeichen des Zeichensatzes "
                       "Windows-1252 enthalten."));
    return false;
  }
  WatchedFolderEntry& entry = folders_[static_cast<std::size_t>(shown_)];
  WatchedFolder taken = entry.folder;
  taken.folder = *folder;
  taken.pattern = pattern->empty() ? std::string("*.ncp") : *pattern;
  taken.archive = *archive;
  taken.recursive = recursiveBox_->isChecked();
  // The watch would archive nothing; better said here than in passing.
  if (const auto conflict = ArchiveConflict(fs_, taken, NativePathSyntax())) {
    dialogs_.ShowMessage(*conflict == WatchNote::Kind::kArchiveIsFolder
                             ? QStringLiteral("Der Archivordner ist der überwachte Ordner selbst: archivierte "
                                              "Dateien kämen als neue zurück.")
                             : QStringLiteral("Der Archivordner enthält den überwachten Ordner; mit Unterordnern "
                                              "kämen archivierte Dateien als neue zurück."));
    return false;
  }
  entry.folder = std::move(taken);
  entry.polling = pollingBox_->isChecked();
  entry.autoConvert = autoConvertBox_->isChecked();
  list_->item(shown_)->setText(ToQString(entry.folder.folder));
  return true;
}

void WatchedFoldersDialog::AddEntry() {
  if (!TakeFields()) return;
  folders_.emplace_back();
  list_->addItem(QString());
  list_->setCurrentRow(static_cast<int>(folders_.size()) - 1);
  folderEdit_->setFocus();
}

void WatchedFoldersDialog::RemoveEntry() {
  if (shown_ < 0) return;
  const int row = shown_;
  shown_ = -1;  // nothing to take from the fields of the entry going
  folders_.erase(folders_.begin() + row);
  {
    const QSignalBlocker quiet(list_);
    delete list_->takeItem(row);
    list_->setCurrentRow(std::min(row, static_cast<int>(folders_.size()) - 1));
  }
  ShowEntry(list_->currentRow());
}

void WatchedFoldersDialog::Save() {
  if (!TakeFields()) return;
  std::erase_if(folders_, [](const WatchedFolderEntry& entry) { return entry.folder.folder.empty(); });
  accept();
}

}  // namespace morvatex
