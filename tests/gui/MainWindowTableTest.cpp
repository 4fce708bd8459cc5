// The job table as the user works it: keys on the grid, the menu, the pictures.
#include <QMenu>
#include <QPlainTextEdit>

#include "gui/ClickableImage.h"
#include "tests/gui/MainWindowFixture.h"

namespace morvatex::testing {
namespace {

class JobTableWindowTest : public MainWindowTest {
 protected:
  void SetUp() override { StartWithSettings(); }

  QString Path(const char* name) { return QString::fromStdString(dir.Sub(name)); }
};

TEST_F(JobTableWindowTest, InsertAddsTheChosenFilesWithDerivedTargetsInTheirOrder) {
  AddFiles({"b.ncp", "A.NCP", "b.ncp"});
  ASSERT_EQ(dialogs.openOptions.size(), 1u);
  EXPECT_EQ(dialogs.openOptions[0].filter, QStringLiteral("NCP-Dateien (*.ncp)|*.ncp|Alle Dateiformate (*.*)|*.*"));
  EXPECT_EQ(dialogs.openOptions[0].defaultExtension, QStringLiteral("ncp"));
  EXPECT_TRUE(dialogs.openOptions[0].multiSelect);

  EXPECT_EQ(GridRows(), 5);
  EXPECT_EQ(Row(1), QStringLiteral("1|M|||%1|%2").arg(Path("b.ncp"), Path("b.cnc")));
  EXPECT_EQ(Row(2), QStringLiteral("2|M|||%1|%2").arg(Path("A.NCP"), Path("A.cnc")));
  EXPECT_EQ(Row(3), Row(1).replace(0, 1, QStringLiteral("3")));
  ExpectTableIntact();
  EXPECT_TRUE(form->Table().Modified());
}

TEST_F(JobTableWindowTest, TheMenuItemAndTheAddPictureOpenTheSameDialogAndCancelChangesNothing) {
  dialogs.fileChoices.push_back(Files({"a.ncp"}));
  Action("addIselFilesAction")->trigger();
  dialogs.fileChoices.push_back(Files({"b.ncp"}));
  QTest::mouseClick(form->AddButton(), Qt::LeftButton);
  EXPECT_EQ(dialogs.log, (std::vector<QString>{QStringLiteral("Öffnen"), QStringLiteral("Öffnen")}));
  EXPECT_EQ(Cell(2, 4), Path("b.ncp"));
  ExpectTableIntact();

  form->Table().SetModified(false);
  dialogs.fileChoices.push_back({});
  Key(Qt::Key_Insert);
  EXPECT_EQ(GridRows(), 4);
  EXPECT_FALSE(form->Table().Modified());
}

TEST_F(JobTableWindowTest, AFileWhosePathWindows1252CannotWriteIsRefusedNotMangled) {
  const QString polish = Path("a") + QChar(0x0142) + QStringLiteral(".ncp");  // ł
  dialogs.fileChoices.push_back({polish, Path("b.ncp")});
  Key(Qt::Key_Insert);
  ASSERT_EQ(dialogs.log.size(), 2u);
  EXPECT_EQ(dialogs.log[1], QStringLiteral("Nachricht: Diese Dateien werden nicht hinzugefügt, weil ihr Pfad "
                                           "Zeichen außerhalb des Zeichensatzes Windows-1252 enthält:\r\n") +
                                polish);
  EXPECT_EQ(GridRows(), 3);
  EXPECT_EQ(Cell(1, 4), Path("b.ncp"));

  // Umlauts and the euro sign are part of the code page and pass unchanged.
  AddFiles({"Kühler \xE2\x82\xAC.ncp"});
  EXPECT_EQ(Cell(2, 4), Path("Kühler €.ncp"));
  // The table holds the path in the code page; Sub takes UTF-8 only.
  EXPECT_EQ(form->Table().Cell(2, 4), dir.Sub("") + "K\xFChler \x80.ncp");
}

TEST_F(JobTableWindowTest, MovingTheSelectionShowsTheRowsDetails) {
  AddFiles({"a.ncp", "b.ncp"});
  Select(1, 0);
  Key(Qt::Key_Down);
  EXPECT_EQ(form->MessageView()->toPlainText(), QStringLiteral("2: b.ncp\n\n%1\n%2").arg(Path("b.ncp"), Path("b.cnc")));

  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->visualRect(Grid()->model()->index(0, 4)).center());
  EXPECT_EQ(form->MessageView()->toPlainText(), QStringLiteral("1: a.ncp\n\n%1\n%2").arg(Path("a.ncp"), Path("a.cnc")));

  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  EXPECT_EQ(form->MessageView()->toPlainText(), QStringLiteral("3: \n\n\n"));

  // Emptying the table moves the selection onto rows that are going: their
  // details never show; the row current afterwards does.
  dialogs.answers = {true};
  Action("newListAction")->trigger();
  EXPECT_EQ(form->MessageView()->toPlainText(), QStringLiteral("1: \n\n\n"));
}

// Removing rows under the selection shows the row that takes its place,
// never the one removed.
TEST_F(JobTableWindowTest, RemovingRowsShowsTheRowThatIsCurrentThen) {
  const struct {
    const char* how;
    QString shown;
  } cases[] = {
      {"delete", QStringLiteral("2: c.ncp\n\n%1\n%2").arg(Path("c.ncp"), Path("c.cnc"))},
      {"deleteConvertedJobsAction", QStringLiteral("2: c.ncp\n\n%1\n%2").arg(Path("c.ncp"), Path("c.cnc"))},
      {"newListAction", QStringLiteral("1: \n\n\n")},
  };
  for (const auto& c : cases) {
    form->Table().SetModified(false);
    Action("newListAction")->trigger();
    AddFiles({"a.ncp", "b.ncp", "c.ncp"});
    form->Table().SetCell(2, 2, "A");
    Select(2, 0);
    ASSERT_TRUE(form->MessageView()->toPlainText().startsWith(QStringLiteral("2: b.ncp"))) << c.how;
    dialogs.answers = {true};
    if (std::string(c.how) == "delete")
      Key(Qt::Key_Delete);
    else
      Action(c.how)->trigger();
    EXPECT_EQ(form->MessageView()->toPlainText(), c.shown) << c.how;
  }
}

TEST_F(JobTableWindowTest, SpaceTogglesTheMarkOfTheSelectedColumn) {
  AddFiles({"a.ncp", "b.ncp"});
  form->Table().SetModified(false);
  Select(2, 0);
  Key(Qt::Key_Right);
  Key(Qt::Key_Right);
  Key(Qt::Key_Space);
  EXPECT_EQ(Row(2).section(QLatin1Char('|'), 0, 3), QStringLiteral("2|M|A|"));
  EXPECT_TRUE(form->Table().Modified());
  Key(Qt::Key_Space);
  Key(Qt::Key_Left);
  Key(Qt::Key_Space);
  EXPECT_EQ(Row(2).section(QLatin1Char('|'), 0, 3), QStringLiteral("2|||"));
  EXPECT_EQ(Row(1).section(QLatin1Char('|'), 0, 3), QStringLiteral("1|M||"));
  ExpectTableIntact();
}

TEST_F(JobTableWindowTest, SpaceDeleteAndEscapeOnTheEmptyRowDoNothingAndAskNothing) {
  Select(1, 1);
  Key(Qt::Key_Space);
  Key(Qt::Key_Delete);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(dialogs.log.empty());
  EXPECT_FALSE(form->Table().Modified());
  ExpectTableIntact();
  EXPECT_EQ(GridRows(), 2);
}

TEST_F(JobTableWindowTest, DeleteAsksAndRemovesTheRowOnlyOnYes) {
  AddFiles({"a.ncp", "b.ncp", "c.ncp"});
  form->Table().SetModified(false);
  Select(2, 3);
  dialogs.answers = {false};
  Key(Qt::Key_Delete);
  EXPECT_EQ(dialogs.log.back(), QStringLiteral("Ja/Nein: Zeile 2 wirklich löschen?"));
  EXPECT_EQ(GridRows(), 5);
  EXPECT_FALSE(form->Table().Modified());

  dialogs.answers = {true};
  Key(Qt::Key_Delete);
  EXPECT_EQ(GridRows(), 4);
  EXPECT_EQ(Row(2), QStringLiteral("2|M|||%1|%2").arg(Path("c.ncp"), Path("c.cnc")));
  EXPECT_TRUE(form->Table().Modified());
  ExpectTableIntact();
}

TEST_F(JobTableWindowTest, TheMessageFieldTakesTheSameKeys) {
  AddFiles({"a.ncp"});
  Select(1, 2);
  Key(Qt::Key_Space, form->MessageView());
  EXPECT_EQ(Cell(1, 2), QStringLiteral("A"));
  dialogs.answers = {true};
  Key(Qt::Key_Delete, form->MessageView());
  EXPECT_EQ(GridRows(), 2);
  dialogs.fileChoices.push_back(Files({"b.ncp"}));
  Key(Qt::Key_Insert, form->MessageView());
  EXPECT_EQ(GridRows(), 3);
}

TEST_F(JobTableWindowTest, ResettingMarksEveryJobAgainWithoutCountingAsAChange) {
  AddFiles({"a.ncp", "b.ncp"});
  form->Table().SetCell(1, 2, "A");
  form->Table().SetCell(2, 1, "");
  form->Table().SetCell(2, 3, "E");
  form->Table().SetModified(false);
  Action("resetAllJobsAction")->trigger();
  EXPECT_EQ(Row(1).section(QLatin1Char('|'), 0, 3), QStringLiteral("1|M||"));
  EXPECT_EQ(Row(2).section(QLatin1Char('|'), 0, 3), QStringLiteral("2|M||"));
  EXPECT_FALSE(form->Table().Modified());
  // So closing afterwards asks nothing.
  EXPECT_TRUE(form->close());
  EXPECT_EQ(dialogs.log.size(), 1u);  // the open dialog only
}

TEST_F(JobTableWindowTest, DeletingConvertedEntriesRemovesTheRowsMarkedAWithoutAsking) {
  AddFiles({"a.ncp", "b.ncp", "c.ncp"});
  form->Table().SetCell(1, 2, "A");
  form->Table().SetCell(3, 2, "A");
  Action("deleteConvertedJobsAction")->trigger();
  EXPECT_EQ(GridRows(), 3);
  EXPECT_EQ(Cell(1, 4), Path("b.ncp"));
  EXPECT_EQ(dialogs.log.size(), 1u);
  ExpectTableIntact();
}

TEST_F(JobTableWindowTest, NewAsksAboutUnsavedChangesAndCancelKeepsEverything) {
  AddFiles({"a.ncp"});
  form->Table().SetListFile(dir.Sub("jobs.mvx"));
  dialogs.answers = {false};
  Action("newListAction")->trigger();
  EXPECT_EQ(dialogs.log.back(),
            QStringLiteral("OK/Abbrechen: Die aktuelle Tabelle wurde noch nicht gespeichert!\r\nTrotzdem fortfahren?"));
  EXPECT_EQ(GridRows(), 3);
  EXPECT_EQ(form->Table().ListFile(), dir.Sub("jobs.mvx"));
  EXPECT_TRUE(form->Table().Modified());

  dialogs.answers = {true};
  Action("newListAction")->trigger();
  EXPECT_EQ(GridRows(), 2);
  EXPECT_EQ(form->Table().ListFile(), "");
  EXPECT_FALSE(form->Table().Modified());
  ExpectTableIntact();

  // An unchanged table is dropped without a question.
  const std::size_t asked = dialogs.log.size();
  form->Table().SetListFile(dir.Sub("jobs.mvx"));
  Action("newListAction")->trigger();
  EXPECT_EQ(dialogs.log.size(), asked);
  EXPECT_EQ(form->Table().ListFile(), "");
}

TEST_F(JobTableWindowTest, DuringARunOnlyEscapeIsTakenAndTheEditingMenusAreOff) {
  AddFiles({"a.ncp", "b.ncp"});
  form->Table().SetModified(false);
  form->EnterRunningState();
  const QString row1 = Row(1);
  Select(1, 1);
  for (int key : {Qt::Key_Insert, Qt::Key_Space, Qt::Key_Delete, Qt::Key_Escape}) Key(key);
  EXPECT_EQ(Row(1), row1);
  EXPECT_EQ(GridRows(), 4);
  EXPECT_EQ(dialogs.log.size(), 1u);
  EXPECT_FALSE(form->Table().Modified());

  // Cursor keys still move, and the details follow.
  Key(Qt::Key_Down);
  EXPECT_TRUE(form->MessageView()->toPlainText().startsWith(QStringLiteral("2: b.ncp")));

  for (const char* menu : {"listMenu", "editMenu", "settingsMenu"})
    EXPECT_FALSE(form->findChild<QMenu*>(QString::fromLatin1(menu))->menuAction()->isEnabled()) << menu;
  EXPECT_TRUE(form->findChild<QMenu*>(QStringLiteral("helpMenu"))->menuAction()->isEnabled());
  EXPECT_FALSE(Action("startAction")->isEnabled());
  EXPECT_TRUE(Action("stopAction")->isEnabled());
  EXPECT_TRUE(form->AddButton()->isHidden());
  EXPECT_TRUE(form->ConvertButton()->isHidden());
  EXPECT_FALSE(form->StopButton()->isHidden());

  // Even when reached some other way, the editing commands refuse to act.
  QTest::mouseClick(form->AddButton(), Qt::LeftButton);
  Action("newListAction")->trigger();
  Action("deleteConvertedJobsAction")->trigger();
  form->Table().SetCell(2, 2, "A");
  Action("resetAllJobsAction")->trigger();
  Action("deleteConvertedJobsAction")->trigger();
  EXPECT_EQ(Cell(2, 2), QStringLiteral("A"));
  EXPECT_EQ(GridRows(), 4);
  EXPECT_EQ(dialogs.log.size(), 1u);

  form->EnterIdleState();
  EXPECT_TRUE(Action("startAction")->isEnabled());
  EXPECT_FALSE(Action("stopAction")->isEnabled());
  EXPECT_TRUE(form->StopButton()->isHidden());
  EXPECT_FALSE(form->AddButton()->isHidden());
  Key(Qt::Key_Space);
  EXPECT_EQ(Cell(2, 1), QString());
}

}  // namespace
}  // namespace morvatex::testing
