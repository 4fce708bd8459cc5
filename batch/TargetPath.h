// Where the target file of an added source file goes.
//
// The folder rule of the settings decides: beside the source, directly in the
// target folder, or in the target folder with the source's sub-folders below
// the source folder mirrored. Paths are Windows-1252 text; the separator set
// is passed in so that both path styles can be checked on any platform.
#pragma once

#include <string>
#include <string_view>

#include "base/PathSyntax.h"
#include "settings/SettingsRecord.h"

namespace morvatex {

// Values of `Zielordner`.
inline constexpr std::uint8_t kTargetBesideSource = 0;
inline constexpr std::uint8_t kTargetInFolder = 1;
inline constexpr std::uint8_t kTargetInMirroredSubfolders = 2;

// The target path for `source` under the folder settings of `settings`
// (`Zielordner`, `Quelle`, `Ziel`, `Dateinamenerweiterung`):
// - the file name gets the extension "." + `Dateinamenerweiterung` without
//   its trailing blanks (keeping the name's case; a name without a dot gets
//   it appended);
// - rule 1: `Ziel` + separator + name;
// - rule 2: when the source's folder lies at or below `Quelle` (compared
//   without regard to the case of A to Z), `Ziel` + the rest of the source
//   folder after `Quelle`, in lower case, + name; `Ziel` + separator + name
//   otherwise (also when that rest is empty). `Quelle` must stand where the
//   folder begins and end at a folder boundary: matching it anywhere else
//   would give folders that have nothing to do with the source's;
// - rule 0 and every other value: the source path with the new extension.
// No separator is added or removed anywhere else, so folders are expected
// without a trailing separator.
std::string TargetPathFor(std::string_view source, const SettingsRecord& settings, PathSyntax syntax);

class JobTable;

// Derives the target of every row marked "M" again, as adding its source
// would now; the table then counts as changed when a row is marked.
// Returns the number of targets that changed.
int RederiveMarkedTargets(JobTable& table, const SettingsRecord& settings, PathSyntax syntax);

// The help text of the folder dialog: two worked examples of rule 2.
// Lines end with CR LF.
std::string_view FolderHelpText();

}  // namespace morvatex
