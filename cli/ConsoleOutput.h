// The converter's output on a Windows console. The reports are UTF-8 text;
// written as bytes, a console would show them in its OEM code page ("Gr÷▀e"
// for "Größe"). On a console they go through WriteConsoleW instead; a file or
// a pipe still receives the UTF-8 bytes, as on Linux.
#pragma once

#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace morvatex {

// A stream buffer that hands UTF-8 text on as UTF-16, one whole line (or a
// few kilobytes) at a time and at every flush. A character split between two
// writes waits for its rest; a byte that is no UTF-8 shows as U+FFFD.
class Utf16OutputBuffer final : public std::streambuf {
 public:
  // `write` takes the text; false when it could not be written, which fails
  // the flush (and so the stream) as a failed write to a file would.
  using Writer = std::function<bool(std::u16string_view)>;
  explicit Utf16OutputBuffer(Writer write) : write_(std::move(write)) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  // Writes the complete characters collected so far.
  bool WriteCollected();

  Writer write_;
  std::string collected_;
  bool failed_ = false;
};

// Windows: standard output and standard error that are a console write
// through a Utf16OutputBuffer from now on. Elsewhere nothing changes.
void ShowOutputOnTheConsole();

}  // namespace morvatex
