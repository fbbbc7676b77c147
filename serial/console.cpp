// The console number reader of the serial tools' dialogues.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "serial/com_port.h"

char consoleLine[kConsoleLineSize];

int ReadNumber() {
    // A line longer than the buffer is read in pieces; the last piece counts.
    long value = 0;
    for (;;) {
        std::fflush(stdout);
        if (std::fgets(consoleLine, kConsoleLineSize, stdin) == nullptr) return -1;
        value = std::strtol(consoleLine, nullptr, 10);
        if (value > INT_MAX) value = INT_MAX;  // too large for any question: a wrong answer
        if (std::strchr(consoleLine, '\n') != nullptr) break;
        // A last line without LF ends at the end of input: it is the answer.
        if (std::strlen(consoleLine) < static_cast<std::size_t>(kConsoleLineSize - 1)) break;
        int next = std::getc(stdin);
        if (next == EOF) break;
        std::ungetc(next, stdin);
    }
    return value < 0 ? -1 : static_cast<int>(value);
}
