// The batch run as the user starts and stops it in the main window.
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <regex>

#include "gui/BatchProgress.h"
#include "gui/ClickableImage.h"
#include "gui/PreviewWindow.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/ProgramGenerator.h"

namespace morvatex::testing {
namespace {

const std::string kGood =
    CrLfLines({"FASTABS X0 Y0 Z1000", "MOVEABS X1000 Y0", "MOVEABS X1000 Y1000", "MOVEABS X0 Y0", "PROGEND"});
const std::string kFourLines = CrLfLines({"FASTABS X0 Y0", "MOVEABS X1000 Y0", "MOVEABS X0 Y0", "PROGEND"});

class BatchWindowTest : public MainWindowTest {
 protected:
  void SetUp() override { StartWithSettings(); }

  void Program(const char* name, const std::string& text) { WriteFileBytes(dir.Sub(name), text); }
  QString Path(const char* name) { return QString::fromStdString(dir.Sub(name)); }
  // The message field, the time in the run's closing line as "T".
  QString MessageView() {
    static const QRegularExpression duration(QStringLiteral("Dauer [0-9:,]+ (s|min|h)\n"));
    return form->MessageView()->toPlainText().replace(duration, QStringLiteral("Dauer T\n"));
  }
  QString Marks(int row) { return Cell(row, 1) + Cell(row, 2) + Cell(row, 3); }
  // The report of a conversion of `name`.ncp as the message field shows it.
  QString Report(const char* name, int code, const QString& message, const QString& line = {}) {
    QString report = QStringLiteral("Fehlerstatus: %1\n Quelldatei: %2\n Zieldatei:  %3\n %4\n")
                         .arg(code)
                         .arg(Path(name) + QStringLiteral(".ncp"), Path(name) + QStringLiteral(".cnc"), message);
    if (code > 10) report += QStringLiteral("(%1)\n").arg(line);
    return report;
  }
  // The log with every date and time replaced by "DT".
  std::string LogWithoutDates() {
    static const std::regex dateTime("[^\r\n]+(?=\r\nTabelle: | Neustart:)");
    return std::regex_replace(ReadFileBytes(LogPath()), dateTime, "DT");
  }
  std::string StartHeader() { return "DT Neustart:\r\n" + ProgramPath() + "\r\n\r\n\r\n"; }
  // The running or the idle state: menus, "&Start", "Stop" and the pictures.
  void ExpectState(bool running) {
    EXPECT_EQ(form->IsRunning(), running);
    EXPECT_EQ(Action("startAction")->isEnabled(), !running);
    EXPECT_EQ(Action("stopAction")->isEnabled(), running);
    EXPECT_EQ(form->AddButton()->isVisible(), !running);
    EXPECT_EQ(form->ConvertButton()->isVisible(), !running);
    EXPECT_EQ(form->StopButton()->isVisible(), running);
    for (const char* menu : {"listMenu", "editMenu", "settingsMenu"})
      EXPECT_EQ(form->findChild<QMenu*>(menu)->menuAction()->isEnabled(), !running) << menu;
    EXPECT_TRUE(form->findChild<QMenu*>("helpMenu")->menuAction()->isEnabled());
  }
  // Runs `during` inside the batch, once the first conversion lets input through.
  void StartWith(const std::function<void()>& during) {
    QTimer::singleShot(0, form.get(), during);
    QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);
  }
};

TEST_F(BatchWindowTest, ThreeRowsWithTheMiddleOneFailing) {
  Program("a.ncp", kGood);
  Program("b.ncp", kFourLines);
  Program("c.ncp", kGood);
  AddFiles({"a.ncp", "b.ncp", "c.ncp"});
  form->Table().SetModified(false);
  QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);

  EXPECT_EQ(Row(1), QStringLiteral("1||A||%1|%2").arg(Path("a.ncp"), Path("a.cnc")));
  EXPECT_EQ(Row(2), QStringLiteral("2|M||E|%1|%2").arg(Path("b.ncp"), Path("b.cnc")));
  EXPECT_EQ(Row(3), QStringLiteral("3||A||%1|%2").arg(Path("c.ncp"), Path("c.cnc")));
  const QString ok = QStringLiteral("Datei wurde fehlerfrei konvertiert!");
  const QString a = Report("a", 0, ok);
  const QString b = Report("b", 55, QStringLiteral("Quelldatei hat weniger als 5 Zeilen!"), QStringLiteral("PROGEND"));
  const QString c = Report("c", 0, ok);
  EXPECT_EQ(MessageView(),
            QStringLiteral("Zeile:   1:%1\n\nZeile:   2:%2\n\nZeile:   3:%3\n\nLauf beendet: 2 konvertiert, 1 "
                           "fehlerhaft, 0 mit Warnungen, 0 abgebrochen, Dauer T\n")
                .arg(a, b, c));
  auto crLf = [](QString text) { return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString(); };
  const std::string table = "DT\r\nTabelle: \r\nZeile:   ";
  EXPECT_EQ(LogWithoutDates(), StartHeader() + table + "1 / 1A\r\n" + crLf(a) + "\r\n\r\n\r\n" + table + "2 / 2M\r\n" +
                                   crLf(b) + "\r\n\r\n\r\n" + table + "3 / 3A\r\n" + crLf(c) + "\r\n\r\n\r\n");

  // The last converted row stays selected, whole.
  const QModelIndexList selected = Grid()->selectionModel()->selectedIndexes();
  EXPECT_EQ(selected.size(), 6);
  for (const QModelIndex& index : selected) EXPECT_EQ(index.row() + 1, 3);
  EXPECT_TRUE(form->Table().Modified());
  ExpectState(false);
}

TEST_F(BatchWindowTest, StopEndsALongFileAndTheBatchWhileTheWindowStaysUsable) {
  Program("lang.ncp", bench::GenerateIselProgram(200'000));
  Program("kurz.ncp", kGood);
  AddFiles({"lang.ncp", "kurz.ncp"});
  const std::pair<const char*, std::function<void()>> stops[] = {
      {"Esc", [this] { Key(Qt::Key_Escape); }},
      {"Stop picture", [this] { QTest::mouseClick(form->StopButton(), Qt::LeftButton); }},
      {"Stop menu", [this] { Action("stopAction")->trigger(); }},
  };
  for (const auto& [name, stopNow] : stops) {
    SCOPED_TRACE(name);
    // A reference of its own: clang 14 (scripts/lint) lets no lambda capture a structured binding.
    const std::function<void()>& stop = stopNow;
    std::filesystem::remove(LogPath());
    WriteFileBytes(LogPath(), "");
    StartWith([&] {
      ExpectState(true);
      EXPECT_FALSE(form->close());
      Key(Qt::Key_Delete);  // refused without a question
      Select(2, 4);         // cells can still be looked at
      stop();
    });
    EXPECT_EQ(Row(1), QStringLiteral("1|M||E|%1|%2").arg(Path("lang.ncp"), Path("lang.cnc")));
    EXPECT_EQ(Row(2), QStringLiteral("2|M|||%1|%2").arg(Path("kurz.ncp"), Path("kurz.cnc")));
    // The row details shown during the run, then the one report.
    const QString report = QStringLiteral("\nZeile:   1:Fehlerstatus: 11\n Quelldatei: ") + Path("lang.ncp") +
                           QStringLiteral("\n Zieldatei:  ") + Path("lang.cnc") +
                           QStringLiteral("\n Konvertierung durch Benutzer abgebrochen! \n(");
    EXPECT_EQ(MessageView().indexOf(report), MessageView().lastIndexOf(QStringLiteral("\nZeile:")))
        << MessageView().toStdString();
    EXPECT_TRUE(MessageView().startsWith(QStringLiteral("2: kurz.ncp\n")));
    const std::string log = ReadFileBytes(LogPath());
    EXPECT_NE(log.find("Zeile:   1 / 1M\r\nFehlerstatus: 11\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Zeile:   2"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Sub("kurz.cnc")));
    ExpectState(false);
    EXPECT_EQ(dialogs.log.size(), 1u) << "only the open dialog";
  }
}

TEST_F(BatchWindowTest, TheStatusBarShowsTheFileInHandAndItsLinesOnlyDuringARun) {
  // Long enough for several pictures of the bar, which follows every 100 ms.
  Program("lang.ncp", bench::GenerateIselProgram(600'000));
  Program("kurz.ncp", kGood);
  AddFiles({"kurz.ncp", "lang.ncp", "kurz.ncp"});
  Select(1, 1);
  Key(Qt::Key_Space);  // not converted, not counted
  const BatchProgress* progress = form->findChild<BatchProgress*>();
  ASSERT_NE(progress, nullptr);
  EXPECT_FALSE(progress->isVisible());
  const QSize client = form->centralWidget()->size();

  // What a person sees, looked at every few milliseconds during the run.
  std::vector<std::pair<QString, int>> seen;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (progress->isVisible()) seen.emplace_back(progress->text(), progress->value());
    EXPECT_EQ(form->centralWidget()->size(), client) << "the panels keep their sizes";
  });
  look.start(5);
  Action("startAction")->trigger();
  look.stop();

  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), std::pair(QStringLiteral("Datei 1 von 2: 0 %"), 0));
  int last = 0;
  for (const auto& [text, value] : seen) {
    if (!text.startsWith(QStringLiteral("Datei 1 von 2: "))) continue;
    EXPECT_GE(value, last) << "through both passes, never back";
    last = value;
  }
  EXPECT_GT(last, 500) << "into the writing pass";
  EXPECT_EQ(Marks(3), QStringLiteral("A"));
  EXPECT_FALSE(progress->isVisible());
  EXPECT_EQ(progress->value(), progress->minimum() - 1) << "reset for the next run";
}

TEST_F(BatchWindowTest, MixedMarksAndARunWithoutMarkedRows) {
  for (const char* name : {"a.ncp", "b.ncp", "c.ncp"}) Program(name, kGood);
  AddFiles({"a.ncp", "b.ncp", "c.ncp"});
  for (auto [row, column] : {std::pair{1, 2}, {2, 3}, {3, 1}, {3, 3}}) {
    Select(row, column);
    Key(Qt::Key_Space);
  }
  ASSERT_EQ(QStringList({Marks(1), Marks(2), Marks(3)}), QStringList({"MA", "ME", "E"}));
  Action("startAction")->trigger();
  EXPECT_EQ(QStringList({Marks(1), Marks(2), Marks(3)}), QStringList({"A", "A", "E"}));

  form->Table().SetModified(false);
  const std::string log = ReadFileBytes(LogPath());
  Action("startAction")->trigger();
  EXPECT_EQ(MessageView(), QStringLiteral("Es wurden keine abzuarbeitenden (markierten) Dateien gefunden !\n"));
  EXPECT_EQ(ReadFileBytes(LogPath()), log);
  EXPECT_FALSE(form->Table().Modified());
  ExpectState(false);
}

TEST_F(BatchWindowTest, NoRowReplacesTheSettingsOrTheLogOfTheProgram) {
  Program("a.ncp", kGood);
  AddFiles({"a.ncp", "a.ncp"});
  form->Table().SetCell(1, 5, SettingsPath());
  form->Table().SetCell(2, 5, LogPath());
  const std::string settings = ReadFileBytes(SettingsPath());
  Action("startAction")->trigger();
  EXPECT_EQ(QStringList({Marks(1), Marks(2)}), QStringList({"ME", "ME"}));
  EXPECT_TRUE(MessageView().contains(QStringLiteral("Fehlerstatus: 80\n"))) << MessageView().toStdString();
  EXPECT_EQ(ReadFileBytes(SettingsPath()), settings);
  EXPECT_NE(ReadFileBytes(LogPath()).find("Zeile:   2 / 2M\r\nFehlerstatus: 80\r\n"), std::string::npos)
      << "the log stays a log";
}

TEST_F(BatchWindowTest, DebugModeShowsTheLinesOfTheFileInHand) {
  form.reset();
  StartWithSettings(NewSettings(), {QStringLiteral("debug")});
  Program("b.ncp", kFourLines);  // fails before its passes
  AddFiles({"b.ncp"});
  Action("startAction")->trigger();
  EXPECT_EQ(form->LineListView()->toPlainText(),
            QStringLiteral("FASTABS X0 Y0\nMOVEABS X1000 Y0\nMOVEABS X0 Y0\nPROGEND"));
}

TEST_F(BatchWindowTest, OutputCheckAddsItsLinesAndMarksARowWhoseCheckFailsWithE) {
  // Off at first: the reports are those of a run without it.
  EXPECT_TRUE(Action("outputCheckOffAction")->isChecked());
  Program("a.ncp", kGood);
  AddFiles({"a.ncp"});
  QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);
  EXPECT_FALSE(MessageView().contains(QStringLiteral("Prüfung")));

  // The new configuration writes "X:", which RS274/NGC cannot read.
  Action("outputCheckRs274Action")->trigger();
  EXPECT_EQ(ReadFileBytes(SettingsPath() + ".pruefung"), "rs274\r\n");
  Key(Qt::Key_Space);  // marks the row again
  Select(1, 1);
  Key(Qt::Key_Space);
  QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);
  EXPECT_EQ(Marks(1), QStringLiteral("MAE"));
  EXPECT_TRUE(MessageView().contains(QStringLiteral("Datei wurde fehlerfrei konvertiert!\nPrüfung (RS274/NGC): ")))
      << MessageView().toStdString();
  EXPECT_TRUE(MessageView().contains(QStringLiteral("liest RS274/NGC nicht")));
  EXPECT_NE(LogWithoutDates().find("Pr\xFC"
                                   "fung (RS274/NGC): "),
            std::string::npos);
  EXPECT_FALSE(ReadFileBytes(dir.Sub("a.cnc")).empty());  // written correctly, so kept

  // As configured, the same program reads back clean.
  Action("outputCheckConfiguredAction")->trigger();
  QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);
  EXPECT_EQ(Marks(1), QStringLiteral("A"));
  EXPECT_TRUE(MessageView().contains(QStringLiteral("Prüfung (eingestellt): keine Abweichung, 4 Bewegungen")))
      << MessageView().toStdString();

  // The choice is remembered beside the settings, and "Aus" forgets it.
  form.reset();
  Start();
  EXPECT_TRUE(Action("outputCheckConfiguredAction")->isChecked());
  Action("outputCheckOffAction")->trigger();
  EXPECT_FALSE(std::filesystem::exists(SettingsPath() + ".pruefung"));
}

// The window converts and previews in the Isel language of the settings
// dialog. A row that leaves a line behind gets E and keeps its M and its
// outputs, and its report names the line.
TEST_F(BatchWindowTest, ARowNotCarriedOverWholeGetsEInTheIselLanguageChosen) {
  const std::string program = CrLfLines(
      {"FASTABS X0 Y0 Z1000", "METRIC", "MOVEABS X1000 Y0", "MOVEABS X1000 Y1000", "MOVEABS X0 Y0", "PROGEND"});
  Program("a.ncp", program);
  // The preview of the first row, traced: the lines it did not carry over.
  const auto previewed = [this] {
    Select(1, 4);
    Key(Qt::Key_Return);
    PreviewWindow* window = form->findChild<PreviewWindow*>();
    EXPECT_NE(window, nullptr);
    if (!window) return std::size_t{99};
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->Traced(); }, 20000));
    const std::size_t count = window->Traced() ? window->Path().notCarriedCount : 99;
    delete window;
    return count;
  };
  AddFiles({"a.ncp"});
  EXPECT_EQ(previewed(), 1u);
  QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);
  EXPECT_EQ(Marks(1), QStringLiteral("ME"));
  const QString notCarried = QStringLiteral(
      "Datei wurde konvertiert, aber nicht vollständig umgesetzt!\nNicht umgesetzt: 1 Zeilen\n  Isel-Zeile 2: "
      "METRIC\n");
  EXPECT_TRUE(MessageView().contains(notCarried)) << MessageView().toStdString();
  EXPECT_NE(LogWithoutDates().find("Nicht umgesetzt: 1 Zeilen\r\n  Isel-Zeile 2: METRIC\r\n"), std::string::npos);
  EXPECT_FALSE(ReadFileBytes(dir.Sub("a.cnc")).empty());

  // Read in the extended language, the same program is carried over whole.
  WriteFileBytes(SettingsPath() + ".sprache", "erweitert\r\n");
  form->Table().SetModified(false);
  form.reset();
  Start();
  AddFiles({"a.ncp"});
  EXPECT_EQ(previewed(), 0u);
  QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);
  EXPECT_EQ(Marks(1), QStringLiteral("A"));
  EXPECT_EQ(
      MessageView(),
      QStringLiteral("Zeile:   1:%1\n\nLauf beendet: 1 konvertiert, 0 fehlerhaft, 0 mit Warnungen, 0 abgebrochen, "
                     "Dauer T\n")
          .arg(Report("a", 0, QStringLiteral("Datei wurde fehlerfrei konvertiert!"))));
}

}  // namespace
}  // namespace morvatex::testing
