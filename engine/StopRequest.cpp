#include "engine/StopRequest.h"

#include <atomic>

namespace morvatex {
namespace {

// Lock-free, so that a signal handler may count a request.
std::atomic<StopMark> requests{0};
static_assert(std::atomic<StopMark>::is_always_lock_free);
std::atomic<StopMark> cleared{0};

}  // namespace

void RequestStop() noexcept { requests.fetch_add(1, std::memory_order_relaxed); }
StopMark CurrentStopMark() noexcept { return requests.load(std::memory_order_relaxed); }
bool StopRequestedSince(StopMark mark) noexcept { return CurrentStopMark() != mark; }
bool StopRequested() noexcept { return StopRequestedSince(cleared.load(std::memory_order_relaxed)); }
void ClearStopRequest() noexcept { cleared.store(CurrentStopMark(), std::memory_order_relaxed); }

}  // namespace morvatex
