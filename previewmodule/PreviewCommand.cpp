#include "previewmodule/PreviewCommand.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <new>

#include "base/Cp1252Codec.h"
#include "base/TerminalText.h"
#include "engine/OutcomeCodes.h"
#include "paint/ToolPathPainter.h"
#include "preview/MotionPlan.h"
#include "preview/PreviewText.h"
#include "preview/ToolPath.h"

namespace morvatex {
namespace {

constexpr int kFailedStatus = 1;
constexpr int kUnusableStatus = 2;

QtMessageHandler standardHandler = nullptr;

// Qt's offscreen platform complains about a missing runtime folder, which it
// does not need for painting into a picture; every other message passes.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
  standardHandler(type, context, message);
}

// The picture as PNG bytes; empty when Qt could not encode it or a stop
// came while it was painted.
QByteArray Picture(const ToolPath& path, bool depth, const std::function<bool()>& stopped) {
  QImage image(kPreviewWidth, kPreviewHeight, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    const QRectF area(image.rect());
    if (!PaintToolPath(painter, path, FitPicture(path, area, PaintOptions{depth}), area, stopped, PaintOptions{depth}))
      return {};
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) png.clear();
  return png;
}

// A stop ends the preview as it ends a conversion: status 1, the report
// saying so, and the picture of an earlier run left as it was.
int Stopped(const std::string& source, std::ostream& out) {
  out << ForTerminal(" Quelldatei: " + source + "\r\n Abbruch: " + std::string(OutcomeMessage(Outcome::kStopped)) +
                     "\r\n");
  return kFailedStatus;
}

// The lines not carried over whole, as a conversion's report lists them;
// empty when there are none.
std::string NotCarriedReport(const ToolPath& path) {
  // As many as the conversion's report lists.
  constexpr std::size_t kListed = 20;
  if (path.notCarriedCount == 0) return {};
  std::string report = " " + NotCarriedText(path) + "\r\n";
  for (const std::string& line : NotCarriedLines(path, kListed)) report += "   " + line + "\r\n";
  return report;
}

int PreviewCommand(const std::string& source, const std::string& picture, const std::string& keep,
                   const SettingsRecord& settings, FileSystem& fs, const MachineModel& machine, bool depth,
                   IselDialect dialect, const std::function<bool()>& stopped, std::ostream& out, std::ostream& err) {
  const ToolPath path = TraceToolPathFile(fs, source, settings, stopped, {}, dialect);
  if (path.code == Outcome::kStopped) return Stopped(source, out);
  if (path.code >= Outcome::kSourceOpen && path.code <= Outcome::kSourceClose) {
    err << "morvatex-convert: SOURCE cannot be read: " << Cp1252ToUtf8(source) << "\n";
    return kUnusableStatus;
  }
  if (picture == source || picture == keep || fs.SameFile(picture, source) || fs.SameFile(picture, keep)) {
    err << "morvatex-convert: the picture must not replace SOURCE or the settings file\n";
    return kUnusableStatus;
  }

  // Painting text needs a GUI application; without a display it draws
  // offscreen, unless the caller chose a platform.
  // Windows' own platform opens no window either, and it brings the system's
  // fonts, which the offscreen platform does not find there.
#ifdef _WIN32
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "windows");
#else
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  standardHandler = qInstallMessageHandler(QuietMessages);
  int argc = 1;
  char name[] = "morvatex-convert";
  char* argv[] = {name, nullptr};
  const QGuiApplication application(argc, argv);

  const QByteArray png = Picture(path, depth, stopped);
  if (stopped && stopped()) return Stopped(source, out);
  const int written =
      png.isEmpty()
          ? -1
          : fs.ReplaceFileErrorNumber(picture, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
  if (written != 0) {
    const std::string_view refusal = ReplaceRefusalText(written);
    err << "morvatex-convert: the picture cannot be written" << (refusal.empty() ? "" : " (") << refusal
        << (refusal.empty() ? "" : ")") << ": " << Cp1252ToUtf8(picture) << "\n";
    return kUnusableStatus;
  }

  const MachiningEstimate estimate = Estimate(path, machine);
  std::string report = " Quelldatei: " + source + "\r\n " + EstimateText(estimate) +
                       "\r\n Eilgang: " + std::to_string(std::lround(machine.rapidRate)) + " mm/min   " +
                       MachineText(machine.acceleration, machine.cornerTolerance) + "   " + InstantTimeText(estimate) +
                       "\r\n";
  if (path.extentsKnown) report += " Zeichnungsgrenzen: " + ExtentsText(path) + "\r\n";
  if (!IsGood(path.code)) report += " " + FailureText(path) + "\r\n";
  report += NotCarriedReport(path);
  report += " Bild: " + picture + "\r\n";
  out << ForTerminal(report);
  return IsGood(path.code) ? 0 : kFailedStatus;
}

}  // namespace

int RunPreviewCommand(const std::string& source, const std::string& picture, const std::string& keep,
                      const SettingsRecord& settings, FileSystem& fs, const MachineModel& machine, bool depth,
                      IselDialect dialect, const std::function<bool()>& stopped, std::ostream& out, std::ostream& err) {
  try {
    return PreviewCommand(source, picture, keep, settings, fs, machine, depth, dialect, stopped, out, err);
  } catch (const std::bad_alloc&) {
    // The source, its lines and its moves are held at once; all of it is
    // given back by now. Nothing was written: the picture is written last,
    // from a complete image.
    err << "morvatex-convert: not enough memory to preview SOURCE: " << Cp1252ToUtf8(source) << "\n";
    return kUnusableStatus;
  }
}

}  // namespace morvatex
