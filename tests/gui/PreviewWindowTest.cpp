// The preview window on the offscreen platform, opened from the main window
// and driven with real mouse, wheel and key events.
#include "gui/PreviewWindow.h"

#include "gui/ClickableImage.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QSpinBox>
#include <QWheelEvent>

#include <cstring>
#include <filesystem>

#include "tests/gui/MainWindowFixture.h"
#include "tests/support/ConversionHarness.h"
#include "tests/support/FakeFileSystem.h"

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
  // Waits for the trace and for the picture of the canvas's present view.
  static void WaitForPicture(PreviewWindow* window) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->Traced() && window->Canvas()->PictureCurrent(); }, 20000));
  }
  // What the canvas shows, and what the painter makes of its view directly.
  static QImage Shown(PreviewCanvas* canvas) { return canvas->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  static QImage PaintedDirectly(PreviewWindow* window) {
    PreviewCanvas* canvas = window->Canvas();
    QImage image(canvas->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    const QRectF area(image.rect());
    PaintToolPath(painter, window->Path(), canvas->View(), area, {}, canvas->Options());
    return image;
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
  WaitForPicture(window);
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

// The rapid rate, the acceleration and the tolerance are typed, change the
// estimate at once and are remembered for the next window.
TEST_F(PreviewWindowTest, RapidRateIsRememberedBesideTheSettingsFile) {
  StartWithProgram({"VEL 10000", "FASTABS X0 Y0 Z6000", "MOVEABS X100000", "FASTABS Z0", "PROGEND"});
  PreviewWindow* first = OpenByDoubleClick(1);
  ASSERT_NE(first, nullptr);
  WaitForPicture(first);
  EXPECT_EQ(first->RapidRateBox()->value(), 5000);
  first->RapidRateBox()->setFocus();
  first->RapidRateBox()->selectAll();
  QTest::keyClicks(first->RapidRateBox(), QStringLiteral("360"));
  QTest::keyClick(first->RapidRateBox(), Qt::Key_Return);
  // 100 mm at 600 mm/min and 12 mm at 360 mm/min: 10 s + 2 s.
  EXPECT_TRUE(first->StatusLine()->text().startsWith(QStringLiteral("Bearbeitungszeit: 0:00:12 ")));
  EXPECT_TRUE(first->StatusLine()->toolTip().startsWith(QStringLiteral("ohne Beschleunigung: 0:00:12\n")));
  // At 1 mm/s² the 100 mm take 20 s alone (accelerating over 50 mm).
  for (QAbstractSpinBox* box :
       {static_cast<QAbstractSpinBox*>(first->AccelerationBox()), static_cast<QAbstractSpinBox*>(first->CornerBox())}) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, box == first->CornerBox() ? QStringLiteral("0.5") : QStringLiteral("1"));
    QTest::keyClick(box, Qt::Key_Return);
  }
  EXPECT_GT(first->StatusLine()->text().mid(18, 7), QStringLiteral("0:00:25"))
      << first->StatusLine()->text().toStdString();
  EXPECT_EQ(first->StatusLine()->toolTip(),
            QStringLiteral("ohne Beschleunigung: 0:00:12\nBeschleunigung: 1 mm/s²   Eckentoleranz: 0.500 mm"));
  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(ReadFileBytes(SettingsPath() + ".vorschau"), "360\r\n1\r\n0.5\r\n");

  Select(1, 1);
  Action("previewAction")->trigger();
  auto* second = form->findChild<PreviewWindow*>();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->RapidRateBox()->value(), 360);
  EXPECT_EQ(second->AccelerationBox()->value(), 1);
  EXPECT_EQ(second->CornerBox()->value(), 0.5);
}

TEST_F(PreviewWindowTest, FailureShowsThePathUpToItsLineAndNamesIt) {
  StartWithProgram({"VEL 10000", "MOVEABS X10000", "MOVEABS Y10000", "GETTOOL 100", "MOVEABS X0", "PROGEND"});
  PreviewWindow* window = OpenByDoubleClick(1);
  ASSERT_NE(window, nullptr);
  WaitForPicture(window);
  EXPECT_TRUE(window->FailureLine()->isVisible());
  EXPECT_EQ(
      window->FailureLine()->text(),
      QStringLiteral("Abbruch in Zeile 4: GETTOOL enthält ungültige Werkzeugnummer (0>=Tool<=99)! (GETTOOL 100)"));
  EXPECT_EQ(window->Path().segments.size(), 2u);
  EXPECT_TRUE(window->StatusLine()->text().contains(QStringLiteral("Vorschubweg: 20.0 mm")));
}

// However the window goes while a long program is traced, the trace stops
// and its thread is gone with the window; the main window carries on.
TEST_F(PreviewWindowTest, ClosingDuringALongTraceStopsItAndLeavesNoThread) {
  std::string program = "VEL 10000\r\n";
  for (int i = 0; i < 1'000'000; ++i)
    program += "MOVEABS X" + std::to_string(i % 1000 * 100) + " Y" + std::to_string(i / 1000 * 100) + "\r\n";
  program += "PROGEND\r\n";
  WriteFileBytes(dir.Sub("lang.ncp"), program);
  enum class Ending { kEscape, kCloseWindow, kMainWindowGoes };
  for (const Ending ending : {Ending::kEscape, Ending::kCloseWindow, Ending::kMainWindowGoes}) {
    SCOPED_TRACE(static_cast<int>(ending));
    StartWithSettings();
    AddFiles({"lang.ncp"});
    QPointer<PreviewWindow> window = OpenByDoubleClick(1);
    ASSERT_FALSE(window.isNull());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->StatusLine()->text().startsWith(QStringLiteral("Werkzeugweg wird berechnet")); }, 20000));
    EXPECT_FALSE(window->Traced());
    EXPECT_TRUE(window->TraceBar()->isVisible());
    switch (ending) {
      case Ending::kEscape: QTest::keyClick(window->Canvas(), Qt::Key_Escape); break;
      case Ending::kCloseWindow: window->close(); break;
      case Ending::kMainWindowGoes:
        form->Table().SetModified(false);
        form.reset();
        break;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(PreviewWorker::LiveThreads(), 0);
    if (form) {
      Select(1, 1);  // the main window still answers, and opens a preview again
      Action("previewAction")->trigger();
      EXPECT_NE(form->findChild<PreviewWindow*>(), nullptr);
      form->Table().SetModified(false);
      form.reset();
    }
    EXPECT_EQ(PreviewWorker::LiveThreads(), 0);
  }
}

// The picture is painted once for a view and shown again for every expose;
// each view gets a picture of its own that looks as the painter draws it.
TEST_F(PreviewWindowTest, ThePictureIsPaintedOncePerViewAndLooksAsThePainterDrawsIt) {
  StartWithProgram({"VEL 10000", "FASTABS X0 Y0", "MOVEABS X100000", "MOVEABS Y50000", "FASTABS X0 Y0",
                    "MOVEABS Z-2000", "MOVEABS Z0", "PROGEND"});
  PreviewWindow* window = OpenByDoubleClick(1);
  ASSERT_NE(window, nullptr);
  PreviewCanvas* canvas = window->Canvas();
  const auto interact = [&](int step) {
    if (step == 1) Wheel(canvas, QPointF(canvas->width() / 2.0, canvas->height() / 2.0), 360);
    if (step == 2) {
      QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(100, 100));
      QMouseEvent move(QEvent::MouseMove, QPointF(60, 140), canvas->mapToGlobal(QPointF(60, 140)), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(canvas, &move);
      QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(60, 140));
    }
    if (step == 3) QTest::keyClick(canvas, Qt::Key_F);
  };
  for (int step = 0; step < 4; ++step) {  // as opened, zoomed in, panned, fitted again
    SCOPED_TRACE(step);
    interact(step);
    WaitForPicture(window);
    EXPECT_FALSE(window->TraceBar()->isVisible());
    const int taken = canvas->PicturesTaken();
    EXPECT_EQ(taken, step + 1);
    canvas->repaint();
    window->hide();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QImage shown = Shown(canvas);
    QTest::qWait(50);  // room for any picture asked for by mistake
    EXPECT_EQ(canvas->PicturesTaken(), taken);
    EXPECT_TRUE(shown == PaintedDirectly(window));
  }
}

// "Tiefe" colours the feed moves by Z with the legend; the status line
// names the deepest Z either way.
TEST_F(PreviewWindowTest, DepthSwitchColoursByZAndTheStatusNamesTheDeepestZ) {
  StartWithProgram({"VEL 10000", "FASTABS X0 Y0 Z5000", "MOVEABS Z-2000", "MOVEABS X100000", "MOVEABS Y50000 Z-3500",
                    "FASTABS Z5000", "PROGEND"});
  PreviewWindow* window = OpenByDoubleClick(1);
  ASSERT_NE(window, nullptr);
  WaitForPicture(window);
  EXPECT_TRUE(window->StatusLine()->text().endsWith(QStringLiteral("   Tiefstes Z: -3.500 mm")));
  EXPECT_EQ(window->DepthSwitch()->text(), QStringLiteral("Tiefe"));
  EXPECT_FALSE(window->DepthSwitch()->isChecked());

  PreviewCanvas* canvas = window->Canvas();
  const QImage plain = Shown(canvas);
  const QRectF bar = DepthLegendBar(QRectF(canvas->rect()));
  const QPoint barTop(static_cast<int>(bar.center().x()), static_cast<int>(bar.top()));
  const QPoint barBottom(static_cast<int>(bar.center().x()), static_cast<int>(bar.bottom()) - 1);
  EXPECT_EQ(plain.pixelColor(barTop), QColor(Qt::white));

  QTest::mouseClick(window->DepthSwitch(), Qt::LeftButton);
  ASSERT_TRUE(canvas->Options().depth);
  WaitForPicture(window);
  const QImage depth = Shown(canvas);
  EXPECT_FALSE(depth == plain);
  EXPECT_TRUE(depth == PaintedDirectly(window));
  // The bar's end colours, within the gradient's rounding.
  const auto near = [](QColor got, QColor want) {
    return std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
               std::abs(got.blue() - want.blue()) <=
           8;
  };
  EXPECT_TRUE(near(depth.pixelColor(barTop), QColor(253, 231, 37)));  // yellow: the highest Z
  EXPECT_TRUE(near(depth.pixelColor(barBottom), QColor(68, 1, 84)));  // dark purple: the deepest
  EXPECT_TRUE(window->StatusLine()->text().endsWith(QStringLiteral("   Tiefstes Z: -3.500 mm")));

  QTest::mouseClick(window->DepthSwitch(), Qt::LeftButton);
  WaitForPicture(window);
  EXPECT_TRUE(Shown(canvas) == plain);
}

// The read-back overlay: offered only while "Ausgabe prüfen" is on, off
// until ticked; it draws the CNC program as the control reads it over the
// path, divergent moves in orange, and a click on a divergence in the list
// marks its moves.
TEST_F(PreviewWindowTest, ReadBackOverlayShowsTheDivergencesAndAClickSelectsTheirMove) {
  struct Case {
    const char* name;
    const char* choice;   // the ".pruefung" file; null: the check is off
    bool convert;         // the row's CNC program exists
    const char* tamper;   // replaced once in the CNC program (a hand edit)
    const char* verdict;  // how the verdict starts
    bool divergent;
  };
  const Case cases[] = {
      {"off", nullptr, true, nullptr, "", false},
      {"clean", "eingestellt", true, nullptr, "Prüfung (eingestellt): keine Abweichung", false},
      {"edited by hand", "eingestellt", true, "Y:50.0000", "Prüfung (eingestellt): ", true},
      {"no CNC program", "rs274", false, nullptr, "Prüfung (RS274/NGC): nicht möglich", false},
  };
  // Pixels of `colour`; or, for the thin read-back line, which smoothing
  // blends with the blue path under it, of a hue with clearly more green
  // than red (no other colour of the picture has).
  const auto count = [](const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor got = image.pixelColor(x, y);
        const bool green = got.green() > got.red() + 50;
        if (colour == kReadBackColour ? green : got == colour) ++n;
      }
    return n;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    form.reset();
    std::filesystem::remove(SettingsPath() + ".pruefung");
    std::filesystem::remove(dir.Sub("teil.cnc"));
    if (c.choice) WriteFileBytes(SettingsPath() + ".pruefung", std::string(c.choice) + "\r\n");
    StartWithProgram(kRectangle);
    if (c.convert) QTest::mouseClick(form->ConvertButton(), Qt::LeftButton);
    const std::string converted = c.convert ? ReadFileBytes(dir.Sub("teil.cnc")) : "";
    if (c.tamper) {
      std::string cnc = converted;
      const std::size_t at = cnc.find(c.tamper);
      ASSERT_NE(at, std::string::npos) << cnc;
      cnc.replace(at, std::strlen(c.tamper), "Y:40.0000");
      WriteFileBytes(dir.Sub("teil.cnc"), cnc);
    }
    PreviewWindow* window = OpenByDoubleClick(1);
    ASSERT_NE(window, nullptr);
    WaitForPicture(window);
    PreviewCanvas* canvas = window->Canvas();
    const QImage plain = Shown(canvas);
    EXPECT_EQ(window->ReadBackSwitch()->isVisible(), c.choice != nullptr);
    EXPECT_FALSE(window->DivergenceList()->isVisible());
    if (!c.choice) {
      window->close();
      continue;
    }
    QTest::mouseClick(window->ReadBackSwitch(), Qt::LeftButton);
    EXPECT_TRUE(window->DivergenceList()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas->Overlay().readBack != nullptr; }, 20000))
        << window->ReadBackVerdict()->text().toStdString();
    WaitForPicture(window);
    EXPECT_TRUE(window->ReadBackVerdict()->text().startsWith(QString::fromUtf8(c.verdict)))
        << window->ReadBackVerdict()->text().toStdString();
    const QImage overlaid = Shown(canvas);
    EXPECT_EQ(count(overlaid, kReadBackColour) > 0, c.convert);
    EXPECT_EQ(count(overlaid, kDivergenceColour) > 0, c.divergent);
    EXPECT_EQ(window->DivergenceList()->count() > 0, c.divergent);

    if (c.divergent) {
      QListWidget* list = window->DivergenceList();
      const QRect entry = list->visualItemRect(list->item(0));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
      EXPECT_NE(canvas->Overlay().selected.cncLine, 0u);
      EXPECT_TRUE(
          list->item(0)->text().startsWith(QStringLiteral("CNC-Zeile %1").arg(canvas->Overlay().selected.cncLine)));
      WaitForPicture(window);
      EXPECT_GT(count(Shown(canvas), kSelectionColour), 0);
    }
    // Off again: the Isel path alone, as before.
    QTest::mouseClick(window->ReadBackSwitch(), Qt::LeftButton);
    WaitForPicture(window);
    EXPECT_TRUE(Shown(canvas) == plain);
    if (c.divergent) {  // converted again, a new tick reads the new program
      WriteFileBytes(dir.Sub("teil.cnc"), converted);
      QTest::mouseClick(window->ReadBackSwitch(), Qt::LeftButton);
      EXPECT_TRUE(QTest::qWaitFor(
          [&] { return window->ReadBackVerdict()->text().contains(QStringLiteral("keine Abweichung")); }, 20000))
          << window->ReadBackVerdict()->text().toStdString();
      EXPECT_EQ(window->DivergenceList()->count(), 0);
    }
    window->close();
  }
}

// The window reads the program in the dialect it was given, and counts the
// lines not carried over whole in a line of its own, with the first of them
// in its tooltip; without such lines that line stays hidden.
TEST_F(PreviewWindowTest, LinesNotCarriedOverAreCountedInTheDialectGiven) {
  FakeFileSystem fake;
  fake.files["teil.ncp"] = CrLfLines({"VEL 10000", "FOO 1", "  MOVEABS X100000", "MOVEABS Y50000 Q7", "PROGEND"});
  fake.files["rechteck.ncp"] = CrLfLines(kRectangle);
  const struct {
    const char* name;
    const char* source;
    IselDialect dialect;
    std::size_t moves;
    QString text;
    QStringList lines;  // as the tooltip's lines begin
  } cases[] = {
      {"original: the line after blanks is not read",
       "teil.ncp",
       IselDialect::kOriginal,
       1,
       QStringLiteral("Nicht umgesetzt: 3 Zeilen"),
       {QStringLiteral("Isel-Zeile 2: "), QStringLiteral("Isel-Zeile 3: "), QStringLiteral("Isel-Zeile 4: ")}},
      {"extended: it is",
       "teil.ncp",
       IselDialect::kExtended,
       2,
       QStringLiteral("Nicht umgesetzt: 2 Zeilen"),
       {QStringLiteral("Isel-Zeile 2: "), QStringLiteral("Isel-Zeile 4: ")}},
      {"every line carried over", "rechteck.ncp", IselDialect::kExtended, 5, QString(), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* window = new PreviewWindow(fake, NewSettings(), c.source, "", nullptr, {}, c.dialect);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    WaitForPicture(window);
    EXPECT_EQ(window->Path().segments.size(), c.moves);
    EXPECT_EQ(window->NotCarriedLine()->isVisible(), !c.lines.isEmpty());
    EXPECT_EQ(window->NotCarriedLine()->text(), c.text);
    const QStringList tip = window->NotCarriedLine()->toolTip().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(tip.size(), c.lines.size()) << window->NotCarriedLine()->toolTip().toStdString();
    for (qsizetype i = 0; i < tip.size(); ++i) EXPECT_TRUE(tip[i].startsWith(c.lines[i])) << tip[i].toStdString();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The check of the read-back overlay reads the source in the window's
// dialect: a program the extended dialect converted reads back clean in it,
// and not in the original one, which skips the indented lines.
TEST_F(PreviewWindowTest, TheReadBackReadsTheSourceInTheWindowsDialect) {
  FakeFileSystem fake;
  const std::string program =
      CrLfLines({"VEL 6000", "  FASTABS X10000 Y5000", "  MOVEABS X20000", "  MOVEABS Y20000", "PROGEND"});
  const SettingsRecord settings = NewSettings();
  ConversionOptions options;
  options.dialect = IselDialect::kExtended;
  ASSERT_EQ(Convert(settings, program, fake, options).code, Outcome::kSuccess);
  for (const IselDialect dialect : {IselDialect::kExtended, IselDialect::kOriginal}) {
    auto* window = new PreviewWindow(fake, settings, kSourcePath, "", nullptr, {}, dialect);
    window->OfferReadBack(kTargetPath, ControlModel::kConfigured);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    WaitForPicture(window);
    QTest::mouseClick(window->ReadBackSwitch(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Canvas()->Overlay().readBack != nullptr; }, 20000));
    EXPECT_EQ(window->ReadBackVerdict()->text().contains(QStringLiteral("keine Abweichung")),
              dialect == IselDialect::kExtended)
        << window->ReadBackVerdict()->text().toStdString();
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// Memory running out while the program is read or traced ends in a short
// message in the window, not in an abort.
TEST_F(PreviewWindowTest, MemoryRunningOutWhileTracingIsReported) {
  FakeFileSystem fake;
  fake.files["teil.ncp"] = CrLfLines(kRectangle);
  fake.outOfMemoryAfterBytes["teil.ncp"] = 20;
  auto* window = new PreviewWindow(fake, NewSettings(), "teil.ncp", "");
  window->show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return window->FailureLine()->isVisible(); }, 20000));
  EXPECT_EQ(window->FailureLine()->text(), QStringLiteral("Nicht genug Speicher für die Vorschau."));
  EXPECT_FALSE(window->TraceBar()->isVisible());
  EXPECT_FALSE(window->Traced());
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(PreviewWorker::LiveThreads(), 0);
}

// Where the system gives no thread for the worker, the window says so; where
// it gives none for the bands of a picture, the worker paints them all itself
// and the picture is the same. Nothing aborts.
TEST_F(PreviewWindowTest, ThreadsTheSystemRefusesEndInAMessageOrInFewerThreads) {
  FakeFileSystem fake;
  fake.files["teil.ncp"] = CrLfLines(kRectangle);
  int bandThreadsAsked = 0;
  PreviewThreads noWorker;
  noWorker.worker = [](QThread&) { return false; };
  PreviewThreads noBands;
  noBands.bands = [&](std::function<void()>) {
    ++bandThreadsAsked;
    return std::thread();
  };

  auto* refused = new PreviewWindow(fake, NewSettings(), "teil.ncp", "", nullptr, noWorker);
  refused->show();
  EXPECT_TRUE(refused->FailureLine()->isVisible());
  EXPECT_EQ(refused->FailureLine()->text(),
            QStringLiteral("Für die Vorschau kann kein weiterer Thread gestartet werden."));
  EXPECT_FALSE(refused->TraceBar()->isVisible());
  EXPECT_FALSE(refused->Canvas()->isVisible());
  refused->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(PreviewWorker::LiveThreads(), 0);

  auto* alone = new PreviewWindow(fake, NewSettings(), "teil.ncp", "", nullptr, noBands);
  alone->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(alone));
  WaitForPicture(alone);
  EXPECT_GT(bandThreadsAsked, 0);
  EXPECT_TRUE(Shown(alone->Canvas()) == PaintedDirectly(alone));
  alone->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(PreviewWorker::LiveThreads(), 0);
}

}  // namespace
}  // namespace morvatex::testing
