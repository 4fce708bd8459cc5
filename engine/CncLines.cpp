#include "engine/CncLines.h"

#include <charconv>

namespace morvatex {

void CncLines::AppendBlockNumber(std::string& text) {
  if (!profile_.Satznummerierung) return;
  // A flag, not the value -1, marks the first line: a damaged settings file
  // may hold a negative first number, and counting must still go on.
  blockNumber_ = numbered_ ? blockNumber_ + profile_.SatznummernIncrement : profile_.ErsterSatz;
  numbered_ = true;
  text += profile_.AdresseN.Text();
  char digits[24];
  text.append(digits, std::to_chars(digits, digits + sizeof digits, blockNumber_).ptr);
  text += ' ';
}

Outcome CncLines::WriteLine(OutputBuffer& out, std::string_view text, Outcome failure) {
  out.Text().append(text);
  out.Text().append("\r\n");
  return out.EndPiece(failure);
}

Outcome CncLines::WriteNumbered(OutputBuffer& out, std::string_view text, Outcome failure) {
  AppendBlockNumber(out.Text());
  return WriteLine(out, text, failure);
}

}  // namespace morvatex
