#include "preview/PathRecorder.h"

#include <string>

#include "engine/Move.h"

namespace morvatex {
namespace {

// The preview's segment of one of the interpreter's moves: the move in
// doubles, the feed in force after its step (none for a rapid move), and
// whether it runs in Z alone.
PathSegment SegmentOf(const Move& move, const MachineState& state, bool notCarried, bool dwellBefore) {
  const PathMove m = move.As<double>();
  const bool zOnly =
      m.kind == MotionKind::kLinear && m.start.x == m.end.x && m.start.y == m.end.y && m.start.z != m.end.z;
  // Built whole: a segment cleared first and then filled costs the trace.
  return {m, m.IsFeed() ? static_cast<double>(state.feed) : 0, zOnly, notCarried, dwellBefore};
}

// Sums from the segment at full precision, before the move is stored.
void AddToTotals(const PathSegment& segment, PathTotals& totals) {
  const double length = segment.Length();
  if (segment.kind == MotionKind::kRapid) {
    totals.rapidLength += length;
  } else {
    totals.feedLength += length;
    if (segment.feed > 0) {
      totals.feedSeconds += length / segment.feed * 60;
    } else {
      totals.unfedLength += length;
    }
  }
}

}  // namespace

void PathRecorder::Record(const InterpretedLine& step, std::size_t index, const MachineState& state) {
  const std::size_t line = index + 1;
  if (!step.notCarried.empty()) NoteNotCarried(line, step.notCarried);
  if (step.dwellSeconds >= 0) {
    path_.totals.dwellSeconds += static_cast<double>(step.dwellSeconds);
    dwelt_ = true;
  }
  const bool notCarried = line == notCarriedLine_;
  step.moves.ForEach([&](const Move& move) {
    const PathSegment segment = SegmentOf(move, state, notCarried, dwelt_);
    dwelt_ = false;
    AddToTotals(segment, path_.totals);
    path_.segments.push_back(segment);
  });
  if (step.toolAccepted) ++path_.toolChanges;
}

void PathRecorder::NoteNotCarried(std::size_t line, std::string_view reason) {
  std::vector<NotCarriedLine>& listed = path_.notCarried;
  if (line == notCarriedLine_) {
    // Another step of the same line: its reasons go together.
    if (!listed.empty() && listed.back().line == line && listed.back().reason.find(reason) == std::string::npos) {
      listed.back().reason += "; ";
      listed.back().reason += reason;
    }
    return;
  }
  notCarriedLine_ = line;
  ++path_.notCarriedCount;
  if (listed.size() < ToolPath::kListedNotCarried) listed.push_back({line, std::string(reason)});
}

}  // namespace morvatex
