// The additions for daily use, each driven through the real widgets: the
// re-derived targets, the shortcuts, the remembered folders, places and
// recent lists, the folder picker, the command-line files and the wheel
// over the tool table.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>
#include <QWheelEvent>

#include <filesystem>
#include <functional>
#include <string>

#include "gui/ClickableImage.h"
#include "gui/FolderDialog.h"
#include "gui/LabeledEdit.h"
#include "gui/PreviewWindow.h"
#include "gui/SettingsDialog.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex {
namespace {

class DailyUseTest : public testing::MainWindowTest {
 protected:
  void WriteProgram(const char* name) {
    testing::WriteFileBytes(dir.Sub(name), testing::CrLfLines({"VEL 1000", "FASTABS X0 Y0", "MOVEABS X1000",
                                                               "MOVEABS Y1000", "MOVEABS X0", "PROGEND"}));
  }
  void TurnRememberingOn() {
    Action("rememberAction")->trigger();
    ASSERT_TRUE(form->Remembered().remember);
  }
  // A new window life: the old window closed as the user closes it.
  void Restart() {
    form->Table().SetModified(false);
    form->close();
    form.reset();
    Start();
  }
  void Shortcut(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Grid(), key, modifiers);
  }
  static void Wheel(QWidget* target, Qt::KeyboardModifiers modifiers) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
  }
};

TEST_F(DailyUseTest, TheAdditionsWorkThroughTheirWidgets) {
  const struct {
    const char* name;
    std::function<void()> run;
  } cases[] = {
      {"targets derived again after the extension changed",
       [this] {
         WriteProgram("teil.ncp");
         AddFiles({"teil.ncp"});
         form->Table().SetModified(false);
         form->LiveSettings().Profil.Dateinamenerweiterung.Assign("tap");  // as the Mach3 preset sets it
         Action("rederiveTargetsAction")->trigger();
         EXPECT_EQ(Cell(1, 5), QString::fromStdString(dir.Sub("teil.tap")));
         EXPECT_TRUE(form->Table().Modified());
         EXPECT_EQ(Grid()->model()->index(0, 5).data(Qt::ToolTipRole).toString(), Cell(1, 5));
       }},
      {"shortcuts act when idle, not during a run",
       [this] {
         EXPECT_EQ(Action("saveListAsAction")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
         dialogs.fileChoices.push_back({});
         Shortcut(Qt::Key_O, Qt::ControlModifier);
         EXPECT_EQ(dialogs.log, std::vector<QString>{QStringLiteral("Öffnen")});
         form->EnterRunningState();
         for (const char* name : {"newListAction", "openListAction", "saveListAction", "rederiveTargetsAction"})
           EXPECT_FALSE(Action(name)->isEnabled()) << name;
         Shortcut(Qt::Key_O, Qt::ControlModifier);
         Shortcut(Qt::Key_S, Qt::ControlModifier);
         EXPECT_EQ(dialogs.log.size(), 1u);
         form->EnterIdleState();
         WriteProgram("kreis.ncp");
         AddFiles({"kreis.ncp"});
         Select(1, 4);
         Shortcut(Qt::Key_Return);
         EXPECT_NE(form->findChild<PreviewWindow*>(), nullptr);
       }},
      {"folders and places remembered across two window lives",
       [this] {
         TurnRememberingOn();
         std::filesystem::create_directory(dir.Sub("teile"));
         WriteProgram("teile/a.ncp");
         AddFiles({"teile/a.ncp"});
         form->setGeometry(40, 50, 720, 500);  // the offscreen screen is 800 x 600
         Restart();
         EXPECT_EQ(form->geometry(), QRect(40, 50, 720, 500));
         // The extra width goes to the source and target columns.
         EXPECT_EQ(Grid()->columnWidth(4) + Grid()->columnWidth(5), 207 + 200 + 720 - 670);
         dialogs.fileChoices.push_back({});
         Key(Qt::Key_Insert);
         EXPECT_EQ(dialogs.openOptions.back().folder, QString::fromStdString(dir.Sub("teile/")));
       }},
      {"recent lists, a missing one removed",
       [this] {
         TurnRememberingOn();
         WriteProgram("a.ncp");
         AddFiles({"a.ncp"});
         for (const char* list : {"eins.mvx", "zwei.mvx"}) {
           dialogs.saveChoices.push_back(QString::fromStdString(dir.Sub(list)));
           Shortcut(Qt::Key_S, static_cast<Qt::KeyboardModifiers>(Qt::ControlModifier | Qt::ShiftModifier));
         }
         auto* recent = form->findChild<QMenu*>(QStringLiteral("recentMenu"));
         ASSERT_TRUE(recent->menuAction()->isVisible());
         ASSERT_EQ(recent->actions().size(), 2);
         EXPECT_EQ(recent->actions()[0]->text(), QString::fromStdString(dir.Sub("zwei.mvx")));
         std::filesystem::remove(dir.Sub("zwei.mvx"));
         recent->actions()[0]->trigger();
         ASSERT_FALSE(dialogs.log.empty());
         EXPECT_TRUE(dialogs.log.back().contains(QStringLiteral("fehlt"))) << dialogs.log.back().toStdString();
         ASSERT_EQ(recent->actions().size(), 1);
         recent->actions()[0]->trigger();
         EXPECT_EQ(form->Table().ListFile(), dir.Sub("eins.mvx"));
       }},
      {"the folder picker, trailing separators dropped",
       [this] {
         FolderDialog& folders = form->Folders();
         folders.Fill("", "", 1);
         dialogs.folderChoices.push_back(QStringLiteral("/werk/ziel/"));
         QTimer::singleShot(0, &folders, [&folders] {
           QTest::mouseClick(folders.TargetPicker(), Qt::LeftButton);
           QTest::mouseClick(folders.SaveButton(), Qt::LeftButton);
         });
         folders.exec();
         EXPECT_EQ(dialogs.folderStarts, std::vector<QString>{QString()});
         EXPECT_EQ(folders.TargetEdit()->Edit()->text(), QStringLiteral("/werk/ziel/"));
         // Kept with the system's separators, as a typed folder is.
         EXPECT_EQ(folders.TargetFolder(), QDir::toNativeSeparators(QStringLiteral("/werk/ziel")).toStdString());
         EXPECT_FALSE(folders.SourcePicker()->isEnabled());
       }},
      {"command-line files taken as a drop takes them",
       [this] {
         WriteProgram("kreis.ncp");
         testing::WriteFileBytes(dir.Sub("README.txt"), "x");
         form->OpenFiles(Files({"kreis.ncp", "README.txt"}));
         EXPECT_EQ(form->Table().JobCount(), 1);
         ASSERT_EQ(dialogs.log.size(), 1u);
         EXPECT_TRUE(dialogs.log[0].endsWith(QString::fromStdString(dir.Sub("README.txt"))));
       }},
      {"the wheel over the tool table scrolls the page",
       [this] {
         SettingsDialog& settings = form->CncSettings();
         settings.show();
         QScrollBar* page = settings.ScrollArea()->verticalScrollBar();
         QScrollBar* tools = settings.ToolGrid()->horizontalScrollBar();
         Wheel(settings.ToolGrid()->viewport(), Qt::NoModifier);
         EXPECT_GT(page->value(), 0);
         EXPECT_EQ(tools->value(), 0);
         Wheel(settings.ToolGrid()->viewport(), Qt::ShiftModifier);
         EXPECT_GT(tools->value(), 0);
         settings.hide();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dialogs = {};
    std::filesystem::remove(dir.Sub("morvatex.set.zustand"));
    StartWithSettings();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    c.run();
    for (PreviewWindow* preview : form->findChildren<PreviewWindow*>()) preview->close();
    TearDown();
  }
}

// At 2x the pictures are painted with twice the pixels: the frames' edges
// stay single device pixels of their own colour, not a blur between them.
// So is the window icon, at every size a desktop asks for: each of its
// pictures has the device pixels of its size and ratio, its outer frame
// begins with a whole pixel of its colour, and the cut is there.
TEST_F(DailyUseTest, ThePicturesAndTheIconAreSharpAtEveryPixelRatio) {
  StartWithSettings();
  ClickableImage* add = form->AddButton();
  const QIcon icon = form->windowIcon();
  ASSERT_FALSE(icon.isNull());
  for (const qreal ratio : {1.0, 1.5, 2.0}) {
    QPixmap picture(add->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    add->render(&picture);
    const QImage image = picture.toImage();
    const int edge = static_cast<int>(2 * ratio);  // where the inner frame begins
    EXPECT_EQ(image.pixelColor(edge - 1, image.height() / 2), QColor(image.pixelColor(0, 0))) << ratio;
    EXPECT_NE(image.pixelColor(edge, image.height() / 2), QColor(image.pixelColor(0, 0))) << ratio;

    for (const int side : {16, 20, 22, 24, 32, 48, 64, 128, 256}) {
      SCOPED_TRACE(std::to_string(side) + " px at " + std::to_string(ratio));
      const QPixmap drawn = icon.pixmap(QSize(side, side), ratio);
      EXPECT_EQ(drawn.devicePixelRatio(), ratio);
      const QImage pixels = drawn.toImage();
      const int device = qRound(side * ratio);
      ASSERT_EQ(pixels.size(), QSize(device, device));
      const int middle = device / 2;
      int x = 0;
      while (x < middle && pixels.pixelColor(x, middle).alpha() == 0) ++x;
      EXPECT_EQ(pixels.pixelColor(x, middle), QColor(0x2b, 0x4c, 0x6f)) << x;
      if (device >= 48) {  // the vertical stretch of the cut, five of 64 wide
        EXPECT_EQ(pixels.pixelColor(device * 20 / 64, device * 30 / 64), QColor(0xf2, 0x9a, 0x2e));
      }
    }
  }
}

}  // namespace
}  // namespace morvatex
