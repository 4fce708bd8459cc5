// The editing state of the settings dialog without its widgets: the text of
// every edit field, the state of every check box, the selected items and the
// tool cells, keyed by the setting each control edits. The dialog copies its
// controls to and from this; the presets and the command line work on it
// directly, so all three store exactly the same way.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"

namespace morvatex {

// Key: the setting's name ("ZGrenze"); a tool cell is "Werkzeuge[n]". Value:
// the control's text (Windows-1252); a check box "1" or "0"; a radio group or
// combo box the decimal number of its selected item ("-1" for none).
using DialogValues = std::map<std::string, std::string, std::less<>>;

// The key of the tool cell for Isel tool `n` (0..99).
std::string ToolKey(std::size_t n);

// ShowLiveProfile without the widgets: the values every control shows for
// the stored record. Texts unchanged; integers in signed decimal, tool
// entries in unsigned decimal; the factors with 6 decimals (1.000000), the Z
// limit with 3 (4000.000); hidden check boxes included.
DialogValues ShownValues(const MachineProfile& profile);

// The apply step of "Übernehmen" after the access code was accepted:
// converts every control into its setting in the fixed order, storing each
// valid value into `live` at once; an invalid one keeps the stored value and
// sets its error number, so the last failing field in that order decides.
// Texts longer than their field are cut without error; `OrdneSZuG0_3` is
// never stored. Returns the error number, 0 when every field was valid.
int ApplyValues(const DialogValues& values, SettingsRecord& live);

}  // namespace morvatex
