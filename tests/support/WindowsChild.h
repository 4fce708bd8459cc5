// Starting a built program on Windows as a console user would, for the tests
// that run the converter: its standard output and error go to files (or are
// closed, or to a pipe nobody reads), and it can be sent Ctrl-C.
#pragma once
#ifdef _WIN32

#include <string>
#include <vector>

namespace morvatex::testing {

enum class ChildOutput {
  kFile,               // standard output to `outPath`
  kClosed,             // no standard output at all
  kPipeWithoutReader,  // a pipe whose reading end is closed: every write fails
};

struct ChildOptions {
  std::string outPath;  // UTF-8; empty: none
  std::string errPath;
  ChildOutput output = ChildOutput::kFile;
  // A console of its own (hidden), so that Ctrl-C reaches it alone.
  bool ownConsole = false;
};

class WindowsChild {
 public:
  // `program` and `arguments` in UTF-8; the arguments are quoted as the C
  // library of the child splits them again.
  WindowsChild(const std::string& program, const std::vector<std::string>& arguments, const ChildOptions& options);
  ~WindowsChild();
  WindowsChild(const WindowsChild&) = delete;
  WindowsChild& operator=(const WindowsChild&) = delete;

  bool started() const { return process_ != nullptr; }
  // The exit status; -1 (and the process ended) when it has not ended within
  // `seconds`.
  int Wait(int seconds);
  // Ctrl-C as typed into its console (which needs ownConsole).
  bool SendCtrlC();

 private:
  // A HANDLE and a DWORD: windows.h stays out of the tests (it would rename
  // FileSystem::CreateFile there).
  void* process_ = nullptr;
  unsigned long id_ = 0;
};

// A new named pipe that nobody writes: whoever reads it waits for ever.
class WaitingPipe {
 public:
  WaitingPipe();
  ~WaitingPipe();
  WaitingPipe(const WaitingPipe&) = delete;
  WaitingPipe& operator=(const WaitingPipe&) = delete;

  const std::string& path() const { return path_; }
  // Waits until a reader has opened the pipe; false when that failed.
  bool WaitForReader();

 private:
  std::string path_;
  void* server_ = nullptr;  // a HANDLE
};

// The command line that hands `arguments` to a program unchanged.
std::wstring QuotedCommandLine(const std::vector<std::string>& arguments);

}  // namespace morvatex::testing

#endif
