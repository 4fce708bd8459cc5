// The main window: the job table in its grid, the message field, the menu,
// the pictures Add, Convert and Stop, and the program's start-up and
// shutdown. It owns the one live settings record of the process.
#pragma once

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "batch/BatchRun.h"
#include "gui/Dialogs.h"
#include "batch/JobTable.h"
#include "batch/LogFile.h"
#include "base/FileSystem.h"
#include "settings/SettingsRecord.h"

class QAction;
class QActionGroup;
class QMenu;
class QPlainTextEdit;
class QTableView;

namespace morvatex {

struct Ablage;
class BatchFortschritt;
class ClickableImage;
class JobTableModel;
class TCNCEinstellungen;
class TForm2;
class TFormInfo;
class TFormOrdner;

class TForm1 final : public QMainWindow, private BatchAnzeige {
  Q_OBJECT

 public:
  // Creates the window and runs the start-up steps, in this order: the
  // caption; debug mode, on when the first of `parameters` (the command-line
  // parameters after the program) is exactly "debug"; the idle state; the
  // settings and log file paths beside `programPath` (or in the user's
  // folders when its folder is not writable); the settings loaded
  // (or a new configuration set up, whose warnings appear through `dialogs`
  // before the window is shown); the log file started afresh. A program path
  // that Windows-1252 cannot write is reported, and the program then runs
  // without settings file and log. The window is not shown yet.
  TForm1(Dialogs& dialogs, FileSystem& fs, const QString& programPath, const QStringList& parameters,
         QWidget* parent = nullptr);
  ~TForm1() override;

  // The folder dialog that "Ordnereinstellungen..." shows; created after the
  // main window, so it is handed over here.
  void SetzeOrdnerDialog(TFormOrdner* dialog) { formOrdner_ = dialog; }
  // The about window, the settings dialog and the help window, created
  // after the main window like the folder dialog.
  void SetzeInfofenster(TFormInfo* window) { formInfo_ = window; }
  void SetzeCNCEinstellungen(TCNCEinstellungen* dialog) { cncEinstellungen_ = dialog; }
  void SetzeHilfefenster(TForm2* window) { form2_ = window; }

  JobTable& Tabelle() { return tabelle_; }
  Einstellungen& LiveEinstellungen() { return einstellungen_; }
  bool DebugModus() const { return debugModus_; }
  bool LaufAktiv() const { return laufAktiv_; }
  // The settings and log file paths; both empty when the program path
  // cannot be written in Windows-1252.
  const std::string& Einstellungsdatei() const { return einstellungsdatei_; }
  const std::string& Logdatei() const { return logdatei_; }

  // Files handed over on the command line, as a file manager opens them
  // with the program: a job list (".mvx") is opened as "Öffnen..." opens one;
  // then the other files become rows as "Isel-Datei(en) hinzufügen" adds
  // them. A first parameter "debug" is the switch, no file.
  void DateienOeffnen(const QStringList& parameters);

  // The running state of a batch run: the menus that could change the table
  // or the settings and the Add and Convert pictures are off, Stop is on.
  void LaufBeginnen();
  // The idle state: the reverse of LaufBeginnen.
  void LaufBeenden();

  // Whether the current table may be dropped: yes at once without unsaved
  // changes; otherwise the user is asked, and any answer but Cancel clears
  // TabelleGeaendert and says yes.
  bool AenderungenVerwerfen();

  // The target path of an added source file under the folder settings in
  // force now, with the platform's separators.
  std::string BildeZieldatei(std::string_view source) const;

  QTableView* StringGrid1() const { return stringGrid1_; }
  QPlainTextEdit* Memo1() const { return memo1_; }
  QPlainTextEdit* Memo2() const { return memo2_; }
  QWidget* Panel4() const { return panel4_; }
  ClickableImage* Image1() const { return image1_; }
  ClickableImage* Image2() const { return image2_; }
  ClickableImage* Image3() const { return image3_; }

 public slots:
  // "&Start" and the Convert picture: the batch run over the marked rows, in
  // the running state; input is let through between source lines.
  void Start1Click();
  // "Stop", the Stop picture and Esc during a run: the conversion in progress
  // ends at its next source line, and with it the batch.
  void Stop1Click();
  void Neu1Click();
  void ffnen1Click();
  void Speichern1Click();
  void Speichernunter1Click();
  void Beenden1Click();
  void Allezurcksetzen1Click();
  void AbgearbeiteteEintrgelschen1Click();
  void KTXDateihinzufgen1Click();
  // "Vorschau...": the tool path of the selected row's source in a window of
  // its own (Unit1Vorschau.cpp).
  void Vorschau1Click();
  void Einstellungen2Click();
  void OrdnereinstellungenClick();
  void Kurzbeschreibung1Click();
  void Info1Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Unit1Layout.cpp: the panels, grid, fields and pictures, and the menu.
  void BaueFenster();
  void BaueMenue();
  QAction* Menuepunkt(QMenu* menu, const char* name, const QString& caption, void (TForm1::*handler)());

  void FormShow();
  // The keyboard commands; true when `key` is one of them (it is then
  // consumed, whether or not it did anything).
  bool FormKeyDown(int key);
  void StringGrid1SelectCell(int row);
  // Opens the preview of job row `row` (also on a double click); nothing
  // during a run or for a row that is no job.
  void VorschauZeigen(int row);
  int AusgewaehlteZeile() const;
  int AusgewaehlteSpalte() const;

  // The output switches. From their menu item (`sender`) they change the
  // setting and save the settings file; from anywhere else they only set
  // the check marks from the settings.
  void CNCDINCodeerstellen1Click(QObject* sender);
  void DXFDateinerzeugen1Click(QObject* sender);
  void Erstelle2DPolylinien1Click(QObject* sender);
  void Ausgabeschalter(QObject* sender, QAction* item, Bool8& setting);

  // Writes the live settings to the settings file (which reports its own
  // errors); without a usable settings path it writes nothing.
  void EinstellungenSpeichern();

  // Saves the table to Tabellendatei, reporting a failure and logging the save.
  void TabelleSchreiben();
  // The log as the batch run and the saves append to it.
  Protokoll LaufProtokoll() const;
  // A path chosen in a file dialog as Windows-1252; tells the user and gives
  // nothing when the code page cannot write it.
  std::optional<std::string> GewaehlterPfad(const QString& file);
  // Appends a job for each of `files` (chosen or dropped) with its target by
  // the folder rule; files whose paths Windows-1252 cannot write are refused
  // in one message.
  void DateienHinzufuegen(const QStringList& files);
  // Replaces the table by a job list file once AenderungenVerwerfen allows
  // it: the table is emptied, then `waehlen` names the file (nothing leaves
  // the table empty and unnamed).
  void ListeOeffnen(const std::function<std::optional<std::string>()>& waehlen);
  // Empties the table (JobTable::TabelleLeeren) without showing the details
  // of rows that are going.
  void TabelleLeeren();
  // Files dropped on the grid (app/TabellenAblage.h), outside a run.
  void Abgelegt(const Ablage& ablage);

  // The batch run's view of the window.
  void ZeileBeginnt(int row) override;
  void ZeileKonvertiert(int row, const ConversionRun& run) override;
  void MeldungHinzufuegen(std::string_view text) override;
  // Lets pending input through during a running batch; the run calls it at
  // most every 10 ms.
  void EingabeDurchlassen();
  // Debug mode: the line list of the file in hand into Memo1.
  void ZeigeZeilenliste(const ConversionRun& run);

  Dialogs& dialogs_;
  FileSystem& fs_;
  DialogMessageSink messages_;
  Einstellungen einstellungen_{};
  JobTable tabelle_;
  bool debugModus_ = false;
  bool laufAktiv_ = false;
  bool gezeigt_ = false;
  std::string programmpfad_;
  std::string einstellungsdatei_;
  std::string logdatei_;
  TFormOrdner* formOrdner_ = nullptr;
  TFormInfo* formInfo_ = nullptr;
  TCNCEinstellungen* cncEinstellungen_ = nullptr;
  TForm2* form2_ = nullptr;
  // The conversion of the running batch, null between runs.
  const ConversionRun* lauf_ = nullptr;
  // The batch run's file and line progress in the status bar.
  BatchFortschritt* fortschritt_ = nullptr;
  // Debug mode: the line list of the file in hand is not shown yet.
  bool zeilenlisteOffen_ = false;
  // The batch run and emptying the table move the selection: no row
  // details into Memo2 then.
  bool keineZeilenDetails_ = false;

  JobTableModel* model_ = nullptr;
  QTableView* stringGrid1_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QPlainTextEdit* memo2_ = nullptr;
  QWidget* panel4_ = nullptr;
  ClickableImage* image1_ = nullptr;
  ClickableImage* image2_ = nullptr;
  ClickableImage* image3_ = nullptr;

  QAction* start1_ = nullptr;
  QAction* stop1_ = nullptr;
  QMenu* liste1_ = nullptr;
  QMenu* editieren1_ = nullptr;
  QMenu* einstellungen1_ = nullptr;
  QAction* cncDinCodeErstellen1_ = nullptr;
  QAction* dxfDateinErzeugen1_ = nullptr;
  QAction* geradenUndKreisboegen1_ = nullptr;
  QAction* erstelle2DPolylinien1_ = nullptr;
};

}  // namespace morvatex
