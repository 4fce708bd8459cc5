// A family of controls: how its CNC programs are laid out (the layout of
// its moves and its own header line, engine/FamilyLayout.h), how the check
// reads such a program back as configured ("eingestellt"), and what its
// layout leaves out by design. Each family is one object, chosen once from
// the settings (settings/ControlFamilyChoice.h); its code lives in a folder
// of its own under engine/families/. Nothing else asks which family it is.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/FamilyLayout.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// A word of a CNC line that the family reads itself, before the configured
// letters are tried.
struct FamilyWord {
  enum class Kind {
    kNone,    // not a word of the family's own
    kFeed,    // the feed as written, in mm/min once multiplied by `scale`
    kSpeed,   // the spindle speed as written
    kTool,    // the tool number
    kRadius,  // the arc's radius; its sign is no arc size
    kZ,       // the Z position
  };
  Kind kind = Kind::kNone;
  std::string_view number;  // the number's text, as the configured words write it
  double scale = 1;         // to the unit of the configured words
  // The word makes its line the opening line of a sub-contour: to the
  // rapid position in X and Y (its Z never written), then at the feed to Z.
  bool opensContour = false;
};

// What the family's layout leaves out by design, so that the check does not
// count it as a divergence (and counts whatever else is missing).
struct LayoutOmissions {
  // Rapid moves are never written as blocks: the last rapid position before
  // a contour opens it without its Z, the contour's first height is reached
  // from there, and rapid moves after the last contour are not written.
  bool rapidsOnlyOpenContours = false;
  // The spindle is run by the speed of each opening line, not by codes:
  // there are no spindle codes to check.
  bool spindleWithoutCodes = false;
};

class ControlFamily {
 public:
  virtual ~ControlFamily() = default;

  // The family's name as a report may give it.
  virtual std::string_view Name() const = 0;

  // How the check reads a line back as configured: a line that holds no
  // move of the family's own (a header), and a word of its own.
  virtual bool IsHeaderLine(std::string_view text) const = 0;
  // `word` is one blank-separated word of a line (block number removed),
  // `lastWord` whether it ends the line, `assignment` the value assignment
  // text of the settings.
  virtual FamilyWord ReadWord(std::string_view word, bool lastWord, std::string_view assignment) const = 0;

  virtual LayoutOmissions Omissions() const = 0;

  // The writing side: a layout of the family's CNC programs for one run.
  // It reads `profile` live; `valueAssignment` is the run's value assignment
  // text, owned by the caller, fixed for the run and outliving the layout.
  virtual std::unique_ptr<FamilyLayout> NewLayout(const MachineProfile& profile,
                                                  const std::string& valueAssignment) const = 0;
};

// The family the profile writes for; the object lives as long as the program.
const ControlFamily& ControlFamilyFor(const MachineProfile& profile);

}  // namespace morvatex
