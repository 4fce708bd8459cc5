// morvatex-convert --preview from the converter's side: finds the preview
// module, which draws with Qt, only when the command is given, so that the
// converter itself links no Qt.
#pragma once

#include <ostream>
#include <string>

#include "preview/MotionPlan.h"
#include "settings/IselDialect.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// Runs the preview of previewmodule/PreviewCommand.h (paths in Windows-1252, output in
// UTF-8) and returns its exit status. When the module is missing or cannot
// be loaded (a build without Qt, a broken install), says so with the reason
// on `err` and returns 2. The module is looked for beside the running
// program (the build folder), then in the library folder of the installed
// layout; both from the program's real path. `depth` asks for the depth view;
// the program is read in `dialect`.
int RunPreview(const std::string& source, const std::string& picture, const std::string& keep,
               const SettingsRecord& settings, const MachineModel& machine, bool depth, IselDialect dialect,
               std::ostream& out, std::ostream& err);

}  // namespace morvatex
