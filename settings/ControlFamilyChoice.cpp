#include "settings/ControlFamilyChoice.h"

namespace morvatex {

ControlFamilyId ControlFamilyOf(const MachineProfile& profile) {
  // Only 1 chooses a family of its own; a damaged file's other values write plain DIN.
  return profile.Sonderbehandlung == 1 ? ControlFamilyId::kXilog : ControlFamilyId::kDin;
}

}  // namespace morvatex
