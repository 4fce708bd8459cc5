// What the main window tells after a run and a rederive, the message field's
// splitter, several rows at once, a source added twice, and the watched
// folders' pickers and place.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTimer>

#include <filesystem>

#include "batch/TargetPath.h"
#include "gui/ClickableImage.h"
#include "gui/QtDialogs.h"
#include "gui/WatchedFoldersDialog.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/ProgramGenerator.h"

namespace morvatex::testing {
namespace {

const std::string kGood =
    CrLfLines({"FASTABS X0 Y0 Z1000", "MOVEABS X1000 Y0", "MOVEABS X1000 Y1000", "MOVEABS X0 Y0", "PROGEND"});
const std::string kFourLines = CrLfLines({"FASTABS X0 Y0", "MOVEABS X1000 Y0", "MOVEABS X0 Y0", "PROGEND"});
const std::string kMetric =
    CrLfLines({"FASTABS X0 Y0 Z1000", "METRIC", "MOVEABS X1000 Y0", "MOVEABS X1000 Y1000", "MOVEABS X0 Y0", "PROGEND"});
const QString kChecked =
    QStringLiteral("Achtung: Die Ausgabeprüfung hat Abweichungen gefunden oder war nicht möglich.");
const QString kNotCarried = QStringLiteral("Achtung: Nicht alle Zeilen wurden umgesetzt.");

class RunFeedbackTest : public MainWindowTest {
 protected:
  void SetUp() override { StartWithSettings(); }
  QString Messages() { return form->MessageView()->toPlainText(); }
  void ClickCell(int row, int column, Qt::KeyboardModifiers modifiers = {}) {
    const QRect cell = Grid()->visualRect(Grid()->model()->index(row - 1, column));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, modifiers, cell.center());
  }
};

TEST_F(RunFeedbackTest, ARunEndsWithItsSummaryAndWarnedRowsSaySoUnderTheirReport) {
  struct Case {
    const char* name;
    std::vector<std::string> programs;
    bool check;
    bool stop;
    QString summary;
    QString warning;  // under the first row's report
  };
  const Case cases[] = {
      {"clean", {kGood, kGood}, false, false, "2 konvertiert, 0 fehlerhaft, 0 mit Warnungen, 0 abgebrochen", {}},
      {"one fails",
       {kGood, kFourLines, kGood},
       false,
       false,
       "2 konvertiert, 1 fehlerhaft, 0 mit Warnungen, 0 abgebrochen",
       {}},
      {"not carried",
       {kMetric, kGood},
       false,
       false,
       "1 konvertiert, 0 fehlerhaft, 1 mit Warnungen, 0 abgebrochen",
       kNotCarried},
      {"check fails", {kGood}, true, false, "0 konvertiert, 0 fehlerhaft, 1 mit Warnungen, 0 abgebrochen", kChecked},
      {"stopped",
       {bench::GenerateIselProgram(200'000), kGood},
       false,
       true,
       "0 konvertiert, 0 fehlerhaft, 0 mit Warnungen, 2 abgebrochen",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form->Table().SetModified(false);
    Action("newListAction")->trigger();
    QStringList files;
    for (std::size_t i = 0; i < c.programs.size(); ++i) {
      const std::string name = "p" + std::to_string(i) + ".ncp";
      WriteFileBytes(dir.Sub(name), c.programs[i]);
      files << QString::fromStdString(dir.Sub(name));
    }
    dialogs.fileChoices.push_back(files);
    Key(Qt::Key_Insert);
    // The new configuration writes "X:", which RS274/NGC cannot read.
    Action(c.check ? "outputCheckRs274Action" : "outputCheckOffAction")->trigger();
    if (c.stop) QTimer::singleShot(0, form.get(), [this] { Key(Qt::Key_Escape); });
    QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);

    const QStringList lines = Messages().split(QLatin1Char('\n'));
    const QString last = Messages().trimmed().split(QLatin1Char('\n')).last();
    const QRegularExpression summary(QStringLiteral("^Lauf beendet: ") + c.summary +
                                     QStringLiteral(", Dauer \\d+,\\d s$"));
    EXPECT_TRUE(summary.match(last).hasMatch()) << last.toStdString();
    const qsizetype second = lines.indexOf(QRegularExpression(QStringLiteral("^Zeile:   2:")));
    if (c.warning.isEmpty()) {
      EXPECT_FALSE(Messages().contains(QStringLiteral("Achtung:"))) << Messages().toStdString();
    } else {
      // Its report's last line, then the warning, then the empty lines.
      const qsizetype at = lines.indexOf(c.warning);
      ASSERT_GT(at, 1) << Messages().toStdString();
      EXPECT_FALSE(lines[at - 1].isEmpty());
      EXPECT_TRUE(lines[at + 1].isEmpty());
      EXPECT_TRUE(second < 0 || second == at + 3);
    }
  }
  EXPECT_FALSE(ReadFileBytes(LogPath()).find("Lauf beendet") != std::string::npos) << "the log keeps its entries";
}

TEST_F(RunFeedbackTest, TheMessageFieldStartsAsBeforeAndItsHandleDragsItTaller) {
  QSplitter* splitter = form->MessageSplitter();
  ASSERT_NE(splitter, nullptr);
  QWidget* messages = splitter->widget(2);
  QWidget* jobs = splitter->widget(0);
  EXPECT_EQ(messages->height(), 108);
  EXPECT_EQ(jobs->geometry().bottom() + 1, messages->y()) << "no room for a handle";

  QWidget* handle = splitter->handle(2);
  const QPoint grip(handle->width() / 2, handle->height() / 2);
  QTest::mousePress(handle, Qt::LeftButton, {}, grip);
  QTest::mouseMove(handle, grip - QPoint(0, 60));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 60));
  // Within the grip's margin of where the mouse let go.
  const int dragged = messages->height();
  EXPECT_NEAR(dragged, 168, 2);
  EXPECT_EQ(jobs->geometry().bottom() + 1, messages->y());

  form->resize(form->width(), form->height() + 50);
  QTest::qWait(0);
  EXPECT_EQ(messages->height(), dragged) << "the grid takes a larger window";
}

TEST_F(RunFeedbackTest, SeveralRowsTakeOneQuestionAndOneMarkState) {
  AddFiles({"a.ncp", "b.ncp", "c.ncp", "d.ncp"});
  ClickCell(1, 1);
  ClickCell(3, 1, Qt::ShiftModifier);
  Key(Qt::Key_Space);
  EXPECT_EQ(QStringList({Cell(1, 1), Cell(2, 1), Cell(3, 1), Cell(4, 1)}), QStringList({"", "", "", "M"}));
  ClickCell(4, 2, Qt::ControlModifier);
  Key(Qt::Key_Space);  // the current row's "A" goes on, and so on every other row
  EXPECT_EQ(QStringList({Cell(1, 2), Cell(2, 2), Cell(3, 2), Cell(4, 2)}), QStringList({"A", "A", "A", "A"}));

  dialogs.answers = {false, true};
  Key(Qt::Key_Delete);
  EXPECT_EQ(form->Table().JobCount(), 4);
  Key(Qt::Key_Delete);
  EXPECT_EQ(dialogs.log.back(), QStringLiteral("Ja/Nein: 4 Zeilen (1, 2, 3, 4) wirklich löschen?"));
  EXPECT_EQ(form->Table().JobCount(), 0);
  ExpectTableIntact();
}

TEST_F(RunFeedbackTest, ASourceAlreadyInTheTableIsAddedAgainOnlyOnYes) {
  std::filesystem::create_directory(dir.Sub("sub"));
  for (const char* name : {"a.ncp", "b.ncp"}) WriteFileBytes(dir.Sub(name), kGood);
  AddFiles({"a.ncp", "b.ncp"});
  // The same file under another spelling of its folder.
  const QString other = QString::fromStdString(dir.Sub("sub") + "/../a.ncp");
  for (const bool again : {false, true}) {
    const QString fresh = QString::fromStdString(dir.Sub(again ? "d.ncp" : "c.ncp"));
    dialogs.answers = {again};
    dialogs.fileChoices.push_back({other, fresh});
    Key(Qt::Key_Insert);
    EXPECT_EQ(dialogs.log.back(),
              QStringLiteral("Ja/Nein: Diese Dateien stehen schon in der Tabelle:\r\n%1\r\nTrotzdem noch einmal "
                             "hinzufügen?")
                  .arg(other));
    EXPECT_EQ(form->Table().JobCount(), again ? 5 : 3);
    EXPECT_EQ(Cell(form->Table().JobCount(), 4), fresh);
  }
}

TEST_F(RunFeedbackTest, RederivingTellsHowManyTargetsChanged) {
  AddFiles({"a.ncp", "b.ncp", "c.ncp"});
  form->LiveSettings().Zielordner = kTargetInFolder;
  form->LiveSettings().Ziel.Assign(dir.Sub("out"));
  form->Table().SetCell(2, 5, form->TargetPathFor(form->Table().Cell(2, 4)));
  Action("rederiveTargetsAction")->trigger();
  EXPECT_TRUE(Messages().endsWith(QStringLiteral("\nZiele neu gebildet: 2 von 3 geändert.")))
      << Messages().toStdString();
}

TEST_F(RunFeedbackTest, TheWatchedFoldersPickersFillTheirFieldsAndTheDialogOpensOverItsWindow) {
  WatchedFoldersDialog dialog(dialogs, *fs, form.get());
  dialog.Fill({WatchedFolderEntry{}});
  dialog.FolderEdit()->setText(QStringLiteral("/alt"));
  dialogs.folderChoices = {QStringLiteral("/neu"), QString(), QStringLiteral("/archiv")};
  QTest::mouseClick(dialog.FolderPicker(), Qt::LeftButton);
  QTest::mouseClick(dialog.ArchivePicker(), Qt::LeftButton);  // cancelled
  EXPECT_EQ(dialogs.folderStarts, (std::vector<QString>{"/alt", ""}));
  EXPECT_EQ(dialog.FolderEdit()->text(), QStringLiteral("/neu"));
  EXPECT_EQ(dialog.ArchiveEdit()->text(), QString());
  QTest::mouseClick(dialog.ArchivePicker(), Qt::LeftButton);
  EXPECT_EQ(dialog.ArchiveEdit()->text(), QStringLiteral("/archiv"));

  QPoint first;
  for (int opening = 0; opening < 2; ++opening) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    if (opening == 0) first = dialog.pos();
    EXPECT_EQ(dialog.pos(), first);
    EXPECT_LE((dialog.frameGeometry().center() - form->frameGeometry().center()).manhattanLength(), 2);
    dialog.hide();
  }
}

TEST_F(RunFeedbackTest, TheFileDialogsOpenWideWithDetailsOnTheScreen) {
  QtDialogs real;
  QSize size;
  QFileDialog::ViewMode mode = QFileDialog::List;
  QTimer::singleShot(0, [&] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* open = qobject_cast<QFileDialog*>(window); open && open->isVisible()) {
        size = open->size();
        mode = open->viewMode();
        open->reject();
      }
    }
  });
  real.OpenFiles({QStringLiteral("NCP-Dateien (*.ncp)|*.ncp"), QStringLiteral("ncp"), true, false, {}});
  const QSize room = form->screen()->availableGeometry().size();
  EXPECT_EQ(size, QSize(900, 560).boundedTo(room * 0.9));
  EXPECT_EQ(mode, QFileDialog::Detail);
}

}  // namespace
}  // namespace morvatex::testing
