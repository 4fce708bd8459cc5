#include "base/ThreadStarter.h"

#include <new>
#include <system_error>
#include <utility>

namespace morvatex {

std::thread StartThread(std::function<void()> work) noexcept {
  try {
    return std::thread(std::move(work));
  } catch (const std::system_error&) {
    return {};
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace morvatex
