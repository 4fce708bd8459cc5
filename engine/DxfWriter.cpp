#include "engine/DxfWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "base/ProductInfo.h"
#include "engine/MoveGeometry.h"
#include "engine/DxfFormat.h"
#include "engine/DxfNumberText.h"
#include "engine/ExtendedPrecision.h"
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

// tan(sweep / 4), negative for a clockwise arc.
long double BulgeOf(const MachineState& state) {
  const bool clockwise = state.motionKind == MotionKind::kClockwise;
  const long double bulge = std::tan(ArcSweep(state.startAngle, state.endAngle, clockwise) / 4);
  return clockwise ? -bulge : bulge;
}

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

Outcome DxfWriter::DrawMove(OutputBuffer& out, const MachineState& state) {
  if (state.motionKind == MotionKind::kRapid) return FlushPolyline(out);
  if (!IsFeedMove(state.motionKind)) return Outcome::kSuccess;
  if (state.posX == state.prevX && state.posY == state.prevY) {
    // Z only; or a full circle, which is drawn as long as it has a radius.
    if (!IsArc(state.motionKind) || (state.posX == state.posI && state.posY == state.posJ)) return Outcome::kSuccess;
    return DrawFullCircle(out, state);
  }

  if (settings_.Erstelle2DPolylinien) {
    if (IsArc(state.motionKind)) {
      segments_.AddArc(state.prevX, state.prevY, state.posX, state.posY, BulgeOf(state));
    } else {
      segments_.AddLine(state.prevX, state.prevY, state.posX, state.posY);
    }
    return Outcome::kSuccess;
  }
  return IsArc(state.motionKind) ? WriteArc(out, state) : WriteLine(out, state);
}

Outcome DxfWriter::DrawFullCircle(OutputBuffer& out, const MachineState& state) {
  if (settings_.Erstelle2DPolylinien) {
    // Two half circles continue the polyline through the opposite point.
    const long double bulge = state.motionKind == MotionKind::kClockwise ? -1 : 1;
    const long double oppositeX = 2 * state.posI - state.prevX, oppositeY = 2 * state.posJ - state.prevY;
    segments_.AddArc(state.prevX, state.prevY, oppositeX, oppositeY, bulge);
    segments_.AddArc(oppositeX, oppositeY, state.posX, state.posY, bulge);
    return Outcome::kSuccess;
  }
  std::string& text = out.Text();
  AddEntityStart(text, "CIRCLE");
  AddNumberGroup(text, " 10", state.posI);
  AddNumberGroup(text, " 20", state.posJ);
  AddNumberGroup(text, " 40", state.radius);
  AddEntityEnd(text);
  return out.EndPiece(Outcome::kDxfEntity);
}

Outcome DxfWriter::WriteLine(OutputBuffer& out, const MachineState& state) {
  std::string& text = out.Text();
  AddEntityStart(text, "LINE");
  AddNumberGroup(text, " 10", state.prevX);
  AddNumberGroup(text, " 20", state.prevY);
  AddNumberGroup(text, " 11", state.posX);
  AddNumberGroup(text, " 21", state.posY);
  AddEntityEnd(text);
  return out.EndPiece(Outcome::kDxfEntity);
}

Outcome DxfWriter::WriteArc(OutputBuffer& out, const MachineState& state) {
  const long double dx = state.posX - state.posI, dy = state.posY - state.posJ;
  // An arc of the drawing always runs counter-clockwise from 50 to 51.
  const bool clockwise = state.motionKind == MotionKind::kClockwise;
  std::string& text = out.Text();
  AddEntityStart(text, "ARC");
  AddNumberGroup(text, " 10", state.posI);
  AddNumberGroup(text, " 20", state.posJ);
  AddNumberGroup(text, " 40", std::sqrt(dx * dx + dy * dy));
  AddNumberGroup(text, " 50", Degrees(clockwise ? state.endAngle : state.startAngle));
  AddNumberGroup(text, " 51", Degrees(clockwise ? state.startAngle : state.endAngle));
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
