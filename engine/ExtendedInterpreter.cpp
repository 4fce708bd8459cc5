#include <functional>
#include <string>
#include <string_view>

#include "engine/IselInterpreter.h"

namespace morvatex {

void InterpretExtendedLine(std::string_view line, Pass pass, const MachineProfile& profile, MachineState& state,
                           std::string& currentLineText, Outcome& code,
                           const std::function<void(InterpretedLine&)>& step) {
  InterpretedLine out = InterpretLine(line, pass, profile, state, currentLineText, code);
  step(out);
}

}  // namespace morvatex
