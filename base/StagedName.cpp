#include "base/StagedName.h"

#include <algorithm>

namespace morvatex {

std::string StagedName(std::string_view name, std::string_view ending, bool shortened) {
  constexpr std::size_t kAdded = kStagedEndingLength + 2;
  const std::string_view kept = shortened ? name.substr(0, name.size() - std::min(name.size(), kAdded)) : name;
  return std::string(kept) + ".~" + std::string(ending);
}

bool IsStagedName(std::string_view name) {
  const std::size_t mark = name.rfind(".~");
  return mark != std::string_view::npos && name.size() - mark == kStagedEndingLength + 2;
}

}  // namespace morvatex
