// The SCM Xilog family: a work-piece header line, each sub-contour opened by
// one positioning line with the plunge depth, feed ("V=" in m/min), speed
// ("S=") and tool ("T" last), radius words "r", and no rapid move written
// but the position that opens a contour.
#pragma once

#include "engine/ControlFamily.h"

namespace morvatex {

class XilogFamily final : public ControlFamily {
 public:
  std::string_view Name() const override { return "SCM Xilog"; }
  bool IsHeaderLine(std::string_view text) const override;
  FamilyWord ReadWord(std::string_view word, bool lastWord, std::string_view assignment) const override;
  LayoutOmissions Omissions() const override { return {true, true}; }
  // Its moves are laid out by XilogLayout (engine/families/xilog/XilogLayout.h).
  std::unique_ptr<FamilyLayout> NewLayout(const MachineProfile& profile,
                                          const std::string& valueAssignment) const override;
};

}  // namespace morvatex
