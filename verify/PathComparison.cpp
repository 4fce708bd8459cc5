#include "verify/PathComparison.h"

#include <algorithm>
#include <cmath>

#include "base/Cp1252Codec.h"
#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"
#include "verify/DecimalText.h"

namespace morvatex {
namespace {

constexpr std::string_view kMotionNames[] = {"G0", "G1", "G2", "G3"};

std::string_view MotionName(MotionKind kind) {
  return kind == MotionKind::kNone ? std::string_view("-") : kMotionNames[GNumber(kind)];
}

double Distance(double dx, double dy, double dz = 0) { return std::sqrt(dx * dx + dy * dy + dz * dz); }

std::string PointText(const PathPoint& p, bool withZ) {
  std::string text = "X" + DecimalText(p.x) + " Y" + DecimalText(p.y);
  if (withZ) text += " Z" + DecimalText(p.z);
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

// A move that goes nowhere; a Z no one knows goes nowhere either.
bool Still(const TracedMove& m) { return EndsWhereItBeganInXY(m) && (m.end.z == m.start.z || !m.zKnown); }

std::string_view SpindleName(SpindleState state) {
  switch (state) {
    case SpindleState::kStopped: return "aus";
    case SpindleState::kClockwise: return "Rechtslauf";
    case SpindleState::kCounterClockwise: return "Linkslauf";
    case SpindleState::kRunning: return "ein";
    case SpindleState::kUnknown: break;
  }
  return "-";
}

// Whether the spindle states contradict each other: running against
// stopped, or the two directions. A spindle switched on without a direction
// named runs in either.
bool SpindleDiffers(SpindleState e, SpindleState r) {
  if (e == SpindleState::kUnknown || r == SpindleState::kUnknown || e == r) return false;
  if ((e == SpindleState::kStopped) != (r == SpindleState::kStopped)) return true;
  return e != SpindleState::kRunning && r != SpindleState::kRunning;
}

}  // namespace

PathComparison::PathComparison(const MachineProfile& profile, ControlModel model, double tolerance)
    : profile_(profile), model_(model), tolerance_(tolerance) {}

void PathComparison::AddExpected(const TracedMove& move) {
  if (move.IsFeed()) lastExpectedFeed_ = {move.end, move.line, true};
  Add(expected_, move);
}

void PathComparison::AddRead(const TracedMove& move) {
  if (move.IsFeed()) lastReadFeed_ = {move.end, move.line, true};
  Add(read_, move);
}

void PathComparison::AddFinding(const ReadFinding& finding) { Note(0, finding.line, finding.message); }

void PathComparison::ProgramEnded(std::size_t cncLine, std::string code) {
  programEndLine_ = cncLine;
  programEndCode_ = std::move(code);
  readEnded_ = true;
}

void PathComparison::Add(Queue& side, const TracedMove& move) {
  if (!move.IsArc()) {
    if (!Still(move)) side.push_back(move);
    return;
  }
  if (move.radius == 0) return;
  if (!IsFullCircle(move)) {
    side.push_back(move);
    return;
  }
  // A full circle, flat or helical: to the opposite point and back.
  for (const PathMove& half : FullCircleHalves<double>(move)) {
    TracedMove piece = move;
    static_cast<PathMove&>(piece) = half;
    side.push_back(piece);
  }
}

void PathComparison::Note(std::size_t iselLine, std::size_t cncLine, std::string what) {
  ++summary_.divergenceCount;
  if (summary_.first.size() < kKeptDivergences) summary_.first.push_back({iselLine, cncLine, std::move(what)});
}

bool PathComparison::Tiny(const TracedMove& m) const {
  return !m.IsArc() &&
         Distance(m.end.x - m.start.x, m.end.y - m.start.y, m.zKnown ? m.end.z - m.start.z : 0) <= tolerance_;
}

PathComparison::Deviation PathComparison::Measure(const TracedMove& e, const TracedMove& r) const {
  Deviation d;
  d.kind = e.kind != r.kind && (e.IsFeed() != r.IsFeed() || e.IsArc() || r.IsArc());
  d.withZ = e.zKnown && r.zKnown;
  d.end = Distance(e.end.x - r.end.x, e.end.y - r.end.y, d.withZ ? e.end.z - r.end.z : 0);
  if (!e.IsArc() || !r.IsArc()) return d;
  // A centre given by R is judged by whether the Isel centre fits the
  // written arc: as far from its start and its end as the radius says.
  d.centre = r.byRadius ? std::max(std::fabs(Distance(e.centre.x - r.start.x, e.centre.y - r.start.y) - r.radius),
                                   std::fabs(Distance(e.centre.x - r.end.x, e.centre.y - r.end.y) - r.radius))
                        : Distance(e.centre.x - r.centre.x, e.centre.y - r.centre.y);
  d.radius = std::fabs(e.radius - r.radius) > tolerance_;
  // Near half a circle, R fixes only which side the arc takes.
  constexpr double kHalfTurn = static_cast<double>(kPi);
  d.sweep = r.byRadius ? std::fabs(e.sweep - kHalfTurn) * e.radius > tolerance_ &&
                             (e.sweep > kHalfTurn) != (r.sweep > kHalfTurn)
                       : std::fabs(e.sweep - r.sweep) * std::max(e.radius, r.radius) > tolerance_;
  return d;
}

bool PathComparison::Agree(const Deviation& d) const {
  // Written so that a distance no number gives (NaN) counts as none.
  return !d.kind && !(d.end > tolerance_) && !(d.centre > tolerance_) && !d.radius && !d.sweep;
}

std::string PathComparison::PositionDifference(const TracedMove& e, const TracedMove& r, const Deviation& d) const {
  std::string what;
  if (d.kind)
    Join(what, "Bewegungsart: Isel " + std::string(MotionName(e.kind)) + ", CNC " + std::string(MotionName(r.kind)));
  if (d.end > tolerance_) {
    Join(what, "Endpunkt: Isel " + PointText(e.end, d.withZ) + ", CNC " + PointText(r.end, d.withZ) + " (" +
                   DecimalText(d.end, 6) + " mm)");
  }
  if (!e.IsArc() || !r.IsArc()) return what;
  if (d.centre > tolerance_) {
    Join(what, "Mittelpunkt: Isel X" + DecimalText(e.centre.x) + " Y" + DecimalText(e.centre.y) + ", CNC X" +
                   DecimalText(r.centre.x) + " Y" + DecimalText(r.centre.y));
  }
  if (d.radius) Join(what, "Radius: Isel " + DecimalText(e.radius) + ", CNC " + DecimalText(r.radius));
  if (d.sweep) {
    Join(what, "Bogen: Isel " + DecimalText(Degrees(e.sweep), 3) + std::string(Cp1252<u8"°, CNC ">()) +
                   DecimalText(Degrees(r.sweep), 3) + std::string(Cp1252<u8"°">()));
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
  const bool bothFeed = e.IsFeed() && r.IsFeed();
  const bool spindleDiffers = bothFeed && SpindleDiffers(e.spindle, r.spindle);
  if (lastFeed_.empty() && lastSpeed_.empty() && lastSpindle_.empty() && lastTool_.empty() &&
      !(bothFeed && differs(e.feed, r.feed)) && !differs(e.speed, r.speed) && !spindleDiffers &&
      !differs(e.tool, r.tool))
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
  // Only while cutting: before a contour the spindle may still start.
  if (bothFeed) {
    once(lastSpindle_, spindleDiffers ? "Spindel: Isel " + std::string(SpindleName(e.spindle)) + ", CNC " +
                                            std::string(SpindleName(r.spindle))
                                      : std::string());
  }
  // The tool as written: a T word of 2.5 is no tool 2.
  once(lastTool_, differs(e.tool, r.tool)
                      ? "Werkzeug: Isel T" + DecimalText(e.tool.value) + ", CNC T" + DecimalText(r.tool.value)
                      : std::string());
  return what;
}

void PathComparison::Compare(const TracedMove& e, const TracedMove& r, const Deviation& d, bool agree) {
  ++summary_.movesCompared;
  // A distance no number gives (NaN) leaves the largest as it was.
  summary_.largestDeviation = std::max(summary_.largestDeviation, std::max(d.end, d.centre));
  std::string what = agree ? std::string() : PositionDifference(e, r, d);
  if (e.IsFeed() || r.IsFeed()) feedTailNoted_ = !what.empty();
  Join(what, ModalDifference(e, r));
  if (!what.empty()) Note(e.line, r.line, std::move(what));
}

bool PathComparison::AgreeAgainAt(std::size_t i, std::size_t j) const {
  const std::size_t e = expected_.size(), r = read_.size();
  if (i >= e || j >= r || !Agree(expected_[i], read_[j])) return false;
  // At the last move of a path that has ended, one move agreeing is all
  // there can be.
  if ((i + 1 == e && expectedEnded_) || (j + 1 == r && readEnded_)) return true;
  return i + 1 < e && j + 1 < r && Agree(expected_[i + 1], read_[j + 1]);
}

bool PathComparison::FindPlaceAgain() {
  constexpr std::size_t kInHand = kLookAhead + 2;
  const bool waitExpected = expected_.size() < kInHand && !expectedEnded_;
  const bool waitRead = read_.size() < kInHand && !readEnded_;
  if (waitRead) readWanted_ = kInHand;
  if (waitExpected || waitRead) return false;
  // The nearest place: the fewest moves passed over on the side that passes
  // over more, then the fewest in all.
  std::size_t skipExpected = 1, skipRead = 1;
  bool found = false;
  for (std::size_t reach = 1; reach <= kLookAhead && !found; ++reach) {
    for (std::size_t other = 0; other <= reach && !found; ++other) {
      if (AgreeAgainAt(reach, other)) {
        skipExpected = reach, skipRead = other, found = true;
      } else if (AgreeAgainAt(other, reach)) {
        skipExpected = other, skipRead = reach, found = true;
      }
    }
  }
  // Moves passed over side by side are changed ones; the rest of the longer
  // side is missing or extra. Without a place within reach, the front moves
  // count as changed.
  const std::size_t paired = std::min(skipExpected, skipRead);
  for (std::size_t k = 0; k < paired; ++k) Compare(expected_[k], read_[k]);
  for (std::size_t k = paired; k < skipExpected; ++k) NoteMissing(expected_[k], false);
  for (std::size_t k = paired; k < skipRead; ++k) NoteExtra(read_[k]);
  for (std::size_t k = 0; k < skipExpected; ++k) expected_.pop_front();
  for (std::size_t k = 0; k < skipRead; ++k) read_.pop_front();
  return true;
}

void PathComparison::Match() {
  readWanted_ = 1;
  while (!expected_.empty() && !read_.empty()) {
    const TracedMove& e = expected_.front();
    const TracedMove& r = read_.front();
    if (const Deviation d = Measure(e, r); Agree(d)) {
      Compare(e, r, d, true);
      expected_.pop_front();
      read_.pop_front();
      continue;
    }
    // A step within the tolerance that one side leaves out is no
    // divergence: the positions after it are compared all the same.
    if (Tiny(e) || Tiny(r)) {
      (Tiny(e) ? expected_ : read_).pop_front();
      continue;
    }
    if (!FindPlaceAgain()) return;
  }
  if (expectedEnded_ || readEnded_) NoteUnmatched();
}

void PathComparison::Finish() {
  expectedEnded_ = readEnded_ = true;
  Match();
  if (programEndNoted_) {
    if (programEndNote_ < summary_.first.size()) {
      summary_.first[programEndNote_].what +=
          movesAfterEnd_ == 1 ? ": es fehlt noch 1 Bewegung"
                              : ": es fehlen noch " + std::to_string(movesAfterEnd_) + " Bewegungen";
    }
    return;
  }
  const FeedEnd& e = lastExpectedFeed_;
  const FeedEnd& r = lastReadFeed_;
  if (!feedTailNoted_ && e.known && r.known) {
    const double end = Distance(e.end.x - r.end.x, e.end.y - r.end.y, e.end.z - r.end.z);
    summary_.largestDeviation = std::max(summary_.largestDeviation, end);
    if (end > tolerance_)
      Note(e.line, r.line,
           "Ende des Schnitts: Isel " + PointText(e.end, true) + ", CNC " + PointText(r.end, true) + " (" +
               DecimalText(end, 6) + " mm)");
  }
}

void PathComparison::NoteUnmatched() {
  if (readEnded_ && read_.empty()) {
    for (const TracedMove& missing : expected_) NoteMissing(missing, true);
    expected_.clear();
  }
  if (expectedEnded_ && expected_.empty()) {
    for (const TracedMove& extra : read_) NoteExtra(extra);
    read_.clear();
  }
}

void PathComparison::NoteMissing(const TracedMove& missing, bool afterReadEnded) {
  if (Tiny(missing)) return;
  if (missing.IsFeed()) feedTailNoted_ = true;
  if (afterReadEnded && programEndLine_ > 0) {
    // All that the end code cut off is one divergence.
    ++movesAfterEnd_;
    if (programEndNoted_) return;
    programEndNoted_ = true;
    programEndNote_ = summary_.first.size();
    Note(missing.line, programEndLine_, "Programmende " + programEndCode_ + " vor dem Ende des Wegs");
    return;
  }
  if (missing.line != 0 && missing.line == lastMissingLine_) return;
  lastMissingLine_ = missing.line;
  Note(missing.line, 0,
       "fehlt im CNC-Programm: " + std::string(MotionName(missing.kind)) + " nach " +
           PointText(missing.end, missing.zKnown));
}

void PathComparison::NoteExtra(const TracedMove& extra) {
  if (Tiny(extra)) return;
  if (extra.IsFeed()) feedTailNoted_ = true;
  if (extra.line != 0 && extra.line == lastExtraLine_) return;
  lastExtraLine_ = extra.line;
  Note(0, extra.line,
       std::string(Cp1252<u8"zusätzliche Bewegung im CNC-Programm: ">()) + std::string(MotionName(extra.kind)) +
           " nach " + PointText(extra.end, extra.zKnown));
}

}  // namespace morvatex
