// The plain DIN/ISO family: every block as the settings word it, nothing
// left out, no words of its own; its moves laid out by DinLayout
// (engine/families/din/DinLayout.h).
#pragma once

#include "engine/ControlFamily.h"

namespace morvatex {

class DinFamily final : public ControlFamily {
 public:
  std::string_view Name() const override { return "DIN"; }
  bool IsHeaderLine(std::string_view) const override { return false; }
  FamilyWord ReadWord(std::string_view, bool, std::string_view) const override { return {}; }
  LayoutOmissions Omissions() const override { return {}; }
  std::unique_ptr<FamilyLayout> NewLayout(const MachineProfile& profile,
                                          const std::string& valueAssignment) const override;
};

}  // namespace morvatex
