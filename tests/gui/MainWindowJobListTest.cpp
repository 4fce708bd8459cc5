// Saving and opening job lists through the "&Liste" menu.
#include <QDir>

#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/gui/MainWindowFixture.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex::testing {
namespace {

class JobListWindowTest : public MainWindowTest {
 protected:
  void SetUp() override { StartWithSettings(); }

  QString Path(const char* name) { return QString::fromStdString(dir.Sub(name)); }
  void Open(const char* name) {
    dialogs.fileChoices.push_back({Path(name)});
    Action("openListAction")->trigger();
  }
};

TEST_F(JobListWindowTest, FilesFromTheCommandLineOpenAsTheMenuCommandsOpenThem) {
  AddFiles({"a.ncp"});
  dialogs.saveChoices.push_back(Path("liste.MVX"));
  Action("saveListAction")->trigger();
  Action("newListAction")->trigger();
  const std::size_t messages = dialogs.log.size();
  // The list first, whatever the order; then the Isel files as rows.
  form->OpenFiles({Path("b.ncp"), QStringLiteral("\u2603.ncp"), Path("liste.MVX")});
  EXPECT_EQ(Row(1), QStringLiteral("1|M|||") + Path("a.ncp") + QLatin1Char('|') + Path("a.cnc"));
  EXPECT_EQ(Row(2), QStringLiteral("2|M|||") + Path("b.ncp") + QLatin1Char('|') + Path("b.cnc"));
  ExpectTableIntact();
  EXPECT_TRUE(form->Table().Modified());
  ASSERT_EQ(dialogs.log.size(), messages + 1);  // the path outside Windows-1252 is refused
  EXPECT_TRUE(dialogs.log.back().contains(QStringLiteral("\u2603.ncp")));

  form->OpenFiles({QStringLiteral("debug")});  // the switch, not a file
  EXPECT_EQ(form->Table().JobCount(), 2);
}

// Names from the command line (on Windows read from its UTF-16 form) reach
// the table with umlauts and the euro sign intact; names relative to the
// shell's folder become absolute.
TEST_F(JobListWindowTest, CommandLineNamesAreMadeAbsoluteAndKeepTheirUmlauts) {
  const struct {
    QString parameter;
    const char* added;
  } cases[] = {
      {QStringLiteral("K\u00FChler \u20AC.ncp"), "Kühler €.ncp"},
      {QStringLiteral("./Ma\u00DF.ncp"), "Maß.ncp"},
      {Path("Öl.ncp"), "Öl.ncp"},
  };
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(Path("")));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.added);
    form->Table().ClearJobs();
    form->OpenFiles({c.parameter});
    EXPECT_EQ(Cell(1, 4), Path(c.added));
  }
  QDir::setCurrent(previous);
  EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(JobListWindowTest, SaveAndReopen) {
  AddFiles({"a.ncp", "b.ncp"});
  Select(2, 3);
  Key(Qt::Key_Space);
  dialogs.saveChoices.push_back(Path("liste.mvx"));
  Action("saveListAction")->trigger();  // never saved: asks for a name
  ASSERT_EQ(dialogs.saveOptions.size(), 1u);
  EXPECT_EQ(dialogs.saveOptions[0].filter, QStringLiteral("MVX-Dateien (*.mvx) |*.mvx"));
  EXPECT_EQ(dialogs.saveOptions[0].defaultExtension, QStringLiteral("mvx"));
  EXPECT_EQ(ReadFileBytes(dir.Sub("liste.mvx")), "[1]\r\nM\r\n" + dir.Sub("a.ncp") + "\r\n" + dir.Sub("a.cnc") +
                                                     "\r\n[2]\r\nME\r\n" + dir.Sub("b.ncp") + "\r\n" +
                                                     dir.Sub("b.cnc") + "\r\n[E]\r\n\r\n");
  EXPECT_FALSE(form->Table().Modified());
  const std::string log = ReadFileBytes(LogPath());
  EXPECT_NE(log.find("  ####################\r\nTabelle gespeichert unter : \r\n   " + dir.Sub("liste.mvx") +
                     "\r\n\r\n\r\n\r\n"),
            std::string::npos);

  const QString before = Row(1) + Row(2);
  Action("newListAction")->trigger();
  Open("liste.mvx");
  EXPECT_EQ(dialogs.openOptions.back().filter, dialogs.saveOptions[0].filter);
  EXPECT_FALSE(dialogs.openOptions.back().multiSelect);
  EXPECT_EQ(Row(1) + Row(2), before);
  ExpectTableIntact();
  EXPECT_FALSE(form->Table().Modified());

  // Saving an opened list writes back to its file without asking.
  Select(1, 1);
  Key(Qt::Key_Space);
  Action("saveListAction")->trigger();
  EXPECT_EQ(dialogs.saveOptions.size(), 1u);
  EXPECT_EQ(ReadFileBytes(dir.Sub("liste.mvx")).substr(0, 6), "[1]\r\n\r");
  EXPECT_FALSE(form->Table().Modified());

  // Opening asks about changes and empties the table before its dialog.
  Key(Qt::Key_Space);
  dialogs.answers = {false, true};
  Action("openListAction")->trigger();
  EXPECT_EQ(GridRows(), 4);
  dialogs.fileChoices.push_back({});  // cancelled
  Action("openListAction")->trigger();
  EXPECT_EQ(GridRows(), 2);
  EXPECT_EQ(form->Table().ListFile(), "");
}

TEST_F(JobListWindowTest, AFaultyListIsReportedWithItsCodeAndLeavesAnEmptyTable) {
  const std::pair<const char*, int> cases[] = {
      {nullptr, 10},  // no such file
      {"[1]\r\nM\r\na.ncp\r\na.cnc\r\n1]\r\nM\r\nb.ncp\r\nb.cnc\r\n", 30},
      {"[1\r\nM\r\na.ncp\r\na.cnc\r\n", 31},
      {"[1]\r\nM\r\na.ncp\r\n\r\n[E]\r\n", 40},
  };
  for (const auto& [contents, code] : cases) {
    std::filesystem::remove(dir.Sub("f.mvx"));
    if (contents) WriteFileBytes(dir.Sub("f.mvx"), contents);
    dialogs.log.clear();
    Open("f.mvx");
    EXPECT_EQ(dialogs.log.back(), QStringLiteral("Nachricht: Beim lesen der Datei\r\n\r\n") + Path("f.mvx") +
                                      QStringLiteral("\r\n\r\nist ein Fehler aufgetreten (%1) !").arg(code));
    EXPECT_EQ(GridRows(), 2) << code;
    EXPECT_EQ(form->Table().ListFile(), "") << code;
  }
}

#ifndef _WIN32
// A FIFO is refused at once as a list that cannot be read, however it is
// opened; nothing waits for a writer.
TEST_F(JobListWindowTest, AFifoIsRefusedAsAListThatCannotBeRead) {
  ASSERT_EQ(mkfifo(dir.Sub("f.mvx").c_str(), 0600), 0);
  const std::function<void()> ways[] = {[&] { Open("f.mvx"); }, [&] { form->OpenFiles({Path("f.mvx")}); }};
  for (const auto& open : ways) {
    AddFiles({"a.ncp"});
    form->Table().SetModified(false);
    dialogs.log.clear();
    open();
    ASSERT_FALSE(dialogs.log.empty());
    EXPECT_EQ(dialogs.log.back(), QStringLiteral("Nachricht: Beim lesen der Datei\r\n\r\n") + Path("f.mvx") +
                                      QStringLiteral("\r\n\r\nist ein Fehler aufgetreten (10) !"));
    EXPECT_EQ(GridRows(), 2);
  }
}
#endif

TEST_F(JobListWindowTest, AFailedSaveKeepsTheOldFile) {
  FakeFileSystem fake;
  fs = &fake;
  fake.files[SettingsPath()] = ReadFileBytes(SettingsPath());
  form.reset();
  Start();
  const std::string list = dir.Sub("liste.mvx");
  fake.files[list] = "[E]\r\n\r\n";
  fake.failReplace.insert(list);
  AddFiles({"a.ncp"});
  dialogs.saveChoices.push_back(QString::fromStdString(list));
  Action("saveListAsAction")->trigger();
  EXPECT_EQ(dialogs.log.back(),
            QStringLiteral("Nachricht: 28 / Beim Speichern der Tabelle ist ein Fehler aufgetreten !"));
  EXPECT_EQ(fake.files[list], "[E]\r\n\r\n");
  EXPECT_TRUE(form->Table().Modified());
  EXPECT_EQ(form->Table().ListFile(), list);
  EXPECT_NE(fake.files[LogPath()].find(list + "\r\n28 / dabei ist ein Schreibfehler aufgetreten !!!!\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace morvatex::testing
