#include "tests/engine/DxfReading.h"

#include <sstream>

#include <dl_creationadapter.h>
#include <dl_dxf.h>

namespace morvatex::testing {
namespace {

class Collector final : public DL_CreationAdapter {
 public:
  explicit Collector(ReadDrawing& drawing) : d_(drawing) {}

  void addComment(const std::string& comment) override { d_.comments.push_back(comment); }

  void setVariableVector(const std::string& key, double v1, double v2, double, int) override {
    ++d_.headerVariables;
    double* target = key == "$EXTMIN"   ? d_.extMin
                     : key == "$EXTMAX" ? d_.extMax
                     : key == "$LIMMIN" ? d_.limMin
                     : key == "$LIMMAX" ? d_.limMax
                                        : nullptr;
    if (target) target[0] = v1, target[1] = v2;
  }

  void addLine(const DL_LineData& l) override {
    d_.order.push_back({EntityKind::kLine, d_.lines.size()});
    d_.lines.push_back({Layer(), l.x1, l.y1, l.x2, l.y2});
  }
  void addArc(const DL_ArcData& a) override {
    d_.order.push_back({EntityKind::kArc, d_.arcs.size()});
    d_.arcs.push_back({Layer(), a.cx, a.cy, a.radius, a.angle1, a.angle2});
  }
  void addPolyline(const DL_PolylineData& p) override {
    d_.order.push_back({EntityKind::kPolyline, d_.polylines.size()});
    d_.polylines.push_back({Layer(), (p.flags & 1) != 0, {}, false});
  }
  void addVertex(const DL_VertexData& v) override {
    if (d_.polylines.empty()) return void(++d_.otherEntities);
    d_.polylines.back().vertices.push_back({Layer(), v.x, v.y, v.bulge});
  }
  void endSequence() override {
    if (!d_.polylines.empty()) d_.polylines.back().ended = true;
  }
  void addPoint(const DL_PointData&) override { ++d_.otherEntities; }
  void addCircle(const DL_CircleData& c) override {
    d_.order.push_back({EntityKind::kCircle, d_.circles.size()});
    d_.circles.push_back({Layer(), c.cx, c.cy, c.radius});
  }
  void addText(const DL_TextData&) override { ++d_.otherEntities; }
  void addInsert(const DL_InsertData&) override { ++d_.otherEntities; }

 private:
  std::string Layer() { return getAttributes().getLayer(); }
  ReadDrawing& d_;
};

}  // namespace

ReadDrawing ReadWithDxflib(const std::string& dxfText) {
  ReadDrawing drawing;
  Collector collector(drawing);
  std::istringstream stream(dxfText);
  DL_Dxf reader;
  drawing.ok = reader.in(stream, &collector);
  return drawing;
}

}  // namespace morvatex::testing
