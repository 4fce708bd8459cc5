// The main window's watched folders: the dialog, the look every second, the
// rows they add and their conversion when the window is idle.
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

#include "base/PathSyntax.h"
#include "batch/BatchRun.h"
#include "batch/FolderWatchChecks.h"
#include "batch/FolderWatchNotes.h"
#include "batch/VerifyingRowCheck.h"
#include "gui/BatchProgress.h"
#include "gui/MainWindow.h"
#include "gui/OutputCheckMenu.h"
#include "gui/WatchedFoldersDialog.h"
#include "qttext/QtText.h"

namespace morvatex {
namespace {

constexpr int kLookInterval = 1000;  // ms; a local folder is cheap to look at
constexpr int kPollingTicks = 5;     // a folder polled by choice: every 5 s

WatchTime Now() { return std::chrono::duration_cast<WatchTime>(std::chrono::steady_clock::now().time_since_epoch()); }

// True when both take the same files the same way: all a FolderWatch
// knows depends on nothing else.
bool SameFiles(const WatchedFolder& a, const WatchedFolder& b) {
  return WatchedFolderEntry{a} == WatchedFolderEntry{b};
}

}  // namespace

void MainWindow::ShowWatchedFoldersDialog() {
  std::vector<WatchedFolderEntry> folders;
  for (const ActiveWatch& active : watches_) folders.push_back(active.entry);
  watchedFoldersDialog_->Fill(folders);
  if (watchedFoldersDialog_->exec() != QDialog::Accepted) return;
  if (!settingsFilePath_.empty() &&
      !SaveWatchedFolders(fs_, WatchedFolderListPath(settingsFilePath_), watchedFoldersDialog_->Folders()))
    dialogs_.ShowMessage(QStringLiteral("Die Liste der überwachten Ordner konnte nicht gespeichert werden:\r\n") +
                         ToQString(WatchedFolderListPath(settingsFilePath_)));
  WatchFolders(watchedFoldersDialog_->Folders());
}

void MainWindow::WatchFolders(std::vector<WatchedFolderEntry> folders) {
  // A folder that stays keeps its watch, so nothing it knows is repeated:
  // also when only how it is looked at or whether its rows convert by
  // themselves changed, else its waiting files would be taken once more.
  std::vector<ActiveWatch> kept;
  bool switchedToAutomatic = false;
  for (WatchedFolderEntry& entry : folders) {
    auto same = std::find_if(watches_.begin(), watches_.end(),
                             [&](const ActiveWatch& a) { return a.watch && SameFiles(a.entry.folder, entry.folder); });
    if (same != watches_.end()) {
      switchedToAutomatic = switchedToAutomatic || (entry.autoConvert && !same->entry.autoConvert);
      same->entry = std::move(entry);
      kept.push_back(std::move(*same));
      continue;
    }
    ActiveWatch active{entry, std::make_unique<FolderWatch>(entry.folder, settings_, fs_, NativePathSyntax())};
    // A file whose check failed is converted again at the start while the
    // output is checked, so that it shows with its "E" once more.
    active.watch->RememberFailedChecks(FailedCheckListPath(settingsFilePath_), outputCheck_->Model());
    active.watch->LockBeside(settingsFilePath_);  // one watcher per folder
    kept.push_back(std::move(active));
  }
  watches_ = std::move(kept);
  // The rows of a folder no longer watched stay in the table as rows of
  // their own; those of the kept folders still report back.
  std::erase_if(watchedRows_, [this](const auto& item) { return !AutoConverts(item.second.first).has_value(); });
  if (!watchTimer_) {
    watchTimer_ = new QTimer(this);
    watchTimer_->setInterval(kLookInterval);
    connect(watchTimer_, &QTimer::timeout, this, &MainWindow::LookAtWatchedFolders);
    watchStatus_ = new QLabel(this);
    watchStatus_->setObjectName(QStringLiteral("watchStatus"));
    statusBar()->addPermanentWidget(watchStatus_);
  }
  if (watches_.empty()) {
    watchTimer_->stop();
  } else {
    watchTimer_->start();
  }
  ShowWatchStatus();
  // Rows that waited for Start now convert as new ones of the folder would.
  if (switchedToAutomatic) ConvertWatchedRows();
}

void MainWindow::LookAtWatchedFolders() {
  // A running batch is never interrupted: new files wait for its end.
  if (running_ || watches_.empty()) return;
  const WatchTime now = Now();
  const bool pollNow = watchTicks_++ % kPollingTicks == 0;
  bool autoRows = false;
  for (ActiveWatch& active : watches_) {
    if (!active.entry.polling || pollNow) active.watch->Scan(now);
    for (const WatchJob& job : active.watch->TakeDue(now)) {
      const int row = table_.AppendJob();
      table_.SetCell(row, kColumnMarked, kMarkMarked);
      table_.SetCell(row, kColumnSource, job.source);
      table_.SetCell(row, kColumnTarget, job.target);
      table_.SetModified(true);
      watchedRows_[job.source] = {active.watch.get(), job};
      autoRows = autoRows || active.entry.autoConvert;
    }
    // Files passed over, a folder another watcher holds, a failed archive.
    for (const WatchNote& note : active.watch->TakeNotes())
      AddMessage(DesktopWatchNoteText(note, active.entry.folder.archive));
  }
  ShowWatchStatus();
  if (autoRows) ConvertWatchedRows();
}

void MainWindow::ConvertWatchedRows() {
  if (running_) return;
  std::vector<int> rows;
  for (int row = 1; row < table_.PlaceholderRow(); ++row) {
    const auto watched = watchedRows_.find(table_.Cell(row, kColumnSource));
    if (watched != watchedRows_.end() && table_.Cell(row, kColumnMarked) == kMarkMarked &&
        AutoConverts(watched->second.first).value_or(false))
      rows.push_back(row);
  }
  if (rows.empty()) return;
  // As Start converts them, for these rows alone.
  messageView_->clear();
  EnterRunningState();
  const ConversionOptions options = WindowConversionOptions();
  ConversionRun run(settings_, fs_, options);
  run_ = &run;
  progress_->Begin(static_cast<int>(rows.size()));
  const LogFile log = MakeLog();
  runCheck_ = outputCheck_->Model();
  std::optional<VerifyingRowCheck> check;
  if (runCheck_) check.emplace(settings_, fs_, VerificationOptions{*runCheck_}, options.dialect);
  BatchResult result;
  for (const int row : rows) {
    table_.SetModified(true);
    ++result.converted;
    JobStarting(row);
    const std::string source = table_.Cell(row, kColumnSource);
    const std::string target = table_.Cell(row, kColumnTarget);
    const Outcome code = run.Convert(source, target);
    RecordJobOutcome(table_, row, run, log, *this, result, check ? &*check : nullptr);
    if (code == Outcome::kStopped) break;
  }
  progress_->Finish();
  run_ = nullptr;
  EnterIdleState();
  ShowWatchStatus();
}

void MainWindow::WatchedRowConverted(int row, const ConversionRun& run, const RowRecord& record) {
  const auto watched = watchedRows_.find(table_.Cell(row, kColumnSource));
  if (watched == watchedRows_.end()) return;
  const auto [watch, job] = watched->second;
  watchedRows_.erase(watched);
  // A row whose check failed, or that was not carried over whole, got its
  // "E": the file is neither archived nor taken again until it changes.
  std::optional<WatchCheck> check;
  if (record.checked && runCheck_) check = WatchCheck{*runCheck_, record.checkFailed};
  if (AutoConverts(watch)) watch->Finished(job, run.OutcomeCode(), Now(), check, record.incomplete);
  ShowWatchStatus();
}

std::optional<bool> MainWindow::AutoConverts(const FolderWatch* watch) const {
  for (const ActiveWatch& active : watches_) {
    if (active.watch.get() == watch) return active.entry.autoConvert;
  }
  return std::nullopt;
}

void MainWindow::ShowWatchStatus() {
  if (!watchStatus_) return;
  int waiting = 0;
  for (const ActiveWatch& active : watches_) waiting += active.watch->Waiting();
  watchStatus_->setVisible(!watches_.empty());
  watchStatus_->setText(QStringLiteral("Überwacht: %1 Ordner, %2 wartend").arg(watches_.size()).arg(waiting));
}

}  // namespace morvatex
