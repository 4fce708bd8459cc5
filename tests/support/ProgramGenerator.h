// Generates large, realistic Isel programs for benchmarks: pockets of linear
// moves and arcs between rapid moves, with feed and spindle changes.
#pragma once

#include <cstddef>
#include <string>

namespace morvatex::bench {

// A program of about `lines` lines (CR LF after each), ending with PROGEND.
std::string GenerateIselProgram(std::size_t lines);

}  // namespace morvatex::bench
