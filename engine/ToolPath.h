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
#include <functional>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "engine/DrawingExtents.h"
#include "engine/LineList.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

struct PathPoint {
  double x = 0, y = 0, z = 0;
};

struct PathSegment {
  enum class Kind { kRapid, kLinear, kArc };
  Kind kind = Kind::kLinear;
  PathPoint start, end;
  // Arcs: the centre (the interpreter's I and J), the radius measured from
  // the end point, the direction of the start point seen from the centre,
  // and the signed sweep (counter-clockwise positive; a full circle, end
  // point = start point, sweeps ±2π).
  double centreX = 0, centreY = 0, radius = 0, startAngle = 0, sweep = 0;
  double feed = 0;       // feed moves: the feed in force (0 before the first VEL)
  std::size_t line = 0;  // 1-based number of the source line
  bool clockwise() const { return sweep < 0; }
  // The length along the path, Z included (an arc with Z is a helix).
  double Length() const;
};

struct ToolPath {
  std::vector<PathSegment> segments;  // in program order
  DrawingExtents extents;             // as the DXF header gets them
  bool extentsKnown = false;          // the measuring pass ran
  int toolChanges = 0;                // GETTOOL lines with a valid tool number
  // The outcome code a conversion of the program would end with, as far as
  // the preview can tell (the output stages are not run): 0, or the code of
  // the first failure. The path ends with the failing line.
  int code = 0;
  std::size_t failedLine = 0;  // 1-based; 0 when no line is to blame
  std::string failedLineText;  // that line as the source has it
};

// Traces the program in `lines` as a conversion does: the checks of the
// source (at least 5 lines, "PROGEND" present), the measuring pass for the
// extents, then the writing pass for the moves, with `settings` in force.
// Failures of the measuring pass come first, as in a conversion; the path
// then runs up to the line that failed. `stopped`, asked every few hundred
// lines, ends the trace with code 11 (stopped) as a stop request ends a
// conversion.
ToolPath TraceToolPath(const LineList& lines, const SettingsRecord& settings,
                       const std::function<bool()>& stopped = {});

// Reads the source at `path` (Windows-1252) as a conversion reads it and
// traces it; a source that cannot be read gives code 50 and no path, and
// one whose reading a stop ended gives code 11.
ToolPath TraceToolPathFile(FileSystem& fs, const std::string& path, const SettingsRecord& settings,
                           const std::function<bool()>& stopped = {});

struct MachiningEstimate {
  double feedLength = 0;    // mm at feed, feed moves without feed included
  double rapidLength = 0;   // mm at rapid
  double unfedLength = 0;   // mm at feed before any VEL gave a feed (not timed)
  double feedSeconds = 0;   // each feed move at its programmed feed
  double rapidSeconds = 0;  // rapid moves at the given rapid rate
  int toolChanges = 0;      // not timed
  double Seconds() const { return feedSeconds + rapidSeconds; }
};

// The estimate of `path` with rapid moves at `rapidRate` mm/min (all axes
// together, as one straight move). No acceleration, no tool change time.
MachiningEstimate Estimate(const ToolPath& path, double rapidRate);

}  // namespace morvatex
