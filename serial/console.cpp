// The console and command line helpers of the serial tools' program entries.
#include "serial/console.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "serial/com_port.h"

char consoleLine[kConsoleLineSize];

namespace {

std::FILE** cleanUpFile = nullptr;  // the program's one open file

bool EndOfConsole() { return std::feof(stdin) || std::ferror(stdin); }

void CleanUpAtExit() {
    ComClose();
    if (cleanUpFile != nullptr && *cleanUpFile != nullptr) {
        std::fclose(*cleanUpFile);
        *cleanUpFile = nullptr;
    }
}

// Copies text into a buffer of size bytes if it fits with its terminator.
bool CopyName(char* buffer, std::size_t size, const char* text) {
    if (std::strlen(text) >= size) return false;
    std::strcpy(buffer, text);
    return true;
}

}  // namespace

void PrintLine(std::string_view text) {
    std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
}

void PrintLines(std::span<const std::string_view> lines) {
    for (std::string_view line : lines) PrintLine(line);
}

void PrintPrompt(std::string_view text) {
    std::printf("%.*s", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
}

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

int AskNumber(std::string_view question, std::span<const int> accepted, int* answer) {
    for (;;) {
        PrintPrompt(question);
        int n = ReadNumber();
        if (std::find(accepted.begin(), accepted.end(), n) != accepted.end()) {
            *answer = n;
            return 1;
        }
        if (n < 0 && EndOfConsole()) return 0;
    }
}

int AskComPort() {
    static constexpr int kPorts[] = {1, 2};
    int port = 0;
    if (!AskNumber("Select COM port (1:COM1, 2:COM2) ? ", kPorts, &port)) return 0;
    std::snprintf(comPortName, sizeof comPortName, "COM%d", port);
    return 1;
}

int ReadConsoleAnswer(bool* fits) {
    std::fflush(stdout);
    if (std::fgets(consoleLine, kConsoleLineSize, stdin) == nullptr) return -1;
    std::size_t n = std::strlen(consoleLine);
    *fits = true;
    if (n > 0 && consoleLine[n - 1] == '\n') {
        consoleLine[--n] = '\0';
        return 1;
    }
    if (n < static_cast<std::size_t>(kConsoleLineSize - 1)) return 1;  // last line, no LF
    int c = std::getc(stdin);
    if (c == '\n' || c == EOF) return 1;  // exactly 255 characters
    *fits = false;
    SkipConsoleLine();
    return 1;
}

int SkipConsoleLine() {
    std::fflush(stdout);
    int c;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
    return c == '\n' ? 1 : 0;
}

ArgumentUse TakeArgument(const char* arg, char* fileName, std::size_t size, bool* haveFileName) {
    if (arg[0] != '-') {
        if (*haveFileName || !CopyName(fileName, size, arg)) return ArgumentUse::illegal;
        *haveFileName = true;
        return ArgumentUse::taken;
    }
    switch (arg[1]) {
    case 'p':  // the name unchanged, an empty one too: it fails at opening
        return CopyName(comPortName, sizeof comPortName, arg + 2) ? ArgumentUse::taken : ArgumentUse::illegal;
    case 's':
        return ParseComSpeed(arg + 2, &comSpeed) ? ArgumentUse::taken : ArgumentUse::illegal;
    default:
        return ArgumentUse::otherOption;
    }
}

void RegisterExitCleanUp(std::FILE** openFile) {
    cleanUpFile = openFile;
    std::atexit(CleanUpAtExit);
    ComEndOnSignals();
}
