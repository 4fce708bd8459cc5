// The pieces of line interpretation that the original and the extended
// dialect share: reading the words of a move, feed, speed and tool, and
// turning the programmed values into a move. Internal to the interpreter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/IselInterpreter.h"
#include "engine/MachineState.h"
#include "engine/OutcomeCodes.h"
#include "settings/SettingsRecord.h"

namespace morvatex::isel {

std::string_view TrimBlanks(std::string_view text);
// 149 in the measuring pass, 150 in the writing pass.
Outcome NotIntegerCode(Pass pass);
// (offset + programmed) × 0.001 mm; a sum beyond 64 bits sets `code`.
long double Millimetres(std::int64_t offset, std::int64_t programmed, Outcome notInteger, Outcome& code);
void ShiftWorkOffset(std::int64_t& offset, std::int64_t programmed, Outcome notInteger, Outcome& code);
// The words of a move line: X to K set or add to the programmed values;
// other letters must carry an integer and are noted as ignored.
void ReadMoveWords(std::string_view text, Pass pass, MachineState& state, Outcome& code, InterpretedLine& out);
// The positions of a move line from the programmed values, kept in the
// state and appended to `moves` as the move from the position before.
void AddMoveOfLine(MachineState& state, Pass pass, Outcome& code, LineMoves& moves);
void ReadFeed(std::string_view text, const MachineProfile& profile, MachineState& state, InterpretedLine& out,
              Outcome& code);
void ReadSpindle(std::string_view text, const MachineProfile& profile, MachineState& state, InterpretedLine& out,
                 Outcome& code);
void ReadTool(std::string_view text, MachineState& state, InterpretedLine& out, Outcome& code);
// Adds `reason` to why the line is not carried over whole.
void NoteNotCarried(InterpretedLine& out, std::string_view reason);
// The original keyword `text` begins with, or empty.
std::string_view KnownKeywordAt(std::string_view text);

}  // namespace morvatex::isel
