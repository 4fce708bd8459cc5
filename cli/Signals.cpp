#include "cli/Signals.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "engine/StopRequest.h"

namespace morvatex {
namespace {

// Lock-free, so that the handler may set it and every conversion thread of a
// list run read it.
std::atomic<bool> stopSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int) {
  stopSignal.store(true, std::memory_order_relaxed);
  RequestStop();
}

}  // namespace

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

bool StopSignalArrived() noexcept { return stopSignal.load(std::memory_order_relaxed); }

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

}  // namespace morvatex
