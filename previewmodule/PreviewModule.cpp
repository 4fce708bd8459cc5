// The preview module's entry: unpacks the C call for RunPreviewCommand.
#include "preview/PreviewModule.h"

#include <cstring>
#include <sstream>
#include <string>

#include "base/FileSystem.h"
#include "engine/IselDialect.h"
#include "previewmodule/PreviewCommand.h"
#include "settings/SettingsRecord.h"

namespace morvatex {
namespace {

int (*stopArrived)(void) = nullptr;

bool GiveUpWaiting() noexcept { return stopArrived != nullptr && stopArrived() != 0; }

void Hand(const MorvatexPreviewCall& call, int stream, const std::string& text) {
  if (!text.empty()) call.write(call.writeContext, stream, text.data(), text.size());
}

}  // namespace
}  // namespace morvatex

// The module exports this one name; everything else in it stays hidden.
#ifdef _WIN32
#define MORVATEX_EXPORT [[gnu::dllexport]]
#else
#define MORVATEX_EXPORT [[gnu::visibility("default")]]
#endif
extern "C" MORVATEX_EXPORT int MorvatexRunPreview4(const MorvatexPreviewCall* call) {
  using namespace morvatex;
  std::ostringstream out;
  std::ostringstream err;
  int status = 2;
  SettingsRecord settings;
  if (call->settingsSize != sizeof settings) {
    err << "morvatex-convert: --preview is not available: the preview module belongs to another version\n";
  } else if (call->dialect != static_cast<int>(IselDialect::kOriginal) &&
             call->dialect != static_cast<int>(IselDialect::kExtended)) {
    err << "morvatex-convert: --preview is not available: the preview module knows no Isel dialect " << call->dialect
        << "\n";
  } else {
    std::memcpy(&settings, call->settings, sizeof settings);
    stopArrived = call->stopArrived;
    RealFileSystem fs(GiveUpWaiting);
    status =
        RunPreviewCommand(call->source, call->picture, call->keep, settings, fs,
                          MachineModel{static_cast<double>(call->rapidRate), call->acceleration, call->cornerTolerance},
                          call->depth != 0, static_cast<IselDialect>(call->dialect), GiveUpWaiting, out, err);
  }
  Hand(*call, 1, out.str());
  Hand(*call, 2, err.str());
  return status;
}
