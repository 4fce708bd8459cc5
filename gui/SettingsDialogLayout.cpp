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
#include <QValidator>
#include <QVBoxLayout>

#include "gui/LabeledEdit.h"
#include "paint/QtText.h"
#include "gui/SettingsDialog.h"

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
class SternchenStil final : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

QPushButton* Knopf(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);  // Enter in an edit field applies nothing
  return button;
}

// The black square that marks a line without block number.
QWidget* Markierung(QWidget* parent) {
  auto* marker = new QWidget(parent);
  marker->setFixedSize(8, 8);
  marker->setAutoFillBackground(true);
  QPalette palette = marker->palette();
  palette.setColor(QPalette::Window, Qt::black);
  marker->setPalette(palette);
  return marker;
}

const QString kSonderzeile = QStringLiteral("Dies ist eine Sonderzeile und erhält KEINE Satznummer");

}  // namespace

QGroupBox* TCNCEinstellungen::Gruppe(const QString& caption) {
  auto* group = new QGroupBox(caption, inhalt_);
  inhalt_->layout()->addWidget(group);
  return group;
}

QLineEdit* TCNCEinstellungen::Feld(const char* setting, const QString& caption, const char* objectName) {
  auto* field = new LabeledEdit(caption, inhalt_);
  field->setObjectName(objectName ? QString::fromLatin1(objectName)
                                  : QStringLiteral("LabeledEdit") + QString::fromLatin1(setting));
  field->edit()->setValidator(new Cp1252Validator(field->edit()));
  if (caption.isEmpty()) field->label()->hide();
  edits_.insert(QString::fromLatin1(setting), field->edit());
  return field->edit();
}

QCheckBox* TCNCEinstellungen::Haken(const char* setting, const QString& caption) {
  auto* check = new QCheckBox(caption, inhalt_);
  check->setObjectName(QStringLiteral("CheckBox") + QString::fromLatin1(setting));
  checks_.insert(QString::fromLatin1(setting), check);
  return check;
}

void TCNCEinstellungen::BaueFenster() {
  setObjectName(QStringLiteral("CNCEinstellungen"));
  setWindowTitle(QStringLiteral("CNC-DIN-Code-Einstellungen"));
  setModal(true);
  QFont dialogFont = font();
  dialogFont.setPointSize(8);
  setFont(dialogFont);

  auto* bar = new QMenuBar(this);
  BaueMenue(bar);

  scrollBox_ = new QScrollArea(this);
  scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
  scrollBox_->setFixedSize(608, 460);
  scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scrollBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  scrollBox_->setFocusPolicy(Qt::NoFocus);
  scrollBox_->setWidgetResizable(true);
  inhalt_ = new QWidget;
  auto* groups = new QVBoxLayout(inhalt_);
  groups->setContentsMargins(4, 4, 4, 4);

  // Each group lays its controls out in a grid of four columns.
  const auto grid = [](QGroupBox* group) {
    auto* layout = new QGridLayout(group);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(4);
    for (int column = 0; column < 4; ++column) layout->setColumnStretch(column, 1);
    return layout;
  };
  const auto parent = [](QLineEdit* edit) { return edit->parentWidget(); };

  QGridLayout* g = grid(Gruppe(QStringLiteral("Zieldatei:")));
  g->addWidget(parent(Feld("Dateinamenerweiterung", QStringLiteral("Dateinamenerweiterung"))), 0, 0);

  QGroupBox* sonder = Gruppe(QStringLiteral("Sonderbehandlung für:"));
  sonder->setObjectName(QStringLiteral("RadioGroupSonderbehandlung"));
  g = grid(sonder);
  sonderbehandlung_ = new QButtonGroup(this);
  const QString items[] = {QStringLiteral("keine"), QStringLiteral("SCM Xilog")};
  for (int item = 0; item < 2; ++item) {
    auto* radio = new QRadioButton(items[item], sonder);
    sonderbehandlung_->addButton(radio, item);
    g->addWidget(radio, 0, item);
  }

  g = grid(Gruppe(QStringLiteral("Satznummerierung:")));
  g->addWidget(Haken("Satznummerierung", QStringLiteral("Aktiv")), 0, 0, Qt::AlignBottom);
  g->addWidget(parent(Feld("_N", QStringLiteral("Kennung (N)"))), 0, 1);
  g->addWidget(parent(Feld("ErsterSatz", QStringLiteral("Erste Satznummer"), "EditErsterSatz")), 0, 2);
  g->addWidget(parent(Feld("SatznummernIncrement", QStringLiteral("Increment"), "EditSatznummernIncrement")), 0, 3);

  g = grid(Gruppe(QStringLiteral("Format:")));
  g->addWidget(parent(Feld("ZeichenWertzuweisung", QStringLiteral("Zeichen f. Wertzuweisungen (:,=,..)"))), 0, 0, 1,
               2);
  g->addWidget(parent(Feld("Nachkommastellen", QStringLiteral("Nachkommastellen Geometrie (0..6)"))), 0, 2, 1, 2);
  // The header and trailer lines span the group, each behind a narrow
  // column that holds the markers of the lines without block number.
  auto* lines = new QGridLayout;
  lines->setVerticalSpacing(2);
  lines->setColumnMinimumWidth(0, 10);
  const char* const vorspann[] = {"Vorspann1", "Vorspann2", "Vorspann3", "Vorspann4", "Vorspann5", "Vorspann6"};
  const char* const nachspann[] = {"Nachspann1", "Nachspann2", "Nachspann3"};
  int row = 0;
  for (const char* name : vorspann)
    lines->addWidget(parent(Feld(name, row == 0 ? QStringLiteral("Vorspann:") : QString())), row, 1), ++row;
  for (const char* name : nachspann)
    lines->addWidget(parent(Feld(name, name == nachspann[0] ? QStringLiteral("Nachspann:") : QString())), row, 1), ++row;
  for (const char* name : {"Vorspann1", "Nachspann3"}) edits_.value(QString::fromLatin1(name))->setToolTip(kSonderzeile);
  lines->addWidget(Markierung(inhalt_), 0, 0, Qt::AlignBottom | Qt::AlignHCenter);
  lines->addWidget(Markierung(inhalt_), row - 1, 0, Qt::AlignBottom | Qt::AlignHCenter);
  g->addLayout(lines, 1, 0, 1, 4);

  g = grid(Gruppe(QStringLiteral("Sonderausgabeformat S, F:")));
  g->addWidget(parent(Feld("FaktorSonderS", QStringLiteral("Faktor S (U/min) in ..."))), 0, 0);
  g->addWidget(parent(Feld("FaktorSonderF", QStringLiteral("Faktor F (mm/min) in ..."))), 0, 1);
  button2_ = Knopf("Button2", QStringLiteral("?"), inhalt_);
  button2_->setFixedWidth(24);
  g->addWidget(button2_, 0, 2, Qt::AlignLeft | Qt::AlignBottom);
  g->addWidget(parent(Feld("NachkommastellenS", QStringLiteral("Nachkommastellen S (0..6)"))), 1, 0);
  g->addWidget(parent(Feld("NachkommastellenF", QStringLiteral("Nachkommastellen F (0..6)"))), 1, 1);

  g = grid(Gruppe(QStringLiteral("Koordinatenausgabe:")));
  g->addWidget(Haken("XYZRelativ", QStringLiteral("X,Y,Z relativ")), 0, 0);
  g->addWidget(Haken("IJKRelativ", QStringLiteral("I,J,K relativ")), 0, 1);

  QGroupBox* werte = Gruppe(QStringLiteral("Erzeuge Werte für:"));
  auto* werteLayout = new QHBoxLayout(werte);
  const std::pair<const char*, const char*> werteHaken[] = {{"ZWerte", "Z"},       {"RWerte", "R"},
                                                            {"IJWerte", "I, J"}, {"KWerte", "K"},
                                                            {"SWerte", "S"},       {"FWerte", "F"}};
  for (const auto& [setting, caption] : werteHaken) werteLayout->addWidget(Haken(setting, QString::fromLatin1(caption)));
  werteLayout->addStretch();

  g = grid(Gruppe(QStringLiteral("Modal wirksam:")));
  g->addWidget(Haken("ModaleG", QStringLiteral("G0..G3")), 0, 0);
  g->addWidget(Haken("ModaleXYZ", QStringLiteral("X,Y,Z")), 0, 1);
  g->addWidget(Haken("ModaleIJK", QStringLiteral("I,J,K")), 0, 2);
  auto* extra = new QHBoxLayout;
  auto* extraLabel = new QLabel(QStringLiteral("Extra"), inhalt_);
  modalExtra_ = new QComboBox(inhalt_);
  modalExtra_->setObjectName(QStringLiteral("ComboBoxModalExtra"));
  modalExtra_->addItems({QStringLiteral("0"), QStringLiteral("1")});
  extraLabel->setBuddy(modalExtra_);
  button1_ = Knopf("Button1", QStringLiteral("?"), inhalt_);
  button1_->setFixedWidth(24);
  extra->addWidget(extraLabel);
  extra->addWidget(modalExtra_);
  extra->addWidget(button1_);
  extra->addStretch();
  g->addLayout(extra, 0, 3);

  g = grid(Gruppe(QStringLiteral("Satzaufbau:")));
  g->addWidget(Haken("OrdneFZuG0_3", QStringLiteral("ordne F.. zu G0..G3 ")), 0, 0, 1, 2);
  // Shown only as the stored values; the user cannot reach them.
  Haken("OrdneSZuG0_3", QStringLiteral("ordne S.. zu G0..G3 "))->hide();
  Haken("OrdneSpLiReEinZuG0_3", QStringLiteral("ordne Spindel-Li,-Re,-Ein. zu G0..G3 "))->hide();

  g = grid(Gruppe(QStringLiteral("Code-Deffinition:")));
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
    QWidget* field = parent(Feld(setting, QString::fromLatin1(caption)));
    if (index < 6)
      g->addWidget(field, index / 2, (index % 2) * 2, 1, 2);
    else
      g->addWidget(field, 3 + (index - 6) / 4, (index - 6) % 4);
    ++index;
  }

  QGroupBox* werkzeug = Gruppe(QStringLiteral("Werkzeug:"));
  g = grid(werkzeug);
  auto* zuordnung = new QLabel(QStringLiteral("Werkzeugzuordnung:"), werkzeug);
  // The captions "Isel:" and "Din:" are the row headers, so that they stay
  // in view while the tool columns scroll; the row of Isel tool numbers is
  // fixed as well.
  werkzeuge_ = new QTableWidget(2, static_cast<int>(kToolCount), werkzeug);
  werkzeuge_->setObjectName(QStringLiteral("StringGridWerkzeuge"));
  zuordnung->setBuddy(werkzeuge_);
  werkzeuge_->horizontalHeader()->hide();
  werkzeuge_->setVerticalHeaderLabels({QStringLiteral("Isel:"), QStringLiteral("Din:")});
  werkzeuge_->verticalHeader()->setFixedWidth(kToolColumnWidth);
  werkzeuge_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  werkzeuge_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  werkzeuge_->horizontalHeader()->setDefaultSectionSize(kToolColumnWidth);
  werkzeuge_->verticalHeader()->setDefaultSectionSize(20);
  werkzeuge_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  werkzeuge_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  werkzeuge_->setFixedHeight(2 * 20 + werkzeuge_->horizontalScrollBar()->sizeHint().height() +
                             2 * werkzeuge_->frameWidth());
  for (int n = 0; n < static_cast<int>(kToolCount); ++n) {
    auto* number = new QTableWidgetItem(QString::number(n));
    number->setFlags(Qt::ItemIsEnabled);  // not editable, on the button colour
    number->setBackground(palette().button());
    werkzeuge_->setItem(0, n, number);
    werkzeuge_->setItem(1, n, new QTableWidgetItem);
  }
  g->addWidget(zuordnung, 0, 0, 1, 4);
  g->addWidget(werkzeuge_, 1, 0, 1, 4);
  g->addWidget(parent(Feld("Werkzeugwechsel1", QStringLiteral("Werkzeugwechsel"))), 2, 0, 1, 2);
  g->addWidget(parent(Feld("Werkzeugwechsel2", QStringLiteral("(? ist die variable"))), 3, 0, 1, 2);
  g->addWidget(parent(Feld("Werkzeugwechsel3", QStringLiteral("T-Nummer)"))), 4, 0, 1, 2);

  g = grid(Gruppe(QStringLiteral("Übersetzung von Isel-Codes:")));
  g->addWidget(parent(Feld("G17", QStringLiteral("PLAN XY"))), 0, 0);
  g->addWidget(parent(Feld("Halt", QStringLiteral("HALT"))), 0, 1);
  g->addWidget(parent(Feld("SpindelEin", QStringLiteral("Spindel Ein"))), 1, 0);
  g->addWidget(parent(Feld("SpindelAus", QStringLiteral("Spindel Aus"))), 1, 1);
  g->addWidget(parent(Feld("SpindelLinkslauf", QStringLiteral("Linkslauf"))), 1, 2);
  g->addWidget(parent(Feld("SpindelRechtslauf", QStringLiteral("Rechtslauf"))), 1, 3);
  g->addWidget(parent(Feld("KuehlungEin", QStringLiteral("Kühlung Ein"))), 2, 0);
  g->addWidget(parent(Feld("KuehlungAus", QStringLiteral("Kühlung Aus"))), 2, 1);

  g = grid(Gruppe(QStringLiteral("Sonderfälle:")));
  g->addWidget(parent(Feld("ZGrenze", QStringLiteral("Z-Grenze (mm)"))), 0, 0);
  g->addWidget(parent(Feld("VorUnterschreitenDerZGrenze", QStringLiteral("Vor Unterschreiten d. Z-Grenze (-)"))), 1, 0,
               1, 2);
  g->addWidget(parent(Feld("VorErreichenDerZGrenze", QStringLiteral("Vor Erreichen d. Z-Grenze (+)"))), 1, 2, 1, 2);
  g->addWidget(parent(Feld("VorWechselZuG0", QStringLiteral("Vor Wechsel zu G0"))), 2, 0, 1, 2);
  g->addWidget(parent(Feld("VorWechselZuG123", QStringLiteral("Vor Wechsel zu G1,G2,G3"))), 2, 2, 1, 2);

  // Two empty groups close the area.
  for (int i = 0; i < 2; ++i) Gruppe(QString())->setFixedHeight(12);
  scrollBox_->setWidget(inhalt_);

  // The right-hand column.
  profilLaden_ = Knopf("ButtonProfilladen", QStringLiteral("Profil Öffnen"), this);
  profilSpeichern_ = Knopf("ButtonProfilSpeichern", QStringLiteral("Profil Speichern unter"), this);
  auto* psw = new QLabel(QStringLiteral("PSW:"), this);
  passwort_ = new QLineEdit(this);
  passwort_->setObjectName(QStringLiteral("EditPasswort"));
  auto* stil = new SternchenStil;
  stil->setParent(passwort_);
  passwort_->setStyle(stil);
  passwort_->setEchoMode(QLineEdit::Password);
  psw->setBuddy(passwort_);
  uebernehmen_ = Knopf("ButtonUebernehmen", QStringLiteral("Übernehmen"), this);
  schliessen_ = Knopf("ButtonOK", QStringLiteral("Schließen"), this);
  abbrechen_ = Knopf("ButtonAbbruch", QStringLiteral("Abbrechen"), this);

  auto* column = new QVBoxLayout;
  column->addWidget(profilLaden_);
  column->addWidget(profilSpeichern_);
  column->addSpacing(24);
  column->addWidget(psw);
  column->addWidget(passwort_);
  column->addSpacing(8);
  column->addWidget(uebernehmen_);
  column->addStretch();
  column->addWidget(schliessen_);
  column->addWidget(abbrechen_);

  auto* layout = new QHBoxLayout(this);
  layout->setMenuBar(bar);
  layout->setContentsMargins(4, 6, 8, 5);
  layout->setSpacing(8);
  layout->addWidget(scrollBox_, 0, Qt::AlignTop);
  layout->addLayout(column);
  setFixedSize(kClientWidth, kClientHeight + bar->sizeHint().height());

  // The small yellow bar in the top left corner, over everything else.
  auto* gelb = new QWidget(this);
  gelb->setObjectName(QStringLiteral("Shape1"));
  gelb->setAutoFillBackground(true);
  QPalette yellow = gelb->palette();
  yellow.setColor(QPalette::Window, Qt::yellow);
  gelb->setPalette(yellow);
  gelb->setGeometry(0, bar->sizeHint().height(), 24, 4);
  gelb->raise();

  connect(uebernehmen_, &QPushButton::clicked, this, &TCNCEinstellungen::ButtonUebernehmenClick);
  connect(schliessen_, &QPushButton::clicked, this, &QDialog::accept);  // ButtonOKClick
  connect(abbrechen_, &QPushButton::clicked, this, &QDialog::reject);
  connect(profilLaden_, &QPushButton::clicked, this, &TCNCEinstellungen::ButtonProfilladenClick);
  connect(profilSpeichern_, &QPushButton::clicked, this, &TCNCEinstellungen::ButtonProfilSpeichernClick);
  connect(button1_, &QPushButton::clicked, this, &TCNCEinstellungen::Button1Click);
  connect(button2_, &QPushButton::clicked, this, &TCNCEinstellungen::Button2Click);
}

void TCNCEinstellungen::BaueMenue(QMenuBar* bar) {
  const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (TCNCEinstellungen::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, handler);
  };
  QMenu* daten1 = bar->addMenu(QStringLiteral("Daten"));
  daten1->setObjectName(QStringLiteral("Daten1"));
  QMenu* werkzeugtabelle1 = daten1->addMenu(QStringLiteral("Werkzeugtabelle"));
  werkzeugtabelle1->setObjectName(QStringLiteral("Werkzeugtabelle1"));
  item(werkzeugtabelle1, "Beflle111", QStringLiteral("Befülle 1:1"), &TCNCEinstellungen::Beflle111Click);
  item(werkzeugtabelle1, "kopiereT0aufalle1", QStringLiteral("Kopiere T0 auf alle"),
       &TCNCEinstellungen::kopiereT0aufalle1Click);
  daten1->addSeparator();
  item(daten1, "Lsche1", QStringLiteral("Lösche"), &TCNCEinstellungen::Lsche1Click);
  QMenu* maschine = daten1->addMenu(QStringLiteral("Maschine / Zielsystem (Standardwerte)"));
  maschine->setObjectName(QStringLiteral("MaschineZielsystem1"));
  item(maschine, "Standard1", QStringLiteral("Allgemein"), &TCNCEinstellungen::Standard1Click);
  maschine->addSeparator();
  item(maschine, "SetzeStandardSCMXilog1", QStringLiteral("SCM / Xilog"),
       &TCNCEinstellungen::SetzeStandardSCMXilog1Click);
  item(maschine, "SetzeStandardfrMach31", QStringLiteral("Mach3"), &TCNCEinstellungen::SetzeStandardfrMach31Click);
  QAction* hilfe1 = bar->addAction(QStringLiteral("Hilfe"));
  hilfe1->setObjectName(QStringLiteral("Hilfe1"));
  connect(hilfe1, &QAction::triggered, this, &TCNCEinstellungen::Hilfe1Click);
}

}  // namespace morvatex
