// The read-back path over the preview: the tool path a control model reads
// from the CNC program, drawn thin over the Isel program's, the moves of the
// CNC lines a divergence names in a warning colour, and the move a user
// picked from the list of divergences marked on both paths. Needs Qt's
// painting only; the path comes from the check of the output.
#pragma once

#include <QColor>
#include <QRectF>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "paint/PreviewView.h"
#include "preview/ToolPath.h"

class QPainter;
class QPolygonF;

namespace morvatex {

inline const QColor kReadBackColour(0, 150, 60);
inline const QColor kDivergenceColour(255, 120, 0);
inline const QColor kSelectionColour(200, 0, 200);

// The read-back path, compactly (a long program reads back millions of
// moves): floats are fine enough to draw.
struct ReadBackMove {
  float startX = 0, startY = 0, x = 0, y = 0;
  // Arcs: the centre and the signed sweep (counter-clockwise positive).
  float centreX = 0, centreY = 0, sweep = 0;
  std::uint32_t line = 0;  // 1-based CNC line
  bool rapid = false, arc = false;
};

struct ReadBackOverlay {
  std::vector<ReadBackMove> moves;
  // The CNC lines the divergences name, ascending.
  std::vector<std::size_t> divergentLines;
  bool Divergent(std::size_t line) const;
  // The moves of CNC line `line`, in order.
  std::vector<std::size_t> MovesOfLine(std::size_t line) const;
  // The move whose drawing passes nearest (x, y) mm, if one passes within
  // `reach` mm; of several as near, the first.
  std::optional<std::size_t> NearestMove(double x, double y, double reach) const;
};

// What the list of divergences selected: the moves of one CNC line and of
// one Isel line (0: none).
struct OverlaySelection {
  std::size_t cncLine = 0, iselLine = 0;
  bool operator==(const OverlaySelection&) const = default;
};

// What a picture draws over the path: the read-back path (none: nothing)
// and the selection.
struct OverlayOptions {
  std::shared_ptr<const ReadBackOverlay> readBack;
  OverlaySelection selected;
  bool operator==(const OverlayOptions&) const = default;
};

// Appends the points of `move` after its start, in pixels: arcs in steps of
// a few pixels.
void AppendOverlayMove(QPolygonF& line, const ReadBackMove& move, const PreviewView& view);
// A move of the Isel path as the overlay draws one (its line left 0).
ReadBackMove OverlayMoveOf(const PathSegment& segment);

// Paints `overlay` over a picture of `path` in `view`: the read-back moves,
// the divergent ones in the warning colour over them, then the selection.
// `stopped` is asked between chunks of moves; when it says yes the picture
// stays unfinished and the answer is false.
bool PaintReadBack(QPainter& painter, const ToolPath& path, const ReadBackOverlay& overlay,
                   const OverlaySelection& selected, const PreviewView& view, const QRectF& area,
                   const std::function<bool()>& stopped = {});

}  // namespace morvatex
