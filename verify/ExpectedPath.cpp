#include "verify/ExpectedPath.h"

#include <algorithm>
#include <limits>

#include "engine/MoveGeometry.h"

namespace morvatex {

ExpectedPath::ExpectedPath(const MachineProfile& profile, ControlModel model, PathComparison& comparison)
    : profile_(profile), model_(model), omissions_(ControlFamilyFor(profile).Omissions()), comparison_(comparison) {}

void ExpectedPath::TakeLine(const InterpretedLine& line, std::size_t lineNumber, const MachineState& state) {
  if (!line.notCarried.empty()) comparison_.NoteNotCarried(lineNumber, line.notCarried);
  if (line.dwellSeconds >= 0) TakeDwell(line.dwellSeconds, lineNumber, state);
  switch (line.commandClass) {
    case CommandClass::kFeed:
      if (line.feedRead) feed_ = {true, static_cast<double>(state.feed), 0};
      return;
    case CommandClass::kSpindle:
      if (line.speedRead) speed_ = {true, static_cast<double>(state.speed), 0};
      TakeSpindle(line);
      return;
    case CommandClass::kTool:
      if (line.toolAccepted)
        tool_ = {true, static_cast<double>(profile_.Werkzeuge[std::min<std::size_t>(state.toolIndex, kToolCount - 1)]),
                 0};
      return;
    case CommandClass::kMove: break;
    default: return;
  }
  line.moves.ForEach([this](const Move& move) {
    TracedMove traced;
    static_cast<PathMove&>(traced) = move.As<double>();
    TakeMove(traced);
  });
}

void ExpectedPath::TakeSpindle(const InterpretedLine& line) {
  // Where no code is written for the spindle, the CNC program cannot say
  // what it does: nothing to check until a line whose code is written.
  const bool configured = model_ == ControlModel::kConfigured;
  if (omissions_.spindleWithoutCodes || (configured && !profile_.SWerte)) {
    spindle_ = SpindleState::kUnknown;
    return;
  }
  const struct {
    bool named;
    std::string_view code;
    SpindleState state;
  } calls[] = {
      // The order the codes are written in: the last one named counts.
      {line.spindleCounterClockwise, profile_.SpindelLinkslauf.Trimmed(), SpindleState::kCounterClockwise},
      {line.spindleClockwise, profile_.SpindelRechtslauf.Trimmed(), SpindleState::kClockwise},
      {line.spindleOff, profile_.SpindelAus.Trimmed(), SpindleState::kStopped},
      {line.spindleOn, profile_.SpindelEin.Trimmed(), SpindleState::kRunning},
  };
  for (const auto& call : calls) {
    if (!call.named) continue;
    if (configured && call.code.empty()) {
      spindle_ = SpindleState::kUnknown;
    } else if (call.state != SpindleState::kRunning ||
               (spindle_ != SpindleState::kClockwise && spindle_ != SpindleState::kCounterClockwise)) {
      // Switched on, a spindle keeps the direction it ran in.
      spindle_ = call.state;
    }
  }
}

void ExpectedPath::TakeDwell(long double seconds, std::size_t lineNumber, const MachineState& state) {
  TracedMove dwell;
  dwell.kind = MotionKind::kNone;
  dwell.start =
      dwell.end = {static_cast<double>(state.posX), static_cast<double>(state.posY), static_cast<double>(state.posZ)};
  dwell.frame = static_cast<Frame>(state.frame);
  dwell.unknownAxes = state.unknownAxes;
  dwell.line = lineNumber;
  dwell.dwell = {true, static_cast<double>(seconds), 0};
  dwell.feed = feed_;
  dwell.speed = speed_;
  dwell.tool = tool_;
  dwell.spindle = spindle_;
  // Never merged into a layout's rapid moves: a dwell is written where it stands.
  comparison_.AddExpected(dwell);
}

void ExpectedPath::TakeMove(TracedMove& move) {
  move.feed = feed_;
  move.speed = speed_;
  move.tool = tool_;
  move.spindle = spindle_;
  if (!omissions_.rapidsOnlyOpenContours) {
    comparison_.AddExpected(move);
    return;
  }
  if (move.kind == MotionKind::kRapid) {
    if (!rapidPending_) rapid_ = move;
    rapid_.end = move.end;
    rapid_.zKnown = false;
    rapid_.line = move.line;
    rapidPending_ = true;
    contourOpen_ = false;
    return;
  }
  if (contourOpen_) {
    comparison_.AddExpected(move);
    return;
  }
  OpenContour(move);
  contourOpen_ = true;
}

void ExpectedPath::OpenContour(const TracedMove& move) {
  // The opening line stands at the rapid position, at the height the first
  // move starts from; a plain plunge is made by the opening line itself.
  const bool plunge = IsStraightAlongZ(move);
  TracedMove down = move;
  down.kind = MotionKind::kLinear;
  down.start.z = rapidPending_ ? std::numeric_limits<double>::quiet_NaN() : move.start.z;
  down.end = {move.start.x, move.start.y, plunge ? move.end.z : move.start.z};
  down.centre = {};
  down.radius = down.startAngle = down.endAngle = down.sweep = 0;
  if (rapidPending_) {
    // The opening line gives the rapid position the feed, speed and tool of
    // the contour it opens.
    rapid_.feed = move.feed;
    rapid_.speed = move.speed;
    rapid_.tool = move.tool;
    rapid_.spindle = move.spindle;
    comparison_.AddExpected(rapid_);
    rapidPending_ = false;
  }
  comparison_.AddExpected(down);
  if (!plunge) comparison_.AddExpected(move);
}

}  // namespace morvatex
