#include "preview/ToolPath.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "engine/MoveGeometry.h"
#include "engine/OutcomeCodes.h"
#include "engine/PassRunner.h"
#include "engine/SourceCheck.h"
#include "preview/FrameRefusals.h"
#include "preview/PathRecorder.h"

namespace morvatex {
namespace {

// What every pass of a trace runs with.
struct TraceInput {
  const SettingsRecord& settings;
  IselDialect dialect;
  const std::function<bool()>& stopped;
  const TraceProgressSink& progress;
};

// One pass over the lines as the conversion runs it (engine/PassRunner.h):
// from the first line until PROGEND, the end of the lines, a failure or a
// stop, a stop ending the pass after the line in hand. The trace asks
// `stopped` only every few hundred lines, and tells `progress` first.
// `lastLine` (1-based, 0: none) ends the pass after that line whatever the
// code. Returns the 1-based number of the last line interpreted (the lines
// have at least one). `lines` are asked for in order, each at most once.
template <typename Lines, typename AfterLine>
std::size_t RunPass(Lines& lines, Pass pass, const TraceInput& input, MachineState& state, Outcome& code,
                    std::size_t lastLine, AfterLine afterLine) {
  // Asking costs little, but a line costs less still.
  constexpr std::size_t kLinesPerStopQuery = 256;
  std::string currentLineText;
  const std::size_t total = lines.size();
  return RunPassOverLines(
      lines, pass, input.dialect, input.settings.Profil, state, currentLineText, code,
      [&](std::size_t index) {
        if (index % kLinesPerStopQuery != 0) return false;
        if (input.progress) input.progress({pass == Pass::kMeasuring ? 1 : 2, index, total});
        return input.stopped && input.stopped();
      },
      afterLine, lastLine == 0 ? kAllLines : lastLine);
}

// A fingerprint of the lines, to tell whether a source read twice gave the
// same lines both times.
struct LinePrint {
  std::size_t lines = 0;
  std::uint64_t hash = 0;
  void Add(std::string_view line) {
    ++lines;
    hash = (hash ^ std::hash<std::string_view>{}(line)) * 0x100000001b3u + lines;
  }
  bool operator==(const LinePrint&) const = default;
};

// The source read again for the writing pass, a piece at a time, so that
// its text and the moves are never held together.
class SourceLines {
 public:
  SourceLines(ReadableFile& file, std::size_t total) : file_(file), total_(total), splitter_(window_) {}
  std::size_t size() const { return total_; }
  std::string_view operator[](std::size_t index) {
    while (index >= first_ + window_.size() && ReadPiece()) {
    }
    // A source that has become shorter reads as empty lines; Finish tells.
    return index >= first_ && index < first_ + window_.size() ? window_[index - first_] : std::string_view();
  }
  // Reads the rest; true when the source gave the lines `first` it gave
  // before and could be read to its end and closed.
  bool Finish(const LinePrint& first) {
    while (ReadPiece()) {
    }
    const bool closed = file_.Close();
    return closed && !failed_ && print_ == first;
  }

 private:
  // False at the end of the source or when it cannot be read.
  bool ReadPiece() {
    if (ended_) return false;
    for (std::size_t i = 0; i < window_.size(); ++i) print_.Add(window_[i]);
    first_ += window_.size();
    window_.DropClosedLines();
    while (window_.empty() && !ended_) {
      const std::ptrdiff_t n = file_.Read(buffer_.data(), buffer_.size());
      if (n <= 0) {
        failed_ = n < 0;
        ended_ = true;
        splitter_.Finish();
      } else if (splitter_.Feed(std::string_view(buffer_.data(), static_cast<std::size_t>(n))) !=
                 LineSplitter::Fed::kMore) {
        // Ctrl-Z: what follows it was not read the first time either.
        ended_ = true;
        splitter_.Finish();
      }
    }
    if (ended_) {
      for (std::size_t i = 0; i < window_.size(); ++i) print_.Add(window_[i]);
    }
    return !window_.empty() || !ended_;
  }

  ReadableFile& file_;
  std::size_t total_;
  LineList window_;
  LineSplitter splitter_;
  std::size_t first_ = 0;  // the index of the window's first line
  std::vector<char> buffer_ = std::vector<char>(std::size_t{1} << 16);
  LinePrint print_;
  bool ended_ = false, failed_ = false;
};

// The marks of a move as PathMoves keeps them.
std::uint8_t FrameMark(Frame frame) {
  const int fromMachine = static_cast<int>(frame) - static_cast<int>(Frame::kMachine);
  // The interpreter knows no other frames; one it might make is taken as the first work frame.
  return static_cast<std::uint8_t>(fromMachine >= 0 && fromMachine <= 6 ? fromMachine : 1);
}

}  // namespace

void PathMoves::push_back(const PathSegment& segment) {
  StoredMove move;
  move.x = static_cast<float>(segment.end.x);
  move.y = static_cast<float>(segment.end.y);
  move.z = static_cast<float>(segment.end.z);
  move.feed = segment.feed;
  move.line =
      static_cast<std::uint32_t>(std::min<std::size_t>(segment.line, std::numeric_limits<std::uint32_t>::max()));
  const int plane = static_cast<int>(segment.plane) - static_cast<int>(Plane::kXY);
  move.flags = static_cast<std::uint8_t>(GNumber(segment.kind) | (plane << kPlaneShift));
  if (segment.zOnly) move.flags |= kZOnly;
  move.marks =
      static_cast<std::uint8_t>(FrameMark(segment.frame) | ((segment.unknownAxes << kUnknownShift) & kUnknownMask));
  if (segment.notCarried) move.marks |= kNotCarried;
  if (segment.dwellBefore) move.marks |= kDwellBefore;
  const OwnStart start{moves_.size(), static_cast<float>(segment.start.x), static_cast<float>(segment.start.y),
                       static_cast<float>(segment.start.z)};
  // Compared as stored, so a start the floats cannot tell from the end
  // before it costs nothing.
  const PathPoint before = moves_.empty() ? PathPoint{} : EndOf(moves_.size() - 1);
  if (start.x != static_cast<float>(before.x) || start.y != static_cast<float>(before.y) ||
      start.z != static_cast<float>(before.z)) {
    move.flags |= kOwnStart;
    starts_.push_back(start);
  }
  if (segment.IsArc()) {
    move.arc = static_cast<std::uint32_t>(arcs_.size());
    arcs_.push_back({segment.centre.x, segment.centre.y, segment.radius, segment.startAngle, segment.endAngle,
                     segment.sweep, static_cast<float>(segment.centre.z)});
  }
  moves_.push_back(move);
}

PathPoint PathMoves::StartOf(std::size_t index) const {
  const auto start = std::lower_bound(starts_.begin(), starts_.end(), index,
                                      [](const OwnStart& s, std::size_t move) { return s.move < move; });
  return {start->x, start->y, start->z};
}

void PathMoves::shrink_to_fit() {
  moves_.shrink_to_fit();
  arcs_.shrink_to_fit();
  starts_.shrink_to_fit();
}

void PathMoves::reserve(std::size_t moves, std::size_t arcs) {
  moves_.reserve(moves);
  arcs_.reserve(arcs);
}

void PathMoves::TrimSpare() {
  const auto trim = [](auto& v) {
    if (v.capacity() - v.size() > v.capacity() / 4) v.shrink_to_fit();
  };
  trim(moves_);
  trim(arcs_);
  trim(starts_);
}

double PathSegment::Length() const {
  if (!IsArc()) return std::hypot(std::hypot(end.x - start.x, end.y - start.y), end.z - start.z);
  return std::hypot(sweep * radius, PlaneNormal(end, plane) - PlaneNormal(start, plane));
}

namespace {

// How many moves and arcs the measuring pass met: room to reserve for the
// writing pass.
struct MoveCount {
  std::size_t moves = 0, arcs = 0;
};

// The source's checks and the measuring pass: false when the trace ends
// there. `measured` is the 1-based number of the last line the pass
// interpreted.
bool Measure(const LineList& lines, const TraceInput& input, MachineState& state, ToolPath& path, std::size_t& measured,
             MoveCount& count) {
  path.code = CheckSource(lines);
  if (!IsGood(path.code)) return false;
  ExtentsTracker extents;
  measured =
      RunPass(lines, Pass::kMeasuring, input, state, path.code, 0, [&](const InterpretedLine& line, std::size_t) {
        extents.Update(line.moves, state);
        line.moves.ForEach([&](const Move& move) {
          ++count.moves;
          if (move.IsArc()) ++count.arcs;
        });
      });
  path.extents = extents.Extents();
  path.extentsKnown = true;
  if (path.code == Outcome::kStopped) return false;  // a stop ends the trace after its line
  // After a failed measuring pass the conversion stops; the moves up to the
  // failing line are still shown.
  if (!IsGood(path.code)) {
    path.failedLine = measured;
    path.failedLineText = lines[measured - 1];
  }
  return true;
}

// The writing pass over the same lines, after Measure.
template <typename Lines>
void Write(Lines& lines, const TraceInput& input, MachineState& state, ToolPath& path, std::size_t measured,
           const MoveCount& count) {
  path.segments.reserve(count.moves, count.arcs);
  // What the writing pass would say about the lines up to a measuring
  // failure does not change the outcome.
  const bool measuringFailed = !IsGood(path.code);
  Outcome writingCode = Outcome::kSuccess;
  PathRecorder recorder(path);
  const FrameRefusals refusals(input.settings);
  const std::size_t written = RunPass(lines, Pass::kWriting, input, state, writingCode, measuringFailed ? measured : 0,
                                      [&](const InterpretedLine& line, std::size_t index) {
                                        if (measuringFailed) writingCode = Outcome::kSuccess;
                                        recorder.Record(line, index, state);
                                        if (refusals.Refuses(line)) writingCode = Outcome::kMachineFrameNotExpressible;
                                      });
  if (!measuringFailed && !IsGood(writingCode)) {
    path.code = writingCode;
    path.failedLine = written;
    path.failedLineText = lines[written - 1];
  }
  path.segments.TrimSpare();
}

}  // namespace

ToolPath TraceToolPath(const LineList& lines, const SettingsRecord& settings, const std::function<bool()>& stopped,
                       const TraceProgressSink& progress, IselDialect dialect) {
  const TraceInput input{settings, dialect, stopped, progress};
  ToolPath path;
  MachineState state;
  std::size_t measured = 0;
  MoveCount count;
  if (Measure(lines, input, state, path, measured, count)) Write(lines, input, state, path, measured, count);
  return path;
}

ToolPath TraceToolPathFile(FileSystem& fs, const std::string& path, const SettingsRecord& settings,
                           const std::function<bool()>& stopped, const TraceProgressSink& progress,
                           IselDialect dialect) {
  const TraceInput input{settings, dialect, stopped, progress};
  const auto failed = [](Outcome code) {
    ToolPath result;
    result.code = code;
    return result;
  };
  const auto unreadable = [&] { return failed(stopped && stopped() ? Outcome::kStopped : Outcome::kSourceOpen); };
  std::unique_ptr<ReadableFile> file = fs.OpenForReading(path);
  if (!file) return unreadable();
  LineList lines;
  const SourceReading reading = ReadSourceLines(*file, lines, [&](std::size_t bytes) {
    if (progress) progress({0, bytes, 0});
    return stopped && stopped();
  });
  switch (reading) {
    case SourceReading::kComplete: break;
    case SourceReading::kStopped: file->Close(); return failed(Outcome::kStopped);
    case SourceReading::kReadFailed: file->Close(); return unreadable();
    case SourceReading::kTooLarge: file->Close(); return failed(Outcome::kSourceRead);
  }
  if (!file->Close()) return unreadable();
  file.reset();

  ToolPath traced;
  MachineState state;
  std::size_t measured = 0;
  MoveCount count;
  if (!Measure(lines, input, state, traced, measured, count)) return traced;
  // A FIFO or a device gives its bytes once: its lines stay for the writing
  // pass. A file is read again instead, so that a long program's text is
  // gone before its moves take its place.
  if (fs.IsSpecialFile(path)) {
    Write(lines, input, state, traced, measured, count);
    return traced;
  }
  LinePrint print;
  for (std::size_t i = 0; i < lines.size(); ++i) print.Add(lines[i]);
  const std::size_t total = lines.size();
  {
    // Moved from, the lines give their storage up; assigning an empty list
    // could leave the text's buffer in place.
    const LineList gone = std::move(lines);
  }
#ifdef __GLIBC__
  // The line ends grew on the heap, which keeps freed memory for later;
  // the moves about to come are allocated apart from it.
  malloc_trim(0);
#endif
  file = fs.OpenForReading(path);
  if (!file) return unreadable();
  SourceLines again(*file, total);
  Write(again, input, state, traced, measured, count);
  if (traced.code == Outcome::kStopped) {
    file->Close();
    return traced;
  }
  // A source that changed between the two readings gives no path: its
  // moves would not fit the extents measured.
  if (!again.Finish(print)) return failed(Outcome::kSourceRead);
  return traced;
}

MachiningEstimate Estimate(const ToolPath& path, double rapidRate) {
  MachiningEstimate estimate;
  estimate.toolChanges = path.toolChanges;
  estimate.feedLength = path.totals.feedLength;
  estimate.rapidLength = path.totals.rapidLength;
  estimate.unfedLength = path.totals.unfedLength;
  estimate.feedSeconds = path.totals.feedSeconds;
  estimate.dwellSeconds = path.totals.dwellSeconds;
  if (rapidRate > 0) estimate.rapidSeconds = estimate.rapidLength / rapidRate * 60;
  return estimate;
}

}  // namespace morvatex
