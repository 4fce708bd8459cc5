// The tool path of one Isel program for the preview: every move as the
// conversion's interpreter follows it, with the drawing extents of the DXF
// drawing, and an estimate of the machining time.
//
// Units: positions, lengths, radii and extents in mm (the interpreter's
// millimetre values); angles in radians; feeds in mm/min (the interpreter's
// feed, VEL µm/s × 60 / 1000, before the output factor FaktorSonderF, which
// only changes the unit of the F words written); times in seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "engine/DrawingExtents.h"
#include "engine/IselDialect.h"
#include "engine/LineList.h"
#include "engine/Move.h"
#include "engine/OutcomeCodes.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// A move of the preview's path: the move as the interpreter made it, in
// doubles (engine/Move.h), with what only the preview keeps of it.
struct PathSegment : PathMove {
  double feed = 0;  // feed moves: the feed in force (0 before the first VEL)
  // A feed move in Z alone, judged from the interpreter's values (drawn as
  // a dot; the stored coordinates are too coarse to tell).
  bool zOnly = false;
  // Its line is not carried over whole (drawn in a warning colour).
  bool notCarried = false;
  // The machine stood still for a dwell before it.
  bool dwellBefore = false;
  // The sweep with its direction: counter-clockwise positive, as the picture
  // and the plan turn; a full circle sweeps ±2π.
  double SignedSweep() const { return Clockwise() ? -sweep : sweep; }
  // The length along the path, all axes included (an arc with a share
  // along its plane's normal is a helix).
  double Length() const;
  // Its numbers need not be where the tool goes: given in the machine's
  // frame, or with an axis whose place in the frame nobody knows.
  bool Uncertain() const { return frame == Frame::kMachine || unknownAxes != 0; }
};

// The moves of a path, compactly: a long program keeps millions of them.
// Positions are kept as floats, fine enough for drawing; a move starts where
// the one before it ended (the first at the machine zero) unless its start
// was recorded apart. Arc data lives in a side table, the rare starts of
// their own in another. Reading a move gives a PathSegment built on demand,
// with those float positions: lengths and times come from ToolPath::totals,
// summed at full precision. The readers are defined here, so that a loop
// over millions of moves inlines them and builds only what it uses; a loop
// that wants a few kinds of move asks KindOf first.
class PathMoves {
 public:
  void push_back(const PathSegment& segment);
  std::size_t size() const { return moves_.size(); }
  bool empty() const { return moves_.empty(); }
  PathSegment operator[](std::size_t index) const;
  PathSegment back() const { return (*this)[moves_.size() - 1]; }
  PathPoint EndOf(std::size_t index) const {
    const StoredMove& move = moves_[index];
    return {move.x, move.y, move.z};
  }
  std::size_t LineOf(std::size_t index) const { return moves_[index].line; }
  MotionKind KindOf(std::size_t index) const { return static_cast<MotionKind>(moves_[index].flags & kKindMask); }
  bool ZOnly(std::size_t index) const { return (moves_[index].flags & kZOnly) != 0; }
  // PathSegment's Uncertain, notCarried and dwellBefore of a move.
  bool Uncertain(std::size_t index) const {
    const std::uint8_t marks = moves_[index].marks;
    return (marks & kFrameMask) == 0 || (marks & kUnknownMask) != 0;
  }
  bool NotCarried(std::size_t index) const { return (moves_[index].marks & kNotCarried) != 0; }
  bool DwellBefore(std::size_t index) const { return (moves_[index].marks & kDwellBefore) != 0; }
  void shrink_to_fit();
  // Room for `moves` moves of which `arcs` are arcs, so that a long path
  // never grows by copying.
  void reserve(std::size_t moves, std::size_t arcs);
  // Gives back unused room when it is a good part of the whole; shrinking
  // copies, which for a nearly full path would cost more than it saves.
  void TrimSpare();

  struct StoredMove {
    double feed = 0;  // first, so that the floats pack behind it
    float x = 0, y = 0, z = 0;
    std::uint32_t line = 0;
    std::uint32_t arc = 0;  // arcs: the index into arcs_
    std::uint8_t flags = 0;
    std::uint8_t marks = 0;
  };

 private:
  // Move flags: the kind (its G number) in the low bits, the plane (from
  // XY) in bits 4 and 5.
  static constexpr std::uint8_t kKindMask = 0x03;
  static constexpr std::uint8_t kOwnStart = 0x04;
  static constexpr std::uint8_t kZOnly = 0x08;
  static constexpr int kPlaneShift = 4;
  static constexpr std::uint8_t kPlaneMask = 0x30;
  // Move marks: the frame (counted from the machine's, G53) in the low
  // three bits, the unknown axes (AxisBits) in the next three, then whether
  // its line is not carried over and whether a dwell came before it.
  static constexpr std::uint8_t kFrameMask = 0x07;
  static constexpr int kUnknownShift = 3;
  static constexpr std::uint8_t kUnknownMask = 0x38;
  static constexpr std::uint8_t kNotCarried = 0x40;
  static constexpr std::uint8_t kDwellBefore = 0x80;

  // What an arc adds to its move, in doubles as the path's moves hold it,
  // but for the centre's Z: nothing draws it, and a float fits the padding.
  struct StoredArc {
    double centreX = 0, centreY = 0, radius = 0, startAngle = 0, endAngle = 0, sweep = 0;
    float centreZ = 0;
  };
  // The start of a move that does not start where the move before it ended.
  struct OwnStart {
    std::size_t move = 0;
    float x = 0, y = 0, z = 0;
  };
  PathPoint StartOf(std::size_t index) const;

  std::vector<StoredMove> moves_;
  std::vector<StoredArc> arcs_;
  std::vector<OwnStart> starts_;  // in the order of their moves
};
static_assert(sizeof(PathMoves::StoredMove) <= 32, "a move must stay small: long programs keep millions");

// Every field given once: a segment cleared first and then filled costs a
// long-path estimate several percent.
inline PathSegment PathMoves::operator[](std::size_t index) const {
  const StoredMove& move = moves_[index];
  const MotionKind kind = KindOf(index);
  const Plane plane = static_cast<Plane>(static_cast<int>(Plane::kXY) + ((move.flags & kPlaneMask) >> kPlaneShift));
  PathPoint start;
  if (move.flags & kOwnStart) {
    start = StartOf(index);
  } else if (index > 0) {
    start = EndOf(index - 1);
  }
  const Frame frame = static_cast<Frame>(static_cast<int>(Frame::kMachine) + (move.marks & kFrameMask));
  const auto unknown = static_cast<std::uint8_t>((move.marks & kUnknownMask) >> kUnknownShift);
  if (!IsArc(kind))
    return {{kind, plane, start, EndOf(index), {}, 0, 0, 0, 0, move.line, frame, unknown, 0},
            move.feed,
            ZOnly(index),
            NotCarried(index),
            DwellBefore(index)};
  const StoredArc& arc = arcs_[move.arc];
  return {{kind,
           plane,
           start,
           EndOf(index),
           {arc.centreX, arc.centreY, arc.centreZ},
           arc.radius,
           arc.startAngle,
           arc.endAngle,
           arc.sweep,
           move.line,
           frame,
           unknown,
           0},
          move.feed,
          ZOnly(index),
          NotCarried(index),
          DwellBefore(index)};
}

// The lengths and feed times of a path, summed while tracing from the
// interpreter's values.
struct PathTotals {
  double feedLength = 0, rapidLength = 0, unfedLength = 0, feedSeconds = 0;
  double dwellSeconds = 0;
};

// A line of the program that is not carried over whole, and why.
struct NotCarriedLine {
  std::size_t line = 0;  // 1-based
  std::string reason;    // German, Windows-1252; the reasons of its steps joined by "; "
};

struct ToolPath {
  PathMoves segments;         // in program order
  PathTotals totals;          // of all the segments
  DrawingExtents extents;     // as the DXF header gets them
  bool extentsKnown = false;  // the measuring pass ran
  int toolChanges = 0;        // GETTOOL lines with a valid tool number
  // The outcome code a conversion of the program would end with, as far as
  // the preview can tell (the output stages are not run, but a frame the CNC
  // program cannot say fails as there, preview/FrameRefusals.h): 0, or the
  // code of the first failure. The path ends with the failing line.
  Outcome code = Outcome::kSuccess;
  std::size_t failedLine = 0;  // 1-based; 0 when no line is to blame
  std::string failedLineText;  // that line as the source has it
  // The lines the writing pass does not carry over whole, in program
  // order: the first kListedNotCarried with their reasons, all counted.
  static constexpr std::size_t kListedNotCarried = 10000;
  std::vector<NotCarriedLine> notCarried;
  std::size_t notCarriedCount = 0;
};

// How far a trace has come, for a progress display: `pass` 0 while the
// source is read (`done` bytes so far, `total` 0), then 1 for the measuring
// and 2 for the writing pass (`done` lines of `total`).
struct TraceProgress {
  int pass = 0;
  std::size_t done = 0, total = 0;
};
using TraceProgressSink = std::function<void(const TraceProgress&)>;

// Traces the program in `lines` as a conversion does: the checks of the
// source (at least 5 lines, "PROGEND" present), the measuring pass for the
// extents, then the writing pass for the moves, with `settings` in force and
// the lines read in `dialect`.
// Failures of the measuring pass come first, as in a conversion; the path
// then runs up to the line that failed. `stopped`, asked every few hundred
// lines, ends the trace with code 11 (stopped) as a stop request ends a
// conversion: after the line in hand (engine/PassRunner.h). `progress`
// hears how far it came whenever `stopped` is asked.
ToolPath TraceToolPath(const LineList& lines, const SettingsRecord& settings, const std::function<bool()>& stopped = {},
                       const TraceProgressSink& progress = {}, IselDialect dialect = IselDialect::kOriginal);

// Reads the source at `path` (Windows-1252) as a conversion reads it and
// traces it; a source that cannot be read gives code 50 and no path, and
// one whose reading a stop ended gives code 11. The reading asks `stopped`
// too, after every megabyte or so.
ToolPath TraceToolPathFile(FileSystem& fs, const std::string& path, const SettingsRecord& settings,
                           const std::function<bool()>& stopped = {}, const TraceProgressSink& progress = {},
                           IselDialect dialect = IselDialect::kOriginal);

struct MachiningEstimate {
  double feedLength = 0;    // mm at feed, feed moves without feed included
  double rapidLength = 0;   // mm at rapid
  double unfedLength = 0;   // mm at feed before any VEL gave a feed (not timed)
  double feedSeconds = 0;   // each feed move at its programmed feed
  double rapidSeconds = 0;  // rapid moves at the given rapid rate
  double dwellSeconds = 0;  // the dwells (WAIT with a time, SPINDLE ... TIME, drill cycles)
  int toolChanges = 0;      // not timed
  // With a machine model (preview/MotionPlan.h): every move accelerating
  // and braking, the dwells included; below 0 when not planned.
  double plannedSeconds = -1;
  // The time as if the machine changed its speed at once.
  double InstantSeconds() const { return feedSeconds + rapidSeconds + dwellSeconds; }
  // The planned time where there is one, else the instant one.
  double Seconds() const { return plannedSeconds >= 0 ? plannedSeconds : InstantSeconds(); }
};

// The estimate of `path` with rapid moves at `rapidRate` mm/min (all axes
// together, as one straight move), and its dwells. No acceleration, no tool
// change time.
MachiningEstimate Estimate(const ToolPath& path, double rapidRate);

}  // namespace morvatex
