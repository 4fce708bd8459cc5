#include "engine/DinBlockWriter.h"

#include "engine/OutcomeCodes.h"

namespace morvatex {

void DinBlockWriter::StartRun(std::string_view valueAssignment) {
  valueAssignment_ = std::string(valueAssignment);
  blockNumber_ = -1;
}

void DinBlockWriter::StartWritingPass() {}

std::string DinBlockWriter::NextBlockNumber() {
  if (!profile_.Satznummerierung) return std::string();
  blockNumber_ = blockNumber_ == -1 ? profile_.ErsterSatz : blockNumber_ + profile_.SatznummernIncrement;
  std::string prefix(profile_._N.Text());
  prefix += std::to_string(blockNumber_);
  prefix += ' ';
  return prefix;
}

bool DinBlockWriter::WriteLine(WritableFile& out, std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  return out.Write(line);
}

bool DinBlockWriter::WriteNumberedCodeLine(WritableFile& out, std::string_view code) {
  if (code.empty()) return true;
  std::string line = NextBlockNumber();
  line.append(code);
  return WriteLine(out, line);
}

bool DinBlockWriter::WriteWorkpieceHeader(WritableFile&, const DrawingExtents&) { return true; }

int DinBlockWriter::WriteHeader(WritableFile& out, const DrawingExtents& extents) {
  const std::string_view first = profile_.Vorspann1.Trimmed();
  if (!first.empty() && !WriteLine(out, first)) return outcome::kCncHeaderFirst;
  if (profile_.Sonderbehandlung == 1 && !WriteWorkpieceHeader(out, extents)) {
    return outcome::kXilogHeaderOrContourStart;
  }
  for (const auto* line : {&profile_.Vorspann2, &profile_.Vorspann3, &profile_.Vorspann4, &profile_.Vorspann5,
                           &profile_.Vorspann6}) {
    if (!WriteNumberedCodeLine(out, line->Trimmed())) return outcome::kCncHeader;
  }
  return outcome::kSuccess;
}

int DinBlockWriter::WriteBlocks(WritableFile&, const InterpretedLine&, MachineState&) { return outcome::kSuccess; }

int DinBlockWriter::WriteTrailer(WritableFile& out) {
  if (!WriteNumberedCodeLine(out, profile_.Nachspann1.Trimmed())) return outcome::kCncTrailer;
  if (!WriteNumberedCodeLine(out, profile_.Nachspann2.Trimmed())) return outcome::kCncTrailer;
  const std::string_view last = profile_.Nachspann3.Trimmed();
  if (!last.empty()) {
    NextBlockNumber();  // drawn, but not shown
    if (!WriteLine(out, last)) return outcome::kCncTrailer;
  }
  return outcome::kSuccess;
}

}  // namespace morvatex
