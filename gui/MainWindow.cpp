#include "gui/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <chrono>

#include "base/LocalDateTime.h"
#include "base/PathSyntax.h"
#include "base/ProductInfo.h"
#include "base/ProgramPath.h"
#include "batch/JobListFile.h"
#include "batch/LogFile.h"
#include "batch/ProgramFiles.h"
#include "batch/TargetPath.h"
#include "batch/VerifyingRowCheck.h"
#include "engine/StopRequest.h"
#include "gui/AboutDialog.h"
#include "gui/BatchProgress.h"
#include "gui/ClickableImage.h"
#include "gui/FolderDialog.h"
#include "gui/HelpTexts.h"
#include "gui/HelpWindow.h"
#include "gui/JobTableModel.h"
#include "gui/OutputCheckMenu.h"
#include "gui/PreviewWindow.h"
#include "gui/ProgramIcon.h"
#include "gui/SettingsDialog.h"
#include "gui/TableDrop.h"
#include "gui/WatchedFoldersDialog.h"
#include "gui/WindowPlacement.h"
#include "preview/RapidRateFile.h"
#include "qttext/QtText.h"
#include "settings/SettingsFile.h"

namespace morvatex {
namespace {

const QString kIselFilter = QStringLiteral("NCP-Dateien (*.ncp)|*.ncp|Alle Dateiformate (*.*)|*.*");
const QString kJobListFilter = QStringLiteral("MVX-Dateien (*.mvx) |*.mvx");
// The shortest time between two rounds of input during a conversion:
// letting input through (and repainting) costs far more than converting a
// line, and every few milliseconds answers the user just as fast.
constexpr std::chrono::milliseconds kInputInterval{10};

QString Latin1(std::string_view text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, FileSystem& fs, const QString& programPath, const QStringList& parameters,
                       QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), fs_(fs), messages_(dialogs) {
  setObjectName(QStringLiteral("mainWindow"));
  BuildWidgets();
  BuildMenu();
  const int menuHeight = menuBar()->sizeHint().height();
  // The client area between the menu and the progress status bar is 670 x 479.
  resize(670, 479 + menuHeight + statusBar()->height());
  startWidth_ = width();
  // Centred, its caption included; on a small screen at a high scale
  // factor it shrinks to stay wholly on it.
  CentreOnScreen(*this);
  KeepOnScreen(*this);

  setWindowTitle(Latin1(kProductName) + QStringLiteral("    Ver.: ") + Latin1(kVersionText));
  // Its own, for the windows it opens too, also where no application icon is set.
  setWindowIcon(ProgramIcon());
  debugMode_ = !parameters.isEmpty() && parameters.first() == QStringLiteral("debug");
  EnterIdleState();
  table_.SetListFile({});

  const QString nativeProgramPath = QDir::toNativeSeparators(programPath);
  if (std::optional<std::string> path = ToCp1252(nativeProgramPath)) {
    programPath_ = *path;
    // Beside the program, or in the user's folders when it is installed.
    const ProgramFiles files = LocateProgramFiles(programPath_, NativePathSyntax(), fs_, ReadUserFolderEnvironment());
    if (!files.problem.empty()) dialogs_.ShowMessage(ToQString(files.problem));
    MakeUserFolders(files, NativePathSyntax(), fs_);
    settingsFilePath_ = files.settingsPath;
    logFilePath_ = files.logPath;
  } else {
    dialogs_.ShowMessage(QStringLiteral("Der Programmpfad\r\n%1\r\nenthält Zeichen außerhalb des Zeichensatzes "
                                        "Windows-1252.\r\nEinstellungsdatei und Protokolldatei können deshalb nicht "
                                        "benutzt werden.")
                             .arg(nativeProgramPath));
  }

  // Without a settings path this finds no file and sets up a new configuration.
  LoadSettingsFile(settings_, settingsFilePath_, fs_, messages_);
  stateFilePath_ = DesktopStateFilePath(settingsFilePath_);
  state_ = LoadDesktopState(fs_, stateFilePath_);
  if (!state_.remember) state_ = DesktopState{};
  UpdateRememberMenus();
  if (state_.remember && state_.mainWindow.Known()) {
    // Onto today's screens before Qt sees it: the file may hold any ints.
    PlaceOnScreens(state_.mainWindow);
  }
  ChooseDxfStyle(this);
  outputCheck_->Load(settingsFilePath_);

  if (!logFilePath_.empty()) {
    // The log must never keep the program from starting: its errors are ignored.
    StartLogFile(fs_, logFilePath_, LogStartHeader(LocalDateTimeText(), programPath_));
  }

  // The other windows, in their fixed order, once the settings are loaded.
  aboutDialog_ = std::make_unique<AboutDialog>();
  folderDialog_ = std::make_unique<FolderDialog>(dialogs_);
  settingsDialog_ = std::make_unique<SettingsDialog>(dialogs_, fs_, settings_);
  settingsDialog_->UseDialectFile(settingsFilePath_);
  helpWindow_ = std::make_unique<HelpWindow>();
  settingsDialog_->SetHelpWindow(helpWindow_.get());
  settingsDialog_->SetFolderMemory([this] { return RememberedFolder(state_.profileFolder); },
                                   [this](const QString& file) { NoteFolder(state_.profileFolder, file); });
  watchedFoldersDialog_ = std::make_unique<WatchedFoldersDialog>(dialogs_, fs_, this);
  WatchFolders(LoadWatchedFolders(fs_, WatchedFolderListPath(settingsFilePath_)));
}

MainWindow::~MainWindow() {
  // Qt deletes the children only after the members are gone; the grid and
  // its model read the table, so they go first.
  delete jobView_;
  delete model_;
}

void MainWindow::showEvent(QShowEvent* event) {
  if (!shown_) {
    shown_ = true;
    PrepareForShow();
    WidenPathColumns(std::max(0, width() - startWidth_));  // a remembered width
  }
  QMainWindow::showEvent(event);
}

void MainWindow::PrepareForShow() {
  aboutDialog_->SetLabelTexts();
  lineListPanel_->setVisible(debugMode_);
  stopButton_->move(addButton_->x(), stopButton_->y());
  table_.WriteHeaderRow();
  ChooseDxfStyle(this);
  ToggleDxfOutput(this);
  ToggleCncOutput(this);
  // The grid starts on its first row; only later moves show details.
  jobView_->setCurrentIndex(model_->IndexOf(1, 0));
  jobView_->setFocus();
  connect(jobView_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (current.isValid() && !suppressRowDetails_) ShowRowDetails(JobTableModel::TableRow(current));
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (running_ || !ConfirmDiscardChanges()) {
    event->ignore();
    return;
  }
  event->accept();
  if (state_.remember) {
    const QRect place = geometry();
    state_.mainWindow = {place.x(), place.y(), place.width(), place.height()};
    StoreDesktopState();
  }
}

void MainWindow::PlaceOnScreens(const WindowPlace& inner) {
  const WindowPlace w = FitFrameOnScreens(inner, FrameOf(*this), AvailableScreenAreas());
  setGeometry(w.x, w.y, w.width, w.height);
}

QString MainWindow::RememberedFolder(const std::string& slot) const {
  return state_.remember ? ToQString(slot) : QString();
}

void MainWindow::NoteFolder(std::string& slot, const QString& file) {
  if (!state_.remember || file.isEmpty()) return;
  if (const std::optional<std::string> path = ToCp1252(file)) {
    slot = FolderPart(*path, NativePathSyntax());
    StoreDesktopState();
  }
}

void MainWindow::StoreDesktopState() {
  // Its errors are no business of the user's: at worst nothing is remembered.
  if (state_.remember) SaveDesktopState(fs_, stateFilePath_, state_);
}

void MainWindow::ToggleRemember() {
  if (running_) return;
  const bool on = rememberAction_->isChecked();
  state_ = DesktopState{};
  state_.remember = on;
  // Off, the file keeps only that: nothing of before is used again.
  if (!stateFilePath_.empty() && (on || fs_.IdentityOf(stateFilePath_).exists))
    SaveDesktopState(fs_, stateFilePath_, state_);
  UpdateRememberMenus();
}

void MainWindow::UpdateRememberMenus() {
  rememberAction_->setChecked(state_.remember);
  recentMenu_->menuAction()->setVisible(state_.remember);
  recentMenu_->clear();
  for (const std::string& list : state_.recentLists) {
    QAction* item = recentMenu_->addAction(ToQString(list));
    connect(item, &QAction::triggered, this, [this, list] { OpenRecentList(list); });
  }
  recentMenu_->menuAction()->setEnabled(!state_.recentLists.empty() && !running_);
}

void MainWindow::NoteRecentList(const std::string& path) {
  if (!state_.remember) return;
  RememberRecentList(state_, FullPath(path));
  StoreDesktopState();
  UpdateRememberMenus();
}

void MainWindow::OpenRecentList(const std::string& path) {
  if (running_) return;
  if (!fs_.IdentityOf(path).exists) {
    dialogs_.ShowMessage(QStringLiteral("Die Auftragsliste\r\n%1\r\nfehlt und wird aus der Liste der zuletzt "
                                        "geöffneten entfernt.")
                             .arg(ToQString(path)));
    auto& lists = state_.recentLists;
    lists.erase(std::remove(lists.begin(), lists.end(), path), lists.end());
    StoreDesktopState();
    UpdateRememberMenus();
    return;
  }
  ReplaceTableByList([&path]() -> std::optional<std::string> { return path; });
}

namespace {

// The items of `menu` and its submenus on or off, so that their shortcuts
// follow the menu.
void EnableItems(QMenu* menu, bool enabled) {
  for (QAction* item : menu->actions()) {
    if (item->menu() != nullptr) EnableItems(item->menu(), enabled);
    if (!item->isSeparator()) item->setEnabled(enabled);
  }
}

}  // namespace

void MainWindow::EnterRunningState() {
  running_ = true;
  for (QMenu* menu : {listMenu_, editMenu_, settingsMenu_}) {
    menu->menuAction()->setEnabled(false);
    EnableItems(menu, false);
  }
  startAction_->setEnabled(false);
  addButton_->hide();
  convertButton_->hide();
  stopButton_->show();
  stopAction_->setEnabled(true);
}

void MainWindow::EnterIdleState() {
  running_ = false;
  for (QMenu* menu : {listMenu_, editMenu_, settingsMenu_}) {
    menu->menuAction()->setEnabled(true);
    EnableItems(menu, true);
  }
  // An empty "Zuletzt geöffnet" stays off.
  if (recentMenu_ != nullptr) recentMenu_->menuAction()->setEnabled(!state_.recentLists.empty());
  startAction_->setEnabled(true);
  addButton_->show();
  convertButton_->show();
  stopButton_->hide();
  stopAction_->setEnabled(false);
}

bool MainWindow::ConfirmDiscardChanges() {
  if (!table_.Modified()) return true;
  if (!dialogs_.AskOkCancel(
          QStringLiteral("Die aktuelle Tabelle wurde noch nicht gespeichert!\r\nTrotzdem fortfahren?")))
    return false;
  table_.SetModified(false);
  return true;
}

std::string MainWindow::TargetPathFor(std::string_view source) const {
  return morvatex::TargetPathFor(source, settings_, NativePathSyntax());
}

void MainWindow::StartBatch() {
  if (running_) return;
  messageView_->clear();
  EnterRunningState();
  const ConversionOptions options = WindowConversionOptions();
  ConversionRun run(settings_, fs_, options);
  run_ = &run;
  const int marked = table_.MarkedJobCount();
  const auto began = std::chrono::steady_clock::now();
  progress_->Begin(marked);
  runCheck_ = outputCheck_->Model();
  std::optional<VerifyingRowCheck> check;
  if (runCheck_) check.emplace(settings_, fs_, VerificationOptions{*runCheck_}, options.dialect);
  const BatchResult result = ExecuteBatch(table_, run, MakeLog(), *this, check ? &*check : nullptr);
  progress_->Finish();
  if (result.converted > 0) {
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
    AddMessage(BatchSummary(result, marked, took));
  }
  run_ = nullptr;
  EnterIdleState();
}

ConversionOptions MainWindow::WindowConversionOptions() {
  ConversionOptions options;
  options.debugMode = debugMode_;
  options.processPendingInput = [this] { ProcessPendingInput(); };
  options.pendingInputInterval = kInputInterval;
  options.dialect = settingsDialog_->Dialect();
  // No output may replace the program's own files.
  options.protectedPaths = {settingsFilePath_, logFilePath_};
  if (!table_.ListFile().empty()) options.protectedPaths.push_back(table_.ListFile());
  return options;
}

void MainWindow::StopBatch() { RequestStop(); }

void MainWindow::JobStarting(int row) {
  lineListPending_ = debugMode_;
  progress_->NextFile();
  // The whole row shows as selected; the current cell goes to its end.
  const QModelIndex first = model_->IndexOf(row, kColumnNumber);
  const QModelIndex last = model_->IndexOf(row, kColumnTarget);
  suppressRowDetails_ = true;
  jobView_->selectionModel()->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
  jobView_->selectionModel()->select(QItemSelection(first, last), QItemSelectionModel::ClearAndSelect);
  suppressRowDetails_ = false;
  jobView_->scrollTo(first);
}

void MainWindow::ProcessPendingInput() {
  if (run_) {
    if (lineListPending_) ShowLineList(*run_);
    progress_->ShowLines(run_->Progress());
  }
  QCoreApplication::processEvents();
}

void MainWindow::JobConverted(int row, const ConversionRun& run, const RowRecord& record) {
  // A file that failed before its first pass shows its lines now.
  if (lineListPending_) ShowLineList(run);
  WatchedRowConverted(row, run, record);
}

void MainWindow::ShowLineList(const ConversionRun& run) {
  lineListPending_ = false;
  const LineList& lines = run.Lines();
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += '\n';
    text += lines[i];
  }
  lineListView_->setPlainText(ToQString(text));
}

void MainWindow::AddMessage(std::string_view text) {
  messageView_->appendPlainText(ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void MainWindow::RowReported(int /*row*/, const RowRecord& record) {
  // The report may begin "Datei wurde fehlerfrei konvertiert!": this line
  // says at a glance why the row still got its "E".
  const QString check = QStringLiteral("die Ausgabeprüfung hat Abweichungen gefunden oder war nicht möglich");
  QString warning;
  if (record.incomplete) warning = QStringLiteral("nicht alle Zeilen wurden umgesetzt");
  if (record.checkFailed) warning = warning.isEmpty() ? check : warning + QStringLiteral(", und ") + check;
  if (warning.isEmpty()) return;
  warning[0] = warning[0].toUpper();
  // Right under the report, before the empty lines that end it.
  const QString line = QStringLiteral("Achtung: ") + warning + QLatin1Char('.');
  QTextBlock last = messageView_->document()->lastBlock();
  while (last.text().isEmpty() && last.previous().isValid()) last = last.previous();
  if (last.text().isEmpty()) {
    messageView_->appendPlainText(line);
    return;
  }
  QTextCursor end(last);
  end.movePosition(QTextCursor::EndOfBlock);
  end.insertText(QLatin1Char('\n') + line);
}

void MainWindow::OpenList() {
  ReplaceTableByList([this]() -> std::optional<std::string> {
    const QStringList files =
        dialogs_.OpenFiles({kJobListFilter, QStringLiteral("mvx"), false, false, RememberedFolder(state_.listFolder)});
    if (files.isEmpty()) return std::nullopt;
    NoteFolder(state_.listFolder, files.first());
    return ChosenPath(files.first());
  });
}

void MainWindow::ReplaceTableByList(const std::function<std::optional<std::string>()>& choose) {
  if (running_ || !ConfirmDiscardChanges()) return;
  // Emptied before the file is chosen: cancelling the dialog leaves an empty,
  // unnamed table.
  ClearJobs();
  const std::optional<std::string> path = choose();
  if (path && OpenJobList(table_, *path, fs_, messages_) == JobListCode::kOk) NoteRecentList(*path);
}

void MainWindow::TakeDrop(const DropContents& contents) {
  if (running_) return;
  if (contents.kind == DropContents::Kind::kIselFiles) {
    AddSourceFiles(contents.files);
  } else if (contents.kind == DropContents::Kind::kJobList) {
    // A path the code page cannot write is refused before the table is asked
    // about or emptied.
    if (const std::optional<std::string> path = ChosenPath(contents.files.first()))
      ReplaceTableByList([&path] { return path; });
  }
}

void MainWindow::SaveList() {
  if (running_) return;
  if (table_.ListFile().empty())
    SaveListAs();
  else
    SaveJobList();
}

void MainWindow::SaveListAs() {
  if (running_) return;
  const QString file =
      dialogs_.SaveFile({kJobListFilter, QStringLiteral("mvx"), false, false, RememberedFolder(state_.listFolder)});
  if (file.isEmpty()) return;
  NoteFolder(state_.listFolder, file);
  if (const std::optional<std::string> path = ChosenPath(file)) {
    table_.SetListFile(*path);
    SaveJobList();
    NoteRecentList(*path);
  }
}

void MainWindow::SaveJobList() { morvatex::SaveJobList(table_, fs_, messages_, MakeLog()); }

LogFile MainWindow::MakeLog() const {
  return LogFile(fs_, logFilePath_, [] { return LocalDateTimeText(); });
}

std::optional<std::string> MainWindow::ChosenPath(const QString& file) {
  std::optional<std::string> path = ToCp1252(file);
  if (!path) {
    dialogs_.ShowMessage(QStringLiteral("Die Datei\r\n%1\r\nkann nicht benutzt werden, weil ihr Pfad Zeichen "
                                        "außerhalb des Zeichensatzes Windows-1252 enthält.")
                             .arg(file));
  }
  return path;
}

void MainWindow::NewList() {
  if (running_) return;
  if (ConfirmDiscardChanges()) ClearJobs();
}

void MainWindow::ClearJobs() {
  suppressRowDetails_ = true;
  table_.ClearJobs();
  suppressRowDetails_ = false;
  ShowCurrentRowDetails();
}

void MainWindow::Quit() { close(); }

void MainWindow::ResetAllJobs() {
  if (!running_) table_.ResetAllMarks();
}

void MainWindow::DeleteConvertedJobs() {
  if (!running_ && table_.RemoveConvertedJobs() > 0) ShowCurrentRowDetails();
}

void MainWindow::RederiveTargets() {
  if (running_) return;
  const int marked = table_.MarkedJobCount();
  const int changed = RederiveMarkedTargets(table_, settings_, NativePathSyntax());
  ShowCurrentRowDetails();
  messageView_->appendPlainText(QStringLiteral("Ziele neu gebildet: %1 von %2 geändert.").arg(changed).arg(marked));
}

void MainWindow::PreviewSelectedRow() {
  if (running_) return;
  const int row = SelectedRow();
  if (!table_.IsJobRow(row)) {
    dialogs_.ShowMessage(QStringLiteral("Bitte zuerst eine Zeile mit einer Isel-Datei wählen."));
    return;
  }
  OpenPreview(row);
}

void MainWindow::OpenPreview(int row) {
  if (running_ || !table_.IsJobRow(row)) return;
  // A window of its own, closed with the main window; several may be open.
  // It reads the program in the language the conversion would.
  auto* window = new PreviewWindow(fs_, settings_, table_.Cell(row, kColumnSource),
                                   RapidRateFilePath(settingsFilePath_), this, {}, settingsDialog_->Dialect());
  window->SetCncProgram(table_.Cell(row, kColumnTarget));
  // The read-back overlay is offered only while the output is checked.
  if (const std::optional<ControlModel> model = outputCheck_->Model())
    window->OfferReadBack(table_.Cell(row, kColumnTarget), *model);
  if (state_.remember) {
    if (state_.previewWidth > 0) window->resize(state_.previewWidth, state_.previewHeight);
    window->DepthSwitch()->setChecked(state_.previewDepth);
    // Its size and depth view are noted as it closes (eventFilter).
    window->installEventFilter(this);
  }
  window->show();
}

void MainWindow::AddIselFiles() {
  if (running_) return;
  const QStringList files =
      dialogs_.OpenFiles({kIselFilter, QStringLiteral("ncp"), true, false, RememberedFolder(state_.iselFolder)});
  if (!files.isEmpty()) NoteFolder(state_.iselFolder, files.first());
  AddSourceFiles(files);
}

void MainWindow::OpenFiles(const QStringList& parameters) {
  if (running_) return;
  const bool debugSwitch = !parameters.isEmpty() && parameters.first() == QStringLiteral("debug");
  // Taken as a drop takes files: Isel files become rows, one job list
  // opens, anything else is refused.
  QStringList iselFiles, refused;
  bool listOpened = false;
  for (const QString& parameter : parameters.mid(debugSwitch ? 1 : 0)) {
    // A shell hands over paths relative to its own folder.
    const QString file = QDir::toNativeSeparators(QFileInfo(parameter).absoluteFilePath());
    if (file.endsWith(QStringLiteral(".ncp"), Qt::CaseInsensitive)) {
      iselFiles << file;
    } else if (file.endsWith(QStringLiteral(".mvx"), Qt::CaseInsensitive) && !listOpened) {
      listOpened = true;
      if (const std::optional<std::string> path = ChosenPath(file)) ReplaceTableByList([&path] { return path; });
    } else {
      refused << file;
    }
  }
  AddSourceFiles(iselFiles);
  if (!refused.isEmpty())
    dialogs_.ShowMessage(QStringLiteral("Diese Dateien werden nicht übernommen, weil sie weder Isel-Dateien (.ncp) "
                                        "noch eine Auftragsliste (.mvx) sind:\r\n") +
                         refused.join(QStringLiteral("\r\n")));
}

void MainWindow::AddSourceFiles(const QStringList& files) {
  QStringList refused;
  std::vector<std::string> sources;
  for (const QString& file : files) {
    if (std::optional<std::string> source = ToCp1252(file))
      sources.push_back(std::move(*source));
    else
      refused << file;
  }
  if (!refused.isEmpty()) {
    dialogs_.ShowMessage(QStringLiteral("Diese Dateien werden nicht hinzugefügt, weil ihr Pfad Zeichen außerhalb "
                                        "des Zeichensatzes Windows-1252 enthält:\r\n") +
                         refused.join(QStringLiteral("\r\n")));
  }
  for (const std::string& source : WithoutUnwantedDuplicates(std::move(sources))) {
    const int row = table_.AppendJob();
    table_.SetCell(row, kColumnSource, source);
    table_.SetCell(row, kColumnTarget, TargetPathFor(source));
    table_.SetModified(true);
  }
}

std::vector<std::string> MainWindow::WithoutUnwantedDuplicates(std::vector<std::string> sources) {
  const std::vector<bool> inTable = SourcesInTable(table_, sources, fs_, NativePathSyntax());
  QStringList duplicates;
  for (std::size_t i = 0; i < sources.size(); ++i)
    if (inTable[i]) duplicates << ToQString(sources[i]);
  if (duplicates.isEmpty() || dialogs_.AskYesNo(QStringLiteral("Diese Dateien stehen schon in der Tabelle:\r\n") +
                                                duplicates.join(QStringLiteral("\r\n")) +
                                                QStringLiteral("\r\nTrotzdem noch einmal hinzufügen?")))
    return sources;
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < sources.size(); ++i)
    if (!inTable[i]) kept.push_back(std::move(sources[i]));
  return kept;
}

void MainWindow::ShowCurrentRowDetails() {
  const QModelIndex current = jobView_->currentIndex();
  if (current.isValid())
    ShowRowDetails(JobTableModel::TableRow(current));
  else
    messageView_->clear();
}

void MainWindow::ShowRowDetails(int row) {
  messageView_->clear();
  for (const std::string& line : JobRowDetails(table_, row, NativePathSyntax()))
    messageView_->appendPlainText(ToQString(line));
}

int MainWindow::SelectedRow() const { return JobTableModel::TableRow(jobView_->currentIndex()); }

int MainWindow::SelectedColumn() const { return jobView_->currentIndex().column(); }

std::vector<int> MainWindow::SelectedRows() const {
  std::vector<int> rows;
  // By ranges, not indexes: a whole table selected stays cheap.
  for (const QItemSelectionRange& range : jobView_->selectionModel()->selection()) {
    for (int viewRow = range.top(); viewRow <= range.bottom(); ++viewRow) {
      const int row = viewRow + 1;
      if (table_.IsJobRow(row)) rows.push_back(row);
    }
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (rows.empty() && table_.IsJobRow(SelectedRow())) rows.push_back(SelectedRow());
  return rows;
}

void MainWindow::ToggleSelectedMarks() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  const int column = SelectedColumn();
  const int current = SelectedRow();
  const int leading = std::binary_search(rows.begin(), rows.end(), current) ? current : rows.front();
  table_.ToggleMark(leading, column);
  // Mixed rows end alike, as the leading one: no row flips the other way.
  if (column >= kColumnMarked && column <= kColumnFailed)
    for (const int row : rows) table_.SetCell(row, column, table_.Cell(leading, column));
}

void MainWindow::DeleteSelectedRows() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  QString question = QStringLiteral("Zeile %1 wirklich löschen?").arg(rows.front());
  if (rows.size() > 1) {
    // The numbers say which rows; a long list is cut.
    constexpr std::size_t kNamed = 10;
    QStringList numbers;
    for (std::size_t i = 0; i < std::min(rows.size(), kNamed); ++i) numbers << QString::number(rows[i]);
    if (rows.size() > kNamed) numbers << QStringLiteral("...");
    question =
        QStringLiteral("%1 Zeilen (%2) wirklich löschen?").arg(rows.size()).arg(numbers.join(QStringLiteral(", ")));
  }
  if (!dialogs_.AskYesNo(question)) return;
  // From the bottom up, so the rows still to go keep their places.
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) table_.RemoveJob(*row);
  ShowCurrentRowDetails();
}

bool MainWindow::HandleKey(int key) {
  const bool preview = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F3;
  if (key != Qt::Key_Escape && key != Qt::Key_Insert && key != Qt::Key_Space && key != Qt::Key_Delete && !preview)
    return false;
  if (running_) {
    if (key == Qt::Key_Escape) StopBatch();
    return true;
  }
  const int row = SelectedRow();
  switch (key) {
    case Qt::Key_Insert: AddIselFiles(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3: OpenPreview(row); break;
    case Qt::Key_Space: ToggleSelectedMarks(); break;
    case Qt::Key_Delete: DeleteSelectedRows(); break;
    default: break;
  }
  return true;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close && state_.remember) {
    if (const auto* preview = qobject_cast<PreviewWindow*>(watched)) {
      state_.previewWidth = preview->width();
      state_.previewHeight = preview->height();
      state_.previewDepth = preview->DepthSwitch()->isChecked();
      StoreDesktopState();
    }
  }
  if (event->type() == QEvent::KeyPress && (watched == jobView_ || watched == messageView_))
    return HandleKey(static_cast<QKeyEvent*>(event)->key());
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (!HandleKey(event->key())) QMainWindow::keyPressEvent(event);
}

void MainWindow::ToggleCncOutput(QObject* sender) {
  ToggleOutput(sender, cncOutputAction_, settings_.CNCDINCodeerstellen);
}

void MainWindow::ToggleDxfOutput(QObject* sender) {
  ToggleOutput(sender, dxfOutputAction_, settings_.DXFDateinerzeugen);
}

void MainWindow::ToggleOutput(QObject* sender, QAction* item, Bool8& setting) {
  const bool switched = sender == item && !running_;
  if (switched) setting = !setting;
  item->setChecked(setting);  // Qt has toggled the mark already; the setting decides
  if (switched) SaveLiveSettings();
}

void MainWindow::ChooseDxfStyle(QObject* sender) {
  const bool switched = (sender == polylinesAction_ || sender == linesAndArcsAction_) && !running_;
  if (switched) settings_.Erstelle2DPolylinien = sender == polylinesAction_;
  const bool polylines = settings_.Erstelle2DPolylinien;
  // The item to check first: the group then unchecks the other one.
  (polylines ? polylinesAction_ : linesAndArcsAction_)->setChecked(true);
  (polylines ? linesAndArcsAction_ : polylinesAction_)->setChecked(false);
  if (switched) SaveLiveSettings();
}

void MainWindow::ShowFolderDialog() {
  if (running_) return;
  folderDialog_->Fill(settings_.Quelle.Text(), settings_.Ziel.Text(), settings_.Zielordner);
  folderDialog_->exec();
  if (!folderDialog_->WasSaved()) return;
  settings_.Quelle.Assign(folderDialog_->SourceFolder());
  settings_.Ziel.Assign(folderDialog_->TargetFolder());
  settings_.Zielordner = folderDialog_->TargetRule();
  SaveLiveSettings();
}

void MainWindow::ShowSettingsDialog() {
  if (running_) return;
  settingsDialog_->exec();
  // However the dialog was closed: an apply with errors and a loaded profile
  // have changed the live settings already.
  SaveLiveSettings();
}

// Both help windows are modal and also open during a batch run.
void MainWindow::ShowShortDescription() { helpWindow_->ShowText(ToQString(ShortDescription(logFilePath_))); }

void MainWindow::ShowAboutDialog() { aboutDialog_->exec(); }

void MainWindow::SaveLiveSettings() {
  // Without a usable path the user was told at start-up.
  if (!settingsFilePath_.empty()) SaveSettingsFile(settings_, settingsFilePath_, fs_, messages_);
}

}  // namespace morvatex
