// The process-wide stop request: set by the stop command (or Ctrl-C in the
// command-line converter) at any moment, cleared by a conversion at the start
// of each pass and tested once per source line.
#pragma once

namespace morvatex {

// Sets the request. Safe to call from a signal handler.
void RequestStop() noexcept;
bool StopRequested() noexcept;
void ClearStopRequest() noexcept;

}  // namespace morvatex
