#include "engine/ControlFamily.h"

#include "engine/families/din/DinFamily.h"
#include "engine/families/xilog/XilogFamily.h"
#include "settings/ControlFamilyChoice.h"

namespace morvatex {

const ControlFamily& ControlFamilyFor(const MachineProfile& profile) {
  static const DinFamily din;
  static const XilogFamily xilog;
  switch (ControlFamilyOf(profile)) {
    case ControlFamilyId::kXilog: return xilog;
    case ControlFamilyId::kDin: break;
  }
  return din;
}

}  // namespace morvatex
