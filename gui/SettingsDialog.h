// The settings dialog `TCNCEinstellungen` ("CNC-DIN-Code-Einstellungen"):
// shows the machine profile of the live settings record, applies the
// controls behind the access code, loads and saves profiles and fills the
// controls from the presets. The conversions and checks live in
// DialogValues and Presets; this class only moves values between them and
// the widgets.
#pragma once

#include <QDialog>
#include <QMap>
#include <QString>

#include "gui/Dialogs.h"
#include "base/FileSystem.h"
#include "settings/DialogValues.h"
#include "settings/SettingsRecord.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace morvatex {

enum class Vorgabe;
class TForm2;

class TCNCEinstellungen final : public QDialog {
  Q_OBJECT

 public:
  // Edits `live` in place; `dialogs` shows the messages and file dialogs.
  TCNCEinstellungen(Dialogs& dialogs, FileSystem& fs, Einstellungen& live, QWidget* parent = nullptr);
  ~TCNCEinstellungen() override;

  // The help window that the menu "Hilfe" shows; created after this dialog.
  void SetzeHilfefenster(TForm2* form2) { form2_ = form2; }

  // True in editing mode (`Bearbeitungsmodus`), false in viewing mode.
  bool Bearbeitungsmodus() const { return bearbeitung_; }

  // The controls' current contents, keyed as DialogValues describes.
  Dialogwerte Werte() const;
  // Puts `values` into the controls (keys without a control are ignored).
  void SetzeWerte(const Dialogwerte& values);

  // The edit field or check box that edits `setting` ("ZGrenze"); null for
  // another name.
  QLineEdit* Eingabe(const QString& setting) const { return edits_.value(setting); }
  QCheckBox* Haken(const QString& setting) const { return checks_.value(setting); }
  QButtonGroup* RadioGroupSonderbehandlung() const { return sonderbehandlung_; }
  QComboBox* ComboBoxModalExtra() const { return modalExtra_; }
  // The tool table: column n is Isel tool n, row 0 its number (fixed), row 1
  // the DIN tool number; "Isel:" and "Din:" are the row headers.
  QTableWidget* StringGridWerkzeuge() const { return werkzeuge_; }
  QLineEdit* EditPasswort() const { return passwort_; }
  QPushButton* ButtonProfilladen() const { return profilLaden_; }
  QPushButton* ButtonProfilSpeichern() const { return profilSpeichern_; }
  QPushButton* ButtonUebernehmen() const { return uebernehmen_; }
  QPushButton* ButtonOK() const { return schliessen_; }
  QPushButton* ButtonAbbruch() const { return abbrechen_; }
  QPushButton* Button1() const { return button1_; }
  QPushButton* Button2() const { return button2_; }
  QScrollArea* ScrollBox() const { return scrollBox_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // UnitCNCEinstellungenLayout.cpp: the groups, the right-hand column and
  // the menus.
  void BaueFenster();
  void BaueMenue(QMenuBar* bar);
  QGroupBox* Gruppe(const QString& caption);
  QLineEdit* Feld(const char* setting, const QString& caption, const char* objectName = nullptr);
  QCheckBox* Haken(const char* setting, const QString& caption);

  void FormShow();
  void ZeigeEinstellungen();
  void SetzeBearbeitungsmodus(bool bearbeitung);
  // Focus entering any control of the scrolling area starts editing.
  void GroupBox1Enter(QWidget* now);
  void ButtonUebernehmenClick();
  void ButtonProfilladenClick();
  void ButtonProfilSpeichernClick();
  void Button1Click();  // "?" of the extra modal rule
  void Button2Click();  // "?" of the output factors
  void Hilfe1Click();
  // The presets of the menu "Daten" ("Allgemein", "Lösche", "Mach3",
  // "SCM / Xilog") and the two tool table operations.
  void Standard1Click();
  void Lsche1Click();
  void SetzeStandardfrMach31Click();
  void SetzeStandardSCMXilog1Click();
  // Writes a preset into the controls and starts editing.
  void WendeVorgabeAn(Vorgabe vorgabe);
  void Beflle111Click();
  void kopiereT0aufalle1Click();
  // A chosen file's path as Windows-1252; refused with a message otherwise.
  bool Dateipfad(const QString& chosen, std::string& path);

  Dialogs& dialogs_;
  FileSystem& fs_;
  Einstellungen& live_;
  DialogMessageSink messages_;
  TForm2* form2_ = nullptr;
  bool bearbeitung_ = false;
  QMetaObject::Connection fokus_;  // the application's focus changes

  QMap<QString, QLineEdit*> edits_;
  QMap<QString, QCheckBox*> checks_;
  QScrollArea* scrollBox_ = nullptr;
  QWidget* inhalt_ = nullptr;  // the scrolled widget holding the groups
  QButtonGroup* sonderbehandlung_ = nullptr;
  QComboBox* modalExtra_ = nullptr;
  QTableWidget* werkzeuge_ = nullptr;
  QLineEdit* passwort_ = nullptr;
  QPushButton* profilLaden_ = nullptr;
  QPushButton* profilSpeichern_ = nullptr;
  QPushButton* uebernehmen_ = nullptr;
  QPushButton* schliessen_ = nullptr;
  QPushButton* abbrechen_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
};

}  // namespace morvatex
