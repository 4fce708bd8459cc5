#include "verify/PathComparison.h"

#include <algorithm>
#include <cmath>

#include "base/Cp1252Codec.h"
#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"
#include "verify/ArcFollowing.h"
#include "verify/DecimalText.h"

namespace morvatex {
namespace {

constexpr std::string_view kMotionNames[] = {"G0", "G1", "G2", "G3"};

std::string_view MotionName(MotionKind kind) {
  return kind == MotionKind::kNone ? std::string_view("-") : kMotionNames[GNumber(kind)];
}

// The move's G word as a report names it, G53 before it in the machine frame.
std::string MotionText(const TracedMove& move) {
  if (move.IsDwell()) return "G4";
  return (move.frame == Frame::kMachine ? "G53 " : "") + std::string(MotionName(move.kind));
}

std::string FrameName(Frame frame) { return "G" + std::to_string(static_cast<int>(frame)); }

std::string PlaneName(Plane plane) {
  return plane == Plane::kXY ? "G17 (XY)" : plane == Plane::kXZ ? "G18 (XZ)" : "G19 (YZ)";
}

double Distance(double dx, double dy, double dz = 0) { return std::sqrt(dx * dx + dy * dy + dz * dz); }

// "X1 Y2 Z3", without the axes in `left` (AxisBits) and without Z unless `withZ`.
std::string PointText(const PathPoint& p, bool withZ, std::uint8_t left = 0) {
  std::string text;
  const auto add = [&text, left](char letter, double value, std::uint8_t axis) {
    if (left & axis) return;
    if (!text.empty()) text += ' ';
    text += letter + DecimalText(value);
  };
  add('X', p.x, kAxisX);
  add('Y', p.y, kAxisY);
  if (withZ) add('Z', p.z, kAxisZ);
  return text;
}

// The letters of the axes in `axes` (AxisBits): "X", "Y Z".
std::string AxisLetters(std::uint8_t axes) {
  std::string text;
  for (const auto& [letter, axis] : {std::pair{'X', kAxisX}, std::pair{'Y', kAxisY}, std::pair{'Z', kAxisZ}}) {
    if (!(axes & axis)) continue;
    if (!text.empty()) text += ' ';
    text += letter;
  }
  return text;
}

// The centre of an arc in `plane`: its two coordinates there.
std::string CentreText(const PathPoint& c, Plane plane) {
  if (plane == Plane::kXZ) return "X" + DecimalText(c.x) + " Z" + DecimalText(c.z);
  if (plane == Plane::kYZ) return "Y" + DecimalText(c.y) + " Z" + DecimalText(c.z);
  return "X" + DecimalText(c.x) + " Y" + DecimalText(c.y);
}

std::string SecondsText(double seconds) { return DecimalText(seconds, 3) + " s"; }

double Coordinate(const PathPoint& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

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

// A move that goes nowhere; a Z no one knows goes nowhere either. A dwell
// stands still on purpose, and a move to an axis newly known in its frame
// goes somewhere whatever its numbers say.
bool Still(const TracedMove& m) {
  return !m.IsDwell() && m.newlyKnownAxes == 0 && EndsWhereItBeganInXY(m) && (m.end.z == m.start.z || !m.zKnown);
}

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
  if (move.IsFeed()) lastExpectedFeed_ = {move.end, move.line, true, move.unknownAxes};
  Add(expected_, move);
}

void PathComparison::AddRead(const TracedMove& move) {
  if (move.IsFeed()) lastReadFeed_ = {move.end, move.line, true, move.unknownAxes};
  Add(read_, move);
}

void PathComparison::AddFinding(const ReadFinding& finding) { Note(0, finding.line, finding.message); }

void PathComparison::NoteNotCarried(std::size_t iselLine, const std::string& reason) {
  notCarried_.push_back({iselLine, reason});
  NotePassedNotCarried();
}

void PathComparison::NotePassedNotCarried() {
  // Every expected move of an earlier line is compared once the oldest one
  // in hand is of this line or a later one.
  std::size_t noted = 0;
  for (; noted < notCarried_.size(); ++noted) {
    if (!expected_.empty() && expected_.front().line < notCarried_[noted].line) break;
    Note(notCarried_[noted].line, 0, "nicht umgesetzt: " + notCarried_[noted].reason);
  }
  notCarried_.erase(notCarried_.begin(), notCarried_.begin() + static_cast<std::ptrdiff_t>(noted));
}

void PathComparison::ProgramEnded(std::size_t cncLine, std::string code) {
  programEndLine_ = cncLine;
  programEndCode_ = std::move(code);
  readEnded_ = true;
}

void PathComparison::Add(Queue& side, const TracedMove& move) {
  if (move.IsDwell()) {
    side.push_back(move);
    return;
  }
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
  bool first = true;
  for (const PathMove& half : FullCircleHalves<double>(move)) {
    TracedMove piece = move;
    static_cast<PathMove&>(piece) = half;
    piece.secondHalf = !first;
    first = false;
    side.push_back(piece);
  }
}

void PathComparison::Note(std::size_t iselLine, std::size_t cncLine, std::string what) {
  ++summary_.divergenceCount;
  if (summary_.first.size() < kKeptDivergences) summary_.first.push_back({iselLine, cncLine, std::move(what)});
}

bool PathComparison::Tiny(const TracedMove& m) const {
  return !m.IsArc() && !m.IsDwell() && m.newlyKnownAxes == 0 &&
         Distance(m.end.x - m.start.x, m.end.y - m.start.y, m.zKnown ? m.end.z - m.start.z : 0) <= tolerance_;
}

double PathComparison::EndDistance(const TracedMove& e, const TracedMove& r, Deviation& d) const {
  double sum = 0;
  for (int axis = 0; axis < 3; ++axis) {
    const auto bit = static_cast<std::uint8_t>(1 << axis);
    if (axis == 2 && !d.withZ) continue;
    double delta = 0;
    if (e.unknownAxes & bit) {
      // The Isel side leaves the axis where it stands: so must the CNC program.
      if (!(r.unknownAxes & bit)) delta = Coordinate(r.end, axis) - Coordinate(r.start, axis);
      if (std::fabs(delta) > tolerance_) d.movedUnknown |= bit;
    } else if (r.unknownAxes & bit) {
      d.unknownInCnc |= bit;
    } else {
      delta = Coordinate(e.end, axis) - Coordinate(r.end, axis);
    }
    sum += delta * delta;
  }
  return std::sqrt(sum);
}

PathComparison::Deviation PathComparison::Measure(const TracedMove& e, const TracedMove& r) const {
  Deviation d;
  if (e.IsDwell() || r.IsDwell()) {
    d.kind = e.IsDwell() != r.IsDwell();
    d.dwell = !d.kind && std::fabs(e.dwell.value - r.dwell.value) >
                             e.dwell.resolution + r.dwell.resolution + 1e-9 * std::fabs(e.dwell.value);
    return d;
  }
  d.kind = e.kind != r.kind && (e.IsFeed() != r.IsFeed() || e.IsArc() || r.IsArc());
  d.withZ = e.zKnown && r.zKnown;
  // Mostly every axis is known on both sides.
  d.end = (e.unknownAxes | r.unknownAxes) == 0
              ? Distance(e.end.x - r.end.x, e.end.y - r.end.y, d.withZ ? e.end.z - r.end.z : 0)
              : EndDistance(e, r, d);
  if (!e.IsArc() || !r.IsArc()) return d;
  d.plane = e.plane != r.plane;
  if (d.plane) return d;
  // Centres compared in the arc's plane. A centre given by R is judged by
  // whether the Isel centre fits the written arc: as far from its start and
  // its end as the radius says.
  const Plane plane = e.plane;
  const auto inPlane = [plane](const PathPoint& a, const PathPoint& b) {
    return Distance(PlaneU(a, plane) - PlaneU(b, plane), PlaneV(a, plane) - PlaneV(b, plane));
  };
  d.centre = r.byRadius ? std::max(std::fabs(inPlane(e.centre, r.start) - r.radius),
                                   std::fabs(inPlane(e.centre, r.end) - r.radius))
                        : inPlane(e.centre, r.centre);
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
  // An axis the CNC program does not give is noted once, where it starts.
  return !d.kind && !(d.end > tolerance_) && !d.plane && !(d.centre > tolerance_) && !d.radius && !d.sweep && !d.dwell;
}

std::string PathComparison::PositionDifference(const TracedMove& e, const TracedMove& r, const Deviation& d) const {
  std::string what;
  if (d.kind) Join(what, "Bewegungsart: Isel " + MotionText(e) + ", CNC " + MotionText(r));
  if (d.dwell) Join(what, "Verweilzeit: Isel " + SecondsText(e.dwell.value) + ", CNC " + SecondsText(r.dwell.value));
  if (d.end > tolerance_) {
    Join(what, "Endpunkt: Isel " + PointText(e.end, d.withZ, e.unknownAxes) + ", CNC " +
                   PointText(r.end, d.withZ, r.unknownAxes) + " (" + DecimalText(d.end, 6) + " mm)");
  }
  if (d.movedUnknown) {
    Join(what, std::string(Cp1252<u8"Isel lässt ">()) + AxisLetters(d.movedUnknown) +
                   std::string(Cp1252<u8" stehen (Lage nach dem Nullpunktwechsel unbekannt), CNC fährt es">()));
  }
  if (!e.IsArc() || !r.IsArc()) return what;
  if (d.plane) {
    Join(what, "Ebene: Isel " + PlaneName(e.plane) + ", CNC " + PlaneName(r.plane));
    return what;
  }
  if (d.centre > tolerance_)
    Join(what, "Mittelpunkt: Isel " + CentreText(e.centre, e.plane) + ", CNC " + CentreText(r.centre, r.plane));
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
  if (lastFeed_.empty() && lastSpeed_.empty() && lastSpindle_.empty() && lastTool_.empty() && lastFrame_.empty() &&
      !(bothFeed && differs(e.feed, r.feed)) && !differs(e.speed, r.speed) && !spindleDiffers &&
      !differs(e.tool, r.tool) && e.frame == r.frame)
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
  // A frame the CNC program does not choose is noted where it starts; the
  // positions are compared as numbers all the same.
  once(lastFrame_,
       e.frame != r.frame ? "Nullpunkt: Isel " + FrameName(e.frame) + ", CNC " + FrameName(r.frame) : std::string());
  return what;
}

void PathComparison::Compare(const TracedMove& e, const TracedMove& r, const Deviation& d, bool agree) {
  if (e.IsDwell() && r.IsDwell()) {
    if (!agree) Note(e.line, r.line, PositionDifference(e, r, d));
    return;
  }
  ++summary_.movesCompared;
  // A distance no number gives (NaN) leaves the largest as it was.
  summary_.largestDeviation = std::max(summary_.largestDeviation, std::max(d.end, d.centre));
  std::string what = agree ? std::string() : PositionDifference(e, r, d);
  if (e.IsFeed() || r.IsFeed()) feedTailNoted_ = !what.empty();
  // Until the CNC program gives the axis again.
  if (const auto fresh = static_cast<std::uint8_t>(d.unknownInCnc & ~unknownInCncNoted_); fresh != 0) {
    Join(what, "CNC nennt " + AxisLetters(fresh) +
                   std::string(Cp1252<u8" nach dem Nullpunktwechsel nicht, Isel fährt nach ">()) +
                   PointText(e.end, d.withZ, static_cast<std::uint8_t>(~fresh)));
  }
  unknownInCncNoted_ = d.unknownInCnc;
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

std::vector<std::size_t> PathComparison::StepStarts(const Queue& side, std::size_t steps) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < side.size() && starts.size() < steps; ++i) {
    if (i == 0 || side[i].line == 0 || side[i].line != side[i - 1].line) starts.push_back(i);
  }
  return starts;
}

bool PathComparison::FindPlaceAgain() {
  // A line's moves come in together, so every step in hand is whole.
  constexpr std::size_t kInHand = kLookAhead + 2;
  const std::vector<std::size_t> e = StepStarts(expected_, kInHand), r = StepStarts(read_, kInHand);
  const bool waitExpected = e.size() < kInHand && !expectedEnded_;
  const bool waitRead = r.size() < kInHand && !readEnded_;
  if (waitRead) readWanted_ = read_.size() + 1;
  if (waitExpected || waitRead) return false;
  // The nearest place: the fewest steps passed over on the side that passes
  // over more, then the fewest in all.
  const auto at = [](const std::vector<std::size_t>& starts, std::size_t step, std::size_t size) {
    return step < starts.size() ? starts[step] : size;
  };
  std::size_t skipExpected = at(e, 1, expected_.size()), skipRead = at(r, 1, read_.size());
  bool found = false;
  for (std::size_t reach = 1; reach <= kLookAhead && !found; ++reach) {
    for (std::size_t other = 0; other <= reach && !found; ++other) {
      const std::size_t eReach = at(e, reach, expected_.size()), rOther = at(r, other, read_.size());
      const std::size_t eOther = at(e, other, expected_.size()), rReach = at(r, reach, read_.size());
      if (AgreeAgainAt(eReach, rOther)) {
        skipExpected = eReach, skipRead = rOther, found = true;
      } else if (AgreeAgainAt(eOther, rReach)) {
        skipExpected = eOther, skipRead = rReach, found = true;
      }
    }
  }
  // Moves passed over side by side are changed ones; the rest of the longer
  // side is missing or extra. Without a place within reach, the front steps
  // count as changed.
  const std::size_t paired = std::min(skipExpected, skipRead);
  for (std::size_t k = 0; k < paired; ++k) Compare(expected_[k], read_[k]);
  for (std::size_t k = paired; k < skipExpected; ++k) NoteMissing(expected_[k], false);
  for (std::size_t k = paired; k < skipRead; ++k) NoteExtra(read_[k]);
  for (std::size_t k = 0; k < skipExpected; ++k) expected_.pop_front();
  for (std::size_t k = 0; k < skipRead; ++k) read_.pop_front();
  return true;
}

PathComparison::Stand PathComparison::StandInForArc() {
  // Still waiting for the moves asked for last time.
  if (!readEnded_ && read_.size() < arcReadWanted_) {
    readWanted_ = arcReadWanted_;
    return Stand::kWait;
  }
  arcReadWanted_ = 0;
  // The arc with the pieces of its line that go on from it: a circle
  // split into halves, a helix in pieces.
  PathMove arc = expected_.front();
  std::size_t pieces = 1;
  while (pieces < expected_.size() && ContinuesArc(expected_[pieces - 1], expected_[pieces])) {
    arc.end = expected_[pieces].end;
    arc.endAngle = expected_[pieces].endAngle;
    arc.sweep += expected_[pieces].sweep;
    ++pieces;
  }
  // Chords that follow the arc forwards to its end, each within a quarter
  // of its radius, are the arc however coarse: one divergence at most.
  const ArcFollowing following =
      FollowArc(arc, read_.moves, read_.head, tolerance_, std::max(tolerance_, arc.radius / 4));
  if (following.verdict == ArcFollowing::Verdict::kStrays) return Stand::kNone;
  if (following.verdict == ArcFollowing::Verdict::kNeedMore) {
    if (readEnded_) return Stand::kNone;
    // Twice as many in hand each time, so that a long run is followed anew
    // only a few times.
    readWanted_ = arcReadWanted_ = 2 * read_.size();
    return Stand::kWait;
  }
  const TracedMove& e = expected_.front();
  summary_.largestDeviation = std::max(summary_.largestDeviation, following.deviation);
  if (following.deviation > tolerance_) {
    Note(e.line, read_.moves[following.farthest].line,
         std::string(Cp1252<u8"Geradenstücke statt Bogen: bis ">()) + DecimalText(following.deviation, 6) +
             " mm neben dem Isel-Bogen");
  }
  for (std::size_t k = 0; k < following.moves; ++k) {
    ++summary_.movesCompared;
    if (std::string what = ModalDifference(e, read_.front()); !what.empty()) Note(e.line, read_.front().line, what);
    read_.pop_front();
  }
  feedTailNoted_ = following.deviation > tolerance_;
  for (std::size_t k = 0; k < pieces; ++k) expected_.pop_front();
  return Stand::kMatched;
}

void PathComparison::Match() {
  readWanted_ = 1;
  while (!expected_.empty() && !read_.empty()) {
    if (!notCarried_.empty()) NotePassedNotCarried();
    const TracedMove& e = expected_.front();
    const TracedMove& r = read_.front();
    if (const Deviation d = Measure(e, r); Agree(d)) {
      Compare(e, r, d, true);
      expected_.pop_front();
      read_.pop_front();
      continue;
    }
    // An arc the CNC program gives as straight moves along it.
    if (e.IsArc() && r.kind == MotionKind::kLinear && !r.IsDwell()) {
      const Stand stand = StandInForArc();
      if (stand == Stand::kMatched) continue;
      if (stand == Stand::kWait) break;
    }
    // A step within the tolerance that one side leaves out is no
    // divergence: the positions after it are compared all the same.
    if (Tiny(e) || Tiny(r)) {
      (Tiny(e) ? expected_ : read_).pop_front();
      continue;
    }
    if (!FindPlaceAgain()) break;
  }
  if (expectedEnded_ || readEnded_) NoteUnmatched();
  if (!notCarried_.empty()) NotePassedNotCarried();
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
    // Over the axes both sides know.
    const std::uint8_t unknown = e.unknownAxes | r.unknownAxes;
    const auto delta = [unknown](std::uint8_t axis, double a, double b) { return unknown & axis ? 0 : a - b; };
    const double end =
        Distance(delta(kAxisX, e.end.x, r.end.x), delta(kAxisY, e.end.y, r.end.y), delta(kAxisZ, e.end.z, r.end.z));
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
    if (!missing.secondHalf) ++movesAfterEnd_;
    if (programEndNoted_) return;
    programEndNoted_ = true;
    programEndNote_ = summary_.first.size();
    Note(missing.line, programEndLine_, "Programmende " + programEndCode_ + " vor dem Ende des Wegs");
    return;
  }
  if (missing.line != 0 && missing.line == lastMissingLine_) return;
  lastMissingLine_ = missing.line;
  if (missing.IsDwell()) {
    Note(missing.line, 0, "fehlt im CNC-Programm: Verweilzeit " + SecondsText(missing.dwell.value));
    return;
  }
  Note(missing.line, 0,
       "fehlt im CNC-Programm: " + MotionText(missing) + " nach " +
           PointText(missing.end, missing.zKnown, missing.unknownAxes));
}

void PathComparison::NoteExtra(const TracedMove& extra) {
  if (Tiny(extra)) return;
  if (extra.IsFeed()) feedTailNoted_ = true;
  if (extra.line != 0 && extra.line == lastExtraLine_) return;
  lastExtraLine_ = extra.line;
  if (extra.IsDwell()) {
    Note(0, extra.line,
         std::string(Cp1252<u8"zusätzliche Verweilzeit im CNC-Programm: ">()) + SecondsText(extra.dwell.value));
    return;
  }
  Note(0, extra.line,
       std::string(Cp1252<u8"zusätzliche Bewegung im CNC-Programm: ">()) + MotionText(extra) + " nach " +
           PointText(extra.end, extra.zKnown, extra.unknownAxes));
}

}  // namespace morvatex
