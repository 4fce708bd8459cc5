// The settings commands of the converter:
//   morvatex-convert --write-settings FILE [--preset NAME] [--set NAME=VALUE]...
//   morvatex-convert --show-settings FILE
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace morvatex {

// True when the arguments (after the program name) hold --write-settings or
// --show-settings, so that RunSettingsCommand handles the whole call.
bool IsSettingsCommand(const std::vector<std::string>& arguments);

// --write-settings: starts from the record of a new configuration (as a
// load without usable file builds it), applies the preset as choosing it in
// the settings dialog and "Übernehmen" would, then each --set in order
// (NAME a field of the record, "Werkzeuge[N]" a tool entry; VALUE in the
// dialog's number syntax with blanks on either side, or inf, -inf, nan for a
// decimal; or a text with \\xHH escapes for control characters, cut to the field's capacity).
// Writes the file whole, or nothing when any argument is wrong.
// --show-settings: prints every field of the file's record as NAME=VALUE,
// one per line in record order, in the form --set reads back to the same
// bytes (control characters of a text escaped).
// Arguments and output are UTF-8. Returns the exit status: 0 done, 1 the
// file could not be read or written, 2 a wrong call (message on `err`).
int RunSettingsCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace morvatex
