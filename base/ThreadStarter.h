// Starting a thread, which the system may refuse: a limit on the processes
// of a user, too little address space for another stack. Every place that
// starts a thread takes a ThreadStarter, so that it can be made to fail on
// purpose, and goes on with the threads it got (or fails with a message)
// instead of letting std::system_error end the program.
#pragma once

#include <functional>
#include <thread>

namespace morvatex {

// Starts `work` on a new thread and returns it; a thread that is not
// joinable when none could be started. Never throws.
using ThreadStarter = std::function<std::thread(std::function<void()> work)>;

// The system's threads: std::thread, its std::system_error and a lack of
// memory for the thread's state turned into the empty thread.
std::thread StartThread(std::function<void()> work) noexcept;

}  // namespace morvatex
