// The process around the programs: the standard descriptors at start-up, the
// ending signals (Ctrl-C, a termination request, a hang-up of the console)
// and the clock. Nothing here prints.
#pragma once

#include <ctime>

// Makes sure descriptors 0, 1 and 2 are open before anything else is: a
// program started with one of them closed would get that number for the first
// file it opens, so a capture could be read as the console or the banner
// written into a listing. Each closed one is opened on the null device for
// the other direction only (write-only for 0, read-only for 1 and 2), so that
// every use of it fails as it would have. When the null device cannot be
// opened the program ends at once with status 1.
void OpenClosedStandardStreams();

// A function run when an ending signal arrives; it may use only the calls
// named async-signal-safe (WriteLineEndAtSignal, the serial layer's
// ReleaseSerialDevice). The process then ends with status 1.
using EndingHandler = void (*)();
// Ends the process on SIGINT, SIGTERM and SIGHUP (the console's Ctrl-C,
// Ctrl-Break and close on Windows), after running `handler`.
void EndOnSignals(EndingHandler handler);
// Writes a line end to standard output, async-signal-safe.
void WriteLineEndAtSignal();

// Milliseconds of a clock that never goes back, for time-outs.
long long MonotonicMs();
// The calendar clock in whole seconds.
std::time_t CalendarSeconds();
