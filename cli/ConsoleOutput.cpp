#include "cli/ConsoleOutput.h"

#include <algorithm>
#include <iostream>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/Cp1252Codec.h"

namespace morvatex {
namespace {

// How many bytes the UTF-8 sequence led by `lead` takes; 1 for a byte that
// leads none, so that it is passed over on its own.
std::size_t SequenceLength(unsigned char lead) {
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

// Where the last, unfinished character of `text` begins; text.size() when it
// ends with a whole one.
std::size_t CompletePrefix(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) != 0x80) return SequenceLength(byte) > back ? text.size() - back : text.size();
  }
  return text.size();
}

constexpr std::size_t kWriteSize = 4096;

}  // namespace

bool Utf16OutputBuffer::WriteCollected() {
  const std::size_t complete = CompletePrefix(collected_);
  std::u16string text;
  text.reserve(complete);
  for (std::size_t pos = 0; pos < complete;) {
    const std::size_t length = std::min(SequenceLength(static_cast<unsigned char>(collected_[pos])), complete - pos);
    const std::optional<std::u16string> character = Utf8ToUtf16(std::string_view(collected_).substr(pos, length));
    text += character ? *character : u"\uFFFD";
    pos += character ? length : 1;
  }
  collected_.erase(0, complete);
  if (!text.empty() && !failed_) failed_ = !write_(text);
  return !failed_;
}

Utf16OutputBuffer::int_type Utf16OutputBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize Utf16OutputBuffer::xsputn(const char* text, std::streamsize count) {
  const std::string_view piece(text, static_cast<std::size_t>(count));
  collected_.append(piece);
  if ((piece.find('\n') != std::string_view::npos || collected_.size() >= kWriteSize) && !WriteCollected()) return 0;
  return count;
}

int Utf16OutputBuffer::sync() { return WriteCollected() ? 0 : -1; }

void ShowOutputOnTheConsole() {
#ifdef _WIN32
  const std::pair<std::ostream*, DWORD> streams[] = {{&std::cout, STD_OUTPUT_HANDLE}, {&std::cerr, STD_ERROR_HANDLE}};
  for (const auto& [stream, which] : streams) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) continue;
    stream->flush();
    // Never deleted: the streams are flushed once more when the process ends.
    stream->rdbuf(new Utf16OutputBuffer([handle](std::u16string_view text) {
      while (!text.empty()) {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(std::min<std::size_t>(text.size(), 8192));
        if (!WriteConsoleW(handle, text.data(), count, &written, nullptr) || written == 0) return false;
        text.remove_prefix(written);
      }
      return true;
    }));
  }
#endif
}

}  // namespace morvatex
