// Reads a DXF drawing with an independent reader (dxflib), so that tests can
// check what a common DXF program sees in the files the writer produces.
#pragma once

#include <string>
#include <vector>

namespace morvatex::testing {

struct ReadLine {
  std::string layer;
  double x1, y1, x2, y2;
};

struct ReadArc {
  std::string layer;
  double cx, cy, radius, angle1, angle2;  // degrees, counter-clockwise from 1 to 2
};

struct ReadCircle {
  std::string layer;
  double cx, cy, radius;
};

struct ReadVertex {
  std::string layer;
  double x, y, bulge;
};

struct ReadPolyline {
  std::string layer;
  bool closed = false;
  std::vector<ReadVertex> vertices;
  bool ended = false;  // SEQEND was read
};

// One entity in file order: exactly one of its pointers is set by index.
enum class EntityKind { kLine, kArc, kCircle, kPolyline };
struct EntityRef {
  EntityKind kind;
  std::size_t index;  // into lines, arcs, circles or polylines
};

struct ReadDrawing {
  bool ok = false;  // the reader accepted the file
  std::vector<std::string> comments;
  double extMin[2] = {}, extMax[2] = {}, limMin[2] = {}, limMax[2] = {};
  int headerVariables = 0;
  std::vector<ReadLine> lines;
  std::vector<ReadArc> arcs;
  std::vector<ReadCircle> circles;
  std::vector<ReadPolyline> polylines;
  std::vector<EntityRef> order;
  int otherEntities = 0;  // anything the writer never writes
};

// Parses `dxfText` (the whole file's bytes).
ReadDrawing ReadWithDxflib(const std::string& dxfText);

}  // namespace morvatex::testing
