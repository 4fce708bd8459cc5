// The main window: the job table in its grid, the message field, the menu,
// the pictures Add, Convert and Stop, and the program's start-up and
// shutdown. It owns the one live settings record of the process.
#pragma once

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileSystem.h"
#include "batch/BatchRun.h"
#include "batch/DesktopState.h"
#include "batch/FolderWatch.h"
#include "batch/JobTable.h"
#include "batch/LogFile.h"
#include "batch/WatchedFolderList.h"
#include "gui/Dialogs.h"
#include "settings/SettingsRecord.h"

class QAction;
class QLabel;
class QTimer;
class QActionGroup;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTableView;

namespace morvatex {

class OutputCheckMenu;

struct DropContents;
class BatchProgress;
class ClickableImage;
class JobTableModel;
class SettingsDialog;
class HelpWindow;
class AboutDialog;
class FolderDialog;
class WatchedFoldersDialog;

class MainWindow final : public QMainWindow, private BatchDisplay {
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
  // without settings file and log. Then it creates the windows it opens,
  // one of each: the about window, the folder dialog, the settings dialog
  // and the help window. The window is not shown yet.
  MainWindow(Dialogs& dialogs, FileSystem& fs, const QString& programPath, const QStringList& parameters,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The windows that the menus open: "Info", "Ordnereinstellungen...",
  // the CNC settings and "Kurzbeschreibung" (which the settings dialog's
  // help shares).
  AboutDialog& About() { return *aboutDialog_; }
  FolderDialog& Folders() { return *folderDialog_; }
  SettingsDialog& CncSettings() { return *settingsDialog_; }
  HelpWindow& Help() { return *helpWindow_; }
  WatchedFoldersDialog& WatchedFolders() { return *watchedFoldersDialog_; }

  JobTable& Table() { return table_; }
  SettingsRecord& LiveSettings() { return settings_; }
  bool DebugMode() const { return debugMode_; }
  bool IsRunning() const { return running_; }
  // The settings and log file paths; both empty when the program path
  // cannot be written in Windows-1252.
  const std::string& SettingsFilePath() const { return settingsFilePath_; }
  const std::string& LogFilePath() const { return logFilePath_; }

  // Files handed over on the command line, as a file manager opens them
  // with the program: a job list (".mvx") is opened as "Öffnen..." opens one;
  // then the other files become rows as "Isel-Datei(en) hinzufügen" adds
  // them. A first parameter "debug" is the switch, no file.
  void OpenFiles(const QStringList& parameters);

  // The running state of a batch run: the menus that could change the table
  // or the settings (and the shortcuts of their items) and the Add and
  // Convert pictures are off, Stop is on.
  void EnterRunningState();
  // The idle state: the reverse of EnterRunningState.
  void EnterIdleState();

  // Whether the current table may be dropped: yes at once without unsaved
  // changes; otherwise the user is asked, and any answer but Cancel clears
  // modified and says yes.
  bool ConfirmDiscardChanges();

  // The target path of an added source file under the folder settings in
  // force now, with the platform's separators.
  std::string TargetPathFor(std::string_view source) const;

  // What is remembered between starts (batch/DesktopState.h).
  const DesktopState& Remembered() const { return state_; }

  QTableView* JobView() const { return jobView_; }
  QPlainTextEdit* LineListView() const { return lineListView_; }
  QPlainTextEdit* MessageView() const { return messageView_; }
  QWidget* LineListPanel() const { return lineListPanel_; }
  // Between the grid and the message field: dragging its handle makes the
  // field taller (it starts at the field's fixed height of before).
  QSplitter* MessageSplitter() const { return messageSplitter_; }
  ClickableImage* AddButton() const { return addButton_; }
  ClickableImage* ConvertButton() const { return convertButton_; }
  ClickableImage* StopButton() const { return stopButton_; }

 public slots:
  // "&Start" and the Convert picture: the batch run over the marked rows, in
  // the running state; input is let through between source lines.
  void StartBatch();
  // "Stop", the Stop picture and Esc during a run: the conversion in progress
  // ends at its next source line, and with it the batch.
  void StopBatch();
  void NewList();
  void OpenList();
  void SaveList();
  void SaveListAs();
  void Quit();
  void ResetAllJobs();
  void DeleteConvertedJobs();
  void AddIselFiles();
  // "Vorschau...": the tool path of the selected row's source in a window of
  // its own.
  void PreviewSelectedRow();
  // "Ziele neu bilden": the targets of the marked rows derived again by the
  // folder rule and file extension in force, as Add would.
  void RederiveTargets();
  void ShowSettingsDialog();
  void ShowFolderDialog();
  // "Überwachte Ordner...": edits the watched folders, remembers them beside
  // the settings file and watches them from now on.
  void ShowWatchedFoldersDialog();
  // Looks at the watched folders (a timer does it every second while no
  // batch runs): each new, complete file becomes a row marked "M" with its
  // target by the folder rule; those of folders with "Automatisch
  // konvertieren" are converted at once, as Start would convert them.
  void LookAtWatchedFolders();
  void ShowShortDescription();
  void ShowAboutDialog();
  // Einstellungen > "Ordner und Fenster merken": the remembering on or off;
  // off, everything remembered is forgotten.
  void ToggleRemember();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // MainWindowLayout.cpp: the panels, grid, fields and pictures, and the menu.
  void BuildWidgets();
  void BuildMenu();
  // The fixed column widths, the source and target columns `extra` pixels
  // wider between them.
  void WidenPathColumns(int extra);
  QAction* AddMenuItem(QMenu* menu, const char* name, const QString& caption, void (MainWindow::*handler)());

  void PrepareForShow();
  // The keyboard commands; true when `key` is one of them (it is then
  // consumed, whether or not it did anything).
  bool HandleKey(int key);
  // Rows removed under the selection: the message field shows the row that
  // is current now (the current index itself may not have changed).
  void ShowCurrentRowDetails();
  void ShowRowDetails(int row);
  // Opens the preview of job row `row` (also on a double click); nothing
  // during a run or for a row that is no job.
  void OpenPreview(int row);
  int SelectedRow() const;
  int SelectedColumn() const;
  // The job rows under the selection, in order; the current row when
  // nothing is selected.
  std::vector<int> SelectedRows() const;
  // Space: the mark of the current column toggled in every selected row, all
  // taking the state the current row's mark takes.
  void ToggleSelectedMarks();
  // Delete: one question for the selected rows, then they go.
  void DeleteSelectedRows();
  // Which of `sources` may be added: those already in the table only when
  // the user, asked once, wants them again.
  std::vector<std::string> WithoutUnwantedDuplicates(std::vector<std::string> sources);

  // The output switches. From their menu item (`sender`) they change the
  // setting and save the settings file; from anywhere else they only set
  // the check marks from the settings.
  void ToggleCncOutput(QObject* sender);
  void ToggleDxfOutput(QObject* sender);
  void ChooseDxfStyle(QObject* sender);
  void ToggleOutput(QObject* sender, QAction* item, Bool8& setting);

  // Writes the live settings to the settings file (which reports its own
  // errors); without a usable settings path it writes nothing.
  void SaveLiveSettings();

  // Saves the table to listFile, reporting a failure and logging the save.
  void SaveJobList();
  // The log as the batch run and the saves append to it.
  LogFile MakeLog() const;
  // A path chosen in a file dialog as Windows-1252; tells the user and gives
  // nothing when the code page cannot write it.
  std::optional<std::string> ChosenPath(const QString& file);
  // Appends a job for each of `files` (chosen or dropped) with its target by
  // the folder rule; files whose paths Windows-1252 cannot write are refused
  // in one message.
  void AddSourceFiles(const QStringList& files);
  // Replaces the table by a job list file once ConfirmDiscardChanges allows
  // it: the table is emptied, then `choose` names the file (nothing leaves
  // the table empty and unnamed).
  void ReplaceTableByList(const std::function<std::optional<std::string>()>& choose);
  // Empties the table (JobTable::ClearJobs) without showing the details
  // of rows that are going.
  void ClearJobs();
  // Files dropped on the grid (gui/TableDrop.h), outside a run.
  void TakeDrop(const DropContents& contents);

  // The remembered folder for a file dialog (empty when nothing is
  // remembered), and noting the folder of a chosen file in `slot`.
  QString RememberedFolder(const std::string& slot) const;
  void NoteFolder(std::string& slot, const QString& file);
  // Writes the remembered state while the remembering is on.
  void StoreDesktopState();
  // The menus of the remembering: the switch's check mark and whether
  // "Zuletzt geöffnet" shows, with its items.
  void UpdateRememberMenus();
  void OpenRecentList(const std::string& path);
  // A job list opened or saved under a new name goes first among the recent.
  void NoteRecentList(const std::string& path);
  // At start: the remembered place (the inner area, in device-independent
  // pixels) on the screens that exist now, its frame included.
  void PlaceOnScreens(const WindowPlace& inner);
  // MainWindowWatch.cpp: the watched folders.
  void WatchFolders(std::vector<WatchedFolderEntry> folders);
  void ConvertWatchedRows();
  void WatchedRowConverted(int row, const ConversionRun& run, const RowRecord& record);
  void ShowWatchStatus();
  // Whether the folder of `watch` converts by itself; none when it is no
  // longer watched.
  std::optional<bool> AutoConverts(const FolderWatch* watch) const;
  // The options of a conversion started from the window.
  ConversionOptions WindowConversionOptions();

  // The batch run's view of the window.
  void JobStarting(int row) override;
  void JobConverted(int row, const ConversionRun& run, const RowRecord& record) override;
  void AddMessage(std::string_view text) override;
  // A row converted with a failed check or with lines not carried over
  // says so in one plain line under its report.
  void RowReported(int row, const RowRecord& record) override;
  // Lets pending input through during a running batch; the run calls it at
  // most every 10 ms.
  void ProcessPendingInput();
  // Debug mode: the line list of the file in hand into LineListView.
  void ShowLineList(const ConversionRun& run);

  Dialogs& dialogs_;
  FileSystem& fs_;
  DialogMessageSink messages_;
  SettingsRecord settings_{};
  JobTable table_;
  bool debugMode_ = false;
  bool running_ = false;
  bool shown_ = false;
  std::string programPath_;
  std::string settingsFilePath_;
  std::string logFilePath_;
  // Top-level windows of their own (no Qt parent, so they keep their own
  // place on the screen); they go before the settings they edit.
  std::unique_ptr<AboutDialog> aboutDialog_;
  std::unique_ptr<FolderDialog> folderDialog_;
  std::unique_ptr<HelpWindow> helpWindow_;
  std::unique_ptr<SettingsDialog> settingsDialog_;
  std::unique_ptr<WatchedFoldersDialog> watchedFoldersDialog_;
  // The watched folders, each with its watch; the rows they added and not
  // yet converted, by source path (the folder's index and the job).
  struct ActiveWatch {
    WatchedFolderEntry entry;
    std::unique_ptr<FolderWatch> watch;
  };
  std::vector<ActiveWatch> watches_;
  std::map<std::string, std::pair<FolderWatch*, WatchJob>> watchedRows_;
  int watchTicks_ = 0;
  QTimer* watchTimer_ = nullptr;
  QLabel* watchStatus_ = nullptr;
  // The conversion of the running batch, null between runs.
  const ConversionRun* run_ = nullptr;
  // The control model that checks the rows of the running (or last) batch.
  std::optional<ControlModel> runCheck_;
  // The batch run's file and line progress in the status bar.
  BatchProgress* progress_ = nullptr;
  // Debug mode: the line list of the file in hand is not shown yet.
  bool lineListPending_ = false;
  // The batch run and emptying the table move the selection: no row
  // details into MessageView then.
  bool suppressRowDetails_ = false;

  JobTableModel* model_ = nullptr;
  QTableView* jobView_ = nullptr;
  QPlainTextEdit* lineListView_ = nullptr;
  QPlainTextEdit* messageView_ = nullptr;
  QWidget* lineListPanel_ = nullptr;
  QSplitter* messageSplitter_ = nullptr;
  ClickableImage* addButton_ = nullptr;
  ClickableImage* convertButton_ = nullptr;
  ClickableImage* stopButton_ = nullptr;

  QAction* startAction_ = nullptr;
  QAction* stopAction_ = nullptr;
  QMenu* listMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* settingsMenu_ = nullptr;
  QAction* cncOutputAction_ = nullptr;
  QAction* dxfOutputAction_ = nullptr;
  QAction* linesAndArcsAction_ = nullptr;
  QAction* polylinesAction_ = nullptr;
  OutputCheckMenu* outputCheck_ = nullptr;  // "Ausgabe prüfen", owned by its menu
  QAction* rememberAction_ = nullptr;
  QMenu* recentMenu_ = nullptr;

  int startWidth_ = 0;  // the window's width at start, before anything remembered
  std::string stateFilePath_;
  DesktopState state_;
};

}  // namespace morvatex
