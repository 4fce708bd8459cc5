#include "gui/FolderDialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "base/PathSyntax.h"
#include "batch/TargetPath.h"
#include "gui/DialogFont.h"
#include "gui/Dialogs.h"
#include "gui/FolderPicker.h"
#include "gui/LabeledEdit.h"
#include "gui/WindowPlacement.h"
#include "qttext/QtText.h"

namespace morvatex {
namespace {

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);  // Enter in an edit field closes nothing
  return button;
}

// Windows takes "C:/cnc" as well, but the target rule parts paths at
// backslashes only: a folder is kept as the file dialogs give paths.
// Trailing separators go: the target rule puts one of its own between
// folder and name.
std::string FolderText(const LabeledEdit* field) {
  return WithoutTrailingSeparators(ToCp1252(QDir::toNativeSeparators(field->Edit()->text())).value_or(std::string()),
                                   NativePathSyntax());
}

}  // namespace

FolderDialog::FolderDialog(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Tool),
      dialogs_(dialogs),
      sourceEdit_(new LabeledEdit(QStringLiteral("Quellordner:"), this)),
      targetEdit_(new LabeledEdit(QStringLiteral("Zielordner:"), this)),
      ruleBox_(new QGroupBox(QStringLiteral("Zielordner"), this)),
      ruleButtons_(new QButtonGroup(this)),
      helpButton_(Button("helpButton", QStringLiteral("Hilfe"), this)),
      cancelButton_(Button("cancelButton", QStringLiteral("Abbrechen"), this)),
      saveButton_(Button("saveButton", QStringLiteral("Speichern"), this)),
      sourcePicker_(Button("sourcePicker", QStringLiteral("..."), this)),
      targetPicker_(Button("targetPicker", QStringLiteral("..."), this)) {
  setObjectName(QStringLiteral("folderDialog"));
  setWindowTitle(QStringLiteral("Ordnereeinstellungen"));
  setModal(true);
  setFixedSize(496, 234);
  setFont(DialogFont(font()));
  sourceEdit_->setObjectName(QStringLiteral("sourceEdit"));
  targetEdit_->setObjectName(QStringLiteral("targetEdit"));
  ruleBox_->setObjectName(QStringLiteral("ruleBox"));

  auto* items = new QVBoxLayout(ruleBox_);
  const QString captions[] = {QStringLiteral("(1) Zielordner = Ordner der Quelldatei"),
                              QStringLiteral("(2) Zielordner absolut"),
                              QStringLiteral("(3) Erstelle automatisch Unterordner im Zielordner")};
  for (int index = 0; index < 3; ++index) {
    auto* item = new QRadioButton(captions[index], ruleBox_);
    ruleButtons_->addButton(item, index);
    items->addWidget(item);
  }

  auto* buttons = new QVBoxLayout;
  buttons->addStretch();
  buttons->addWidget(helpButton_);
  buttons->addWidget(cancelButton_);
  buttons->addWidget(saveButton_);

  auto* layout = new QGridLayout(this);
  for (int row = 0; row < 2; ++row) {
    auto* line = new QHBoxLayout;
    LabeledEdit* field = row == 0 ? sourceEdit_ : targetEdit_;
    QPushButton* picker = row == 0 ? sourcePicker_ : targetPicker_;
    ConnectFolderPicker(picker, field->Edit(), dialogs_);
    line->addWidget(field, 1);
    line->addWidget(picker, 0, Qt::AlignBottom);
    layout->addLayout(line, row, 0, 1, 2);
  }
  layout->addWidget(ruleBox_, 2, 0);
  layout->addLayout(buttons, 2, 1);
  layout->setColumnStretch(0, 1);
  layout->setRowStretch(2, 1);

  connect(ruleButtons_, &QButtonGroup::idClicked, this, &FolderDialog::UpdateEnabledFields);
  connect(helpButton_, &QPushButton::clicked, this, &FolderDialog::ShowHelp);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(saveButton_, &QPushButton::clicked, this, &FolderDialog::SaveAndClose);
  ScrollWhenTooLarge(*this);
  KeepOnScreen(*this);
}

void FolderDialog::Fill(std::string_view source, std::string_view target, int rule) {
  sourceEdit_->Edit()->setText(ToQString(source));
  targetEdit_->Edit()->setText(ToQString(target));
  if (QAbstractButton* item = ruleButtons_->button(rule)) {
    item->setChecked(true);
  } else {
    // An exclusive group refuses to uncheck its last checked item.
    ruleButtons_->setExclusive(false);
    for (QAbstractButton* button : ruleButtons_->buttons()) button->setChecked(false);
    ruleButtons_->setExclusive(true);
  }
  UpdateEnabledFields();
}

std::string FolderDialog::SourceFolder() const { return FolderText(sourceEdit_); }

std::string FolderDialog::TargetFolder() const { return FolderText(targetEdit_); }

std::uint8_t FolderDialog::TargetRule() const {
  const int index = ruleButtons_->checkedId();
  return index < 0 ? kTargetBesideSource : static_cast<std::uint8_t>(index);
}

void FolderDialog::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    saved_ = false;
    UpdateEnabledFields();
  }
  QDialog::showEvent(event);
}

void FolderDialog::UpdateEnabledFields() {
  const int index = ruleButtons_->checkedId();
  sourceEdit_->setEnabled(index == kTargetInMirroredSubfolders);
  targetEdit_->setEnabled(index == kTargetInFolder || index == kTargetInMirroredSubfolders);
  sourcePicker_->setEnabled(sourceEdit_->isEnabled());
  targetPicker_->setEnabled(targetEdit_->isEnabled());
}

void FolderDialog::SaveAndClose() {
  for (const LabeledEdit* field : {sourceEdit_, targetEdit_}) {
    const QString text = field->Edit()->text();
    if (!ToCp1252(text)) {
      dialogs_.ShowMessage(QStringLiteral("Der Ordner\r\n%1\r\nenthält Zeichen außerhalb des Zeichensatzes "
                                          "Windows-1252 und kann nicht gespeichert werden.")
                               .arg(text));
      field->Edit()->setFocus();
      return;
    }
  }
  saved_ = true;
  accept();
}

void FolderDialog::ShowHelp() { dialogs_.ShowMessage(ToQString(FolderHelpText())); }

}  // namespace morvatex
