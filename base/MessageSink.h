// How the core shows a message to the user: the desktop program puts it into
// a modal message box, the command-line converter onto standard error, tests
// record it.
#pragma once

#include <string_view>

namespace morvatex {

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows `text` (Windows-1252, lines separated by CR LF) and returns when the
  // user has acknowledged it.
  virtual void ShowMessage(std::string_view text) = 0;
};

}  // namespace morvatex
