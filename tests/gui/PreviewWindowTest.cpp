// The preview window on the offscreen platform, opened from the main window
// and driven with real mouse, wheel and key events.
#include "gui/PreviewWindow.h"

#include <QLabel>
#include <QSpinBox>
#include <QWheelEvent>

#include "tests/gui/MainWindowFixture.h"
#include "tests/support/ConversionHarness.h"

namespace morvatex::testing {
namespace {

class PreviewWindowTest : public MainWindowTest {
 protected:
  // Starts with a table of one program, rectangle 100 x 50 at 600 mm/min.
  void StartWithProgram(const std::vector<std::string_view>& program) {
    WriteFileBytes(dir.Sub("teil.ncp"), CrLfLines(program));
    StartWithSettings();
    AddFiles({"teil.ncp"});
  }
  PreviewWindow* OpenByDoubleClick(int row) {
    const QModelIndex index = Grid()->model()->index(row - 1, 4);
    // A person's double click: a click, then the second press as a double click.
    const QPoint at = Grid()->visualRect(index).center();
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, at);
    auto* window = form->findChild<PreviewWindow*>();
    if (window) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    return window;
  }
  static void Wheel(QWidget* target, QPointF at, int delta) {
    QWheelEvent event(at, target->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
  }
};

const std::vector<std::string_view> kRectangle = {"VEL 10000",  "FASTABS X0 Y0", "MOVEABS X100000", "MOVEABS Y50000",
                                                  "MOVEABS X0", "MOVEABS Y0",    "PROGEND"};

TEST_F(PreviewWindowTest, DoubleClickOpensTheRowsPathWithZoomPanAndFit) {
  StartWithProgram(kRectangle);
  PreviewWindow* window = OpenByDoubleClick(1);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Vorschau - teil.ncp"));
  EXPECT_TRUE(window->StatusLine()->text().startsWith(
      QStringLiteral("Bearbeitungszeit: 0:00:30   Vorschubweg: 300.0 mm   Eilgangweg: 0.0 mm   Werkzeugwechsel: 0")));
  EXPECT_FALSE(window->FailureLine()->isVisible());

  PreviewCanvas* canvas = window->Canvas();
  const PreviewView fitted = canvas->View();
  const QPointF cursor(canvas->width() / 3.0, canvas->height() / 3.0);
  const QPointF under = fitted.ToMachine(cursor);
  Wheel(canvas, cursor, 240);  // two notches in
  EXPECT_NEAR(canvas->View().scale, fitted.scale * 1.25 * 1.25, 1e-9);
  EXPECT_NEAR(canvas->View().ToMachine(cursor).x(), under.x(), 1e-9);  // the point under the cursor stays
  EXPECT_NEAR(canvas->View().ToMachine(cursor).y(), under.y(), 1e-9);

  const PreviewView zoomed = canvas->View();
  QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(100, 100));
  QMouseEvent move(QEvent::MouseMove, QPointF(130, 90), canvas->mapToGlobal(QPointF(130, 90)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(canvas, &move);
  QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(130, 90));
  EXPECT_EQ(canvas->View().origin, zoomed.origin + QPointF(30, -10));

  QTest::keyClick(canvas, Qt::Key_F);
  EXPECT_EQ(canvas->View().scale, fitted.scale);
  EXPECT_EQ(canvas->View().origin, fitted.origin);
}

TEST_F(PreviewWindowTest, RapidRateIsRememberedBesideTheSettingsFile) {
  StartWithProgram({"VEL 10000", "FASTABS X0 Y0 Z6000", "MOVEABS X100000", "FASTABS Z0", "PROGEND"});
  PreviewWindow* first = OpenByDoubleClick(1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->RapidRateBox()->value(), 5000);
  first->RapidRateBox()->setFocus();
  first->RapidRateBox()->selectAll();
  QTest::keyClicks(first->RapidRateBox(), QStringLiteral("360"));
  QTest::keyClick(first->RapidRateBox(), Qt::Key_Return);
  // 100 mm at 600 mm/min and 12 mm at 360 mm/min: 10 s + 2 s.
  EXPECT_TRUE(first->StatusLine()->text().startsWith(QStringLiteral("Bearbeitungszeit: 0:00:12 ")));
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(ReadFileBytes(SettingsPath() + ".vorschau"), "360\r\n");

  Select(1, 1);
  Action("previewAction")->trigger();
  auto* second = form->findChild<PreviewWindow*>();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->RapidRateBox()->value(), 360);
}

TEST_F(PreviewWindowTest, FailureShowsThePathUpToItsLineAndNamesIt) {
  StartWithProgram({"VEL 10000", "MOVEABS X10000", "MOVEABS Y10000", "GETTOOL 100", "MOVEABS X0", "PROGEND"});
  PreviewWindow* window = OpenByDoubleClick(1);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->FailureLine()->isVisible());
  EXPECT_EQ(
      window->FailureLine()->text(),
      QStringLiteral("Abbruch in Zeile 4: GETTOOL enthält ungültige Werkzeugnummer (0>=Tool<=99)! (GETTOOL 100)"));
  EXPECT_EQ(window->Path().segments.size(), 2u);
  EXPECT_TRUE(window->StatusLine()->text().contains(QStringLiteral("Vorschubweg: 20.0 mm")));
}

}  // namespace
}  // namespace morvatex::testing
