// Ending signals and the clocks on POSIX.
#include <signal.h>
#include <unistd.h>

#include <ctime>
#include <initializer_list>

#include "platform/process.h"

namespace {
EndingHandler endingHandler = nullptr;

extern "C" void EndOnSignal(int) {
    if (endingHandler != nullptr) endingHandler();
    _exit(1);
}
}  // namespace

void EndOnSignals(EndingHandler handler) {
    endingHandler = handler;
    struct sigaction action {};
    action.sa_handler = EndOnSignal;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signalNumber);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaction(signalNumber, &action, nullptr);
}

void WriteLineEndAtSignal() {
    ssize_t written = write(STDOUT_FILENO, "\n", 1);
    (void)written;  // nothing more can be done about a console that fails now
}

long long MonotonicMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

std::time_t CalendarSeconds() { return std::time(nullptr); }
