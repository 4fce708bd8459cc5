// Starting the program, its window and menu, the output switches and closing.
#include <QActionGroup>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "base/Cp1252Codec.h"
#include "base/LocalDateTime.h"
#include "gui/AboutDialog.h"
#include "gui/ClickableImage.h"
#include "gui/SettingsDialog.h"
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
  EXPECT_TRUE(Action("cncOutputAction")->isChecked());
  EXPECT_FALSE(Action("dxfOutputAction")->isChecked());
  EXPECT_TRUE(Action("polylinesAction")->isChecked());
  EXPECT_FALSE(Action("linesAndArcsAction")->isChecked());
}

TEST_F(StartTest, TheLogIsStartedAfreshWithTheHeaderOfThisStart) {
  WriteFileBytes(LogPath(), "entries of an earlier start\r\n");
  // The date and time as the converter writes them, whatever Qt's locale.
  const std::string before = LocalDateTimeText();
  StartWithSettings();
  const std::string after = LocalDateTimeText();
  const std::string rest = " Neustart:\r\n" + ProgramPath() + "\r\n\r\n\r\n";
  const std::string log = ReadFileBytes(LogPath());
  EXPECT_TRUE(log == before + rest || log == after + rest) << log << " / " << before;
  EXPECT_EQ(form->LogFilePath(), LogPath());
  EXPECT_EQ(form->SettingsFilePath(), SettingsPath());

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
  EXPECT_EQ(Grid()->selectionMode(), QAbstractItemView::ExtendedSelection);  // rows for Delete and the marks
  EXPECT_EQ(Grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(GridRows(), 2);

  EXPECT_TRUE(Action("startAction")->isEnabled());
  EXPECT_FALSE(Action("stopAction")->isEnabled());
  EXPECT_FALSE(form->AddButton()->isHidden());
  EXPECT_FALSE(form->ConvertButton()->isHidden());
  EXPECT_TRUE(form->StopButton()->isHidden());
  EXPECT_EQ(form->StopButton()->x(), form->AddButton()->x());
  EXPECT_EQ(form->AddButton()->size(), QSize(46, 25));
  EXPECT_EQ(form->ConvertButton()->size(), QSize(77, 25));
  EXPECT_EQ(form->StopButton()->size(), QSize(49, 25));
  EXPECT_TRUE(form->MessageView()->isReadOnly());
}

// The windows keep their sizes; their font is narrow enough for the texts
// in them: the widest column header, a five-digit tool number, and the
// about window's notes one line each.
TEST_F(StartTest, TextsFitTheirColumnsAndLinesInTheDialogFont) {
  StartWithSettings();
  QHeaderView* header = form->JobView()->horizontalHeader();
  const int headerMargins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  for (int column = 1; column < kJobColumnCount; ++column) {
    const QString text = header->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_LE(header->fontMetrics().horizontalAdvance(text) + headerMargins, header->sectionSize(column))
        << text.toStdString() << " in " << header->font().family().toStdString();
  }

  QTableWidget* tools = form->CncSettings().ToolGrid();
  // A cell's text has the focus frame's margin and a pixel on either side.
  const int margins = 2 * (tools->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tools) + 1);
  EXPECT_LE(tools->fontMetrics().horizontalAdvance(QStringLiteral("65535")) + margins, tools->columnWidth(7));

  AboutDialog& about = form->About();
  about.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
  const QTextDocument* notes = about.NotesView()->document();
  for (QTextBlock line = notes->begin(); line.isValid(); line = line.next())
    EXPECT_LE(line.layout()->lineCount(), 1) << line.text().toStdString();
  about.hide();
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
    EXPECT_EQ(form->DebugMode(), c.debug);
    EXPECT_EQ(form->LineListPanel()->isVisible(), c.debug);
    EXPECT_EQ(form->LineListView()->isVisible(), c.debug);
    EXPECT_EQ(GridRows(), 2);  // no file named on the command line is opened
  }
}

TEST_F(StartTest, TheMenuHoldsItsItemsInOrderWithCheckAndRadioItems) {
  StartWithSettings();
  auto texts = [](const QList<QAction*>& actions) {
    QStringList result;
    for (QAction* action : actions)
      if (action->isVisible()) result << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return result;
  };
  auto menu = [this](const char* name) { return form->findChild<QMenu*>(QString::fromLatin1(name))->actions(); };
  EXPECT_EQ(texts(form->menuBar()->actions()),
            (QStringList{QStringLiteral("&Start"), QStringLiteral("Stop"), QStringLiteral("&Liste"),
                         QStringLiteral("&Editieren"), QStringLiteral("Einstellungen"), QStringLiteral("&Hilfe")}));
  EXPECT_EQ(texts(menu("listMenu")),
            (QStringList{QStringLiteral("Neu"), QStringLiteral("Öffnen..."), QStringLiteral("Speichern"),
                         QStringLiteral("Speichern unter..."), QStringLiteral("-"), QStringLiteral("Beenden")}));
  EXPECT_EQ(texts(menu("editMenu")),
            (QStringList{QStringLiteral("Alle zurück setzen (als unbearbeitet markieren)"),
                         QStringLiteral("Abgearbeitete Einträge löschen"), QStringLiteral("-"),
                         QStringLiteral("Isel-Datei(en) hinzufügen \"Add\""), QStringLiteral("-"),
                         QStringLiteral("Vorschau..."), QStringLiteral("Ziele neu bilden")}));
  EXPECT_EQ(texts(menu("settingsMenu")),
            (QStringList{QStringLiteral("CNC-DIN-Code"), QStringLiteral("DXF"),
                         QStringLiteral("Ordnereinstellungen..."), QStringLiteral("Überwachte Ordner..."),
                         QStringLiteral("Ausgabe prüfen"), QStringLiteral("Ordner und Fenster merken")}));
  EXPECT_EQ(texts(menu("outputCheckMenu")),
            (QStringList{QStringLiteral("Aus"), QStringLiteral("RS274/NGC (Mach3, LinuxCNC)"),
                         QStringLiteral("Wie eingestellt")}));
  EXPECT_EQ(texts(menu("cncMenu")),
            (QStringList{QStringLiteral("CNC-DIN-Code erstellen"), QStringLiteral("Einstellungen")}));
  EXPECT_EQ(texts(menu("dxfMenu")),
            (QStringList{QStringLiteral("DXF-Datein erzeugen"),
                         QStringLiteral("Erstelle Geraden und Kreisbögen (evtl. offene Konturen !!!)"),
                         QStringLiteral("Erstelle 2D-Polylinien")}));
  EXPECT_EQ(texts(menu("helpMenu")), (QStringList{QStringLiteral("Kurzbeschreibung"), QStringLiteral("Info")}));

  EXPECT_TRUE(Action("cncOutputAction")->isCheckable());
  EXPECT_TRUE(Action("dxfOutputAction")->isCheckable());
  QActionGroup* radio = Action("polylinesAction")->actionGroup();
  ASSERT_NE(radio, nullptr);
  EXPECT_TRUE(radio->isExclusive());
  EXPECT_EQ(Action("linesAndArcsAction")->actionGroup(), radio);
}

TEST_F(StartTest, TheMenuMarksFollowTheLoadedSettings) {
  SettingsRecord settings = NewSettings();
  settings.CNCDINCodeerstellen = false;
  settings.DXFDateinerzeugen = true;
  settings.Erstelle2DPolylinien = false;
  StartWithSettings(settings);
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_FALSE(Action("cncOutputAction")->isChecked());
  EXPECT_TRUE(Action("dxfOutputAction")->isChecked());
  EXPECT_FALSE(Action("polylinesAction")->isChecked());
  EXPECT_TRUE(Action("linesAndArcsAction")->isChecked());
  // Showing the marks wrote nothing.
  EXPECT_EQ(ReadSettings().CNCDINCodeerstellen.raw, 0);
}

TEST_F(StartTest, EachOutputSwitchFlipsItsSettingAndWritesTheFile) {
  StartWithSettings();
  Action("cncOutputAction")->trigger();
  EXPECT_FALSE(Action("cncOutputAction")->isChecked());
  EXPECT_FALSE(form->LiveSettings().CNCDINCodeerstellen);
  EXPECT_EQ(ReadSettings().CNCDINCodeerstellen.raw, 0);
  Action("cncOutputAction")->trigger();
  EXPECT_TRUE(Action("cncOutputAction")->isChecked());
  EXPECT_EQ(ReadSettings().CNCDINCodeerstellen.raw, 1);

  Action("dxfOutputAction")->trigger();
  EXPECT_TRUE(Action("dxfOutputAction")->isChecked());
  EXPECT_EQ(ReadSettings().DXFDateinerzeugen.raw, 1);

  Action("linesAndArcsAction")->trigger();
  EXPECT_TRUE(Action("linesAndArcsAction")->isChecked());
  EXPECT_FALSE(Action("polylinesAction")->isChecked());
  EXPECT_EQ(ReadSettings().Erstelle2DPolylinien.raw, 0);
  EXPECT_TRUE(dialogs.log.empty());

  // The choices survive a restart.
  form.reset();
  Start();
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_TRUE(Action("dxfOutputAction")->isChecked());
  EXPECT_TRUE(Action("linesAndArcsAction")->isChecked());
  Action("polylinesAction")->trigger();
  EXPECT_TRUE(Action("polylinesAction")->isChecked());
  EXPECT_FALSE(Action("linesAndArcsAction")->isChecked());
  EXPECT_EQ(ReadSettings().Erstelle2DPolylinien.raw, 1);
}

TEST_F(StartTest, EverySwitchWritesTheWholeFileOnceAndAFailedWriteIsReported) {
  FakeFileSystem fake;
  fs = &fake;
  Create();
  form->show();
  dialogs.log.clear();
  auto writes = [&] { return std::count(fake.calls.begin(), fake.calls.end(), "replace " + SettingsPath()); };
  Action("cncOutputAction")->trigger();
  ASSERT_FALSE(fake.calls.empty());
  EXPECT_EQ(fake.calls.back(), "replace " + SettingsPath());
  Action("cncOutputAction")->trigger();
  Action("polylinesAction")->trigger();  // also when it was already chosen
  EXPECT_EQ(writes(), 3);
  EXPECT_EQ(fake.files[SettingsPath()].size(), sizeof(SettingsRecord));

  fake.failReplace.insert(SettingsPath());
  Action("dxfOutputAction")->trigger();
  EXPECT_EQ(dialogs.log, (std::vector<QString>{QStringLiteral("Nachricht: Beim speichern der Datei\r\n") +
                                               QString::fromStdString(SettingsPath()) +
                                               QStringLiteral("\r\nist ein Fehler aufgetreten !!")}));
  EXPECT_TRUE(form->LiveSettings().DXFDateinerzeugen);
  EXPECT_TRUE(Action("dxfOutputAction")->isChecked());
}

#ifndef _WIN32
// A FIFO where the settings file belongs is no settings file: the program
// starts with a new configuration at once, and a save reports the failure
// instead of writing through or over it.
TEST_F(StartTest, AFifoAtTheSettingsPlaceGivesANewConfigurationAndStaysAsItIs) {
  ASSERT_EQ(mkfifo(SettingsPath().c_str(), 0600), 0);
  Create();
  EXPECT_EQ(dialogs.log, (std::vector<QString>{kWarning1, kWarning2}));
  form->show();
  dialogs.log.clear();
  Action("cncOutputAction")->trigger();
  EXPECT_EQ(dialogs.log, (std::vector<QString>{QStringLiteral("Nachricht: Beim speichern der Datei\r\n") +
                                               QString::fromStdString(SettingsPath()) +
                                               QStringLiteral("\r\nist ein Fehler aufgetreten !!")}));
  EXPECT_TRUE(std::filesystem::is_fifo(SettingsPath()));
}
#endif

TEST_F(StartTest, AProgramPathOutsideWindows1252IsReportedAndNoFileIsWritten) {
  const QString path = QString::fromStdString(dir.Sub("prog")) + QChar(0x0142);
  form = std::make_unique<MainWindow>(dialogs, *fs, path, QStringList{});
  ASSERT_EQ(dialogs.log.size(), 3u);
  EXPECT_EQ(dialogs.log[0], QStringLiteral("Nachricht: Der Programmpfad\r\n") + path +
                                QStringLiteral("\r\nenthält Zeichen außerhalb des Zeichensatzes Windows-1252.\r\n"
                                               "Einstellungsdatei und Protokolldatei können deshalb nicht benutzt "
                                               "werden."));
  EXPECT_EQ(dialogs.log[1], kWarning1);
  EXPECT_EQ(form->SettingsFilePath(), "");
  EXPECT_EQ(form->LogFilePath(), "");
  form->show();
  Action("cncOutputAction")->trigger();
  EXPECT_FALSE(form->LiveSettings().CNCDINCodeerstellen);
  EXPECT_EQ(dialogs.log.size(), 3u);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(StartTest, ClosingWithoutChangesAsksNothing) {
  StartWithSettings();
  Action("quitAction")->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(StartTest, ClosingWithUnsavedChangesAsksAndCancelKeepsTheProgramRunning) {
  StartWithSettings();
  AddFiles({"a.ncp"});
  dialogs.answers = {false};
  Action("quitAction")->trigger();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(dialogs.log.back(),
            QStringLiteral("OK/Abbrechen: Die aktuelle Tabelle wurde noch nicht gespeichert!\r\nTrotzdem fortfahren?"));
  EXPECT_EQ(GridRows(), 3);
  EXPECT_TRUE(form->Table().Modified());

  // The window's close box takes the same way.
  dialogs.answers = {true};
  EXPECT_TRUE(form->close());
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->Table().Modified());
}

TEST_F(StartTest, ClosingDuringARunIsRefusedSilentlyAndAskedAfterIt) {
  StartWithSettings();
  AddFiles({"a.ncp"});
  form->EnterRunningState();
  const std::size_t asked = dialogs.log.size();
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(dialogs.log.size(), asked);
  form->EnterIdleState();
  dialogs.answers = {true};
  EXPECT_TRUE(form->close());
  EXPECT_EQ(dialogs.log.size(), asked + 1);
}

}  // namespace
}  // namespace morvatex::testing
