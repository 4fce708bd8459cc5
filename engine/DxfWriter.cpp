#include "engine/DxfWriter.h"

#include <charconv>

#include "base/ProductInfo.h"
#include "engine/DxfFormat.h"
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

}  // namespace

void DxfWriter::StartRun() {}

bool DxfWriter::WriteHeader(WritableFile& out) {
  std::string header;
  AddLine(header, "999");
  AddLine(header, CommentField(kGeneratorLine));
  AddLine(header, "999");
  AddLine(header, CommentField(dxf::kSecondComment));
  for (std::string_view line : {"0", "SECTION", "2", "HEADER"}) AddLine(header, line);
  AddExtentsVariable(header, "$EXTMIN");
  AddExtentsVariable(header, "$EXTMAX");
  AddExtentsVariable(header, "$LIMMIN");
  AddExtentsVariable(header, "$LIMMAX");
  for (std::string_view line : {"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES", "  0"}) AddLine(header, line);
  return out.Write(header);
}

int DxfWriter::DrawMove(WritableFile&, const MachineState&) { return outcome::kSuccess; }

int DxfWriter::FlushPolyline(WritableFile&) { return outcome::kSuccess; }

bool DxfWriter::WriteEnd(WritableFile& out) { return out.Write("ENDSEC\r\n  0\r\nEOF\r\n"); }

std::string DxfWriter::ExtentsField(long double value) {
  // to_chars ignores the locale: the point is always ".".
  char buffer[6000];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  if (text.size() < dxf::kExtentsFieldWidth) text.insert(0, dxf::kExtentsFieldWidth - text.size(), ' ');
  text.resize(dxf::kExtentsFieldWidth);
  return text;
}

bool DxfWriter::WriteExtents(FileSystem& fs, const std::string& path, const DrawingExtents& e) {
  std::unique_ptr<PatchableFile> file = fs.OpenForPatching(path);
  if (!file) return false;
  const long double values[] = {e.minX,
                                e.minY,
                                e.maxX,
                                e.maxY,
                                e.minX - dxf::kLimitsMargin,
                                e.minY - dxf::kLimitsMargin,
                                e.maxX + dxf::kLimitsMargin,
                                e.maxY + dxf::kLimitsMargin};
  bool ok = true;
  for (std::size_t i = 0; i < dxf::kExtentsFieldOffsets.size() && ok; ++i) {
    ok = file->WriteAt(dxf::kExtentsFieldOffsets[i], ExtentsField(values[i]));
  }
  return file->Close() && ok;
}

}  // namespace morvatex
