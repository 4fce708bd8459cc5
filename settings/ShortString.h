// A text field of fixed capacity as the settings record stores it: one length
// byte followed by `Capacity` character bytes (Windows-1252).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace morvatex {

#pragma pack(push, 1)
template <std::size_t Capacity>
struct ShortString {
  static_assert(Capacity >= 1 && Capacity <= 255);
  static constexpr std::size_t kCapacity = Capacity;

  std::uint8_t length;
  char chars[Capacity];

  // The stored text. A length byte above the capacity (a damaged file) is
  // taken as the capacity, so no text is ever read from outside the field.
  std::string_view Text() const { return std::string_view(chars, std::min<std::size_t>(length, Capacity)); }

  // The stored text with trailing blanks removed.
  std::string_view Trimmed() const {
    std::string_view text = Text();
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
  }

  // Stores `text`, cut to the capacity. The character bytes behind the new
  // length keep what they held; they carry no meaning.
  void Assign(std::string_view text) {
    const std::size_t n = std::min(text.size(), Capacity);
    if (n > 0) std::memcpy(chars, text.data(), n);
    length = static_cast<std::uint8_t>(n);
  }
};
#pragma pack(pop)

}  // namespace morvatex
