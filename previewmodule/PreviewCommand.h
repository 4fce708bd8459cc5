// morvatex-convert --preview: the tool path of one Isel program drawn into a
// PNG picture as the desktop program's preview draws it, and the estimate
// printed, with Qt's painting. It lives in the preview module
// (preview/PreviewModule.h), which the converter loads only for this command.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "base/FileSystem.h"
#include "engine/IselDialect.h"
#include "preview/MotionPlan.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// The size of the picture, in pixels.
inline constexpr int kPreviewWidth = 1024;
inline constexpr int kPreviewHeight = 768;

// Traces `source` (read in `dialect`) with `settings`, writes the picture to
// `picture` (both Windows-1252 paths) and prints the estimate, the extents,
// the lines not carried over whole and any failure (UTF-8) to `out`. The picture never replaces the source or a file of
// `keep` (the settings file). Returns 0, 1 when the program fails in a line or a
// check (the picture shows the path up to there) or when `stopped` said yes
// while the source was read, traced or painted (the picture is then not
// written), 2 when the source cannot be read, memory runs out or the picture
// is not written (the reason then goes to `err`, one line). `depth` draws
// the depth view (PaintOptions::depth).
int RunPreviewCommand(const std::string& source, const std::string& picture, const std::string& keep,
                      const SettingsRecord& settings, FileSystem& fs, const MachineModel& machine, bool depth,
                      IselDialect dialect, const std::function<bool()>& stopped, std::ostream& out, std::ostream& err);

}  // namespace morvatex
