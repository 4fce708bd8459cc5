// Which Isel language a program is read in. The original one is narrow:
// one command per line at the very start of it, integer words, and what it
// does not know it skips. The extended one reads what today's CAM
// post-processors write besides: blanks before the keyword, helical arcs,
// arcs in the XZ and YZ planes, drill cycles, dwells, the machine frame and
// the work frames. Both name every line they do not carry over whole.
// Which one the programs read is the user's choice, remembered beside the
// settings file (settings/DialectChoiceFile.h).
#pragma once

#include <cstdint>

namespace morvatex {

enum class IselDialect : std::uint8_t {
  kOriginal,
  kExtended,
};

}  // namespace morvatex
