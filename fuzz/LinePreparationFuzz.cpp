// One Isel line through the interpreter, in both dialects and both passes (block number, comment,
// keyword and parameter cutting), and the same bytes through the integer
// reader, whose result is checked against a plain reading of the digits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/IntegerReader.h"
#include "engine/IselInterpreter.h"
#include "settings/SettingsFile.h"

namespace {

using namespace morvatex;

const MachineProfile& Profile() {
  static const MachineProfile profile = [] {
    MachineProfile p{};
    SetNewProfileValues(p);
    return p;
  }();
  return profile;
}

// The value of plain decimal text ("-12", "+7", "  3"), independent of the
// reader under test; false when it is not such a text or out of range.
bool PlainDecimal(std::string_view text, std::int32_t& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 12) return false;
  long long magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    magnitude = magnitude * 10 + (c - '0');
  }
  const long long signed_ = negative ? -magnitude : magnitude;
  if (signed_ < INT32_MIN || signed_ > INT32_MAX) return false;
  value = static_cast<std::int32_t>(signed_);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);

  const IntegerRead read = ReadInteger(line);
  std::int32_t expected = 0;
  if (PlainDecimal(line, expected) && (!read.ok || read.value != expected)) std::abort();

  for (Pass pass : {Pass::kMeasuring, Pass::kWriting}) {
    MachineState state;
    StartPass(state);
    std::string currentLineText;
    Outcome code = Outcome::kSuccess;
    InterpretLine(line, pass, Profile(), state, currentLineText, code);
    EndOfLine(state);
    // The text left of a line is always a part of the line.
    if (currentLineText.size() > line.size()) std::abort();

    // The extended dialect: at least one step, a bounded number of moves.
    StartPass(state);
    code = Outcome::kSuccess;
    std::size_t steps = 0;
    InterpretExtendedLine(line, pass, Profile(), state, currentLineText, code, [&](InterpretedLine& step) {
      ++steps;
      if (step.moves.size() > 1000) std::abort();
      EndOfLine(state);
    });
    if (steps == 0 || steps > 8 || currentLineText.size() > line.size()) std::abort();
  }
  return 0;
}
