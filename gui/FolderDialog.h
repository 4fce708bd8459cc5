// The folder dialog: source folder, target folder and the folder rule that
// decides where the targets of added files go.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>
#include <string_view>

class QButtonGroup;
class QGroupBox;
class QPushButton;

namespace morvatex {

class Dialogs;
class LabeledEdit;

class FolderDialog final : public QDialog {
  Q_OBJECT

 public:
  // `dialogs` shows the help text and the refusal of folder texts that
  // cannot be stored.
  explicit FolderDialog(Dialogs& dialogs, QWidget* parent = nullptr);

  // Puts the stored settings into the controls: the folder texts
  // (Windows-1252) and the rule, whose item is selected (none for a value
  // other than 0, 1 or 2).
  void Fill(std::string_view source, std::string_view target, int rule);

  // Set by "Speichern"; cleared each time the dialog is shown.
  bool WasSaved() const { return saved_; }

  // The controls' values after "Speichern", which only closes the dialog
  // when both folder texts can be written in Windows-1252. The rule is the
  // selected item, 0 when none is selected.
  std::string SourceFolder() const;
  std::string TargetFolder() const;
  std::uint8_t TargetRule() const;

  LabeledEdit* SourceEdit() const { return sourceEdit_; }
  LabeledEdit* TargetEdit() const { return targetEdit_; }
  QButtonGroup* RuleButtons() const { return ruleButtons_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QPushButton* SaveButton() const { return saveButton_; }
  QPushButton* HelpButton() const { return helpButton_; }
  // "..." beside each folder field: the platform's folder picker.
  QPushButton* SourcePicker() const { return sourcePicker_; }
  QPushButton* TargetPicker() const { return targetPicker_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void UpdateEnabledFields();
  void SaveAndClose();
  void ShowHelp();

  Dialogs& dialogs_;
  LabeledEdit* sourceEdit_;
  LabeledEdit* targetEdit_;
  QGroupBox* ruleBox_;
  QButtonGroup* ruleButtons_;
  QPushButton* helpButton_;
  QPushButton* cancelButton_;
  QPushButton* saveButton_;
  QPushButton* sourcePicker_;
  QPushButton* targetPicker_;
  bool saved_ = false;
};

}  // namespace morvatex
