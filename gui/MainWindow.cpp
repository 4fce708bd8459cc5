#include "gui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>

#include "gui/BatchProgress.h"
#include "gui/ClickableImage.h"
#include "batch/JobListFile.h"
#include "gui/JobTableModel.h"
#include "gui/LocalDateTime.h"
#include "batch/LogFile.h"
#include "paint/QtText.h"
#include "gui/TableDrop.h"
#include "batch/TargetPath.h"
#include "gui/FolderDialog.h"
#include "base/PathSyntax.h"
#include "base/ProductInfo.h"
#include "batch/HelpTexts.h"
#include "gui/HelpWindow.h"
#include "gui/AboutDialog.h"
#include "engine/StopRequest.h"
#include "batch/ProgramFiles.h"
#include "settings/SettingsFile.h"
#include "gui/SettingsDialog.h"

namespace morvatex {
namespace {

const QString kIselFilter = QStringLiteral("NCP-Dateien (*.ncp)|*.ncp|Alle Dateiformate (*.*)|*.*");
const QString kListenFilter = QStringLiteral("MVX-Dateien (*.mvx) |*.mvx");
// The shortest time between two rounds of input during a conversion:
// letting input through (and repainting) costs far more than converting a
// line, and every few milliseconds answers the user just as fast.
constexpr std::chrono::milliseconds kEingabeAbstand{10};

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TForm1::TForm1(Dialogs& dialogs, FileSystem& fs, const QString& programPath, const QStringList& parameters,
               QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), fs_(fs), messages_(dialogs) {
  setObjectName(QStringLiteral("Form1"));
  BaueFenster();
  BaueMenue();
  const int menuHeight = menuBar()->sizeHint().height();
  // The client area between the menu and the progress status bar is 670 x 479.
  resize(670, 479 + menuHeight + statusBar()->height());
  if (QScreen* desktop = screen()) move(desktop->availableGeometry().center() - rect().center());

  setWindowTitle(Latin1(kProductName) + QStringLiteral("    Ver.: ") + Latin1(kVersionText));
  debugModus_ = !parameters.isEmpty() && parameters.first() == QStringLiteral("debug");
  LaufBeenden();
  tabelle_.Tabellendatei.clear();

  const QString nativeProgramPath = QDir::toNativeSeparators(programPath);
  if (std::optional<std::string> path = ToCp1252(nativeProgramPath)) {
    programmpfad_ = *path;
    // Beside the program, or in the user's folders when it is installed.
    const ProgramFiles files = LocateProgramFiles(programmpfad_, NativePathSyntax(), fs_, ReadUserFolderEnvironment());
    if (!files.problem.empty()) dialogs_.Nachricht(ToQString(files.problem));
    MakeUserFolders(files, NativePathSyntax(), fs_);
    einstellungsdatei_ = files.settingsPath;
    logdatei_ = files.logPath;
  } else {
    dialogs_.Nachricht(QStringLiteral("Der Programmpfad\r\n%1\r\nenthält Zeichen außerhalb des Zeichensatzes "
                                      "Windows-1252.\r\nEinstellungsdatei und Protokolldatei können deshalb nicht "
                                      "benutzt werden.")
                           .arg(nativeProgramPath));
  }

  // Without a settings path this finds no file and sets up a new configuration.
  LadeEinstellungen(einstellungen_, einstellungsdatei_, fs_, messages_);
  Erstelle2DPolylinien1Click(this);

  if (!logdatei_.empty()) {
    // The log must never keep the program from starting: its errors are ignored.
    StarteLogdatei(fs_, logdatei_, LogStartHeader(DatumZeitText(QDateTime::currentDateTime()), programmpfad_));
  }
}

TForm1::~TForm1() {
  // Qt deletes the children only after the members are gone; the grid and
  // its model read the table, so they go first.
  delete stringGrid1_;
  delete model_;
}

void TForm1::showEvent(QShowEvent* event) {
  if (!gezeigt_) {
    gezeigt_ = true;
    FormShow();
  }
  QMainWindow::showEvent(event);
}

void TForm1::FormShow() {
  if (formInfo_) formInfo_->BeschriftungenSetzen();
  panel4_->setVisible(debugModus_);
  image3_->move(image1_->x(), image3_->y());
  tabelle_.SchreibeKopfzeile();
  Erstelle2DPolylinien1Click(this);
  DXFDateinerzeugen1Click(this);
  CNCDINCodeerstellen1Click(this);
  // The grid starts on its first row; only later moves show details.
  stringGrid1_->setCurrentIndex(model_->IndexVon(1, 0));
  stringGrid1_->setFocus();
  connect(stringGrid1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && !keineZeilenDetails_) StringGrid1SelectCell(JobTableModel::TabellenZeile(current));
          });
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (laufAktiv_ || !AenderungenVerwerfen())
    event->ignore();
  else
    event->accept();
}

void TForm1::LaufBeginnen() {
  laufAktiv_ = true;
  for (QMenu* menu : {liste1_, editieren1_, einstellungen1_}) menu->menuAction()->setEnabled(false);
  start1_->setEnabled(false);
  image1_->hide();
  image2_->hide();
  image3_->show();
  stop1_->setEnabled(true);
}

void TForm1::LaufBeenden() {
  laufAktiv_ = false;
  for (QMenu* menu : {liste1_, editieren1_, einstellungen1_}) menu->menuAction()->setEnabled(true);
  start1_->setEnabled(true);
  image1_->show();
  image2_->show();
  image3_->hide();
  stop1_->setEnabled(false);
}

bool TForm1::AenderungenVerwerfen() {
  if (!tabelle_.TabelleGeaendert) return true;
  if (!dialogs_.FrageOkAbbrechen(
          QStringLiteral("Die aktuelle Tabelle wurde noch nicht gespeichert!\r\nTrotzdem fortfahren?")))
    return false;
  tabelle_.TabelleGeaendert = false;
  return true;
}

std::string TForm1::BildeZieldatei(std::string_view source) const {
  return morvatex::BildeZieldatei(source, einstellungen_, NativePathSyntax());
}

void TForm1::Start1Click() {
  if (laufAktiv_) return;
  memo2_->clear();
  LaufBeginnen();
  ConversionOptions options;
  options.debugMode = debugModus_;
  options.processPendingInput = [this] { EingabeDurchlassen(); };
  options.pendingInputInterval = kEingabeAbstand;
  // No output may replace the program's own files.
  options.protectedPaths = {einstellungsdatei_, logdatei_};
  if (!tabelle_.Tabellendatei.empty()) options.protectedPaths.push_back(tabelle_.Tabellendatei);
  ConversionRun run(einstellungen_, fs_, std::move(options));
  lauf_ = &run;
  fortschritt_->Beginnen(tabelle_.MarkierteZeilen());
  BatchAusfuehren(tabelle_, run, LaufProtokoll(), *this);
  fortschritt_->Beenden();
  lauf_ = nullptr;
  LaufBeenden();
}

void TForm1::Stop1Click() { RequestStop(); }

void TForm1::ZeileBeginnt(int row) {
  zeilenlisteOffen_ = debugModus_;
  fortschritt_->NaechsteDatei();
  // The whole row shows as selected; the current cell goes to its end.
  const QModelIndex first = model_->IndexVon(row, kSpalteNummer);
  const QModelIndex last = model_->IndexVon(row, kSpalteZieldatei);
  keineZeilenDetails_ = true;
  stringGrid1_->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
  stringGrid1_->selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
  keineZeilenDetails_ = false;
  stringGrid1_->scrollTo(first);
}

void TForm1::EingabeDurchlassen() {
  if (lauf_) {
    if (zeilenlisteOffen_) ZeigeZeilenliste(*lauf_);
    fortschritt_->Zeilen(lauf_->progress());
  }
  QCoreApplication::processEvents();
}

void TForm1::ZeileKonvertiert(int /*row*/, const ConversionRun& run) {
  // A file that failed before its first pass shows its lines now.
  if (zeilenlisteOffen_) ZeigeZeilenliste(run);
}

void TForm1::ZeigeZeilenliste(const ConversionRun& run) {
  zeilenlisteOffen_ = false;
  const LineList& lines = run.lines();
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  memo1_->setPlainText(ToQString(text));
}

void TForm1::MeldungHinzufuegen(std::string_view text) {
  memo2_->appendPlainText(ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TForm1::ffnen1Click() {
  ListeOeffnen([this]() -> std::optional<std::string> {
    const QStringList files = dialogs_.DateienOeffnen({kListenFilter, QStringLiteral("mvx"), false});
    if (files.isEmpty()) return std::nullopt;
    return GewaehlterPfad(files.first());
  });
}

void TForm1::ListeOeffnen(const std::function<std::optional<std::string>()>& waehlen) {
  if (laufAktiv_ || !AenderungenVerwerfen()) return;
  // Emptied before the file is chosen: cancelling the dialog leaves an empty,
  // unnamed table.
  TabelleLeeren();
  if (const std::optional<std::string> path = waehlen()) TabelleOeffnen(tabelle_, *path, fs_, messages_);
}

void TForm1::Abgelegt(const Ablage& ablage) {
  if (laufAktiv_) return;
  if (ablage.art == Ablage::Art::kIselDateien) {
    DateienHinzufuegen(ablage.dateien);
  } else if (ablage.art == Ablage::Art::kJobliste) {
    // A path the code page cannot write is refused before the table is asked
    // about or emptied.
    if (const std::optional<std::string> path = GewaehlterPfad(ablage.dateien.first()))
      ListeOeffnen([&path] { return path; });
  }
}

void TForm1::Speichern1Click() {
  if (laufAktiv_) return;
  if (tabelle_.Tabellendatei.empty())
    Speichernunter1Click();
  else
    TabelleSchreiben();
}

void TForm1::Speichernunter1Click() {
  if (laufAktiv_) return;
  const QString file = dialogs_.DateiSpeichern({kListenFilter, QStringLiteral("mvx"), false});
  if (file.isEmpty()) return;
  if (const std::optional<std::string> path = GewaehlterPfad(file)) {
    tabelle_.Tabellendatei = *path;
    TabelleSchreiben();
  }
}

void TForm1::TabelleSchreiben() { morvatex::TabelleSchreiben(tabelle_, fs_, messages_, LaufProtokoll()); }

Protokoll TForm1::LaufProtokoll() const {
  return Protokoll(fs_, logdatei_, [] { return DatumZeitText(QDateTime::currentDateTime()); });
}

std::optional<std::string> TForm1::GewaehlterPfad(const QString& file) {
  std::optional<std::string> path = ToCp1252(file);
  if (!path) {
    dialogs_.Nachricht(QStringLiteral("Die Datei\r\n%1\r\nkann nicht benutzt werden, weil ihr Pfad Zeichen "
                                      "außerhalb des Zeichensatzes Windows-1252 enthält.")
                           .arg(file));
  }
  return path;
}


void TForm1::Neu1Click() {
  if (laufAktiv_) return;
  if (AenderungenVerwerfen()) TabelleLeeren();
}

void TForm1::TabelleLeeren() {
  keineZeilenDetails_ = true;
  tabelle_.TabelleLeeren();
  keineZeilenDetails_ = false;
}

void TForm1::Beenden1Click() { close(); }

void TForm1::Allezurcksetzen1Click() {
  if (!laufAktiv_) tabelle_.AlleZuruecksetzen();
}

void TForm1::AbgearbeiteteEintrgelschen1Click() {
  if (!laufAktiv_) tabelle_.AbgearbeiteteLoeschen();
}

void TForm1::KTXDateihinzufgen1Click() {
  if (laufAktiv_) return;
  DateienHinzufuegen(dialogs_.DateienOeffnen({kIselFilter, QStringLiteral("ncp"), true}));
}

void TForm1::DateienOeffnen(const QStringList& parameters) {
  if (laufAktiv_) return;
  const bool debugSwitch = !parameters.isEmpty() && parameters.first() == QStringLiteral("debug");
  QStringList iselFiles;
  for (const QString& parameter : parameters.mid(debugSwitch ? 1 : 0)) {
    // A shell hands over paths relative to its own folder.
    const QString file = QDir::toNativeSeparators(QFileInfo(parameter).absoluteFilePath());
    if (!file.endsWith(QStringLiteral(".mvx"), Qt::CaseInsensitive))
      iselFiles << file;
    else if (const std::optional<std::string> path = GewaehlterPfad(file))
      ListeOeffnen([&path] { return path; });
  }
  DateienHinzufuegen(iselFiles);
}

void TForm1::DateienHinzufuegen(const QStringList& files) {
  QStringList refused;
  for (const QString& file : files) {
    const std::optional<std::string> source = ToCp1252(file);
    if (!source) {
      refused << file;
      continue;
    }
    const int row = tabelle_.ZeileAnhaengen();
    tabelle_.SetCell(row, kSpalteQuelldatei, *source);
    tabelle_.SetCell(row, kSpalteZieldatei, BildeZieldatei(*source));
    tabelle_.TabelleGeaendert = true;
  }
  if (!refused.isEmpty()) {
    dialogs_.Nachricht(QStringLiteral("Diese Dateien werden nicht hinzugefügt, weil ihr Pfad Zeichen außerhalb "
                                      "des Zeichensatzes Windows-1252 enthält:\r\n") +
                       refused.join(QStringLiteral("\r\n")));
  }
}

void TForm1::StringGrid1SelectCell(int row) {
  memo2_->clear();
  for (const std::string& line : ZeilenDetails(tabelle_, row, NativePathSyntax()))
    memo2_->appendPlainText(ToQString(line));
}

int TForm1::AusgewaehlteZeile() const { return JobTableModel::TabellenZeile(stringGrid1_->currentIndex()); }

int TForm1::AusgewaehlteSpalte() const { return stringGrid1_->currentIndex().column(); }

bool TForm1::FormKeyDown(int key) {
  if (key != Qt::Key_Escape && key != Qt::Key_Insert && key != Qt::Key_Space && key != Qt::Key_Delete)
    return false;
  if (laufAktiv_) {
    if (key == Qt::Key_Escape) Stop1Click();
    return true;
  }
  const int row = AusgewaehlteZeile();
  switch (key) {
    case Qt::Key_Insert:
      KTXDateihinzufgen1Click();
      break;
    case Qt::Key_Space:
      tabelle_.MarkeUmschalten(row, AusgewaehlteSpalte());
      break;
    case Qt::Key_Delete:
      if (tabelle_.IsJobRow(row) &&
          dialogs_.FrageJaNein(QStringLiteral("Zeile %1 wirklich löschen?").arg(row)))
        tabelle_.ZeileEntfernen(row);
      break;
    default:
      break;
  }
  return true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == stringGrid1_ || watched == memo2_))
    return FormKeyDown(static_cast<QKeyEvent*>(event)->key());
  return QMainWindow::eventFilter(watched, event);
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  if (!FormKeyDown(event->key())) QMainWindow::keyPressEvent(event);
}

void TForm1::CNCDINCodeerstellen1Click(QObject* sender) {
  Ausgabeschalter(sender, cncDinCodeErstellen1_, einstellungen_.CNCDINCodeerstellen);
}

void TForm1::DXFDateinerzeugen1Click(QObject* sender) {
  Ausgabeschalter(sender, dxfDateinErzeugen1_, einstellungen_.DXFDateinerzeugen);
}

void TForm1::Ausgabeschalter(QObject* sender, QAction* item, Bool8& setting) {
  const bool switched = sender == item && !laufAktiv_;
  if (switched) setting = !setting;
  item->setChecked(setting);  // Qt has toggled the mark already; the setting decides
  if (switched) EinstellungenSpeichern();
}

void TForm1::Erstelle2DPolylinien1Click(QObject* sender) {
  const bool switched = (sender == erstelle2DPolylinien1_ || sender == geradenUndKreisboegen1_) && !laufAktiv_;
  if (switched) einstellungen_.Erstelle2DPolylinien = sender == erstelle2DPolylinien1_;
  const bool polylines = einstellungen_.Erstelle2DPolylinien;
  // The item to check first: the group then unchecks the other one.
  (polylines ? erstelle2DPolylinien1_ : geradenUndKreisboegen1_)->setChecked(true);
  (polylines ? geradenUndKreisboegen1_ : erstelle2DPolylinien1_)->setChecked(false);
  if (switched) EinstellungenSpeichern();
}

void TForm1::OrdnereinstellungenClick() {
  if (laufAktiv_ || !formOrdner_) return;
  formOrdner_->Fuellen(einstellungen_.Quelle.Text(), einstellungen_.Ziel.Text(), einstellungen_.Zielordner);
  formOrdner_->exec();
  if (!formOrdner_->Gespeichert()) return;
  einstellungen_.Quelle.Assign(formOrdner_->Quelle());
  einstellungen_.Ziel.Assign(formOrdner_->Ziel());
  einstellungen_.Zielordner = formOrdner_->Zielordner();
  EinstellungenSpeichern();
}

void TForm1::Einstellungen2Click() {
  if (laufAktiv_ || !cncEinstellungen_) return;
  cncEinstellungen_->exec();
  // However the dialog was closed: an apply with errors and a loaded profile
  // have changed the live settings already.
  EinstellungenSpeichern();
}

// Both help windows are modal and also open during a batch run.
void TForm1::Kurzbeschreibung1Click() {
  if (form2_) form2_->Zeige(ToQString(Kurzbeschreibung(logdatei_)));
}

void TForm1::Info1Click() {
  if (formInfo_) formInfo_->exec();
}

void TForm1::EinstellungenSpeichern() {
  // Without a usable path the user was told at start-up.
  if (!einstellungsdatei_.empty()) SpeichereEinstellungen(einstellungen_, einstellungsdatei_, fs_, messages_);
}

}  // namespace morvatex
