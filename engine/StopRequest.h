// The process-wide stop request: made by the stop command (or Ctrl-C in the
// command-line converter) at any moment. A conversion heeds only requests
// made since its current stage began (a stop given before it has no effect
// on it) and tests for them once per source line. It notes where its stage
// began instead of clearing the request, so that conversions running side
// by side never take back a stop that another one has still to see.
#pragma once

namespace morvatex {

// Makes a request. Safe to call from a signal handler.
void RequestStop() noexcept;

// How many requests were made so far; a stage keeps the count it began with.
using StopMark = unsigned long;
StopMark CurrentStopMark() noexcept;
// True when a request was made after `mark` was taken.
bool StopRequestedSince(StopMark mark) noexcept;

// The same for a caller that follows one thing at a time: a request made
// since the last ClearStopRequest.
bool StopRequested() noexcept;
void ClearStopRequest() noexcept;

}  // namespace morvatex
