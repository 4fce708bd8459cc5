// Compares two tool paths move by move: the Isel program's, as the
// conversion interprets it, and a CNC program's, as a control model reads
// it. End points, the plane, centre, radius, direction and sweep of arcs,
// dwells, the frame, feed, spindle speed, spindle state and tool; positions
// within a tolerance in mm, feeds, speeds and dwells within half a unit of
// their written decimals. Positions are compared in the frame of each move
// and only on the axes the Isel side knows there: an axis it does not know
// since a change of frame stands still, and the CNC program must not move
// it either. An arc may be given as straight moves that keep to it within
// the tolerance (verify/ArcFollowing.h), as the writer gives arcs its
// control cannot be told.
//
// Both paths are fed as they come, so that neither is ever held whole: the
// comparison keeps only the moves not yet matched. Before comparing, both
// sides drop moves that go nowhere and split full circles into two halves
// (engine/MoveGeometry.h), so that a circle written as two half circles
// matches one given whole.
//
// Where the paths part, the comparison finds its place again as a diff
// does: it looks ahead a few steps on both sides for the nearest place where
// two moves in a row agree again, and counts what it passed over there as
// the divergences: a move missing, added or changed is one. A step is the
// moves of one line (the pieces of a helix, the halves of a circle, a drill
// cycle), so that a line of many moves is passed over as one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/SettingsRecord.h"
#include "verify/TracedMove.h"

namespace morvatex {

struct Divergence {
  std::size_t iselLine = 0;  // 1-based; 0 when it concerns no Isel line
  std::size_t cncLine = 0;   // 1-based; 0 when it concerns no CNC line
  std::string what;          // what differs, with both values (Windows-1252)
};

struct ComparisonSummary {
  std::size_t movesCompared = 0;
  double largestDeviation = 0;  // mm, over the positions compared
  std::size_t divergenceCount = 0;
  std::vector<Divergence> first;  // the first kKeptDivergences, in order
};

inline constexpr std::size_t kKeptDivergences = 20;

// How many steps (lines) of either side the comparison passes over at most
// to find its place again; beyond it, the moves in hand count as changed.
inline constexpr std::size_t kLookAhead = 8;

class PathComparison {
 public:
  PathComparison(const MachineProfile& profile, ControlModel model, double tolerance);

  void AddExpected(const TracedMove& move);
  void AddRead(const TracedMove& move);
  void AddFinding(const ReadFinding& finding);
  // Isel line `iselLine` (1-based) is not carried over whole, for `reason`
  // (German): a divergence of its own, so that a conversion that left
  // something out never checks clean. It is noted once the moves of the
  // lines before it are compared, in its place among the others.
  void NoteNotCarried(std::size_t iselLine, const std::string& reason);
  // True while the comparison cannot go on without more moves read back.
  bool WantsRead() const { return !readEnded_ && !expected_.empty() && read_.size() < readWanted_; }
  // Compares what both sides hold.
  void Match();
  // One side has no more moves: what the other adds from now on is noted at
  // once (missing or extra), so that neither is ever held whole.
  void ExpectedEnded() { expectedEnded_ = true; }
  void ReadEnded() { readEnded_ = true; }
  // The CNC program ends at `cncLine` with `code` (M2, M30): the moves still
  // expected are one divergence there, not one each.
  void ProgramEnded(std::size_t cncLine, std::string code);
  // Both paths have ended: what is left on one side is missing on the other.
  void Finish();

  const ComparisonSummary& Summary() const { return summary_; }

 private:
  // The moves of one side not yet matched, oldest first. A vector read from
  // `head`: a deque would allocate a block for every move of this size.
  struct Queue {
    std::vector<TracedMove> moves;
    std::size_t head = 0;
    bool empty() const { return head == moves.size(); }
    std::size_t size() const { return moves.size() - head; }
    const TracedMove& front() const { return moves[head]; }
    const TracedMove& operator[](std::size_t i) const { return moves[head + i]; }
    void pop_front() {
      if (++head == moves.size()) moves.clear(), head = 0;
    }
    void push_back(const TracedMove& move) { moves.push_back(move); }
    void clear() { moves.clear(), head = 0; }
    auto begin() const { return moves.begin() + static_cast<std::ptrdiff_t>(head); }
    auto end() const { return moves.end(); }
  };
  // How far two moves lie apart.
  struct Deviation {
    bool kind = false;  // another kind of move (a feed move for a rapid one, another arc, a dwell)
    bool withZ = true;  // both end heights known
    double end = 0;     // distance of the end points over the axes compared, mm
    // Axes the Isel side does not know and the CNC program moves; axes the
    // Isel side gives and the CNC program has not given since its frame changed.
    std::uint8_t movedUnknown = 0, unknownInCnc = 0;
    bool plane = false;   // arcs: in another plane
    double centre = 0;    // arcs: how far the centre is off, mm
    bool radius = false;  // arcs: the radius differs
    bool sweep = false;   // arcs: the angle swept differs
    bool dwell = false;   // dwells: another time
  };
  // Whether the front moves are an arc of the Isel side and straight moves
  // of the CNC program that keep to it.
  enum class Stand { kMatched, kWait, kNone };

  void Add(Queue& side, const TracedMove& move);
  Deviation Measure(const TracedMove& e, const TracedMove& r) const;
  bool Agree(const Deviation& d) const;
  bool Agree(const TracedMove& e, const TracedMove& r) const { return Agree(Measure(e, r)); }
  // The end points' distance over the axes compared, noting the unknown axes in `d`.
  double EndDistance(const TracedMove& e, const TracedMove& r, Deviation& d) const;
  // The front arc of the Isel side (with the pieces of its line that go on
  // from it) given as straight moves of the CNC program.
  Stand StandInForArc();
  // The index of the first move of each of the first `steps` steps of `side`.
  static std::vector<std::size_t> StepStarts(const Queue& side, std::size_t steps);
  // A place where the paths agree again `i` expected and `j` read moves on.
  bool AgreeAgainAt(std::size_t i, std::size_t j) const;
  // The front moves differ: finds the place where the paths agree again and
  // notes what lies before it. False when it must wait for more moves.
  bool FindPlaceAgain();
  // Compares two moves taken as one another's counterparts, and notes what
  // differs.
  void Compare(const TracedMove& e, const TracedMove& r) {
    const Deviation d = Measure(e, r);
    Compare(e, r, d, Agree(d));
  }
  void Compare(const TracedMove& e, const TracedMove& r, const Deviation& d, bool agree);
  // Notes what is left on either side when the other has ended.
  void NoteUnmatched();
  // Notes the lines not carried over whose place the comparison has passed.
  void NotePassedNotCarried();
  // `afterReadEnded`: missing since the CNC program has no more moves.
  void NoteMissing(const TracedMove& missing, bool afterReadEnded);
  void NoteExtra(const TracedMove& extra);
  void Note(std::size_t iselLine, std::size_t cncLine, std::string what);
  // The text of the position differences.
  std::string PositionDifference(const TracedMove& e, const TracedMove& r, const Deviation& d) const;
  std::string ModalDifference(const TracedMove& e, const TracedMove& r);
  bool Tiny(const TracedMove& move) const;

  const MachineProfile& profile_;
  ControlModel model_;
  double tolerance_;
  Queue expected_, read_;
  bool expectedEnded_ = false, readEnded_ = false;
  std::size_t readWanted_ = 1;  // read moves the next step needs in hand
  // The read moves an arc given as straight moves waits for (0: none):
  // the run is followed anew only when they are in hand.
  std::size_t arcReadWanted_ = 0;
  // The last feed move of each side, also one too small to compare: where
  // the cut ends must agree however small the steps to it were, unless the
  // last feed moves were noted as missing, extra or changed already.
  struct FeedEnd {
    PathPoint end;
    std::size_t line = 0;
    bool known = false;
    std::uint8_t unknownAxes = 0;  // not compared
  };
  FeedEnd lastExpectedFeed_, lastReadFeed_;
  bool feedTailNoted_ = false;
  // The line of the last move noted missing or extra: the pieces of one
  // line (the halves of a circle) are one divergence.
  std::size_t lastMissingLine_ = 0, lastExtraLine_ = 0;
  // The program's end code before the path's end: its CNC line and code,
  // the divergence noting it (an index into `first`, or none) and how many
  // moves were still expected after it.
  std::size_t programEndLine_ = 0;
  std::string programEndCode_;
  bool programEndNoted_ = false;
  std::size_t programEndNote_ = 0;
  std::size_t movesAfterEnd_ = 0;
  ComparisonSummary summary_;
  // Lines not carried over, not yet noted: their line and reason.
  struct NotCarried {
    std::size_t line;
    std::string reason;
  };
  std::vector<NotCarried> notCarried_;
  // The feed, speed, spindle and tool divergence last reported, so that a
  // wrong value is reported where it starts, not at every move.
  std::string lastFeed_, lastSpeed_, lastSpindle_, lastTool_, lastFrame_;
  // The axes the CNC program was last found not to give (AxisBits).
  std::uint8_t unknownInCncNoted_ = 0;
};

}  // namespace morvatex
