#include "cli/Signals.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include "engine/StopRequest.h"

namespace morvatex {
namespace {

// Lock-free, so that the handler may set it and every conversion thread of a
// list run read it.
std::atomic<bool> stopSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32
// Ctrl-C and Ctrl-Break ask for a stop as SIGINT does; closing the console,
// logging off and shutting down as SIGHUP and SIGTERM do. Windows ends the
// process once the handler of those returns, so it waits a little for the
// run's closing steps (the main thread ends the process when they are done).
// A second Ctrl-C or Ctrl-Break ends the process at once.
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      if (stopSignal.exchange(true, std::memory_order_relaxed)) return FALSE;  // the default: end the process
      RequestStop();
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      stopSignal.store(true, std::memory_order_relaxed);
      RequestStop();
      Sleep(4000);  // the system allows about five seconds
      return TRUE;
    default: return FALSE;
  }
}
#else
extern "C" void OnStopSignal(int) {
  stopSignal.store(true, std::memory_order_relaxed);
  RequestStop();
}
#endif

}  // namespace

#ifdef _WIN32
void InstallStopSignals() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }
#else
void InstallStopSignals() {
  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = SA_RESETHAND;  // and no SA_RESTART: a waiting read returns EINTR
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the caller ignores stays ignored (nohup, a background job).
    struct sigaction inherited {};
    if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
    sigaction(signal, &stop, nullptr);
  }

  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}
#endif

bool StopSignalArrived() noexcept { return stopSignal.load(std::memory_order_relaxed); }

#ifdef _WIN32
bool ReserveStandardDescriptors() {
  bool outputOpen = true;
  for (int fd = 0; fd <= 2; ++fd) {
    if (_get_osfhandle(fd) >= 0) continue;  // -1: closed, -2: no console behind it
    if (fd == 1) outputOpen = false;
    const int opened = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
    if (opened >= 0 && opened != fd) {
      _dup2(opened, fd);
      _close(opened);
    }
  }
  return outputOpen;
}
#else
bool ReserveStandardDescriptors() {
  bool outputOpen = true;
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) continue;
    if (fd == STDOUT_FILENO) outputOpen = false;
    // open() takes the lowest free descriptor, which is `fd` here.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
  return outputOpen;
}

#endif

}  // namespace morvatex
