// How the converter meets signals and a lost standard output.
#pragma once

namespace morvatex {

// SIGINT (Ctrl-C), SIGTERM and SIGHUP (terminal closed) request a stop of the
// run: the reading of the source or the pass in hand ends with outcome 11 and
// the run's closing steps still run. The handlers are installed without
// SA_RESTART, so a read that waits for data (a FIFO) returns at once; a
// second signal of the same kind ends the process at once. A signal that is
// ignored at start (nohup, a background job) stays ignored. SIGPIPE is
// ignored, so a closed standard output shows as a failed write instead of
// killing the converter.
void InstallStopSignals();

// True once one of the stop signals arrived. Safe in a signal handler.
bool StopSignalArrived() noexcept;

// Makes sure the descriptors 0, 1 and 2 are open (on /dev/null when they were
// closed at start), so that no file the run opens takes their place and
// receives the report or the warnings. Returns false when standard output
// was closed, so that the report cannot be written.
bool ReserveStandardDescriptors();

}  // namespace morvatex
