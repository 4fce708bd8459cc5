// Compares two tool paths move by move: the Isel program's, as the
// conversion interprets it, and a CNC program's, as a control model reads
// it. End points, the centre, radius, direction and sweep of arcs, feed,
// spindle speed and tool; positions within a tolerance in mm, feeds and
// speeds within half a unit of their written decimals.
//
// Both paths are fed as they come, so that neither is ever held whole: the
// comparison keeps only the moves not yet matched. Before comparing, both
// sides drop moves that go nowhere and split full circles into two halves,
// so that a circle written as two half circles matches one given whole.
#pragma once

#include <cstddef>
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

class PathComparison {
 public:
  PathComparison(const MachineProfile& profile, ControlModel model, double tolerance);

  void AddExpected(const TracedMove& move);
  void AddRead(const TracedMove& move);
  void AddFinding(const ReadFinding& finding);
  // True while an expected move waits for its CNC counterpart.
  bool WantsRead() const { return !expected_.empty() && read_.empty(); }
  // Compares what both sides hold.
  void Match();
  // One side has no more moves: what the other adds from now on is noted at
  // once (missing or extra), so that neither is ever held whole.
  void ExpectedEnded() { expectedEnded_ = true; }
  void ReadEnded() { readEnded_ = true; }
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
    const TracedMove& front() const { return moves[head]; }
    void pop_front() {
      if (++head == moves.size()) moves.clear(), head = 0;
    }
    void push_back(const TracedMove& move) { moves.push_back(move); }
    void clear() { moves.clear(), head = 0; }
    auto begin() const { return moves.begin() + static_cast<std::ptrdiff_t>(head); }
    auto end() const { return moves.end(); }
  };
  void Add(Queue& side, const TracedMove& move);
  // Notes what is left on either side when the other has ended.
  void NoteUnmatched();
  void Note(std::size_t iselLine, std::size_t cncLine, std::string what);
  // The position differences of two moves, empty when they agree; updates
  // the largest deviation.
  std::string PositionDifference(const TracedMove& e, const TracedMove& r);
  std::string ModalDifference(const TracedMove& e, const TracedMove& r);
  bool Tiny(const TracedMove& move) const;

  const MachineProfile& profile_;
  ControlModel model_;
  double tolerance_;
  Queue expected_, read_;
  bool expectedEnded_ = false, readEnded_ = false;
  // The last feed move of each side, also one too small to compare: where
  // the cut ends must agree however small the steps to it were.
  TracedMove lastExpectedFeed_, lastReadFeed_;
  ComparisonSummary summary_;
  // The feed, speed and tool divergence last reported, so that a wrong value
  // is reported where it starts, not at every move.
  std::string lastFeed_, lastSpeed_, lastTool_;
};

}  // namespace morvatex
