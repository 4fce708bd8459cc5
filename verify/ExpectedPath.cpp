#include "verify/ExpectedPath.h"

#include "engine/MoveGeometry.h"
#include "engine/ExtendedPrecision.h"

namespace morvatex {

void ExpectedPath::TakeLine(const InterpretedLine& line, const MachineState& state, std::size_t lineNumber) {
  switch (line.commandClass) {
    case CommandClass::kFeed:
      if (line.feedRead) feed_ = {true, static_cast<double>(state.feed), 0};
      return;
    case CommandClass::kSpindle:
      if (line.speedRead) speed_ = {true, static_cast<double>(state.speed), 0};
      return;
    case CommandClass::kTool:
      if (line.toolAccepted)
        tool_ = {true, static_cast<double>(profile_.Werkzeuge[std::min<std::size_t>(state.toolIndex, kToolCount - 1)]),
                 0};
      return;
    case CommandClass::kMove: break;
    default: return;
  }
  TracedMove move;
  move.kind = state.motionKind;
  move.startX = state.prevX;
  move.startY = state.prevY;
  move.startZ = state.prevZ;
  move.x = state.posX;
  move.y = state.posY;
  move.z = state.posZ;
  move.feed = feed_;
  move.speed = speed_;
  move.tool = tool_;
  move.line = lineNumber;
  if (IsArc(move.kind)) {
    move.centreX = state.posI;
    move.centreY = state.posJ;
    move.radius = state.radius;
    const bool closed = state.posX == state.prevX && state.posY == state.prevY;
    move.sweep = closed ? 2 * kPi : ArcSweep(state.startAngle, state.endAngle, move.kind == MotionKind::kClockwise);
  }
  if (profile_.Sonderbehandlung != 1) {
    comparison_.AddExpected(move);
    return;
  }
  if (move.kind == MotionKind::kRapid) {
    if (!rapidPending_) rapid_ = move;
    rapid_.x = move.x;
    rapid_.y = move.y;
    rapid_.z = move.z;
    rapid_.zKnown = false;
    rapid_.line = lineNumber;
    rapidPending_ = true;
    return;
  }
  if (rapidPending_) {
    // The opening line gives the rapid position the feed, speed and tool of
    // the contour it opens.
    rapid_.feed = move.feed;
    rapid_.speed = move.speed;
    rapid_.tool = move.tool;
    comparison_.AddExpected(rapid_);
  }
  rapidPending_ = false;
  comparison_.AddExpected(move);
}

}  // namespace morvatex
