// The converter of a build without Qt (the fuzz build) has no preview.
#include "cli/PreviewCommand.h"

namespace morvatex {

int RunPreviewCommand(const std::string&, const std::string&, const std::string&, const Einstellungen&, FileSystem&,
                      int, std::ostream&, std::ostream& err) {
  err << "morvatex-convert: --preview is not available: this program was built without Qt\n";
  return 2;
}

}  // namespace morvatex
