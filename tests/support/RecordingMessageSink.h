// A MessageSink that keeps every message for the test to inspect.
#pragma once

#include <string>
#include <vector>

#include "base/MessageSink.h"

namespace morvatex::testing {

class RecordingMessageSink final : public MessageSink {
 public:
  std::vector<std::string> messages;
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
};

}  // namespace morvatex::testing
