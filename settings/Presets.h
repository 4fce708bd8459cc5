// The machine presets and the tool table operations of the settings dialog's
// menu "Daten". They change only the dialog's editing state, never the
// stored settings; "Übernehmen" stores them like typed input.
#pragma once

#include <optional>
#include <string_view>

#include "settings/DialogValues.h"

namespace morvatex {

enum class Preset {
  kGeneral,  // "Allgemein"
  kClear,    // "Lösche": empties most fields
  kMach3,    // "Mach3"
  kXilog,    // "SCM / Xilog"
};

// The comment line that names the converter in the presets' second header line.
inline constexpr std::string_view kConverterComment = "( Konverter: Morvatex / Morvatex-Team )";

// Writes the preset into `values`, every control it sets included, the tool
// cells ("1" each; 0..99 for Mach3; "101" each for SCM / Xilog). The extra
// modal rule and the settings without a control stay as they are.
void ApplyPreset(Preset preset, DialogValues& values);

// "Befülle 1:1": tool cell n gets the decimal text of n.
void FillToolsOneToOne(DialogValues& values);

// "Kopiere T0 auf alle": every tool cell gets the text of the cell of tool
// 0, unchecked and unchanged.
void CopyToolZeroToAll(DialogValues& values);

// The preset named on the command line: "allgemein", "loesche", "mach3" or
// "xilog"; nothing for another name.
std::optional<Preset> PresetNamed(std::string_view name);

}  // namespace morvatex
