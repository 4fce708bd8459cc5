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

class TFormOrdner final : public QDialog {
  Q_OBJECT

 public:
  // `dialogs` shows the help text and the refusal of folder texts that
  // cannot be stored.
  explicit TFormOrdner(Dialogs& dialogs, QWidget* parent = nullptr);

  // Puts the stored settings into the controls: the folder texts
  // (Windows-1252) and the rule, whose item is selected (none for a value
  // other than 0, 1 or 2).
  void Fuellen(std::string_view quelle, std::string_view ziel, int zielordner);

  // Set by "Speichern"; cleared each time the dialog is shown.
  bool Gespeichert() const { return gespeichert_; }

  // The controls' values after "Speichern", which only closes the dialog
  // when both folder texts can be written in Windows-1252. The rule is the
  // selected item, 0 when none is selected.
  std::string Quelle() const;
  std::string Ziel() const;
  std::uint8_t Zielordner() const;

  LabeledEdit* LabeledEditQuelle() const { return quelle_; }
  LabeledEdit* LabeledEditZiel() const { return ziel_; }
  QButtonGroup* RadioGroupZielordner() const { return regel_; }
  QPushButton* Button1() const { return abbrechen_; }
  QPushButton* Button2() const { return speichern_; }
  QPushButton* Button3() const { return hilfe_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Freigeben();
  void Button2Click();
  void Button3Click();

  Dialogs& dialogs_;
  LabeledEdit* quelle_;
  LabeledEdit* ziel_;
  QGroupBox* regelGruppe_;
  QButtonGroup* regel_;
  QPushButton* hilfe_;
  QPushButton* abbrechen_;
  QPushButton* speichern_;
  bool gespeichert_ = false;
};

}  // namespace morvatex
