#include "cli/PreviewLoader.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include <filesystem>
#include <system_error>

#include "cli/Signals.h"
#include "paint/PreviewModule.h"

namespace morvatex {
namespace {

constexpr int kUnavailableStatus = 2;

#if defined(MORVATEX_PREVIEW_LINKED)
// Windows links the preview into the program.
MorvatexPreviewEntry* FindPreview(std::string&) { return &MorvatexRunPreview2; }
#elif defined(_WIN32)
MorvatexPreviewEntry* FindPreview(std::string& problem) {
  problem = "this program was built without Qt";
  return nullptr;
}
#else
// Not RunningProgramPath: the loader needs the system's bytes of the path,
// not its Windows-1252 text. The real path, so that a link to the program
// from elsewhere still finds the module.
MorvatexPreviewEntry* FindPreview(std::string& problem) {
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
  if (ec) {
    problem = "the folder of this program is unknown";
    return nullptr;
  }
  std::filesystem::path module = folder / MORVATEX_PREVIEW_MODULE;
  if (!std::filesystem::exists(module, ec)) {
    module = (folder / MORVATEX_PREVIEW_FOLDER / MORVATEX_PREVIEW_MODULE).lexically_normal();
  }
  // Never closed: Qt is not made to be unloaded before the process ends.
  void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* entry = handle != nullptr ? dlsym(handle, MORVATEX_PREVIEW_ENTRY) : nullptr;
  if (entry == nullptr) {
    const char* reason = dlerror();
    problem = reason != nullptr ? reason : module.string() + ": no entry " MORVATEX_PREVIEW_ENTRY;
    return nullptr;
  }
  return reinterpret_cast<MorvatexPreviewEntry*>(entry);
}
#endif

// `context` holds the standard output and the standard error stream.
void Write(void* context, int stream, const char* text, size_t size) {
  std::ostream* const* streams = static_cast<std::ostream* const*>(context);
  streams[stream == 2 ? 1 : 0]->write(text, static_cast<std::streamsize>(size));
}

int StopArrived() { return StopSignalArrived() ? 1 : 0; }

}  // namespace

int RunPreview(const std::string& source, const std::string& picture, const std::string& keep,
               const SettingsRecord& settings, int rapidRate, bool depth, std::ostream& out, std::ostream& err) {
  std::string problem;
  MorvatexPreviewEntry* const entry = FindPreview(problem);
  if (entry == nullptr) {
    err << "morvatex-convert: --preview is not available: " << problem << "\n";
    return kUnavailableStatus;
  }
  std::ostream* streams[] = {&out, &err};
  const MorvatexPreviewCall call{source.c_str(), picture.c_str(), keep.c_str(), &settings, sizeof settings,
                                 rapidRate,      depth ? 1 : 0,   StopArrived,  Write,     streams};
  return entry(&call);
}

}  // namespace morvatex
