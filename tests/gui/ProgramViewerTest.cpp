// The program viewer of the preview window, driven with real clicks, keys
// and mouse moves on the offscreen platform: the picture and the texts
// linked both ways, the lines not carried over and the check's divergences
// showing their lines, the position under the mouse.
#include "gui/ProgramViewer.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>

#include "gui/LineTextModel.h"
#include "gui/PreviewWindow.h"
#include "paint/ReadBackOverlay.h"
#include "preview/PathLines.h"
#include "tests/gui/MainWindowFixture.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

namespace morvatex::testing {
namespace {

// Line 5 is not carried over; the CNC program's Y of line 4 is edited by hand.
const std::vector<std::string_view> kProgram = {"VEL 10000", "FASTABS X0 Y0", "MOVEABS X100000", "MOVEABS Y50000",
                                                "FOO 1",     "MOVEABS X0",    "MOVEABS Y0",      "PROGEND"};

// Pixels of the selection colour within `radius` of `at`.
int MarkedPixels(PreviewCanvas* canvas, QPointF at, int radius) {
  const QImage image = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int n = 0;
  for (int y = static_cast<int>(at.y()) - radius; y <= static_cast<int>(at.y()) + radius; ++y)
    for (int x = static_cast<int>(at.x()) - radius; x <= static_cast<int>(at.x()) + radius; ++x)
      if (image.rect().contains(x, y) && image.pixelColor(x, y) == kSelectionColour) ++n;
  return n;
}

void ClickEntry(QListWidget* list, const QString& start) {
  for (int i = 0; i < list->count(); ++i) {
    if (!list->item(i)->text().startsWith(start)) continue;
    list->scrollToItem(list->item(i));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(i)).center());
    return;
  }
  ADD_FAILURE() << "no entry " << start.toStdString();
}

TEST_F(MainWindowTest, ProgramViewerLinksTextsAndPictureBothWays) {
  FakeFileSystem fake;
  const SettingsRecord settings = NewSettings();
  Convert(settings, CrLfLines(kProgram), fake);
  std::string& cnc = fake.files[kTargetPath];
  const std::size_t edited = cnc.find("Y:50.0000");
  ASSERT_NE(edited, std::string::npos) << cnc;
  cnc.replace(edited, 9, "Y:40.0000");

  auto* window = new PreviewWindow(fake, settings, kSourcePath, "");
  window->SetCncProgram(kTargetPath);
  window->OfferReadBack(kTargetPath, ControlModel::kConfigured);
  window->resize(900, 600);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  PreviewCanvas* canvas = window->Canvas();
  ProgramViewer* viewer = window->Viewer();
  const auto pictured = [&] {
    return QTest::qWaitFor([&] { return window->Traced() && canvas->PictureCurrent(); }, 20000);
  };
  ASSERT_TRUE(pictured());
  const QImage plain = canvas->grab().toImage();
  EXPECT_FALSE(viewer->isVisible());

  QTest::mouseClick(window->ProgramSwitch(), Qt::LeftButton);
  EXPECT_TRUE(viewer->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->IselModel()->rowCount() == 8; }, 20000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->CncView()->model()->rowCount() > 8; }, 20000));
  QTest::mouseClick(window->ReadBackSwitch(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return canvas->Overlay().readBack != nullptr; }, 20000));
  ASSERT_TRUE(pictured());
  const auto at = [&](double x, double y) { return canvas->View().ToScreen(x, y).toPoint(); };
  const std::size_t cncLineOf4 = static_cast<std::size_t>(std::count(cnc.begin(), cnc.begin() + edited, '\n')) + 1;

  const struct Step {
    const char* name;
    std::function<void()> act;
    std::size_t iselLine, cncLine;  // selected afterwards (cncLine: 0 not checked)
    QPointF toolAt;                 // mm, where the marker stands
    QString noteText;               // the lines the entry picked shows; empty: not checked
  } steps[] = {
      {"a click on a move selects its line",
       [&] { QTest::mouseClick(canvas, Qt::LeftButton, {}, at(50, 0)); },
       3,
       0,
       {100, 0},
       {}},
      {"Down steps to the next line and its move",
       [&] { QTest::keyClick(viewer->IselView(), Qt::Key_Down); },
       4,
       0,
       {100, 50},
       {}},
      {"a line not carried over shows its text",
       [&] { ClickEntry(viewer->Notes(), QStringLiteral("Nicht umgesetzt: Isel-Zeile 5")); },
       5,
       0,
       {},
       QStringLiteral("Isel 5: FOO 1")},
      {"a divergence shows both lines",
       [&] { ClickEntry(viewer->Notes(), QStringLiteral("Abweichung: CNC-Zeile")); },
       4,
       cncLineOf4,
       {100, 50},
       QStringLiteral("Isel 4: MOVEABS Y50000\nCNC %1: ").arg(cncLineOf4)},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.act();
    EXPECT_EQ(viewer->IselLine(), step.iselLine);
    if (step.cncLine > 0) {
      EXPECT_EQ(viewer->CncLine(), step.cncLine);
    }
    EXPECT_EQ(canvas->MarkedMoves(), MovesOfLine(window->Path().segments, step.iselLine));
    if (!step.toolAt.isNull()) {
      EXPECT_GT(MarkedPixels(canvas, at(step.toolAt.x(), step.toolAt.y()), 3), 0);
    }
    if (!step.noteText.isEmpty()) {
      EXPECT_TRUE(viewer->NoteText()->text().startsWith(step.noteText)) << viewer->NoteText()->text().toStdString();
    }
  }
  EXPECT_TRUE(viewer->NoteText()->text().contains(QStringLiteral("Y:40.0000")));

  // The readout follows the mouse.
  const QPoint hover = at(25, 10);
  QMouseEvent move(QEvent::MouseMove, hover, canvas->mapToGlobal(hover), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(canvas, &move);
  const QPointF mm = canvas->View().ToMachine(hover);
  EXPECT_EQ(viewer->Readout()->text(),
            QStringLiteral("X: %1 mm   Y: %2 mm").arg(mm.x(), 0, 'f', 3).arg(mm.y(), 0, 'f', 3));

  // Closed again, with the read-back off: the picture as before.
  QTest::mouseClick(window->ReadBackSwitch(), Qt::LeftButton);
  QTest::mouseClick(window->ProgramSwitch(), Qt::LeftButton);
  EXPECT_FALSE(viewer->isVisible());
  ASSERT_TRUE(pictured());
  EXPECT_TRUE(canvas->grab().toImage() == plain);
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace morvatex::testing
