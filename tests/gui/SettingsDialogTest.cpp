// The settings dialog, driven with keys and clicks as a user drives it.
#include "gui/SettingsDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "gui/HelpWindow.h"
#include "qttext/QtText.h"
#include "settings/SettingsTexts.h"
#include "tests/gui/MainWindowFixture.h"

namespace morvatex::testing {
namespace {

class SettingsDialogTest : public MainWindowTest {
 protected:
  // The main window's own dialog, or a fresh one made by Reopen.
  SettingsDialog* dlg = nullptr;
  std::unique_ptr<SettingsDialog> reopened;
  HelpWindow* helpWindow = nullptr;

  void SetUp() override {
    StartWithSettings();
    dlg = &form->CncSettings();
    helpWindow = &form->Help();
  }
  void TearDown() override {
    reopened.reset();
    MainWindowTest::TearDown();
  }
  void Show() {
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg));
  }
  // A new dialog, shown: the offscreen platform activates a window only on
  // its first showing, and focus events need an active window.
  void Reopen() {
    reopened = std::make_unique<SettingsDialog>(dialogs, *fs, form->LiveSettings());
    reopened->SetHelpWindow(helpWindow);
    reopened->UseDialectFile(SettingsPath());
    dlg = reopened.get();
    Show();
  }
  MachineProfile& Live() { return form->LiveSettings().Profil; }

  QLineEdit* Edit(const char* setting) { return dlg->EditFor(QString::fromLatin1(setting)); }
  // Clicks into the field (which starts editing) and replaces its text.
  void Type(QLineEdit* edit, const QString& text) {
    dlg->ScrollArea()->ensureWidgetVisible(edit);
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }
  void Type(const char* setting, const QString& text) { Type(Edit(setting), text); }
  QTableWidget* Grid() { return dlg->ToolGrid(); }
  QString Tool(int n) { return Grid()->item(1, n)->text(); }
  // Edits the cell of Isel tool n with F2, typing and Enter.
  void TypeTool(int n, const QString& text) {
    Grid()->setFocus();
    Grid()->setCurrentCell(1, n);
    QTest::keyClick(Grid(), Qt::Key_F2);
    QWidget* editor = Grid()->indexWidget(Grid()->currentIndex());
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the view commits a cell's edit queued
  }
  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  void Apply(const QString& code = QStringLiteral("471")) {
    Type(dlg->AccessCodeEdit(), code);
    Click(dlg->ApplyButton());
  }
  QAction* Menu(const char* name) { return dlg->findChild<QAction*>(QString::fromLatin1(name)); }
  QString Message(std::string_view cp1252) { return QStringLiteral("Nachricht: ") + ToQString(cp1252); }
  // Which of Übernehmen / Schließen / Profil Speichern unter are enabled.
  QString Buttons() {
    QString state;
    for (QPushButton* b : {dlg->ApplyButton(), dlg->CloseButton(), dlg->SaveProfileButton()})
      state += b->isEnabled() ? QLatin1Char('+') : QLatin1Char('-');
    return state;
  }
};

TEST_F(SettingsDialogTest, ShowsTheStoredValuesAndStartsViewingUntilAFieldTakesTheFocus) {
  Show();
  EXPECT_EQ(Edit("ZGrenze")->text(), QStringLiteral("4000.000"));
  EXPECT_EQ(Edit("FaktorSonderS")->text(), QStringLiteral("1.000000"));
  EXPECT_EQ(Edit("ErsterSatz")->text(), QStringLiteral("100"));
  for (int n : {0, 57, 99}) EXPECT_EQ(Tool(n), QStringLiteral("1"));
  EXPECT_EQ(Grid()->item(0, 99)->text(), QStringLiteral("99"));
  EXPECT_EQ(Grid()->model()->headerData(1, Qt::Vertical).toString(), QStringLiteral("Din:"));
  // Every control fits the width of the scrolling area: none is cut off.
  EXPECT_LE(dlg->ScrollArea()->widget()->minimumSizeHint().width(), dlg->ScrollArea()->viewport()->width());
  EXPECT_FALSE(dlg->IsEditing());
  EXPECT_EQ(Buttons(), QStringLiteral("-++"));
  QTest::keyClicks(dlg->AccessCodeEdit(), QStringLiteral("471"));
  EXPECT_EQ(dlg->AccessCodeEdit()->displayText(), QStringLiteral("***"));
  EXPECT_FALSE(dlg->IsEditing());

  QTest::mouseClick(dlg->CheckBoxFor(QStringLiteral("ZWerte")), Qt::LeftButton);
  EXPECT_TRUE(dlg->IsEditing());
  EXPECT_EQ(Buttons(), QStringLiteral("+--"));
}

// "Isel-Sprache" is applied as the other controls are, behind the access
// code, and remembered beside the settings file, never in the record.
TEST_F(SettingsDialogTest, TheIselLanguageIsShownAppliedWithTheAccessCodeAndRememberedBesideTheSettings) {
  const std::string sideFile = SettingsPath() + ".sprache";
  const auto shown = [this] {
    const QAbstractButton* checked = dlg->DialectButtons()->checkedButton();
    return checked ? checked->text() : QString();
  };
  const auto choose = [this](int id) {
    QAbstractButton* item = dlg->DialectButtons()->button(id);
    dlg->ScrollArea()->ensureWidgetVisible(item);
    // On its indicator: the button is wider than what takes a click.
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
  };
  Show();
  EXPECT_EQ(shown(), QStringLiteral("Original"));
  EXPECT_EQ(dlg->DialectButtons()->button(1)->text(), QStringLiteral("Erweitert"));
  choose(1);
  EXPECT_TRUE(dlg->IsEditing());
  EXPECT_EQ(shown(), QStringLiteral("Erweitert"));
  Click(dlg->CancelButton());
  EXPECT_EQ(form->CncSettings().Dialect(), IselDialect::kOriginal);
  EXPECT_FALSE(std::filesystem::exists(sideFile));

  Reopen();
  EXPECT_EQ(shown(), QStringLiteral("Original"));
  choose(1);
  Apply(QStringLiteral("472"));
  EXPECT_EQ(dialogs.log, std::vector<QString>{Message(PasswordMissingText())});
  EXPECT_FALSE(std::filesystem::exists(sideFile));
  EXPECT_EQ(dlg->Dialect(), IselDialect::kOriginal);
  Apply();
  EXPECT_EQ(dlg->Dialect(), IselDialect::kExtended);
  EXPECT_EQ(ReadFileBytes(sideFile), "erweitert\r\n");
  EXPECT_EQ(shown(), QStringLiteral("Erweitert"));
  EXPECT_FALSE(dlg->IsEditing());

  // The next start reads it, and so do the main window's conversions.
  reopened.reset();
  form.reset();
  Start();
  dlg = &form->CncSettings();
  EXPECT_EQ(dlg->Dialect(), IselDialect::kExtended);
  Show();
  EXPECT_EQ(shown(), QStringLiteral("Erweitert"));
  choose(0);
  Apply();
  EXPECT_EQ(ReadFileBytes(sideFile), "original\r\n");
}

TEST_F(SettingsDialogTest, AWrongAccessCodeStoresNothing) {
  Show();
  Type("ZGrenze", QStringLiteral("5"));
  for (const char* code : {"", "472", "4711", " 471"}) {
    dialogs.log.clear();
    Apply(QString::fromLatin1(code));
    EXPECT_EQ(dialogs.log, std::vector<QString>{Message(PasswordMissingText())}) << code;
  }
  EXPECT_EQ(Live().ZGrenze, 4000.0);
  EXPECT_EQ(Edit("ZGrenze")->text(), QStringLiteral("5"));
  EXPECT_TRUE(dlg->IsEditing());
}

TEST_F(SettingsDialogTest, TheLastInvalidFieldInApplyOrderDecidesTheMessage) {
  const struct {
    std::vector<std::pair<const char*, const char*>> typed;
    int error;
  } cases[] = {
      {{{"Nachkommastellen", "7"}, {"Werkzeuge[5]", ""}}, 6},
      {{{"Nachkommastellen", "7"}, {"ErsterSatz", "-1"}}, 1},
      {{{"SatznummernIncrement", "x"}, {"ZGrenze", "1,5"}}, 3},
      {{{"NachkommastellenF", "9"}, {"FaktorSonderS", "1,5"}}, 7},
      {{{"FaktorSonderS", "a"}, {"FaktorSonderF", ""}}, 8},
      {{{"ZGrenze", "-"}, {"NachkommastellenS", "7"}}, 9},
      {{{"NachkommastellenS", "7"}, {"NachkommastellenF", "-1"}}, 10},
      {{{"SatznummernIncrement", "-1"}, {"Nachkommastellen", "1 "}}, 2},
      {{{"Nachkommastellen", "$7"}}, 4},
  };
  for (const auto& c : cases) {
    Reopen();
    dialogs.log.clear();
    const MachineProfile before = Live();
    Type("Vorspann6", QStringLiteral("stored"));
    for (const auto& [setting, text] : c.typed) {
      if (std::string_view(setting) == "Werkzeuge[5]")
        TypeTool(5, QString::fromLatin1(text));
      else
        Type(setting, QString::fromLatin1(text));
    }
    Apply();
    EXPECT_EQ(dialogs.log, std::vector<QString>{Message(ApplyErrorText(c.error))}) << c.error;
    // Valid fields are stored, invalid ones keep their values, the input stays.
    EXPECT_EQ(Live().Vorspann6.Text(), "stored");
    EXPECT_EQ(Live().Nachkommastellen, before.Nachkommastellen);
    EXPECT_EQ(Live().Werkzeuge[5], 1);
    EXPECT_EQ(Live().ZGrenze, before.ZGrenze);
    EXPECT_EQ(Live().FaktorSonderS, before.FaktorSonderS);
    EXPECT_EQ(dlg->AccessCodeEdit()->text(), QStringLiteral("471"));
    EXPECT_TRUE(dlg->IsEditing());
    EXPECT_EQ(Edit(c.typed.back().first) ? Edit(c.typed.back().first)->text() : Tool(5),
              QString::fromLatin1(c.typed.back().second));
  }
}

TEST_F(SettingsDialogTest, ApplyStoresCutTextsAndToolNumbersModulo65536ThenShowsThem) {
  Show();
  const QString line = QString(90, QLatin1Char('x'));
  Type("Vorspann1", line);
  Type("FaktorSonderF", QStringLiteral("  1.5E2"));
  Type("ErsterSatz", QStringLiteral("0"));
  TypeTool(0, QStringLiteral("70000"));
  TypeTool(99, QStringLiteral("-1"));
  TypeTool(1, QStringLiteral("$10"));
  Apply();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_EQ(Live().Vorspann1.Text(), std::string(80, 'x'));
  EXPECT_EQ(Live().FaktorSonderF, 150.0);
  EXPECT_EQ(Live().Werkzeuge[0], 4464);
  EXPECT_EQ(Live().Werkzeuge[99], 65535);
  EXPECT_EQ(Edit("Vorspann1")->text(), line.left(80));
  EXPECT_EQ(Edit("FaktorSonderF")->text(), QStringLiteral("150.000000"));
  EXPECT_EQ(Tool(0) + Tool(1) + Tool(99), QStringLiteral("44641665535"));
  EXPECT_TRUE(dlg->AccessCodeEdit()->text().isEmpty());
  EXPECT_FALSE(dlg->IsEditing());
}

TEST_F(SettingsDialogTest, PresetsFillTheControlsAndApplyLikeTypedInput) {
  const struct {
    const char* action;
    const char* tools;  // tools 0, 1 and 99
    const char* extension;
    const char* assignment;
    int special;
    const char* header2;
  } cases[] = {
      {"generalPresetAction", "111", "cnc", ":", 0, "( Konverter: Morvatex / Morvatex-Team )"},
      {"clearProfileControlsAction", "111", "", "", 0, "( Konverter: Morvatex / Morvatex-Team )"},
      {"mach3PresetAction", "0199", "tap", "", 0, "( Konverter: Morvatex / Morvatex-Team )"},
      {"xilogPresetAction", "101101101", "xxl", "=", 1, "ISO \"M17\""},
  };
  for (const auto& c : cases) {
    Reopen();
    dlg->ModalExtraBox()->setCurrentIndex(1);  // no preset touches it
    Menu(c.action)->trigger();
    EXPECT_TRUE(dlg->IsEditing()) << c.action;
    EXPECT_EQ(Tool(0) + Tool(1) + Tool(99), QString::fromLatin1(c.tools)) << c.action;
    EXPECT_EQ(dlg->SpecialHandlingButtons()->checkedId(), c.special) << c.action;
    EXPECT_EQ(Edit("ZGrenze")->text(), QStringLiteral("1000")) << c.action;
    Apply();
    EXPECT_TRUE(dialogs.log.empty()) << c.action;
    EXPECT_EQ(Live().Dateinamenerweiterung.Text(), c.extension) << c.action;
    EXPECT_EQ(Live().ZeichenWertzuweisung.Text(), c.assignment) << c.action;
    EXPECT_EQ(Live().Vorspann2.Text(), c.header2) << c.action;
    EXPECT_EQ(Live().ModalExtra, 1) << c.action;
    EXPECT_EQ(Live().ZGrenze, 1000.0) << c.action;
  }
}

TEST_F(SettingsDialogTest, CopyToolZeroCopiesTheTextUncheckedAndApplyRefusesIt) {
  Show();
  Menu("fillToolTableOneToOneAction")->trigger();
  EXPECT_EQ(Tool(42), QStringLiteral("42"));
  TypeTool(0, QStringLiteral("7a"));
  Menu("copyToolZeroToAllCellsAction")->trigger();
  for (int n = 0; n < 100; ++n) ASSERT_EQ(Tool(n), QStringLiteral("7a")) << n;
  Apply();
  EXPECT_EQ(dialogs.log, std::vector<QString>{Message(ApplyErrorText(6))});
  EXPECT_EQ(Live().Werkzeuge[42], 1);
}

TEST_F(SettingsDialogTest, ProfilesSaveTheBlockAndAShortOneResetsIt) {
  form->LiveSettings().Zielordner = 2;
  Show();
  const QString profile = QString::fromStdString(dir.Sub("maschine.Prof"));
  dialogs.saveChoices.push_back(profile);
  Click(dlg->SaveProfileButton());
  ASSERT_EQ(dialogs.saveOptions.size(), 1u);
  EXPECT_EQ(dialogs.saveOptions[0].filter, QStringLiteral("Maschinenprofil (*.Prof)|*.Prof"));
  EXPECT_EQ(dialogs.saveOptions[0].defaultExtension, QStringLiteral("Prof"));
  const std::string saved = ReadFileBytes(profile.toStdString());
  ASSERT_EQ(saved.size(), 1960u);
  EXPECT_EQ(saved.substr(0, 4), std::string("\x06\0\0\0", 4));

  // Without the access code the chosen file is not read.
  Type("Nachkommastellen", QStringLiteral("2"));
  WriteFileBytes(dir.Sub("kurz.Prof"), saved.substr(0, 1959));
  dialogs.log.clear();
  dialogs.fileChoices.push_back({QString::fromStdString(dir.Sub("kurz.Prof"))});
  Click(dlg->LoadProfileButton());
  EXPECT_EQ(dialogs.log, (std::vector<QString>{QStringLiteral("Öffnen"), Message(PasswordMissingText())}));

  dialogs.log.clear();
  Live().Nachkommastellen = 5;
  dialogs.fileChoices.push_back({QString::fromStdString(dir.Sub("kurz.Prof"))});
  Type(dlg->AccessCodeEdit(), QStringLiteral("471"));
  Click(dlg->LoadProfileButton());
  ASSERT_EQ(dialogs.log.size(), 4u);
  EXPECT_EQ(dialogs.log[1], QStringLiteral("Nachricht:  W A R N U N G "));
  EXPECT_EQ(dialogs.log[3], Message(OpenErrorText(dir.Sub("kurz.Prof"))));
  EXPECT_EQ(Live().Nachkommastellen, 4);
  EXPECT_EQ(Edit("Nachkommastellen")->text(), QStringLiteral("4"));
  EXPECT_EQ(form->LiveSettings().Zielordner, 2);
  EXPECT_FALSE(dlg->IsEditing());
  EXPECT_TRUE(dlg->AccessCodeEdit()->text().isEmpty());
}

TEST_F(SettingsDialogTest, CancelAfterAProfileLoadKeepsItAndTheSettingsFileHoldsIt) {
  SettingsRecord other = NewSettings();
  other.Profil.Nachkommastellen = 2;
  WriteFileBytes(dir.Sub("zwei.Prof"), std::string(reinterpret_cast<const char*>(&other.Profil), 1960));
  dialogs.fileChoices.push_back({QString::fromStdString(dir.Sub("zwei.Prof"))});
  bool ran = false;
  QTimer::singleShot(0, dlg, [&] {
    ran = true;
    Type(dlg->AccessCodeEdit(), QStringLiteral("471"));
    Click(dlg->LoadProfileButton());
    Menu("mach3PresetAction")->trigger();  // unapplied: thrown away
    QTest::keyClick(dlg, Qt::Key_Escape);
  });
  Action("settingsDialogAction")->trigger();
  EXPECT_TRUE(ran);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(ReadSettings().Profil.Nachkommastellen, 2);
  EXPECT_EQ(ReadSettings().Profil.Dateinamenerweiterung.Text(), "cnc");
}

TEST_F(SettingsDialogTest, HelpTextsCharacterForCharacter) {
  Show();
  Click(dlg->ModalExtraHelpButton());
  Click(dlg->FactorHelpButton());
  EXPECT_EQ(dialogs.log,
            (std::vector<QString>{QStringLiteral("Nachricht: 0..kein Besonderheiten\n1..Z immer Modal bei G2/G3"),
                                  QStringLiteral("Nachricht: Standartmäßig werden Werte für\rDrehzahl in U/min "
                                                 "(Faktor=1) und\rVorschub in mm/min (Faktor=1)\rausgegeben.\rUm in "
                                                 "anderen Einheiten auszugeben,\rkann hier mit beliebigen Faktoren "
                                                 "multiplizirt weden.")}));
  QString shown;
  QTimer::singleShot(0, helpWindow, [&] {
    shown = helpWindow->TextView()->toPlainText();
    QTest::keyClick(helpWindow, Qt::Key_Escape);
  });
  Menu("helpMenu")->trigger();
  const std::string text = SettingsHelpText();
  EXPECT_EQ(text.substr(text.size() - 11), ".\r\n\r\n\r\n\r\n\r\n");
  EXPECT_EQ(shown, ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  EXPECT_TRUE(
      shown.contains(QStringLiteral("\n   den betreffenden Satz mit  G1, G2 oder G3 angehangen.\n\n\nVorspann\n")));
}

}  // namespace
}  // namespace morvatex::testing
