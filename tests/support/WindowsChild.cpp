#ifdef _WIN32
#include "tests/support/WindowsChild.h"

#include <stdexcept>

#include <windows.h>

#include "base/Cp1252Codec.h"

namespace morvatex::testing {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::optional<std::u16string> wide = Utf8ToUtf16(utf8);
  if (!wide) throw std::invalid_argument("not UTF-8: " + utf8);
  return std::wstring(wide->begin(), wide->end());
}

HANDLE InheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void CloseIfOpen(HANDLE handle) {
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

}  // namespace

std::wstring QuotedCommandLine(const std::vector<std::string>& arguments) {
  std::wstring line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += L' ';
    const std::wstring wide = Wide(argument);
    if (!wide.empty() && wide.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
      line += wide;
      continue;
    }
    // Backslashes count only before a quote: doubled there, kept elsewhere.
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : wide) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
      backslashes = 0;
      line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
  }
  return line;
}

WaitingPipe::WaitingPipe() {
  static int count = 0;
  path_ = "\\\\.\\pipe\\morvatex-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
  server_ =
      CreateNamedPipeW(Wide(path_).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  if (server_ == INVALID_HANDLE_VALUE) throw std::runtime_error("no named pipe");
}

WaitingPipe::~WaitingPipe() { CloseHandle(server_); }

bool WaitingPipe::WaitForReader() {
  return ConnectNamedPipe(server_, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
}

WindowsChild::WindowsChild(const std::string& program, const std::vector<std::string>& arguments,
                           const ChildOptions& options) {
  std::vector<std::string> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::wstring commandLine = QuotedCommandLine(all);

  HANDLE out = nullptr, err = nullptr, unread = nullptr;
  if (options.output == ChildOutput::kFile && !options.outPath.empty()) out = InheritableFile(options.outPath);
  if (options.output == ChildOutput::kPipeWithoutReader) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (CreatePipe(&unread, &out, &inherit, 0)) {
      CloseHandle(unread);  // nobody reads
    }
  }
  if (!options.errPath.empty()) err = InheritableFile(options.errPath);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out == INVALID_HANDLE_VALUE ? nullptr : out;
  startup.hStdError = err == INVALID_HANDLE_VALUE ? nullptr : err;
  PROCESS_INFORMATION info{};
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (options.ownConsole ? CREATE_NEW_CONSOLE : 0);
  // Under wine a process start now and then fails while other tests start
  // theirs; a second try tells that from a program that cannot start.
  bool started = false;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessW(Wide(program).c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                             &startup, &info) != 0;
  }
  if (started) {
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
  }
  CloseIfOpen(out);
  CloseIfOpen(err);
}

WindowsChild::~WindowsChild() {
  if (process_) {
    Wait(60);
    CloseHandle(process_);
  }
}

int WindowsChild::Wait(int seconds) {
  if (!process_) return -1;
  DWORD waited = WaitForSingleObject(process_, static_cast<DWORD>(seconds) * 1000);
  if (waited == WAIT_FAILED) waited = WaitForSingleObject(process_, static_cast<DWORD>(seconds) * 1000);
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(process_, 255);
    WaitForSingleObject(process_, INFINITE);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

bool WindowsChild::SendCtrlC() {
  // Ctrl-C goes to every process of a console: this one joins the child's for
  // the moment, ignoring the event itself, and goes back to its own after.
  FreeConsole();
  bool sent = false;
  if (AttachConsole(id_)) {
    SetConsoleCtrlHandler(nullptr, TRUE);
    sent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
    // The event reaches this process a little later; it must still find it ignored.
    Sleep(200);
    SetConsoleCtrlHandler(nullptr, FALSE);
  }
  AttachConsole(ATTACH_PARENT_PROCESS);
  return sent;
}

}  // namespace morvatex::testing
#endif
