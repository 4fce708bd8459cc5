// The widgets and the menus of the settings dialog.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "gui/DialogFont.h"
#include "gui/LabeledEdit.h"
#include "gui/SettingsDialog.h"
#include "gui/WheelToPage.h"
#include "qttext/QtText.h"

namespace morvatex {
namespace {

constexpr int kClientWidth = 753;
constexpr int kClientHeight = 471;
constexpr int kToolColumnWidth = 40;

// Refuses typed characters that the settings file (Windows-1252) cannot hold.
class Cp1252Validator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override { return ToCp1252(input) ? Acceptable : Invalid; }
};

// Shows every character of the access code as "*".
class AsteriskStyle final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);  // Enter in an edit field applies nothing
  return button;
}

// The black square that marks a line without block number.
QWidget* MakeMarker(QWidget* parent) {
  auto* marker = new QWidget(parent);
  marker->setFixedSize(8, 8);
  marker->setAutoFillBackground(true);
  QPalette palette = marker->palette();
  palette.setColor(QPalette::Window, Qt::black);
  marker->setPalette(palette);
  return marker;
}

const QString kSpecialLineHint = QStringLiteral("Dies ist eine Sonderzeile und erhält KEINE Satznummer");

// Each group lays its controls out in a grid of four columns.
QGridLayout* MakeGrid(QGroupBox* group) {
  auto* layout = new QGridLayout(group);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(4);
  for (int column = 0; column < 4; ++column) layout->setColumnStretch(column, 1);
  return layout;
}

// The labelled field around `edit`: that, not the edit, goes into a layout.
QWidget* FieldOf(QLineEdit* edit) { return edit->parentWidget(); }

// The small yellow bar in the top left corner of `dialog`, `top` below its
// upper edge, over everything else.
void AddYellowMark(QWidget* dialog, int top) {
  auto* yellowMark = new QWidget(dialog);
  yellowMark->setObjectName(QStringLiteral("yellowMark"));
  yellowMark->setAutoFillBackground(true);
  QPalette yellow = yellowMark->palette();
  yellow.setColor(QPalette::Window, Qt::yellow);
  yellowMark->setPalette(yellow);
  yellowMark->setGeometry(0, top, 24, 4);
  yellowMark->raise();
}

}  // namespace

QGroupBox* SettingsDialog::AddGroup(const QString& caption) {
  auto* group = new QGroupBox(caption, content_);
  content_->layout()->addWidget(group);
  return group;
}

QLineEdit* SettingsDialog::AddField(const char* setting, const QString& caption, const char* objectName) {
  auto* field = new LabeledEdit(caption, content_);
  field->setObjectName(objectName ? QString::fromLatin1(objectName)
                                  : QStringLiteral("edit") + QString::fromLatin1(setting));
  field->Edit()->setValidator(new Cp1252Validator(field->Edit()));
  if (caption.isEmpty()) field->Label()->hide();
  edits_.insert(QString::fromLatin1(setting), field->Edit());
  return field->Edit();
}

QCheckBox* SettingsDialog::CheckBoxFor(const char* setting, const QString& caption) {
  auto* check = new QCheckBox(caption, content_);
  check->setObjectName(QStringLiteral("check") + QString::fromLatin1(setting));
  checks_.insert(QString::fromLatin1(setting), check);
  return check;
}

void SettingsDialog::BuildWidgets() {
  setObjectName(QStringLiteral("settingsDialog"));
  setWindowTitle(QStringLiteral("CNC-DIN-Code-Einstellungen"));
  setModal(true);
  setFont(DialogFont(font()));

  auto* bar = new QMenuBar(this);
  BuildMenu(bar);
  BuildScrollArea();
  QVBoxLayout* column = BuildSideColumn();

  auto* layout = new QHBoxLayout(this);
  layout->setMenuBar(bar);
  layout->setContentsMargins(4, 6, 8, 5);
  layout->setSpacing(8);
  layout->addWidget(scrollArea_, 0, Qt::AlignTop);
  layout->addLayout(column);
  setFixedSize(kClientWidth, kClientHeight + bar->sizeHint().height());
  AddYellowMark(this, bar->sizeHint().height());
}

void SettingsDialog::BuildScrollArea() {
  scrollArea_ = new QScrollArea(this);
  scrollArea_->setObjectName(QStringLiteral("scrollArea"));
  scrollArea_->setFixedSize(608, 460);
  scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scrollArea_->setFocusPolicy(Qt::NoFocus);
  scrollArea_->setWidgetResizable(true);
  content_ = new QWidget;
  auto* groups = new QVBoxLayout(content_);
  groups->setContentsMargins(4, 4, 4, 4);

  // The order of the calls is the order of the groups on screen and the
  // tab order of their controls.
  BuildTargetFileGroup();
  BuildSpecialHandlingGroup();
  BuildDialectGroup();
  BuildBlockNumberGroup();
  BuildFormatGroup();
  BuildSpeedFeedFormatGroup();
  BuildCoordinateGroup();
  BuildValueOutputGroup();
  BuildModalGroup();
  BuildBlockLayoutGroup();
  BuildCodeGroup();
  BuildToolGroup();
  BuildIselCodeGroup();
  BuildSpecialCaseGroup();

  // Two empty groups close the area.
  for (int i = 0; i < 2; ++i) AddGroup(QString())->setFixedHeight(12);
  scrollArea_->setWidget(content_);
}

void SettingsDialog::BuildTargetFileGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Zieldatei:")));
  g->addWidget(FieldOf(AddField("Dateinamenerweiterung", QStringLiteral("Dateinamenerweiterung"))), 0, 0);
}

void SettingsDialog::BuildSpecialHandlingGroup() {
  QGroupBox* specialBox = AddGroup(QStringLiteral("Sonderbehandlung für:"));
  specialBox->setObjectName(QStringLiteral("specialHandlingBox"));
  QGridLayout* g = MakeGrid(specialBox);
  specialHandlingButtons_ = new QButtonGroup(this);
  const QString items[] = {QStringLiteral("keine"), QStringLiteral("SCM Xilog")};
  for (int item = 0; item < 2; ++item) {
    auto* radio = new QRadioButton(items[item], specialBox);
    specialHandlingButtons_->addButton(radio, item);
    g->addWidget(radio, 0, item);
  }
}

void SettingsDialog::BuildDialectGroup() {
  QGroupBox* dialectBox = AddGroup(QStringLiteral("Isel-Sprache:"));
  dialectBox->setObjectName(QStringLiteral("dialectBox"));
  QGridLayout* g = MakeGrid(dialectBox);
  dialectButtons_ = new QButtonGroup(this);
  const std::pair<const char*, QString> items[] = {
      {"dialectOriginal", QStringLiteral("Original")},
      {"dialectExtended", QStringLiteral("Erweitert")},
  };
  const QString hints[] = {
      QStringLiteral("Ein Befehl am Anfang jeder Zeile, wie Isels eigene Programme schreiben"),
      QStringLiteral("Liest auch, was CAM-Postprozessoren schreiben: Leerzeichen vor dem Befehl, "
                     "Helix, Bögen in XZ und YZ, Bohrzyklen, Verweilzeiten, Nullpunkte"),
  };
  for (int item = 0; item < 2; ++item) {
    auto* radio = new QRadioButton(items[item].second, dialectBox);
    radio->setObjectName(QString::fromLatin1(items[item].first));
    radio->setToolTip(hints[item]);
    dialectButtons_->addButton(radio, item);
    g->addWidget(radio, 0, item);
  }
  dialectButtons_->button(0)->setChecked(true);
}

void SettingsDialog::BuildBlockNumberGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Satznummerierung:")));
  g->addWidget(CheckBoxFor("Satznummerierung", QStringLiteral("Aktiv")), 0, 0, Qt::AlignBottom);
  g->addWidget(FieldOf(AddField("_N", QStringLiteral("Kennung (N)"))), 0, 1);
  g->addWidget(FieldOf(AddField("ErsterSatz", QStringLiteral("Erste Satznummer"), "editErsterSatz")), 0, 2);
  g->addWidget(FieldOf(AddField("SatznummernIncrement", QStringLiteral("Increment"), "editSatznummernIncrement")), 0,
               3);
}

void SettingsDialog::BuildFormatGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Format:")));
  g->addWidget(FieldOf(AddField("ZeichenWertzuweisung", QStringLiteral("Zeichen f. Wertzuweisungen (:,=,..)"))), 0, 0,
               1, 2);
  g->addWidget(FieldOf(AddField("Nachkommastellen", QStringLiteral("Nachkommastellen Geometrie (0..6)"))), 0, 2, 1, 2);
  // The header and trailer lines span the group, each behind a narrow
  // column that holds the markers of the lines without block number.
  auto* lines = new QGridLayout;
  lines->setVerticalSpacing(2);
  lines->setColumnMinimumWidth(0, 10);
  const char* const headerNames[] = {"Vorspann1", "Vorspann2", "Vorspann3", "Vorspann4", "Vorspann5", "Vorspann6"};
  const char* const trailerNames[] = {"Nachspann1", "Nachspann2", "Nachspann3"};
  int row = 0;
  for (const char* name : headerNames) {
    lines->addWidget(FieldOf(AddField(name, row == 0 ? QStringLiteral("Vorspann:") : QString())), row, 1);
    ++row;
  }
  for (const char* name : trailerNames) {
    const QString caption = name == trailerNames[0] ? QStringLiteral("Nachspann:") : QString();
    lines->addWidget(FieldOf(AddField(name, caption)), row, 1);
    ++row;
  }
  for (const char* name : {"Vorspann1", "Nachspann3"})
    edits_.value(QString::fromLatin1(name))->setToolTip(kSpecialLineHint);
  lines->addWidget(MakeMarker(content_), 0, 0, Qt::AlignBottom | Qt::AlignHCenter);
  lines->addWidget(MakeMarker(content_), row - 1, 0, Qt::AlignBottom | Qt::AlignHCenter);
  g->addLayout(lines, 1, 0, 1, 4);
}

void SettingsDialog::BuildSpeedFeedFormatGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Sonderausgabeformat S, F:")));
  g->addWidget(FieldOf(AddField("FaktorSonderS", QStringLiteral("Faktor S (U/min) in ..."))), 0, 0);
  g->addWidget(FieldOf(AddField("FaktorSonderF", QStringLiteral("Faktor F (mm/min) in ..."))), 0, 1);
  factorHelpButton_ = MakeButton("factorHelpButton", QStringLiteral("?"), content_);
  factorHelpButton_->setFixedWidth(24);
  g->addWidget(factorHelpButton_, 0, 2, Qt::AlignLeft | Qt::AlignBottom);
  g->addWidget(FieldOf(AddField("NachkommastellenS", QStringLiteral("Nachkommastellen S (0..6)"))), 1, 0);
  g->addWidget(FieldOf(AddField("NachkommastellenF", QStringLiteral("Nachkommastellen F (0..6)"))), 1, 1);
  connect(factorHelpButton_, &QPushButton::clicked, this, &SettingsDialog::ShowFactorHelp);
}

void SettingsDialog::BuildCoordinateGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Koordinatenausgabe:")));
  g->addWidget(CheckBoxFor("XYZRelativ", QStringLiteral("X,Y,Z relativ")), 0, 0);
  g->addWidget(CheckBoxFor("IJKRelativ", QStringLiteral("I,J,K relativ")), 0, 1);
}

void SettingsDialog::BuildValueOutputGroup() {
  QGroupBox* valuesBox = AddGroup(QStringLiteral("Erzeuge Werte für:"));
  auto* valuesLayout = new QHBoxLayout(valuesBox);
  const std::pair<const char*, const char*> valueChecks[] = {{"ZWerte", "Z"}, {"RWerte", "R"}, {"IJWerte", "I, J"},
                                                             {"KWerte", "K"}, {"SWerte", "S"}, {"FWerte", "F"}};
  for (const auto& [setting, caption] : valueChecks)
    valuesLayout->addWidget(CheckBoxFor(setting, QString::fromLatin1(caption)));
  valuesLayout->addStretch();
}

void SettingsDialog::BuildModalGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Modal wirksam:")));
  g->addWidget(CheckBoxFor("ModaleG", QStringLiteral("G0..G3")), 0, 0);
  g->addWidget(CheckBoxFor("ModaleXYZ", QStringLiteral("X,Y,Z")), 0, 1);
  g->addWidget(CheckBoxFor("ModaleIJK", QStringLiteral("I,J,K")), 0, 2);
  auto* extra = new QHBoxLayout;
  auto* extraLabel = new QLabel(QStringLiteral("Extra"), content_);
  modalExtraBox_ = new QComboBox(content_);
  modalExtraBox_->setObjectName(QStringLiteral("modalExtraBox"));
  modalExtraBox_->addItems({QStringLiteral("0"), QStringLiteral("1")});
  extraLabel->setBuddy(modalExtraBox_);
  modalExtraHelpButton_ = MakeButton("modalExtraHelpButton", QStringLiteral("?"), content_);
  modalExtraHelpButton_->setFixedWidth(24);
  extra->addWidget(extraLabel);
  extra->addWidget(modalExtraBox_);
  extra->addWidget(modalExtraHelpButton_);
  extra->addStretch();
  g->addLayout(extra, 0, 3);
  connect(modalExtraHelpButton_, &QPushButton::clicked, this, &SettingsDialog::ShowModalExtraHelp);
}

void SettingsDialog::BuildBlockLayoutGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Satzaufbau:")));
  g->addWidget(CheckBoxFor("OrdneFZuG0_3", QStringLiteral("ordne F.. zu G0..G3 ")), 0, 0, 1, 2);
  // Shown only as the stored values; the user cannot reach them.
  CheckBoxFor("OrdneSZuG0_3", QStringLiteral("ordne S.. zu G0..G3 "))->hide();
  CheckBoxFor("OrdneSpLiReEinZuG0_3", QStringLiteral("ordne Spindel-Li,-Re,-Ein. zu G0..G3 "))->hide();
}

void SettingsDialog::BuildCodeGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Code-Deffinition:")));
  const std::pair<const char*, const char*> codes[] = {
      {"_F", "F / Vorschub"},
      {"_S", "S / Spindeldrehzahl"},
      {"_G0", "G0 / Eilgang"},
      {"_G1", "G1 / Geradeniterpolation"},
      {"_G2", "G2 / Kreisbogeninterpolation UZ"},
      {"_G3", "G3 / Kreisbogeninterpolation GUZ"},
      {"_X", "X"},
      {"_Y", "Y"},
      {"_Z", "Z"},
      {"_I", "I"},
      {"_J", "J"},
      {"_K", "K"},
      {"_R", "R / Radius"},
  };
  // F and S, then the G codes two to a row (their captions are long), then
  // the addresses four to a row.
  int index = 0;
  for (const auto& [setting, caption] : codes) {
    QWidget* field = FieldOf(AddField(setting, QString::fromLatin1(caption)));
    if (index < 6)
      g->addWidget(field, index / 2, (index % 2) * 2, 1, 2);
    else
      g->addWidget(field, 3 + (index - 6) / 4, (index - 6) % 4);
    ++index;
  }
}

void SettingsDialog::BuildToolGroup() {
  QGroupBox* toolBox = AddGroup(QStringLiteral("Werkzeug:"));
  QGridLayout* g = MakeGrid(toolBox);
  auto* toolMapLabel = new QLabel(QStringLiteral("Werkzeugzuordnung:"), toolBox);
  // The captions "Isel:" and "Din:" are the row headers, so that they stay
  // in view while the tool columns scroll; the row of Isel tool numbers is
  // fixed as well.
  toolGrid_ = new QTableWidget(2, static_cast<int>(kToolCount), toolBox);
  toolGrid_->setObjectName(QStringLiteral("toolGrid"));
  toolMapLabel->setBuddy(toolGrid_);
  toolGrid_->horizontalHeader()->hide();
  toolGrid_->setVerticalHeaderLabels({QStringLiteral("Isel:"), QStringLiteral("Din:")});
  toolGrid_->verticalHeader()->setFixedWidth(kToolColumnWidth);
  toolGrid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  toolGrid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  toolGrid_->horizontalHeader()->setDefaultSectionSize(kToolColumnWidth);
  toolGrid_->verticalHeader()->setDefaultSectionSize(20);
  toolGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  toolGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  toolGrid_->setFixedHeight(2 * 20 + toolGrid_->horizontalScrollBar()->sizeHint().height() +
                            2 * toolGrid_->frameWidth());
  for (int n = 0; n < static_cast<int>(kToolCount); ++n) {
    auto* number = new QTableWidgetItem(QString::number(n));
    number->setFlags(Qt::ItemIsEnabled);  // not editable, on the button colour
    number->setBackground(palette().button());
    toolGrid_->setItem(0, n, number);
    toolGrid_->setItem(1, n, new QTableWidgetItem);
  }
  // The page scrolls on over the table (the table sideways with Shift).
  if (scrollArea_ != nullptr) new WheelToPage(toolGrid_, scrollArea_);
  g->addWidget(toolMapLabel, 0, 0, 1, 4);
  g->addWidget(toolGrid_, 1, 0, 1, 4);
  g->addWidget(FieldOf(AddField("Werkzeugwechsel1", QStringLiteral("Werkzeugwechsel"))), 2, 0, 1, 2);
  g->addWidget(FieldOf(AddField("Werkzeugwechsel2", QStringLiteral("(? ist die variable"))), 3, 0, 1, 2);
  g->addWidget(FieldOf(AddField("Werkzeugwechsel3", QStringLiteral("T-Nummer)"))), 4, 0, 1, 2);
}

void SettingsDialog::BuildIselCodeGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Übersetzung von Isel-Codes:")));
  g->addWidget(FieldOf(AddField("G17", QStringLiteral("PLAN XY"))), 0, 0);
  g->addWidget(FieldOf(AddField("Halt", QStringLiteral("HALT"))), 0, 1);
  g->addWidget(FieldOf(AddField("SpindelEin", QStringLiteral("Spindel Ein"))), 1, 0);
  g->addWidget(FieldOf(AddField("SpindelAus", QStringLiteral("Spindel Aus"))), 1, 1);
  g->addWidget(FieldOf(AddField("SpindelLinkslauf", QStringLiteral("Linkslauf"))), 1, 2);
  g->addWidget(FieldOf(AddField("SpindelRechtslauf", QStringLiteral("Rechtslauf"))), 1, 3);
  g->addWidget(FieldOf(AddField("KuehlungEin", QStringLiteral("Kühlung Ein"))), 2, 0);
  g->addWidget(FieldOf(AddField("KuehlungAus", QStringLiteral("Kühlung Aus"))), 2, 1);
}

void SettingsDialog::BuildSpecialCaseGroup() {
  QGridLayout* g = MakeGrid(AddGroup(QStringLiteral("Sonderfälle:")));
  g->addWidget(FieldOf(AddField("ZGrenze", QStringLiteral("Z-Grenze (mm)"))), 0, 0);
  g->addWidget(FieldOf(AddField("VorUnterschreitenDerZGrenze", QStringLiteral("Vor Unterschreiten d. Z-Grenze (-)"))),
               1, 0, 1, 2);
  g->addWidget(FieldOf(AddField("VorErreichenDerZGrenze", QStringLiteral("Vor Erreichen d. Z-Grenze (+)"))), 1, 2, 1,
               2);
  g->addWidget(FieldOf(AddField("VorWechselZuG0", QStringLiteral("Vor Wechsel zu G0"))), 2, 0, 1, 2);
  g->addWidget(FieldOf(AddField("VorWechselZuG123", QStringLiteral("Vor Wechsel zu G1,G2,G3"))), 2, 2, 1, 2);
}

QVBoxLayout* SettingsDialog::BuildSideColumn() {
  loadProfileButton_ = MakeButton("loadProfileButton", QStringLiteral("Profil Öffnen"), this);
  saveProfileButton_ = MakeButton("saveProfileButton", QStringLiteral("Profil Speichern unter"), this);
  auto* accessCodeLabel = new QLabel(QStringLiteral("PSW:"), this);
  accessCodeEdit_ = new QLineEdit(this);
  accessCodeEdit_->setObjectName(QStringLiteral("accessCodeEdit"));
  auto* asteriskStyle = new AsteriskStyle;
  asteriskStyle->setParent(accessCodeEdit_);
  accessCodeEdit_->setStyle(asteriskStyle);
  accessCodeEdit_->setEchoMode(QLineEdit::Password);
  accessCodeLabel->setBuddy(accessCodeEdit_);
  applyButton_ = MakeButton("applyButton", QStringLiteral("Übernehmen"), this);
  closeButton_ = MakeButton("closeButton", QStringLiteral("Schließen"), this);
  cancelButton_ = MakeButton("cancelButton", QStringLiteral("Abbrechen"), this);

  auto* column = new QVBoxLayout;
  column->addWidget(loadProfileButton_);
  column->addWidget(saveProfileButton_);
  column->addSpacing(24);
  column->addWidget(accessCodeLabel);
  column->addWidget(accessCodeEdit_);
  column->addSpacing(8);
  column->addWidget(applyButton_);
  column->addStretch();
  column->addWidget(closeButton_);
  column->addWidget(cancelButton_);

  connect(applyButton_, &QPushButton::clicked, this, &SettingsDialog::ApplyInput);
  connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);  // CloseDialog
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(loadProfileButton_, &QPushButton::clicked, this, &SettingsDialog::OpenProfileFile);
  connect(saveProfileButton_, &QPushButton::clicked, this, &SettingsDialog::SaveProfileFileAs);
  return column;
}

void SettingsDialog::BuildMenu(QMenuBar* bar) {
  const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (SettingsDialog::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
  };
  QMenu* dataMenu = bar->addMenu(QStringLiteral("Daten"));
  dataMenu->setObjectName(QStringLiteral("dataMenu"));
  QMenu* toolTableMenu = dataMenu->addMenu(QStringLiteral("Werkzeugtabelle"));
  toolTableMenu->setObjectName(QStringLiteral("toolTableMenu"));
  item(toolTableMenu, "fillToolTableOneToOneAction", QStringLiteral("Befülle 1:1"),
       &SettingsDialog::FillToolTableOneToOne);
  item(toolTableMenu, "copyToolZeroToAllCellsAction", QStringLiteral("Kopiere T0 auf alle"),
       &SettingsDialog::CopyToolZeroToAllCells);
  dataMenu->addSeparator();
  item(dataMenu, "clearProfileControlsAction", QStringLiteral("Lösche"), &SettingsDialog::ClearProfileControls);
  QMenu* machineMenu = dataMenu->addMenu(QStringLiteral("Maschine / Zielsystem (Standardwerte)"));
  machineMenu->setObjectName(QStringLiteral("machineMenu"));
  item(machineMenu, "generalPresetAction", QStringLiteral("Allgemein"), &SettingsDialog::FillGeneralPreset);
  machineMenu->addSeparator();
  item(machineMenu, "xilogPresetAction", QStringLiteral("SCM / Xilog"), &SettingsDialog::FillXilogPreset);
  item(machineMenu, "mach3PresetAction", QStringLiteral("Mach3"), &SettingsDialog::FillMach3Preset);
  QAction* helpMenu = bar->addAction(QStringLiteral("Hilfe"));
  helpMenu->setObjectName(QStringLiteral("helpMenu"));
  connect(helpMenu, &QAction::triggered, this, &SettingsDialog::ShowHelp);
}

}  // namespace morvatex
