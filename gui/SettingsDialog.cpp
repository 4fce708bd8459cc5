#include "gui/SettingsDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QTableWidget>

#include "gui/Dialogs.h"
#include "gui/HelpWindow.h"
#include "gui/WindowPlacement.h"
#include "qttext/QtText.h"
#include "settings/DialectChoiceFile.h"
#include "settings/Presets.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsTexts.h"

namespace morvatex {

SettingsDialog::SettingsDialog(Dialogs& dialogs, FileSystem& fs, SettingsRecord& live, QWidget* parent)
    : QDialog(parent, Qt::Tool), dialogs_(dialogs), fs_(fs), live_(live), messages_(dialogs) {
  BuildWidgets();
  // Wider and taller than a small screen at 2x: then it scrolls.
  ScrollWhenTooLarge(*this);
  KeepOnScreen(*this);
  focusConnection_ =
      connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { StartEditingOnFocus(now); });
}

SettingsDialog::~SettingsDialog() {
  // The focus moves while the widgets are destroyed, when this object is no
  // longer a dialog of this class.
  disconnect(focusConnection_);
}

void SettingsDialog::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) PrepareForShow();
  QDialog::showEvent(event);
}

void SettingsDialog::PrepareForShow() {
  CentreOnScreen(*this);
  accessCodeEdit_->clear();
  ShowLiveProfile();
  SetEditing(false);
  // The access code field takes the focus, so that showing starts in
  // viewing mode.
  accessCodeEdit_->setFocus();
}

void SettingsDialog::ShowLiveProfile() {
  SetValues(ShownValues(live_.Profil));
  dialectButtons_->button(dialect_ == IselDialect::kExtended ? 1 : 0)->setChecked(true);
}

void SettingsDialog::UseDialectFile(const std::string& settingsFile) {
  dialectFilePath_ = DialectChoiceFilePath(settingsFile);
  dialect_ = LoadDialectChoice(fs_, dialectFilePath_);
  dialectButtons_->button(dialect_ == IselDialect::kExtended ? 1 : 0)->setChecked(true);
}

void SettingsDialog::ApplyDialect() {
  const IselDialect chosen = dialectButtons_->checkedId() == 1 ? IselDialect::kExtended : IselDialect::kOriginal;
  if (chosen == dialect_) return;
  dialect_ = chosen;
  // It holds for this session all the same; the user learns that the next
  // start will not know it.
  if (!dialectFilePath_.empty() && !SaveDialectChoice(fs_, dialectFilePath_, dialect_))
    dialogs_.ShowMessage(QStringLiteral("Die Isel-Sprache konnte nicht gespeichert werden:\r\n") +
                         ToQString(dialectFilePath_));
}

void SettingsDialog::SetEditing(bool editing) {
  editing_ = editing;
  applyButton_->setEnabled(editing);
  closeButton_->setEnabled(!editing);
  saveProfileButton_->setEnabled(!editing);
}

void SettingsDialog::StartEditingOnFocus(QWidget* now) {
  if (isVisible() && now && content_->isAncestorOf(now)) SetEditing(true);
}

DialogValues SettingsDialog::Values() const {
  DialogValues values;
  // A text Windows-1252 cannot hold reads as empty: the edit fields refuse
  // such characters, so only a tool cell can hold one, and it is then invalid.
  const auto bytes = [](const QString& text) { return ToCp1252(text).value_or(std::string()); };
  for (auto it = edits_.begin(); it != edits_.end(); ++it) values[it.key().toStdString()] = bytes(it.value()->text());
  for (auto it = checks_.begin(); it != checks_.end(); ++it)
    values[it.key().toStdString()] = std::string(1, it.value()->isChecked() ? '1' : '0');
  values["Sonderbehandlung"] = std::to_string(specialHandlingButtons_->checkedId());
  values["ModalExtra"] = std::to_string(modalExtraBox_->currentIndex());
  for (std::size_t n = 0; n < kToolCount; ++n) {
    const QTableWidgetItem* cell = toolGrid_->item(1, static_cast<int>(n));
    values[ToolKey(n)] = cell ? bytes(cell->text()) : std::string();
  }
  return values;
}

void SettingsDialog::SetValues(const DialogValues& values) {
  for (const auto& [key, value] : values) {
    const QString name = QString::fromStdString(key);
    if (QLineEdit* edit = edits_.value(name)) {
      edit->setText(ToQString(value));
      edit->setCursorPosition(0);
    } else if (QCheckBox* check = checks_.value(name)) {
      check->setChecked(value == "1");
    }
  }
  if (const auto it = values.find("Sonderbehandlung"); it != values.end()) {
    if (QAbstractButton* item = specialHandlingButtons_->button(std::atoi(it->second.c_str()))) {
      item->setChecked(true);
    } else {
      // An exclusive group refuses to uncheck its last checked item.
      specialHandlingButtons_->setExclusive(false);
      for (QAbstractButton* button : specialHandlingButtons_->buttons()) button->setChecked(false);
      specialHandlingButtons_->setExclusive(true);
    }
  }
  if (const auto it = values.find("ModalExtra"); it != values.end()) {
    const int item = std::atoi(it->second.c_str());
    modalExtraBox_->setCurrentIndex(item >= 0 && item < modalExtraBox_->count() ? item : -1);
  }
  for (std::size_t n = 0; n < kToolCount; ++n) {
    if (const auto it = values.find(ToolKey(n)); it != values.end())
      toolGrid_->item(1, static_cast<int>(n))->setText(ToQString(it->second));
  }
}

void SettingsDialog::ApplyInput() {
  if (accessCodeEdit_->text() != ToQString(kAccessCode)) {
    dialogs_.ShowMessage(ToQString(PasswordMissingText()));
    return;
  }
  // The language is always valid: stored as the valid fields are.
  ApplyDialect();
  const int errorNumber = ApplyValues(Values(), live_);
  if (errorNumber != 0) {
    dialogs_.ShowMessage(ToQString(ApplyErrorText(errorNumber)));
    return;
  }
  ShowLiveProfile();
  accessCodeEdit_->clear();
  SetEditing(false);
}

bool SettingsDialog::ChosenFilePath(const QString& chosen, std::string& path) {
  if (const std::optional<std::string> bytes = ToCp1252(chosen)) {
    path = *bytes;
    return true;
  }
  dialogs_.ShowMessage(
      QStringLiteral("Der Pfad\r\n%1\r\nenthält Zeichen außerhalb des Zeichensatzes Windows-1252.").arg(chosen));
  return false;
}

void SettingsDialog::OpenProfileFile() {
  FileDialogOptions options;  // OpenFiles, no filter
  if (profileFolder_) options.folder = profileFolder_();
  const QStringList files = dialogs_.OpenFiles(options);
  std::string path;
  if (files.isEmpty() || !ChosenFilePath(files.first(), path)) return;
  if (profileChosen_) profileChosen_(files.first());
  if (accessCodeEdit_->text() != ToQString(kAccessCode)) {
    dialogs_.ShowMessage(ToQString(PasswordMissingText()));
    return;
  }
  const bool loaded = LoadProfileFile(live_, path, fs_, messages_);
  ShowLiveProfile();
  accessCodeEdit_->clear();
  SetEditing(false);
  if (!loaded) dialogs_.ShowMessage(ToQString(OpenErrorText(path)));
}

void SettingsDialog::SaveProfileFileAs() {
  // SaveFile
  FileDialogOptions options{QStringLiteral("Maschinenprofil (*.Prof)|*.Prof"), QStringLiteral("Prof"), false,
                            /*confirmOverwrite=*/true, QString()};
  if (profileFolder_) options.folder = profileFolder_();
  const QString file = dialogs_.SaveFile(options);
  std::string path;
  if (file.isEmpty() || !ChosenFilePath(file, path)) return;
  if (profileChosen_) profileChosen_(file);
  SaveProfileFile(live_.Profil, path, fs_, messages_);
}

void SettingsDialog::ShowModalExtraHelp() {
  dialogs_.ShowMessage(QStringLiteral("0..kein Besonderheiten\n1..Z immer Modal bei G2/G3"));
}

void SettingsDialog::ShowFactorHelp() {
  dialogs_.ShowMessage(
      QStringLiteral("Standartmäßig werden Werte für\rDrehzahl in U/min (Faktor=1) und\r"
                     "Vorschub in mm/min (Faktor=1)\rausgegeben.\r"
                     "Um in anderen Einheiten auszugeben,\r"
                     "kann hier mit beliebigen Faktoren multiplizirt weden."));
}

void SettingsDialog::ShowHelp() {
  if (helpWindow_) helpWindow_->ShowText(ToQString(SettingsHelpText()));
}

void SettingsDialog::FillFromPreset(Preset preset) {
  DialogValues values = Values();
  ApplyPreset(preset, values);
  SetValues(values);
  SetEditing(true);
}

void SettingsDialog::FillGeneralPreset() { FillFromPreset(Preset::kGeneral); }
void SettingsDialog::ClearProfileControls() { FillFromPreset(Preset::kClear); }
void SettingsDialog::FillMach3Preset() { FillFromPreset(Preset::kMach3); }
void SettingsDialog::FillXilogPreset() { FillFromPreset(Preset::kXilog); }

void SettingsDialog::FillToolTableOneToOne() {
  DialogValues values = Values();
  FillToolsOneToOne(values);
  SetValues(values);
}

void SettingsDialog::CopyToolZeroToAllCells() {
  DialogValues values = Values();
  CopyToolZeroToAll(values);
  SetValues(values);
}

}  // namespace morvatex
