// Console control events and the clocks on Win32. Ctrl-C, Ctrl-Break and the
// closing of the console window end the program as SIGINT, SIGTERM and
// SIGHUP do elsewhere. The handler runs on a thread of its own while the
// program's thread may hold the C runtime's locks, so it ends the process
// without the runtime's clean-up, as _exit does.
#include "platform/process.h"

#include <windows.h>

#include <ctime>

namespace {
EndingHandler endingHandler = nullptr;

BOOL WINAPI EndOnControlEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (endingHandler != nullptr) endingHandler();
    TerminateProcess(GetCurrentProcess(), 1);
    return TRUE;
}
}  // namespace

void EndOnSignals(EndingHandler handler) {
    endingHandler = handler;
    SetConsoleCtrlHandler(EndOnControlEvent, TRUE);
}

void WriteLineEndAtSignal() {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "\r\n", 2, &written, nullptr);
}

long long MonotonicMs() { return static_cast<long long>(GetTickCount64()); }

std::time_t CalendarSeconds() { return std::time(nullptr); }
