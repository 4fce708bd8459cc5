// The widgets and the menu of the main window.
#include <QAction>
#include <QActionGroup>
#include <QFrame>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include "gui/BatchProgress.h"
#include "gui/ClickableImage.h"
#include "gui/JobTableModel.h"
#include "gui/TableDrop.h"
#include "gui/MainWindow.h"

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

void TForm1::BaueFenster() {
  // The standard dialog font at 8 points, for which the column widths are made.
  QFont dialogFont = font();
  dialogFont.setPointSize(8);
  setFont(dialogFont);

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  QFrame* panel3 = Panel("Panel3", central);
  panel3->setFixedHeight(41);
  const QColor green(0, 192, 0);
  const BildFarben addColours{Qt::red, green, Qt::yellow, Qt::red};
  image1_ = new ClickableImage(QStringLiteral("Add"), QSize(46, 25), addColours, panel3);
  image2_ = new ClickableImage(QStringLiteral("Convert"), QSize(77, 25), addColours, panel3);
  image3_ = new ClickableImage(QStringLiteral("Stop"), QSize(49, 25), {Qt::yellow, Qt::red, green, green}, panel3);
  image1_->setObjectName(QStringLiteral("Image1"));
  image2_->setObjectName(QStringLiteral("Image2"));
  image3_->setObjectName(QStringLiteral("Image3"));
  image1_->move(8, 8);
  image2_->move(image1_->geometry().right() + 9, 8);
  image3_->move(image2_->geometry().right() + 9, 8);
  connect(image1_, &ClickableImage::clicked, this, &TForm1::KTXDateihinzufgen1Click);
  connect(image2_, &ClickableImage::clicked, this, &TForm1::Start1Click);
  connect(image3_, &ClickableImage::clicked, this, &TForm1::Stop1Click);

  stringGrid1_ = new QTableView;
  stringGrid1_->setObjectName(QStringLiteral("StringGrid1"));
  model_ = new JobTableModel(tabelle_, this);
  stringGrid1_->setModel(model_);
  stringGrid1_->setSelectionMode(QAbstractItemView::SingleSelection);
  stringGrid1_->setSelectionBehavior(QAbstractItemView::SelectItems);
  stringGrid1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  stringGrid1_->setTabKeyNavigation(false);
  stringGrid1_->setWordWrap(false);
  stringGrid1_->setShowGrid(true);
  stringGrid1_->verticalHeader()->hide();
  stringGrid1_->verticalHeader()->setDefaultSectionSize(stringGrid1_->fontMetrics().height() + 8);
  stringGrid1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  stringGrid1_->horizontalHeader()->setHighlightSections(false);
  stringGrid1_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int column = 0; column < kJobColumnCount; ++column)
    stringGrid1_->setColumnWidth(column, kColumnWidths[column]);
  stringGrid1_->installEventFilter(this);
  connect(stringGrid1_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { VorschauZeigen(JobTableModel::TabellenZeile(index)); });
  QFrame* panel1 = PanelWith("Panel1", stringGrid1_, central);

  memo1_ = new QPlainTextEdit;
  memo1_->setObjectName(QStringLiteral("Memo1"));
  memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  panel4_ = PanelWith("Panel4", memo1_, central);
  panel4_->setFixedHeight(185);
  panel4_->hide();

  memo2_ = new QPlainTextEdit;
  memo2_->setObjectName(QStringLiteral("Memo2"));
  memo2_->setReadOnly(true);
  memo2_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette messageColours = memo2_->palette();
  messageColours.setColor(QPalette::Base, messageColours.color(QPalette::Button));
  messageColours.setColor(QPalette::Text, Qt::red);
  memo2_->setPalette(messageColours);
  memo2_->installEventFilter(this);
  QFrame* panel2 = PanelWith("Panel2", memo2_, central);
  panel2->setFixedHeight(108);

  layout->addWidget(panel3);
  layout->addWidget(panel1, 1);
  layout->addWidget(panel4_);
  layout->addWidget(panel2);
  setCentralWidget(central);

  // Below the panels: the progress of a batch run, in a status bar of its own
  // height that the window adds to its client area.
  fortschritt_ = new BatchFortschritt(statusBar());
  new TabellenAblage(stringGrid1_, [this] { return laufAktiv_; }, [this](const Ablage& ablage) { Abgelegt(ablage); });
}

QAction* TForm1::Menuepunkt(QMenu* menu, const char* name, const QString& caption, void (TForm1::*handler)()) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromLatin1(name));
  if (handler) connect(item, &QAction::triggered, this, handler);
  return item;
}

void TForm1::BaueMenue() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  start1_ = bar->addAction(QStringLiteral("&Start"));
  start1_->setObjectName(QStringLiteral("Start1"));
  connect(start1_, &QAction::triggered, this, &TForm1::Start1Click);
  stop1_ = bar->addAction(QStringLiteral("Stop"));
  stop1_->setObjectName(QStringLiteral("Stop1"));
  connect(stop1_, &QAction::triggered, this, &TForm1::Stop1Click);

  liste1_ = bar->addMenu(QStringLiteral("&Liste"));
  liste1_->setObjectName(QStringLiteral("Liste1"));
  Menuepunkt(liste1_, "Neu1", QStringLiteral("Neu"), &TForm1::Neu1Click);
  Menuepunkt(liste1_, "ffnen1", QStringLiteral("Öffnen..."), &TForm1::ffnen1Click);
  Menuepunkt(liste1_, "Speichern1", QStringLiteral("Speichern"), &TForm1::Speichern1Click);
  Menuepunkt(liste1_, "Speichernunter1", QStringLiteral("Speichern unter..."), &TForm1::Speichernunter1Click);
  liste1_->addSeparator()->setObjectName(QStringLiteral("N2"));
  Menuepunkt(liste1_, "Beenden1", QStringLiteral("Beenden"), &TForm1::Beenden1Click);

  editieren1_ = bar->addMenu(QStringLiteral("&Editieren"));
  editieren1_->setObjectName(QStringLiteral("Editieren1"));
  Menuepunkt(editieren1_, "Allezurcksetzen1", QStringLiteral("Alle zurück setzen (als unbearbeitet markieren)"),
             &TForm1::Allezurcksetzen1Click);
  Menuepunkt(editieren1_, "AbgearbeiteteEintrgelschen1", QStringLiteral("Abgearbeitete Einträge löschen"),
             &TForm1::AbgearbeiteteEintrgelschen1Click);
  editieren1_->addSeparator()->setObjectName(QStringLiteral("N1"));
  Menuepunkt(editieren1_, "KTXDateihinzufgen1", QStringLiteral("Isel-Datei(en) hinzufügen \"Add\""),
             &TForm1::KTXDateihinzufgen1Click);
  // Behind the standing items, which keep their places.
  editieren1_->addSeparator()->setObjectName(QStringLiteral("N3"));
  Menuepunkt(editieren1_, "Vorschau1", QStringLiteral("Vorschau..."), &TForm1::Vorschau1Click);

  einstellungen1_ = bar->addMenu(QStringLiteral("Einstellungen"));
  einstellungen1_->setObjectName(QStringLiteral("Einstellungen1"));
  QMenu* cncDinCode1 = einstellungen1_->addMenu(QStringLiteral("CNC-DIN-Code"));
  cncDinCode1->setObjectName(QStringLiteral("CNCDINCode1"));
  cncDinCodeErstellen1_ = Menuepunkt(cncDinCode1, "CNCDINCodeerstellen1", QStringLiteral("CNC-DIN-Code erstellen"), nullptr);
  cncDinCodeErstellen1_->setCheckable(true);
  connect(cncDinCodeErstellen1_, &QAction::triggered, this, [this] { CNCDINCodeerstellen1Click(cncDinCodeErstellen1_); });
  Menuepunkt(cncDinCode1, "Einstellungen2", QStringLiteral("Einstellungen"), &TForm1::Einstellungen2Click);

  QMenu* dxf1 = einstellungen1_->addMenu(QStringLiteral("DXF"));
  dxf1->setObjectName(QStringLiteral("DXF1"));
  dxfDateinErzeugen1_ = Menuepunkt(dxf1, "DXFDateinerzeugen1", QStringLiteral("DXF-Datein erzeugen"), nullptr);
  dxfDateinErzeugen1_->setCheckable(true);
  connect(dxfDateinErzeugen1_, &QAction::triggered, this, [this] { DXFDateinerzeugen1Click(dxfDateinErzeugen1_); });
  geradenUndKreisboegen1_ = Menuepunkt(dxf1, "ErstelleGeradenundKreisbgenevtloffeneKonturen1",
                                       QStringLiteral("Erstelle Geraden und Kreisbögen (evtl. offene Konturen !!!)"),
                                       nullptr);
  erstelle2DPolylinien1_ = Menuepunkt(dxf1, "Erstelle2DPolylinien1", QStringLiteral("Erstelle 2D-Polylinien"), nullptr);
  auto* dxfStyle = new QActionGroup(this);  // drawn as radio items
  for (QAction* item : {geradenUndKreisboegen1_, erstelle2DPolylinien1_}) {
    item->setCheckable(true);
    dxfStyle->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { Erstelle2DPolylinien1Click(item); });
  }
  Menuepunkt(einstellungen1_, "Ordnereinstellungen", QStringLiteral("Ordnereinstellungen..."),
             &TForm1::OrdnereinstellungenClick);

  QMenu* hilfe1 = bar->addMenu(QStringLiteral("&Hilfe"));
  hilfe1->setObjectName(QStringLiteral("Hilfe1"));
  Menuepunkt(hilfe1, "Kurzbeschreibung1", QStringLiteral("Kurzbeschreibung"), &TForm1::Kurzbeschreibung1Click);
  Menuepunkt(hilfe1, "Info1", QStringLiteral("Info"), &TForm1::Info1Click);
}

}  // namespace morvatex
