#include "verify/PathComparison.h"

#include <algorithm>
#include <cmath>

#include "base/Cp1252Codec.h"
#include "engine/ExtendedPrecision.h"
#include "verify/DecimalText.h"

namespace morvatex {
namespace {

constexpr std::string_view kMotionNames[] = {"G0", "G1", "G2", "G3"};

std::string_view MotionName(MotionKind kind) {
  return kind == MotionKind::kNone ? std::string_view("-") : kMotionNames[GNumber(kind)];
}

double Distance(double dx, double dy, double dz = 0) { return std::sqrt(dx * dx + dy * dy + dz * dz); }

std::string PointText(double x, double y, double z, bool withZ) {
  std::string text = "X" + DecimalText(x) + " Y" + DecimalText(y);
  if (withZ) text += " Z" + DecimalText(z);
  return text;
}

void Join(std::string& text, const std::string& more) {
  if (more.empty()) return;
  if (!text.empty()) text += "; ";
  text += more;
}

double Degrees(double radians) { return radians * 180 / kPi; }

// A value that a settings factor of 1/n gives, written so.
std::string FactorText(double factor) {
  std::string text = DecimalText(factor, 6);
  const double inverse = 1 / factor;
  if (factor > 0 && factor < 1 && std::fabs(inverse - std::round(inverse)) < 1e-6)
    text += " (1/" + DecimalText(std::round(inverse), 0) + ")";
  return text;
}

}  // namespace

PathComparison::PathComparison(const MachineProfile& profile, ControlModel model, double tolerance)
    : profile_(profile), model_(model), tolerance_(tolerance) {}

void PathComparison::AddExpected(const TracedMove& move) {
  if (IsFeedMove(move.kind)) lastExpectedFeed_ = move;
  Add(expected_, move);
}

void PathComparison::AddRead(const TracedMove& move) {
  if (IsFeedMove(move.kind)) lastReadFeed_ = move;
  Add(read_, move);
}

void PathComparison::AddFinding(const ReadFinding& finding) { Note(0, finding.line, finding.message); }

void PathComparison::Add(Queue& side, const TracedMove& move) {
  const bool still = move.x == move.startX && move.y == move.startY && (move.z == move.startZ || !move.zKnown);
  if (!IsArc(move.kind)) {
    if (!still) side.push_back(move);
    return;
  }
  if (move.radius == 0) return;
  if (!still && move.sweep < 2 * kPi) {
    side.push_back(move);
    return;
  }
  // A full circle: to the opposite point and back, each half a turn.
  TracedMove half = move;
  half.x = 2 * move.centreX - move.startX;
  half.y = 2 * move.centreY - move.startY;
  half.z = (move.startZ + move.z) / 2;
  half.sweep = kPi;
  TracedMove back = move;
  back.startX = half.x;
  back.startY = half.y;
  back.startZ = half.z;
  back.sweep = kPi;
  side.push_back(half);
  side.push_back(back);
}

void PathComparison::Note(std::size_t iselLine, std::size_t cncLine, std::string what) {
  ++summary_.divergenceCount;
  if (summary_.first.size() < kKeptDivergences) summary_.first.push_back({iselLine, cncLine, std::move(what)});
}

bool PathComparison::Tiny(const TracedMove& m) const {
  return !IsArc(m.kind) && Distance(m.x - m.startX, m.y - m.startY, m.zKnown ? m.z - m.startZ : 0) <= tolerance_;
}

std::string PathComparison::PositionDifference(const TracedMove& e, const TracedMove& r) {
  std::string what;
  const bool feedE = IsFeedMove(e.kind), feedR = IsFeedMove(r.kind);
  if (e.kind != r.kind && (feedE != feedR || IsArc(e.kind) || IsArc(r.kind)))
    Join(what, "Bewegungsart: Isel " + std::string(MotionName(e.kind)) + ", CNC " + std::string(MotionName(r.kind)));
  const bool withZ = e.zKnown && r.zKnown;
  const double end = Distance(e.x - r.x, e.y - r.y, withZ ? e.z - r.z : 0);
  summary_.largestDeviation = std::max(summary_.largestDeviation, end);
  if (end > tolerance_) {
    Join(what, "Endpunkt: Isel " + PointText(e.x, e.y, e.z, withZ) + ", CNC " + PointText(r.x, r.y, r.z, withZ) + " (" +
                   DecimalText(end, 6) + " mm)");
  }
  if (IsArc(e.kind) && IsArc(r.kind)) {
    // A centre given by R is judged by whether the Isel centre fits the
    // written arc: as far from its start and its end as the radius says.
    const double centre = r.byRadius
                              ? std::max(std::fabs(Distance(e.centreX - r.startX, e.centreY - r.startY) - r.radius),
                                         std::fabs(Distance(e.centreX - r.x, e.centreY - r.y) - r.radius))
                              : Distance(e.centreX - r.centreX, e.centreY - r.centreY);
    summary_.largestDeviation = std::max(summary_.largestDeviation, centre);
    if (centre > tolerance_) {
      Join(what, "Mittelpunkt: Isel X" + DecimalText(e.centreX) + " Y" + DecimalText(e.centreY) + ", CNC X" +
                     DecimalText(r.centreX) + " Y" + DecimalText(r.centreY));
    }
    if (std::fabs(e.radius - r.radius) > tolerance_)
      Join(what, "Radius: Isel " + DecimalText(e.radius) + ", CNC " + DecimalText(r.radius));
    // Near half a circle, R fixes only which side the arc takes.
    const bool sweepDiffers =
        r.byRadius ? std::fabs(e.sweep - kPi) * e.radius > tolerance_ && (e.sweep > kPi) != (r.sweep > kPi)
                   : std::fabs(e.sweep - r.sweep) * std::max(e.radius, r.radius) > tolerance_;
    if (sweepDiffers) {
      Join(what, "Bogen: Isel " + DecimalText(Degrees(e.sweep), 3) + std::string(Cp1252<u8"°, CNC ">()) +
                     DecimalText(Degrees(r.sweep), 3) + std::string(Cp1252<u8"°">()));
    }
  }
  return what;
}

std::string PathComparison::ModalDifference(const TracedMove& e, const TracedMove& r) {
  std::string what;
  const auto differs = [](const ModalValue& a, const ModalValue& b) {
    return a.known && b.known && std::fabs(a.value - b.value) > a.resolution + b.resolution + 1e-9 * std::fabs(a.value);
  };
  // Mostly the values agree, as they did at the move before: nothing to
  // report and nothing to remember.
  const bool bothFeed = IsFeedMove(e.kind) && IsFeedMove(r.kind);
  if (lastFeed_.empty() && lastSpeed_.empty() && lastTool_.empty() && !(bothFeed && differs(e.feed, r.feed)) &&
      !differs(e.speed, r.speed) && !differs(e.tool, r.tool))
    return what;
  const auto once = [&what](std::string& last, std::string text) {
    if (text == last) return;  // mostly both empty: the values agree
    Join(what, text);
    last = std::move(text);
  };
  if (bothFeed) {
    once(lastFeed_, differs(e.feed, r.feed) ? "Vorschub: Isel " + DecimalText(e.feed.value, 3) + " mm/min, CNC " +
                                                  DecimalText(r.feed.value, 3) + " mm/min"
                                            : std::string());
  }
  std::string speed;
  if (differs(e.speed, r.speed)) {
    speed = "Drehzahl: Isel " + DecimalText(e.speed.value, 3) + " 1/min, CNC " + DecimalText(r.speed.value, 3);
    // Under RS274/NGC, S is the speed itself; name the factor that gives it.
    if (model_ == ControlModel::kRs274 && r.speed.value != 0 && std::isfinite(profile_.FaktorSonderS))
      speed += "; FaktorSonderS " + FactorText(profile_.FaktorSonderS * e.speed.value / r.speed.value) +
               std::string(Cp1252<u8" gäbe sie richtig">());
  }
  once(lastSpeed_, speed);
  once(lastTool_, differs(e.tool, r.tool)
                      ? "Werkzeug: Isel T" + DecimalText(e.tool.value, 0) + ", CNC T" + DecimalText(r.tool.value, 0)
                      : std::string());
  return what;
}

void PathComparison::Match() {
  while (!expected_.empty() && !read_.empty()) {
    const TracedMove& e = expected_.front();
    const TracedMove& r = read_.front();
    const double largest = summary_.largestDeviation;
    std::string what = PositionDifference(e, r);
    if (!what.empty()) {
      // A step within the tolerance that one side leaves out is no
      // divergence: the positions after it are compared all the same.
      if (Tiny(e) || Tiny(r)) {
        summary_.largestDeviation = largest;
        (Tiny(e) ? expected_ : read_).pop_front();
        continue;
      }
    }
    ++summary_.movesCompared;
    Join(what, ModalDifference(e, r));
    if (!what.empty()) Note(e.line, r.line, std::move(what));
    expected_.pop_front();
    read_.pop_front();
  }
  if (expectedEnded_ || readEnded_) NoteUnmatched();
}

void PathComparison::Finish() {
  Match();
  expectedEnded_ = readEnded_ = true;
  NoteUnmatched();
  const TracedMove& e = lastExpectedFeed_;
  const TracedMove& r = lastReadFeed_;
  if (IsFeedMove(e.kind) && IsFeedMove(r.kind)) {
    const double end = Distance(e.x - r.x, e.y - r.y, e.z - r.z);
    summary_.largestDeviation = std::max(summary_.largestDeviation, end);
    if (end > tolerance_)
      Note(e.line, r.line,
           "Ende des Schnitts: Isel " + PointText(e.x, e.y, e.z, true) + ", CNC " + PointText(r.x, r.y, r.z, true) +
               " (" + DecimalText(end, 6) + " mm)");
  }
}

void PathComparison::NoteUnmatched() {
  if (readEnded_) {
    for (const TracedMove& missing : expected_) {
      if (!Tiny(missing))
        Note(missing.line, 0,
             "fehlt im CNC-Programm: " + std::string(MotionName(missing.kind)) + " nach " +
                 PointText(missing.x, missing.y, missing.z, missing.zKnown));
    }
    expected_.clear();
  }
  if (expectedEnded_) {
    for (const TracedMove& extra : read_) {
      if (!Tiny(extra))
        Note(0, extra.line,
             std::string(Cp1252<u8"zusätzliche Bewegung im CNC-Programm: ">()) + std::string(MotionName(extra.kind)) +
                 " nach " + PointText(extra.x, extra.y, extra.z, extra.zKnown));
    }
    read_.clear();
  }
}

}  // namespace morvatex
