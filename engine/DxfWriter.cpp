#include "engine/DxfWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "base/ProductInfo.h"
#include "engine/DxfFormat.h"
#include "engine/DxfNumberText.h"
#include "engine/ExtendedPrecision.h"
#include "engine/MoveGeometry.h"
#include "engine/OutcomeCodes.h"

namespace morvatex {
namespace {

// A comment cut or padded with blanks to exactly 80 characters.
std::string CommentField(std::string_view text) {
  std::string field(text.substr(0, dxf::kCommentWidth));
  field.resize(dxf::kCommentWidth, ' ');
  return field;
}

void AddLine(std::string& out, std::string_view text) {
  out.append(text);
  out.append("\r\n");
}

void AddExtentsVariable(std::string& out, std::string_view name) {
  AddLine(out, "9");
  AddLine(out, name);
  AddLine(out, "10");
  AddLine(out, dxf::kExtentsPlaceholder);
  AddLine(out, "20");
  AddLine(out, dxf::kExtentsPlaceholder);
}

// A group of the ENTITIES section: its right-aligned code, then its value.
void AddGroup(std::string& out, std::string_view code, std::string_view value) {
  AddLine(out, code);
  AddLine(out, value);
}

void AddNumberGroup(std::string& out, std::string_view code, long double value) {
  AddLine(out, code);
  AppendDxfNumber(out, value);
  out.append("\r\n");
}

// The entity type and the layer every entity lies on.
void AddEntityStart(std::string& out, std::string_view type) {
  AddLine(out, type);
  AddGroup(out, dxf::kLayerCode, dxf::kLayer);
}

// An entity ends with the code of the next one's type.
void AddEntityEnd(std::string& out) { AddLine(out, dxf::kTypeCode); }

long double Degrees(long double radians) { return radians * 180 / kPi; }

// A polyline's text goes out in pieces of about this size: one piece for
// all could need as much memory as the whole drawing.
constexpr std::size_t kPolylineWriteSize = 64 * 1024;

}  // namespace

void DxfWriter::StartRun() { segments_.Clear(); }

Outcome DxfWriter::WriteHeader(OutputBuffer& out) {
  std::string& header = out.Text();
  AddLine(header, "999");
  AddLine(header, CommentField(kGeneratorLine));
  AddLine(header, "999");
  AddLine(header, CommentField(dxf::kSecondComment));
  for (std::string_view line : {"0", "SECTION", "2", "HEADER"}) AddLine(header, line);
  AddExtentsVariable(header, "$EXTMIN");
  AddExtentsVariable(header, "$EXTMAX");
  AddExtentsVariable(header, "$LIMMIN");
  AddExtentsVariable(header, "$LIMMAX");
  for (std::string_view line : {"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"}) AddLine(header, line);
  AddEntityEnd(header);
  return out.EndPiece(Outcome::kDxfHeader);
}

Outcome DxfWriter::DrawMove(OutputBuffer& out, const Move& move) {
  if (move.kind == MotionKind::kRapid) return FlushPolyline(out);
  if (!move.IsFeed()) return Outcome::kSuccess;
  if (move.IsArc() && move.plane != Plane::kXY) {
    // The drawing shows the XY projection: the segments of the arc.
    Outcome failure = Outcome::kSuccess;
    ForEachChord(move, kProjectionTolerance, [&](const Move& chord) {
      if (const Outcome f = DrawMove(out, chord); f != Outcome::kSuccess) failure = f;
    });
    return failure;
  }
  // A full circle is drawn as long as it has a radius.
  if (IsFullCircle(move)) return move.radius > 0 ? DrawFullCircle(out, move) : Outcome::kSuccess;
  if (EndsWhereItBeganInXY(move)) return Outcome::kSuccess;  // Z only

  if (settings_.Erstelle2DPolylinien) {
    if (move.IsArc()) {
      segments_.AddArc(move.start.x, move.start.y, move.end.x, move.end.y, Bulge(move));
    } else {
      segments_.AddLine(move.start.x, move.start.y, move.end.x, move.end.y);
    }
    return Outcome::kSuccess;
  }
  return move.IsArc() ? WriteArc(out, move) : WriteLine(out, move);
}

Outcome DxfWriter::DrawFullCircle(OutputBuffer& out, const Move& circle) {
  if (settings_.Erstelle2DPolylinien) {
    // Two half circles continue the polyline through the opposite point.
    for (const Move& half : FullCircleHalves(circle)) {
      segments_.AddArc(half.start.x, half.start.y, half.end.x, half.end.y, Bulge(half));
    }
    return Outcome::kSuccess;
  }
  std::string& text = out.Text();
  AddEntityStart(text, "CIRCLE");
  AddNumberGroup(text, " 10", circle.centre.x);
  AddNumberGroup(text, " 20", circle.centre.y);
  AddNumberGroup(text, " 40", circle.radius);
  AddEntityEnd(text);
  return out.EndPiece(Outcome::kDxfEntity);
}

Outcome DxfWriter::WriteLine(OutputBuffer& out, const Move& move) {
  std::string& text = out.Text();
  AddEntityStart(text, "LINE");
  AddNumberGroup(text, " 10", move.start.x);
  AddNumberGroup(text, " 20", move.start.y);
  AddNumberGroup(text, " 11", move.end.x);
  AddNumberGroup(text, " 21", move.end.y);
  AddEntityEnd(text);
  return out.EndPiece(Outcome::kDxfEntity);
}

Outcome DxfWriter::WriteArc(OutputBuffer& out, const Move& move) {
  // An arc of the drawing always runs counter-clockwise from 50 to 51.
  const bool clockwise = move.Clockwise();
  std::string& text = out.Text();
  AddEntityStart(text, "ARC");
  AddNumberGroup(text, " 10", move.centre.x);
  AddNumberGroup(text, " 20", move.centre.y);
  AddNumberGroup(text, " 40", move.radius);
  AddNumberGroup(text, " 50", Degrees(clockwise ? move.endAngle : move.startAngle));
  AddNumberGroup(text, " 51", Degrees(clockwise ? move.startAngle : move.endAngle));
  AddEntityEnd(text);
  return out.EndPiece(Outcome::kDxfEntity);
}

Outcome DxfWriter::FlushPolyline(OutputBuffer& out) {
  if (segments_.empty()) return Outcome::kSuccess;
  const bool closed = segments_.Closed();
  std::string& text = out.Text();
  // The piece in hand starts at `start`; a write empties the text.
  std::size_t start = text.size();
  AddEntityStart(text, "POLYLINE");
  AddGroup(text, " 66", "     1");  // vertices follow
  AddGroup(text, " 10", "0");
  AddGroup(text, " 20", "0");
  AddGroup(text, " 30", "0");
  if (closed) AddGroup(text, " 70", "     1");
  AddEntityEnd(text);

  const auto addVertex = [&text](long double x, long double y) {
    AddEntityStart(text, "VERTEX");
    AddNumberGroup(text, " 10", x);
    AddNumberGroup(text, " 20", y);
    AddGroup(text, " 30", "0");
  };
  Outcome failure = Outcome::kSuccess;
  segments_.ForEachVertex([&](const PolylineSegments::Vertex& vertex) {
    addVertex(vertex.x, vertex.y);
    if (vertex.isArc) AddNumberGroup(text, " 42", vertex.bulge);
    AddEntityEnd(text);
    if (text.size() - start < kPolylineWriteSize) return true;
    failure = out.EndPiece(Outcome::kDxfEntity);
    start = text.size();
    return failure == Outcome::kSuccess;
  });
  if (failure == Outcome::kSuccess) {
    if (!closed) {  // an open polyline ends at its last end point
      addVertex(segments_.EndX(), segments_.EndY());
      AddEntityEnd(text);
    }
    AddEntityStart(text, "SEQEND");
    AddEntityEnd(text);
    failure = out.EndPiece(Outcome::kDxfEntity);
  }
  segments_.Clear();
  return failure;
}

Outcome DxfWriter::WriteEnd(OutputBuffer& out) {
  std::string& end = out.Text();
  AddLine(end, "ENDSEC");
  AddEntityEnd(end);
  AddLine(end, "EOF");
  return out.EndPiece(Outcome::kDxfEnd);
}

std::string DxfWriter::ExtentsField(long double value) {
  // to_chars ignores the locale: the point is always ".".
  char buffer[6000];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  if (text.size() < dxf::kExtentsFieldWidth) text.insert(0, dxf::kExtentsFieldWidth - text.size(), ' ');
  text.resize(dxf::kExtentsFieldWidth);
  return text;
}

namespace {

// The values of the eight placeholder fields, in the order of their offsets.
std::array<long double, 8> ExtentsValues(const DrawingExtents& e) {
  return {e.minX,
          e.minY,
          e.maxX,
          e.maxY,
          e.minX - dxf::kLimitsMargin,
          e.minY - dxf::kLimitsMargin,
          e.maxX + dxf::kLimitsMargin,
          e.maxY + dxf::kLimitsMargin};
}

}  // namespace

bool DxfWriter::WriteExtentsInto(OutputBuffer& out, const DrawingExtents& extents) {
  const auto [first, last] = std::minmax_element(dxf::kExtentsFieldOffsets.begin(), dxf::kExtentsFieldOffsets.end());
  if (!out.Holds(*first, *last + dxf::kExtentsFieldWidth)) return false;
  const std::array<long double, 8> values = ExtentsValues(extents);
  for (std::size_t i = 0; i < dxf::kExtentsFieldOffsets.size(); ++i) {
    out.Overwrite(dxf::kExtentsFieldOffsets[i], ExtentsField(values[i]));
  }
  return true;
}

bool DxfWriter::WriteExtents(FileSystem& fs, const std::string& path, const DrawingExtents& extents) {
  std::unique_ptr<PatchableFile> file = fs.OpenForPatching(path);
  if (!file) return false;
  const std::array<long double, 8> values = ExtentsValues(extents);
  bool ok = true;
  for (std::size_t i = 0; i < dxf::kExtentsFieldOffsets.size() && ok; ++i) {
    ok = file->WriteAt(dxf::kExtentsFieldOffsets[i], ExtentsField(values[i]));
  }
  return file->Close() && ok;
}

}  // namespace morvatex
