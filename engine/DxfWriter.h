// Writes the DXF drawing of the tool path: the header with placeholder
// extents, the feed moves of the writing pass as lines and arcs or as
// polylines, the end of the file, and finally the extents patched into the
// header of the closed file.
#pragma once

#include <string>

#include "base/FileSystem.h"
#include "engine/DrawingExtents.h"
#include "engine/Move.h"
#include "engine/OutputBuffer.h"
#include "engine/PolylineSegments.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

class DxfWriter {
 public:
  // Reads `settings` live (`Erstelle2DPolylinien` chooses the form).
  explicit DxfWriter(const SettingsRecord& settings) : settings_(settings) {}

  // The start of a run: the polyline segment list is emptied.
  void StartRun();

  // Writes the two comments, the HEADER section with placeholder extents and
  // the start of the ENTITIES section as one piece; 62 when it fails, or the
  // code of an earlier failure, else 0.
  Outcome WriteHeader(OutputBuffer& out);

  // Draws one move of the writing pass (the caller hands over each move of
  // a line in turn). A rapid move flushes the open polyline (also when it
  // moves nothing); a feed move whose end point differs from its start
  // point in X or Y becomes a LINE or ARC entity (one piece each) or a
  // segment of the open polyline; a full circle (an arc back to its start,
  // about a centre elsewhere) a CIRCLE entity or two half-circle segments;
  // anything else, Z-only moves included, is left alone. Returns 0, or 65
  // when an entity cannot be written (or the code of an earlier failure).
  Outcome DrawMove(OutputBuffer& out, const Move& move);

  // Writes the collected segments as one POLYLINE entity and empties the
  // list; nothing when it is empty. Returns 0, or 65 (the list is emptied
  // all the same; the entity may be incomplete in the file).
  Outcome FlushPolyline(OutputBuffer& out);

  // Writes the end of the ENTITIES section and of the file; 66 on failure
  // (or the code of an earlier one), else 0.
  Outcome WriteEnd(OutputBuffer& out);

  // Overwrites the eight placeholder fields with the extents and limits
  // (three decimals, right-aligned in ten characters, cut to ten) while the
  // header is still collected in `out`, as it is for any drawing smaller
  // than the buffer. False, changing nothing, once it has left.
  static bool WriteExtentsInto(OutputBuffer& out, const DrawingExtents& extents);

  // The same in the closed file at `path`, reopened. False when any step
  // fails.
  static bool WriteExtents(FileSystem& fs, const std::string& path, const DrawingExtents& extents);

  // The text of one extents field: fixed point with three decimals,
  // right-aligned in ten characters, cut to its first ten.
  static std::string ExtentsField(long double value);

 private:
  Outcome WriteLine(OutputBuffer& out, const Move& move);
  Outcome WriteArc(OutputBuffer& out, const Move& move);
  Outcome DrawFullCircle(OutputBuffer& out, const Move& circle);

  const SettingsRecord& settings_;
  PolylineSegments segments_;
};

}  // namespace morvatex
