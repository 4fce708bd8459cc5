#include "cli/PreviewLoader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <filesystem>
#include <string>
#include <system_error>

#include "cli/Signals.h"
#include "preview/PreviewModule.h"

namespace morvatex {
namespace {

constexpr int kUnavailableStatus = 2;

#if defined(_WIN32)
// The module beside the program, by its full path: the folder of a LoadLibrary
// search could hold another one. Qt's DLLs beside it are found there as well,
// the program's folder being searched first for a module's dependencies.
MorvatexPreviewEntry* FindPreview(std::string& problem) {
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length == 0) {
      problem = "the folder of this program is unknown";
      return nullptr;
    }
    if (length < module.size()) {
      module.resize(length);
      break;
    }
    module.resize(module.size() * 2);
  }
  module.erase(module.find_last_of(L"\\/") + 1);
  module += L"" MORVATEX_PREVIEW_MODULE;
  // Never freed: Qt is not made to be unloaded before the process ends.
  const HMODULE handle = LoadLibraryW(module.c_str());
  const FARPROC entry = handle != nullptr ? GetProcAddress(handle, MORVATEX_PREVIEW_ENTRY) : nullptr;
  if (entry == nullptr) {
    problem = handle == nullptr ? MORVATEX_PREVIEW_MODULE " (or a Qt DLL it needs) cannot be loaded, Windows error " +
                                      std::to_string(GetLastError())
                                : MORVATEX_PREVIEW_MODULE ": no entry " MORVATEX_PREVIEW_ENTRY;
    return nullptr;
  }
  return reinterpret_cast<MorvatexPreviewEntry*>(reinterpret_cast<void (*)()>(entry));
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
               const SettingsRecord& settings, const MachineModel& machine, bool depth, IselDialect dialect,
               std::ostream& out, std::ostream& err) {
  std::string problem;
  MorvatexPreviewEntry* const entry = FindPreview(problem);
  if (entry == nullptr) {
    err << "morvatex-convert: --preview is not available: " << problem << "\n";
    return kUnavailableStatus;
  }
  std::ostream* streams[] = {&out, &err};
  const MorvatexPreviewCall call{source.c_str(),
                                 picture.c_str(),
                                 keep.c_str(),
                                 &settings,
                                 sizeof settings,
                                 static_cast<int>(machine.rapidRate),
                                 machine.acceleration,
                                 machine.cornerTolerance,
                                 depth ? 1 : 0,
                                 dialect == IselDialect::kExtended ? 1 : 0,
                                 StopArrived,
                                 Write,
                                 streams};
  return entry(&call);
}

}  // namespace morvatex
