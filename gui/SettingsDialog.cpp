#include "gui/SettingsDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QTableWidget>

#include "gui/Dialogs.h"
#include "paint/QtText.h"
#include "gui/HelpWindow.h"
#include "settings/Presets.h"
#include "settings/ProfileFile.h"
#include "settings/SettingsTexts.h"

namespace morvatex {

TCNCEinstellungen::TCNCEinstellungen(Dialogs& dialogs, FileSystem& fs, Einstellungen& live, QWidget* parent)
    : QDialog(parent, Qt::Tool), dialogs_(dialogs), fs_(fs), live_(live), messages_(dialogs) {
  BaueFenster();
  fokus_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { GroupBox1Enter(now); });
}

TCNCEinstellungen::~TCNCEinstellungen() {
  // The focus moves while the widgets are destroyed, when this object is no
  // longer a dialog of this class.
  disconnect(fokus_);
}

void TCNCEinstellungen::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TCNCEinstellungen::FormShow() {
  if (QScreen* desktop = screen()) move(desktop->availableGeometry().center() - rect().center());
  passwort_->clear();
  ZeigeEinstellungen();
  SetzeBearbeitungsmodus(false);
  // The access code field takes the focus, so that showing starts in
  // viewing mode.
  passwort_->setFocus();
}

void TCNCEinstellungen::ZeigeEinstellungen() { SetzeWerte(ZeigeWerte(live_.Profil)); }

void TCNCEinstellungen::SetzeBearbeitungsmodus(bool bearbeitung) {
  bearbeitung_ = bearbeitung;
  uebernehmen_->setEnabled(bearbeitung);
  schliessen_->setEnabled(!bearbeitung);
  profilSpeichern_->setEnabled(!bearbeitung);
}

void TCNCEinstellungen::GroupBox1Enter(QWidget* now) {
  if (isVisible() && now && inhalt_->isAncestorOf(now)) SetzeBearbeitungsmodus(true);
}

Dialogwerte TCNCEinstellungen::Werte() const {
  Dialogwerte values;
  // A text Windows-1252 cannot hold reads as empty: the edit fields refuse
  // such characters, so only a tool cell can hold one, and it is then invalid.
  const auto bytes = [](const QString& text) { return ToCp1252(text).value_or(std::string()); };
  for (auto it = edits_.begin(); it != edits_.end(); ++it) values[it.key().toStdString()] = bytes(it.value()->text());
  for (auto it = checks_.begin(); it != checks_.end(); ++it)
    values[it.key().toStdString()] = std::string(1, it.value()->isChecked() ? '1' : '0');
  values["Sonderbehandlung"] = std::to_string(sonderbehandlung_->checkedId());
  values["ModalExtra"] = std::to_string(modalExtra_->currentIndex());
  for (std::size_t n = 0; n < kToolCount; ++n) {
    const QTableWidgetItem* cell = werkzeuge_->item(1, static_cast<int>(n));
    values[WerkzeugSchluessel(n)] = cell ? bytes(cell->text()) : std::string();
  }
  return values;
}

void TCNCEinstellungen::SetzeWerte(const Dialogwerte& values) {
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
    if (QAbstractButton* item = sonderbehandlung_->button(std::atoi(it->second.c_str()))) {
      item->setChecked(true);
    } else {
      // An exclusive group refuses to uncheck its last checked item.
      sonderbehandlung_->setExclusive(false);
      for (QAbstractButton* button : sonderbehandlung_->buttons()) button->setChecked(false);
      sonderbehandlung_->setExclusive(true);
    }
  }
  if (const auto it = values.find("ModalExtra"); it != values.end()) {
    const int item = std::atoi(it->second.c_str());
    modalExtra_->setCurrentIndex(item >= 0 && item < modalExtra_->count() ? item : -1);
  }
  for (std::size_t n = 0; n < kToolCount; ++n) {
    if (const auto it = values.find(WerkzeugSchluessel(n)); it != values.end())
      werkzeuge_->item(1, static_cast<int>(n))->setText(ToQString(it->second));
  }
}

void TCNCEinstellungen::ButtonUebernehmenClick() {
  if (passwort_->text() != ToQString(kZugangscode)) {
    dialogs_.Nachricht(ToQString(PasswortFehltText()));
    return;
  }
  const int fehler = Uebernehme(Werte(), live_);
  if (fehler != 0) {
    dialogs_.Nachricht(ToQString(UebernahmeFehlerText(fehler)));
    return;
  }
  ZeigeEinstellungen();
  passwort_->clear();
  SetzeBearbeitungsmodus(false);
}

bool TCNCEinstellungen::Dateipfad(const QString& chosen, std::string& path) {
  if (const std::optional<std::string> bytes = ToCp1252(chosen)) {
    path = *bytes;
    return true;
  }
  dialogs_.Nachricht(QStringLiteral("Der Pfad\r\n%1\r\nenthält Zeichen außerhalb des Zeichensatzes Windows-1252.")
                         .arg(chosen));
  return false;
}

void TCNCEinstellungen::ButtonProfilladenClick() {
  const QStringList files = dialogs_.DateienOeffnen({QString(), QString(), false});  // OpenDialog1, no filter
  std::string path;
  if (files.isEmpty() || !Dateipfad(files.first(), path)) return;
  if (passwort_->text() != ToQString(kZugangscode)) {
    dialogs_.Nachricht(ToQString(PasswortFehltText()));
    return;
  }
  const bool loaded = LadeProfil(live_, path, fs_, messages_);
  ZeigeEinstellungen();
  passwort_->clear();
  SetzeBearbeitungsmodus(false);
  if (!loaded) dialogs_.Nachricht(ToQString(OeffnenFehlerText(path)));
}

void TCNCEinstellungen::ButtonProfilSpeichernClick() {
  // SaveDialog1
  const QString file =
      dialogs_.DateiSpeichern({QStringLiteral("Maschinenprofil (*.Prof)|*.Prof"), QStringLiteral("Prof"), false,
                               /*ueberschreibenFragen=*/true});
  std::string path;
  if (file.isEmpty() || !Dateipfad(file, path)) return;
  SpeichereProfil(live_.Profil, path, fs_, messages_);
}

void TCNCEinstellungen::Button1Click() {
  dialogs_.Nachricht(QStringLiteral("0..kein Besonderheiten\n1..Z immer Modal bei G2/G3"));
}

void TCNCEinstellungen::Button2Click() {
  dialogs_.Nachricht(QStringLiteral("Standartmäßig werden Werte für\rDrehzahl in U/min (Faktor=1) und\r"
                                    "Vorschub in mm/min (Faktor=1)\rausgegeben.\r"
                                    "Um in anderen Einheiten auszugeben,\r"
                                    "kann hier mit beliebigen Faktoren multiplizirt weden."));
}

void TCNCEinstellungen::Hilfe1Click() {
  if (form2_) form2_->Zeige(ToQString(EinstellungenHilfeText()));
}

void TCNCEinstellungen::WendeVorgabeAn(Vorgabe vorgabe) {
  Dialogwerte values = Werte();
  SetzeVorgabe(vorgabe, values);
  SetzeWerte(values);
  SetzeBearbeitungsmodus(true);
}

void TCNCEinstellungen::Standard1Click() { WendeVorgabeAn(Vorgabe::kAllgemein); }
void TCNCEinstellungen::Lsche1Click() { WendeVorgabeAn(Vorgabe::kLoesche); }
void TCNCEinstellungen::SetzeStandardfrMach31Click() { WendeVorgabeAn(Vorgabe::kMach3); }
void TCNCEinstellungen::SetzeStandardSCMXilog1Click() { WendeVorgabeAn(Vorgabe::kXilog); }

void TCNCEinstellungen::Beflle111Click() {
  Dialogwerte values = Werte();
  Befuelle11(values);
  SetzeWerte(values);
}

void TCNCEinstellungen::kopiereT0aufalle1Click() {
  Dialogwerte values = Werte();
  KopiereT0aufAlle(values);
  SetzeWerte(values);
}

}  // namespace morvatex
