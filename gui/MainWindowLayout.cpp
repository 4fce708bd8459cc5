// The widgets and the menu of the main window.
#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/BatchProgress.h"
#include "gui/ClickableImage.h"
#include "gui/DialogFont.h"
#include "gui/JobTableModel.h"
#include "gui/MainWindow.h"
#include "gui/OutputCheckMenu.h"
#include "gui/TableDrop.h"

namespace morvatex {
namespace {

constexpr int kColumnWidths[kJobColumnCount] = {42, 69, 67, 67, 207, 200};

QFrame* Panel(const char* name, QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  return panel;
}

// A panel whose one child fills it.
QFrame* PanelWith(const char* name, QWidget* child, QWidget* parent) {
  QFrame* panel = Panel(name, parent);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(1, 1, 1, 1);
  child->setParent(panel);
  layout->addWidget(child);
  return panel;
}

}  // namespace

void MainWindow::BuildWidgets() {
  setFont(DialogFont(font()));

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  QFrame* buttonBar = Panel("buttonBar", central);
  buttonBar->setFixedHeight(41);
  const QColor green(0, 192, 0);
  const ImageColours addColours{Qt::red, green, Qt::yellow, Qt::red};
  addButton_ = new ClickableImage(QStringLiteral("Add"), QSize(46, 25), addColours, buttonBar);
  convertButton_ = new ClickableImage(QStringLiteral("Convert"), QSize(77, 25), addColours, buttonBar);
  stopButton_ =
      new ClickableImage(QStringLiteral("Stop"), QSize(49, 25), {Qt::yellow, Qt::red, green, green}, buttonBar);
  addButton_->setObjectName(QStringLiteral("addButton"));
  convertButton_->setObjectName(QStringLiteral("convertButton"));
  stopButton_->setObjectName(QStringLiteral("stopButton"));
  addButton_->move(8, 8);
  convertButton_->move(addButton_->geometry().right() + 9, 8);
  stopButton_->move(convertButton_->geometry().right() + 9, 8);
  connect(addButton_, &ClickableImage::Clicked, this, &MainWindow::AddIselFiles);
  connect(convertButton_, &ClickableImage::Clicked, this, &MainWindow::StartBatch);
  connect(stopButton_, &ClickableImage::Clicked, this, &MainWindow::StopBatch);

  jobView_ = new QTableView;
  jobView_->setObjectName(QStringLiteral("jobView"));
  model_ = new JobTableModel(table_, this);
  jobView_->setModel(model_);
  // Several rows at once for Delete and the marks; the current cell still
  // decides the column and the details shown.
  jobView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  jobView_->setSelectionBehavior(QAbstractItemView::SelectItems);
  jobView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  jobView_->setTabKeyNavigation(false);
  jobView_->setWordWrap(false);
  jobView_->setShowGrid(true);
  jobView_->verticalHeader()->hide();
  jobView_->verticalHeader()->setDefaultSectionSize(jobView_->fontMetrics().height() + 8);
  jobView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  jobView_->horizontalHeader()->setHighlightSections(false);
  jobView_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  WidenPathColumns(0);
  jobView_->installEventFilter(this);
  connect(jobView_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { OpenPreview(JobTableModel::TableRow(index)); });
  QFrame* jobPanel = PanelWith("jobPanel", jobView_, central);

  lineListView_ = new QPlainTextEdit;
  lineListView_->setObjectName(QStringLiteral("lineListView"));
  lineListView_->setLineWrapMode(QPlainTextEdit::NoWrap);
  lineListView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  lineListView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  lineListPanel_ = PanelWith("lineListPanel", lineListView_, central);
  lineListPanel_->setFixedHeight(185);
  lineListPanel_->hide();

  messageView_ = new QPlainTextEdit;
  messageView_->setObjectName(QStringLiteral("messageView"));
  messageView_->setReadOnly(true);
  messageView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette messageColours = messageView_->palette();
  messageColours.setColor(QPalette::Base, messageColours.color(QPalette::Button));
  messageColours.setColor(QPalette::Text, Qt::red);
  messageView_->setPalette(messageColours);
  messageView_->installEventFilter(this);
  QFrame* messagePanel = PanelWith("messagePanel", messageView_, central);
  messagePanel->setMinimumHeight(48);

  // The handles take no room of their own (Qt widens a thin handle's grip
  // over its neighbours), so the panels sit exactly as without them; only
  // the grid grows with the window, the field keeps its height.
  messageSplitter_ = new QSplitter(Qt::Vertical, central);
  messageSplitter_->setObjectName(QStringLiteral("messageSplitter"));
  messageSplitter_->setHandleWidth(0);
  messageSplitter_->setChildrenCollapsible(false);
  for (QWidget* panel : {static_cast<QWidget*>(jobPanel), lineListPanel_, static_cast<QWidget*>(messagePanel)})
    messageSplitter_->addWidget(panel);
  messageSplitter_->setStretchFactor(0, 1);
  messageSplitter_->setSizes({1, lineListPanel_->height(), 108});

  layout->addWidget(buttonBar);
  layout->addWidget(messageSplitter_, 1);
  setCentralWidget(central);

  // Below the panels: the progress of a batch run, in a status bar of its own
  // height that the window adds to its client area.
  progress_ = new BatchProgress(statusBar());
  new TableDrop(
      jobView_, [this] { return running_; }, [this](const DropContents& contents) { TakeDrop(contents); });
}

void MainWindow::WidenPathColumns(int extra) {
  for (int column = 0; column < kJobColumnCount; ++column) jobView_->setColumnWidth(column, kColumnWidths[column]);
  jobView_->setColumnWidth(kColumnSource, kColumnWidths[kColumnSource] + extra / 2);
  jobView_->setColumnWidth(kColumnTarget, kColumnWidths[kColumnTarget] + extra - extra / 2);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Wider than at start, the paths get the room; at the starting size every
  // width is the fixed one. Before the first show the size is not yet the
  // user's.
  if (shown_) WidenPathColumns(std::max(0, width() - startWidth_));
}

QAction* MainWindow::AddMenuItem(QMenu* menu, const char* name, const QString& caption, void (MainWindow::*handler)()) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromLatin1(name));
  if (handler) connect(item, &QAction::triggered, this, handler);
  return item;
}

void MainWindow::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("menuBar"));

  startAction_ = bar->addAction(QStringLiteral("&Start"));
  startAction_->setObjectName(QStringLiteral("startAction"));
  connect(startAction_, &QAction::triggered, this, &MainWindow::StartBatch);
  stopAction_ = bar->addAction(QStringLiteral("Stop"));
  stopAction_->setObjectName(QStringLiteral("stopAction"));
  connect(stopAction_, &QAction::triggered, this, &MainWindow::StopBatch);

  listMenu_ = bar->addMenu(QStringLiteral("&Liste"));
  listMenu_->setObjectName(QStringLiteral("listMenu"));
  AddMenuItem(listMenu_, "newListAction", QStringLiteral("Neu"), &MainWindow::NewList)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  AddMenuItem(listMenu_, "openListAction", QStringLiteral("Öffnen..."), &MainWindow::OpenList)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  AddMenuItem(listMenu_, "saveListAction", QStringLiteral("Speichern"), &MainWindow::SaveList)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  AddMenuItem(listMenu_, "saveListAsAction", QStringLiteral("Speichern unter..."), &MainWindow::SaveListAs)
      ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  // Shown only while the remembering is on.
  recentMenu_ = listMenu_->addMenu(QStringLiteral("Zuletzt geöffnet"));
  recentMenu_->setObjectName(QStringLiteral("recentMenu"));
  recentMenu_->menuAction()->setVisible(false);
  listMenu_->addSeparator()->setObjectName(QStringLiteral("listSeparator"));
  AddMenuItem(listMenu_, "quitAction", QStringLiteral("Beenden"), &MainWindow::Quit);

  editMenu_ = bar->addMenu(QStringLiteral("&Editieren"));
  editMenu_->setObjectName(QStringLiteral("editMenu"));
  AddMenuItem(editMenu_, "resetAllJobsAction", QStringLiteral("Alle zurück setzen (als unbearbeitet markieren)"),
              &MainWindow::ResetAllJobs);
  AddMenuItem(editMenu_, "deleteConvertedJobsAction", QStringLiteral("Abgearbeitete Einträge löschen"),
              &MainWindow::DeleteConvertedJobs);
  editMenu_->addSeparator()->setObjectName(QStringLiteral("editSeparator"));
  AddMenuItem(editMenu_, "addIselFilesAction", QStringLiteral("Isel-Datei(en) hinzufügen \"Add\""),
              &MainWindow::AddIselFiles);
  // Behind the standing items, which keep their places.
  editMenu_->addSeparator()->setObjectName(QStringLiteral("previewSeparator"));
  AddMenuItem(editMenu_, "previewAction", QStringLiteral("Vorschau..."), &MainWindow::PreviewSelectedRow);
  AddMenuItem(editMenu_, "rederiveTargetsAction", QStringLiteral("Ziele neu bilden"), &MainWindow::RederiveTargets);

  settingsMenu_ = bar->addMenu(QStringLiteral("Einstellungen"));
  settingsMenu_->setObjectName(QStringLiteral("settingsMenu"));
  QMenu* cncMenu = settingsMenu_->addMenu(QStringLiteral("CNC-DIN-Code"));
  cncMenu->setObjectName(QStringLiteral("cncMenu"));
  cncOutputAction_ = AddMenuItem(cncMenu, "cncOutputAction", QStringLiteral("CNC-DIN-Code erstellen"), nullptr);
  cncOutputAction_->setCheckable(true);
  connect(cncOutputAction_, &QAction::triggered, this, [this] { ToggleCncOutput(cncOutputAction_); });
  AddMenuItem(cncMenu, "settingsDialogAction", QStringLiteral("Einstellungen"), &MainWindow::ShowSettingsDialog);

  QMenu* dxfMenu = settingsMenu_->addMenu(QStringLiteral("DXF"));
  dxfMenu->setObjectName(QStringLiteral("dxfMenu"));
  dxfOutputAction_ = AddMenuItem(dxfMenu, "dxfOutputAction", QStringLiteral("DXF-Datein erzeugen"), nullptr);
  dxfOutputAction_->setCheckable(true);
  connect(dxfOutputAction_, &QAction::triggered, this, [this] { ToggleDxfOutput(dxfOutputAction_); });
  linesAndArcsAction_ =
      AddMenuItem(dxfMenu, "linesAndArcsAction",
                  QStringLiteral("Erstelle Geraden und Kreisbögen (evtl. offene Konturen !!!)"), nullptr);
  polylinesAction_ = AddMenuItem(dxfMenu, "polylinesAction", QStringLiteral("Erstelle 2D-Polylinien"), nullptr);
  auto* dxfStyle = new QActionGroup(this);  // drawn as radio items
  for (QAction* item : {linesAndArcsAction_, polylinesAction_}) {
    item->setCheckable(true);
    dxfStyle->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { ChooseDxfStyle(item); });
  }
  AddMenuItem(settingsMenu_, "folderDialogAction", QStringLiteral("Ordnereinstellungen..."),
              &MainWindow::ShowFolderDialog);
  AddMenuItem(settingsMenu_, "watchedFoldersAction", QStringLiteral("Überwachte Ordner..."),
              &MainWindow::ShowWatchedFoldersDialog);
  outputCheck_ = new OutputCheckMenu(settingsMenu_, fs_);
  rememberAction_ = AddMenuItem(settingsMenu_, "rememberAction", QStringLiteral("Ordner und Fenster merken"),
                                &MainWindow::ToggleRemember);
  rememberAction_->setCheckable(true);

  QMenu* helpMenu = bar->addMenu(QStringLiteral("&Hilfe"));
  helpMenu->setObjectName(QStringLiteral("helpMenu"));
  AddMenuItem(helpMenu, "shortDescriptionAction", QStringLiteral("Kurzbeschreibung"), &MainWindow::ShowShortDescription)
      ->setShortcut(QKeySequence(Qt::Key_F1));
  AddMenuItem(helpMenu, "aboutAction", QStringLiteral("Info"), &MainWindow::ShowAboutDialog);
}

}  // namespace morvatex
