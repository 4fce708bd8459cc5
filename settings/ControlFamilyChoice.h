// Which family of controls a machine profile writes for: the one place that
// reads the profile's `Sonderbehandlung`. Each family is one object of the
// engine (engine/ControlFamily.h); a new family is a new value here, its
// folder there and its item in the settings dialog.
#pragma once

#include "settings/SettingsRecord.h"

namespace morvatex {

enum class ControlFamilyId {
  kDin,    // the plain DIN/ISO layout: any `Sonderbehandlung` but 1
  kXilog,  // SCM Xilog: `Sonderbehandlung` 1
};

ControlFamilyId ControlFamilyOf(const MachineProfile& profile);

}  // namespace morvatex
