#include "engine/StopRequest.h"

#include <atomic>

namespace morvatex {
namespace {

// Lock-free, so that a signal handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void RequestStop() noexcept { stopRequested.store(true, std::memory_order_relaxed); }
bool StopRequested() noexcept { return stopRequested.load(std::memory_order_relaxed); }
void ClearStopRequest() noexcept { stopRequested.store(false, std::memory_order_relaxed); }

}  // namespace morvatex
