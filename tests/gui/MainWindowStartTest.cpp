// Starting the program, its window and menu, the output switches and closing.
#include <QActionGroup>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <filesystem>

#include "gui/ClickableImage.h"
#include "base/Cp1252Codec.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex::testing {
namespace {

const QString kWarning1 = QStringLiteral("Nachricht:  W A R N U N G ");
const QString kWarning2 = QStringLiteral(
    "Nachricht:  W A R N U N G \r\nEs wurde eine neue Konfiguration angelegt !\r\nBitte unbedingt überprüfen "
    "!\r\n(Einstellungen -> CNC-DIN-Code -> Einstellungen)");

class StartTest : public MainWindowTest {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
  void TearDown() override {
    MainWindowTest::TearDown();
    QLocale::setDefault(QLocale::system());
  }
};

TEST_F(StartTest, WithoutSettingsFileTheWarningsComeBeforeTheWindowAndNothingIsWritten) {
  Create();
  EXPECT_EQ(dialogs.log, (std::vector<QString>{kWarning1, kWarning2}));
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
  form->show();
  EXPECT_EQ(dialogs.log.size(), 2u);
  // The new configuration's switches show in the menu.
  EXPECT_TRUE(Action("CNCDINCodeerstellen1")->isChecked());
  EXPECT_FALSE(Action("DXFDateinerzeugen1")->isChecked());
  EXPECT_TRUE(Action("Erstelle2DPolylinien1")->isChecked());
  EXPECT_FALSE(Action("ErstelleGeradenundKreisbgenevtloffeneKonturen1")->isChecked());
}

TEST_F(StartTest, TheLogIsStartedAfreshWithTheHeaderOfThisStart) {
  WriteFileBytes(LogPath(), "entries of an earlier start\r\n");
  StartWithSettings();
  const QRegularExpression header(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d:\\d\\d Neustart:\r\n") +
                                  QRegularExpression::escape(QString::fromStdString(ProgramPath())) +
                                  QStringLiteral("\r\n\r\n\r\n$"));
  EXPECT_TRUE(header.match(QString::fromStdString(ReadFileBytes(LogPath()))).hasMatch())
      << ReadFileBytes(LogPath());
  EXPECT_EQ(form->Logdatei(), LogPath());
  EXPECT_EQ(form->Einstellungsdatei(), SettingsPath());

  form.reset();
  Start();
  EXPECT_EQ(ReadFileBytes(LogPath()).find("Neustart"), ReadFileBytes(LogPath()).rfind("Neustart"));
}

TEST_F(StartTest, ALogThatCannotBeWrittenDoesNotKeepTheProgramFromStarting) {
  std::filesystem::create_directory(LogPath());  // a folder where the log should be
  StartWithSettings();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_TRUE(form->isVisible());
}

TEST_F(StartTest, TheWindowShowsCaptionHeadersAndTheIdleState) {
  StartWithSettings();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Morvatex    Ver.: 01.23"));
  EXPECT_EQ(form->centralWidget()->size(), QSize(670, 479));
  EXPECT_EQ(Row(0), QStringLiteral("|Markiert|Abgearbeitet|Fehler|Quelldatei|Zieldatei"));
  const int widths[] = {42, 69, 67, 67, 207, 200};
  for (int column = 0; column < 6; ++column) EXPECT_EQ(Grid()->columnWidth(column), widths[column]);
  EXPECT_EQ(Grid()->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(Grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(GridRows(), 2);

  EXPECT_TRUE(Action("Start1")->isEnabled());
  EXPECT_FALSE(Action("Stop1")->isEnabled());
  EXPECT_FALSE(form->Image1()->isHidden());
  EXPECT_FALSE(form->Image2()->isHidden());
  EXPECT_TRUE(form->Image3()->isHidden());
  EXPECT_EQ(form->Image3()->x(), form->Image1()->x());
  EXPECT_EQ(form->Image1()->size(), QSize(46, 25));
  EXPECT_EQ(form->Image2()->size(), QSize(77, 25));
  EXPECT_EQ(form->Image3()->size(), QSize(49, 25));
  EXPECT_TRUE(form->Memo2()->isReadOnly());
}

TEST_F(StartTest, DebugModeNeedsExactlyDebugAsTheFirstParameter) {
  const struct {
    QStringList parameters;
    bool debug;
  } cases[] = {{{QStringLiteral("debug")}, true},
               {{QStringLiteral("debug"), QStringLiteral("x.ncp")}, true},
               {{QStringLiteral("Debug")}, false},
               {{QStringLiteral("other"), QStringLiteral("debug")}, false},
               {{}, false}};
  WriteSettings(NewSettings());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parameters.join(QLatin1Char(' ')).toStdString());
    form.reset();
    Start(c.parameters);
    EXPECT_EQ(form->DebugModus(), c.debug);
    EXPECT_EQ(form->Panel4()->isVisible(), c.debug);
    EXPECT_EQ(form->Memo1()->isVisible(), c.debug);
    EXPECT_EQ(GridRows(), 2);  // no file named on the command line is opened
  }
}

TEST_F(StartTest, TheMenuHoldsItsItemsInOrderWithCheckAndRadioItems) {
  StartWithSettings();
  auto texts = [](const QList<QAction*>& actions) {
    QStringList result;
    for (QAction* action : actions) result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return result;
  };
  auto menu = [this](const char* name) { return form->findChild<QMenu*>(QString::fromLatin1(name))->actions(); };
  EXPECT_EQ(texts(form->menuBar()->actions()),
            (QStringList{QStringLiteral("&Start"), QStringLiteral("Stop"), QStringLiteral("&Liste"),
                         QStringLiteral("&Editieren"), QStringLiteral("Einstellungen"), QStringLiteral("&Hilfe")}));
  EXPECT_EQ(texts(menu("Liste1")), (QStringList{QStringLiteral("Neu"), QStringLiteral("Öffnen..."),
                                                QStringLiteral("Speichern"), QStringLiteral("Speichern unter..."),
                                                QStringLiteral("-"), QStringLiteral("Beenden")}));
  EXPECT_EQ(texts(menu("Editieren1")),
            (QStringList{QStringLiteral("Alle zurück setzen (als unbearbeitet markieren)"),
                         QStringLiteral("Abgearbeitete Einträge löschen"), QStringLiteral("-"),
                         QStringLiteral("Isel-Datei(en) hinzufügen \"Add\""), QStringLiteral("-"),
                         QStringLiteral("Vorschau...")}));
  EXPECT_EQ(texts(menu("Einstellungen1")), (QStringList{QStringLiteral("CNC-DIN-Code"), QStringLiteral("DXF"),
                                                        QStringLiteral("Ordnereinstellungen...")}));
  EXPECT_EQ(texts(menu("CNCDINCode1")),
            (QStringList{QStringLiteral("CNC-DIN-Code erstellen"), QStringLiteral("Einstellungen")}));
  EXPECT_EQ(texts(menu("DXF1")),
            (QStringList{QStringLiteral("DXF-Datein erzeugen"),
                         QStringLiteral("Erstelle Geraden und Kreisbögen (evtl. offene Konturen !!!)"),
                         QStringLiteral("Erstelle 2D-Polylinien")}));
  EXPECT_EQ(texts(menu("Hilfe1")), (QStringList{QStringLiteral("Kurzbeschreibung"), QStringLiteral("Info")}));

  EXPECT_TRUE(Action("CNCDINCodeerstellen1")->isCheckable());
  EXPECT_TRUE(Action("DXFDateinerzeugen1")->isCheckable());
  QActionGroup* radio = Action("Erstelle2DPolylinien1")->actionGroup();
  ASSERT_NE(radio, nullptr);
  EXPECT_TRUE(radio->isExclusive());
  EXPECT_EQ(Action("ErstelleGeradenundKreisbgenevtloffeneKonturen1")->actionGroup(), radio);
}

TEST_F(StartTest, TheMenuMarksFollowTheLoadedSettings) {
  Einstellungen settings = NewSettings();
  settings.CNCDINCodeerstellen = false;
  settings.DXFDateinerzeugen = true;
  settings.Erstelle2DPolylinien = false;
  StartWithSettings(settings);
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_FALSE(Action("CNCDINCodeerstellen1")->isChecked());
  EXPECT_TRUE(Action("DXFDateinerzeugen1")->isChecked());
  EXPECT_FALSE(Action("Erstelle2DPolylinien1")->isChecked());
  EXPECT_TRUE(Action("ErstelleGeradenundKreisbgenevtloffeneKonturen1")->isChecked());
  // Showing the marks wrote nothing.
  EXPECT_EQ(ReadSettings().CNCDINCodeerstellen.raw, 0);
}

TEST_F(StartTest, EachOutputSwitchFlipsItsSettingAndWritesTheFile) {
  StartWithSettings();
  Action("CNCDINCodeerstellen1")->trigger();
  EXPECT_FALSE(Action("CNCDINCodeerstellen1")->isChecked());
  EXPECT_FALSE(form->LiveEinstellungen().CNCDINCodeerstellen);
  EXPECT_EQ(ReadSettings().CNCDINCodeerstellen.raw, 0);
  Action("CNCDINCodeerstellen1")->trigger();
  EXPECT_TRUE(Action("CNCDINCodeerstellen1")->isChecked());
  EXPECT_EQ(ReadSettings().CNCDINCodeerstellen.raw, 1);

  Action("DXFDateinerzeugen1")->trigger();
  EXPECT_TRUE(Action("DXFDateinerzeugen1")->isChecked());
  EXPECT_EQ(ReadSettings().DXFDateinerzeugen.raw, 1);

  Action("ErstelleGeradenundKreisbgenevtloffeneKonturen1")->trigger();
  EXPECT_TRUE(Action("ErstelleGeradenundKreisbgenevtloffeneKonturen1")->isChecked());
  EXPECT_FALSE(Action("Erstelle2DPolylinien1")->isChecked());
  EXPECT_EQ(ReadSettings().Erstelle2DPolylinien.raw, 0);
  EXPECT_TRUE(dialogs.log.empty());

  // The choices survive a restart.
  form.reset();
  Start();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_TRUE(Action("DXFDateinerzeugen1")->isChecked());
  EXPECT_TRUE(Action("ErstelleGeradenundKreisbgenevtloffeneKonturen1")->isChecked());
  Action("Erstelle2DPolylinien1")->trigger();
  EXPECT_TRUE(Action("Erstelle2DPolylinien1")->isChecked());
  EXPECT_FALSE(Action("ErstelleGeradenundKreisbgenevtloffeneKonturen1")->isChecked());
  EXPECT_EQ(ReadSettings().Erstelle2DPolylinien.raw, 1);
}

TEST_F(StartTest, EverySwitchWritesTheWholeFileOnceAndAFailedWriteIsReported) {
  FakeFileSystem fake;
  fs = &fake;
  Create();
  form->show();
  dialogs.log.clear();
  auto writes = [&] { return std::count(fake.calls.begin(), fake.calls.end(), "replace " + SettingsPath()); };
  Action("CNCDINCodeerstellen1")->trigger();
  ASSERT_FALSE(fake.calls.empty());
  EXPECT_EQ(fake.calls.back(), "replace " + SettingsPath());
  Action("CNCDINCodeerstellen1")->trigger();
  Action("Erstelle2DPolylinien1")->trigger();  // also when it was already chosen
  EXPECT_EQ(writes(), 3);
  EXPECT_EQ(fake.files[SettingsPath()].size(), sizeof(Einstellungen));

  fake.failReplace.insert(SettingsPath());
  Action("DXFDateinerzeugen1")->trigger();
  EXPECT_EQ(dialogs.log, (std::vector<QString>{QStringLiteral("Nachricht: Beim speichern der Datei\r\n") +
                                               QString::fromStdString(SettingsPath()) +
                                               QStringLiteral("\r\nist ein Fehler aufgetreten !!")}));
  EXPECT_TRUE(form->LiveEinstellungen().DXFDateinerzeugen);
  EXPECT_TRUE(Action("DXFDateinerzeugen1")->isChecked());
}

TEST_F(StartTest, AProgramPathOutsideWindows1252IsReportedAndNoFileIsWritten) {
  const QString path = QString::fromStdString(dir.Sub("prog")) + QChar(0x0142);
  form = std::make_unique<TForm1>(dialogs, *fs, path, QStringList{});
  ASSERT_EQ(dialogs.log.size(), 3u);
  EXPECT_EQ(dialogs.log[0], QStringLiteral("Nachricht: Der Programmpfad\r\n") + path +
                                QStringLiteral("\r\nenthält Zeichen außerhalb des Zeichensatzes Windows-1252.\r\n"
                                               "Einstellungsdatei und Protokolldatei können deshalb nicht benutzt "
                                               "werden."));
  EXPECT_EQ(dialogs.log[1], kWarning1);
  EXPECT_EQ(form->Einstellungsdatei(), "");
  EXPECT_EQ(form->Logdatei(), "");
  form->show();
  Action("CNCDINCodeerstellen1")->trigger();
  EXPECT_FALSE(form->LiveEinstellungen().CNCDINCodeerstellen);
  EXPECT_EQ(dialogs.log.size(), 3u);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(StartTest, ClosingWithoutChangesAsksNothing) {
  StartWithSettings();
  Action("Beenden1")->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(StartTest, ClosingWithUnsavedChangesAsksAndCancelKeepsTheProgramRunning) {
  StartWithSettings();
  AddFiles({"a.ncp"});
  dialogs.answers = {false};
  Action("Beenden1")->trigger();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(dialogs.log.back(),
            QStringLiteral("OK/Abbrechen: Die aktuelle Tabelle wurde noch nicht gespeichert!\r\nTrotzdem fortfahren?"));
  EXPECT_EQ(GridRows(), 3);
  EXPECT_TRUE(form->Tabelle().TabelleGeaendert);

  // The window's close box takes the same way.
  dialogs.answers = {true};
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->Tabelle().TabelleGeaendert);
}

TEST_F(StartTest, ClosingDuringARunIsRefusedSilentlyAndAskedAfterIt) {
  StartWithSettings();
  AddFiles({"a.ncp"});
  form->LaufBeginnen();
  const std::size_t asked = dialogs.log.size();
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(dialogs.log.size(), asked);
  form->LaufBeenden();
  dialogs.answers = {true};
  EXPECT_TRUE(form->close());
  EXPECT_EQ(dialogs.log.size(), asked + 1);
}

}  // namespace
}  // namespace morvatex::testing
