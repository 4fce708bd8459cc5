#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "gui/WatchedFoldersDialog.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {
namespace {

const std::string kProgram = CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000", "MOVEABS Y1000", "PROGEND"});

class WatchedFoldersTest : public MainWindowTest {
 protected:
  std::string in = dir.Sub("ein");

  void SetUp() override {
    std::filesystem::create_directories(NativePath(in));
    StartWithSettings();
  }

  // Chooses "Überwachte Ordner..." and runs `work` while the dialog is shown.
  void WithDialog(const std::function<void(WatchedFoldersDialog&)>& work) {
    WatchedFoldersDialog& dialog = form->WatchedFolders();
    bool ran = false;
    QTimer::singleShot(0, &dialog, [&] {
      ran = true;
      work(dialog);
      if (dialog.isVisible()) {
        ADD_FAILURE() << "the dialog is still open";
        dialog.reject();
      }
    });
    Action("watchedFoldersAction")->trigger();
    EXPECT_TRUE(ran);
  }

  // Adds the folder "ein" with the mouse and the keyboard, then saves.
  void AddFolder(bool autoConvert, const std::string& archive = {}) {
    WithDialog([&](WatchedFoldersDialog& dialog) {
      QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);
      QTest::keyClicks(dialog.FolderEdit(), QString::fromStdString(in));
      if (!archive.empty()) QTest::keyClicks(dialog.ArchiveEdit(), QString::fromStdString(archive));
      // On the box itself: the row is wider than its text.
      if (autoConvert)
        QTest::mouseClick(dialog.AutoConvertBox(), Qt::LeftButton, {},
                          QPoint(6, dialog.AutoConvertBox()->height() / 2));
      QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
    });
  }

  QLabel* Status() { return form->findChild<QLabel*>(QStringLiteral("watchStatus")); }
  bool Exists(const std::string& name) { return std::filesystem::exists(NativePath(dir.Sub(name))); }
};

TEST_F(WatchedFoldersTest, NothingChangesWhileNoFolderIsWatched) {
  EXPECT_TRUE(Status() == nullptr || !Status()->isVisible());
  EXPECT_FALSE(Exists("morvatex.set.ueberwacht"));
  // Cancelling an added folder keeps none.
  WithDialog([](WatchedFoldersDialog& dialog) {
    QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);
    QTest::keyClicks(dialog.FolderEdit(), QStringLiteral("/tmp"));
    dialog.reject();
  });
  EXPECT_FALSE(Exists("morvatex.set.ueberwacht"));
  EXPECT_EQ(form->Table().JobCount(), 0);
}

TEST_F(WatchedFoldersTest, NewFilesBecomeMarkedRowsAndAreRememberedAndRemoved) {
  AddFolder(false);
  const std::string list = ReadFileBytes(dir.Sub("morvatex.set.ueberwacht"));
  EXPECT_NE(list.find("Pfad=" + in + "\r\n"), std::string::npos) << list;
  EXPECT_NE(list.find("Automatisch=0\r\n"), std::string::npos) << list;
  ASSERT_NE(Status(), nullptr);
  EXPECT_TRUE(Status()->isVisible());
  EXPECT_EQ(Status()->text(), QStringLiteral("Überwacht: 1 Ordner, 0 wartend"));

  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->Table().JobCount() == 1; }, 15000));
  EXPECT_EQ(Row(1),
            QStringLiteral("1|M|||%1|%2")
                .arg(QString::fromStdString(dir.Sub("ein/teil.ncp")), QString::fromStdString(dir.Sub("ein/teil.cnc"))));
  EXPECT_EQ(Status()->text(), QStringLiteral("Überwacht: 1 Ordner, 1 wartend"));
  EXPECT_FALSE(Exists("ein/teil.cnc"));  // waits for Start
  Action("startAction")->trigger();
  EXPECT_TRUE(Exists("ein/teil.cnc"));
  EXPECT_EQ(Status()->text(), QStringLiteral("Überwacht: 1 Ordner, 0 wartend"));

  // Removed again: the file goes, the status too.
  WithDialog([](WatchedFoldersDialog& dialog) {
    QTest::mouseClick(dialog.RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.List()->count(), 0);
    QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
  });
  EXPECT_FALSE(Exists("morvatex.set.ueberwacht"));
  EXPECT_FALSE(Status()->isVisible());
}

// An archive that is the folder however written, or that holds it while
// sub-folders count, would hand its files back: "Speichern" refuses it.
TEST_F(WatchedFoldersTest, AnArchiveThatWouldHandItsFilesBackIsRefused) {
  struct Case {
    std::string archive;
    bool recursive;
    QString says;
  };
  const QString itself = QStringLiteral("ist der überwachte Ordner selbst");
  for (const Case& c : {Case{in, false, itself}, Case{in + "/.", false, itself}, Case{in + "/../ein", true, itself},
                        Case{in + "/..", true, QStringLiteral("enthält den überwachten Ordner")}}) {
    SCOPED_TRACE(c.archive);
    dialogs.log.clear();
    WithDialog([&](WatchedFoldersDialog& dialog) {
      QTest::mouseClick(dialog.AddButton(), Qt::LeftButton);
      QTest::keyClicks(dialog.FolderEdit(), QString::fromStdString(in));
      QTest::keyClicks(dialog.ArchiveEdit(), QString::fromStdString(c.archive));
      if (c.recursive)
        QTest::mouseClick(dialog.RecursiveBox(), Qt::LeftButton, {}, QPoint(6, dialog.RecursiveBox()->height() / 2));
      QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
      EXPECT_TRUE(dialog.isVisible());
      dialog.reject();
    });
    ASSERT_EQ(dialogs.log.size(), 1U);
    EXPECT_NE(dialogs.log[0].indexOf(c.says), -1) << dialogs.log[0].toStdString();
  }
  // Without sub-folders the folder's parent is a fine archive.
  dialogs.log.clear();
  AddFolder(false, in + "/..");
  EXPECT_TRUE(Exists("morvatex.set.ueberwacht"));
  EXPECT_TRUE(dialogs.log.empty()) << dialogs.log[0].toStdString();
}

TEST_F(WatchedFoldersTest, AutomaticFoldersConvertTheirRowsWhenIdleAndAfterARestart) {
  AddFolder(true);
  WriteFileBytes(dir.Sub("ein/M\xC3\xBCller.ncp"), kProgram);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Exists("ein/M\xC3\xBCller.cnc"); }, 15000));
  EXPECT_EQ(Cell(1, 1), QString());
  EXPECT_EQ(Cell(1, 2), QStringLiteral("A"));
  EXPECT_NE(form->MessageView()->toPlainText().indexOf(QStringLiteral("Fehlerstatus: 0")), -1);
  // The next start of the program watches the folder again and repeats nothing.
  form->Table().SetModified(false);
  form.reset();
  Start();
  ASSERT_NE(Status(), nullptr);
  EXPECT_EQ(Status()->text(), QStringLiteral("Überwacht: 1 Ordner, 0 wartend"));
  QTest::qWait(3500);
  EXPECT_EQ(form->Table().JobCount(), 0);
}

// Switching "Automatisch konvertieren" on while a taken file waits in the
// table keeps the folder's watch: the waiting row is converted once and no
// second row of the same file appears.
TEST_F(WatchedFoldersTest, SwitchingAutomaticOnConvertsTheWaitingRowOnce) {
  AddFolder(false);
  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->Table().JobCount() == 1; }, 15000));
  WithDialog([](WatchedFoldersDialog& dialog) {
    QTest::mouseClick(dialog.AutoConvertBox(), Qt::LeftButton, {}, QPoint(6, dialog.AutoConvertBox()->height() / 2));
    QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return Exists("ein/teil.cnc"); }, 15000));
  QTest::qWait(2500);  // a look or two later
  EXPECT_EQ(form->Table().JobCount(), 1);
  EXPECT_EQ(Cell(1, 2), QStringLiteral("A"));
  EXPECT_EQ(form->MessageView()->toPlainText().count(QStringLiteral("Fehlerstatus: 0")), 1);
  EXPECT_EQ(Status()->text(), QStringLiteral("Überwacht: 1 Ordner, 0 wartend"));
}

// "Ausgabe prüfen" with RS274/NGC, which rejects the "X:" of a new
// configuration: the row gets its "E", the file stays out of the archive
// and waits; the next start of the program converts and checks it again.
TEST_F(WatchedFoldersTest, AFailedCheckGetsItsEAndKeepsTheFileOutOfTheArchiveAtEveryStart) {
  Action("outputCheckRs274Action")->trigger();
  AddFolder(true, dir.Sub("fertig"));
  WriteFileBytes(dir.Sub("ein/teil.ncp"), kProgram);
  const QString failed =
      QStringLiteral("1|M||E|%1|%2")
          .arg(QString::fromStdString(dir.Sub("ein/teil.ncp")), QString::fromStdString(dir.Sub("ein/teil.cnc")));
  for (const char* pass : {"first start", "next start"}) {
    SCOPED_TRACE(pass);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form->Table().JobCount() == 1 && Cell(1, 3) == QStringLiteral("E"); }, 15000));
    EXPECT_EQ(Row(1), failed);
    EXPECT_NE(form->MessageView()->toPlainText().indexOf(QStringLiteral("Prüfung (RS274/NGC): ")), -1);
    QTest::qWait(2500);  // a look or two later: neither archived nor taken again
    EXPECT_TRUE(Exists("ein/teil.ncp"));
    EXPECT_FALSE(Exists("fertig/teil.ncp"));
    EXPECT_EQ(form->Table().JobCount(), 1);
    EXPECT_EQ(Status()->text(), QStringLiteral("Überwacht: 1 Ordner, 0 wartend"));
    form->Table().SetModified(false);
    form.reset();
    Start();
  }
}

}  // namespace
}  // namespace morvatex::testing
