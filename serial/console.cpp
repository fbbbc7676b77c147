// The console and command line helpers of the serial tools' program entries.
#include "serial/console.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/process.h"
#include "serial/com_port.h"

char consoleLine[kConsoleLineSize];

namespace {

constexpr std::string_view kVersionLine = " Version 1.13";
constexpr std::string_view kSharedUsageLines[] = {
    "   -p : Port select \"COM1\", \"COM2\" or other.",
    "   -s : Speed select 9600,19200,38400,57600,115200 or 230400.",
};

std::FILE** cleanUpFile = nullptr;         // the program's one open file
std::atomic<bool> consoleLineOpen{false};  // read by the ending signals
static_assert(std::atomic<bool>::is_always_lock_free);

bool EndOfConsole() { return std::feof(stdin) || std::ferror(stdin); }

void CleanUpAtExit() {
    ComClose();
    if (cleanUpFile != nullptr && *cleanUpFile != nullptr) {
        std::fclose(*cleanUpFile);
        *cleanUpFile = nullptr;
    }
}

void PrintLines(std::span<const std::string_view> lines) {
    for (std::string_view line : lines) PrintLine(line);
}

// Ends the console line in progress and releases the port, with
// async-signal-safe calls only; the platform then ends the program with
// status 1. Every line the receiver stored is already in its file.
void EndAtSignal() {
    if (consoleLineOpen) WriteLineEndAtSignal();
    ComReleaseAtSignal();
}

// What went wrong at the port, in words.
void DescribeComFailure(ComFailureReport report, char* text, std::size_t size) {
    const char* system = SystemErrorText(report.error);
    switch (report.failure) {
        case ComFailure::none: std::snprintf(text, size, "no reason known"); return;
        case ComFailure::nameTooLong: std::snprintf(text, size, "the device name is too long"); return;
        case ComFailure::openRefused:
            if (IsAccessDenied(report.error)) {
                std::snprintf(text, size, "%s (add the user to the dialout group)", system);
            } else {
                std::snprintf(text, size, "%s", system);
            }
            return;
        case ComFailure::heldByAnother: std::snprintf(text, size, "held by another program"); return;
        case ComFailure::notSerial: std::snprintf(text, size, "not a serial device"); return;
        case ComFailure::lineSettings:
            if (report.error != 0) {
                std::snprintf(text, size, "the line settings were refused: %s", system);
            } else {
                std::snprintf(text, size, "the line settings did not take");
            }
            return;
        case ComFailure::disconnected: std::snprintf(text, size, "the device was disconnected"); return;
        case ComFailure::readFailed:
        case ComFailure::writeFailed: std::snprintf(text, size, "%s", system); return;
        case ComFailure::writeTimedOut:
            std::snprintf(text, size, "nothing could be sent within the time-out (is CTS raised by the cable?)");
            return;
    }
}

// Copies text into a buffer of size bytes if it fits with its terminator.
bool CopyName(char* buffer, std::size_t size, const char* text) {
    if (std::strlen(text) >= size) return false;
    std::strcpy(buffer, text);
    return true;
}

}  // namespace

void StartSerialTool(const char* programName, std::string_view title, std::FILE** openFile) {
    const std::string_view banner[] = {title, kVersionLine, ""};
    PrintLines(banner);
    SetProgramName(programName);
    cleanUpFile = openFile;
    std::atexit(CleanUpAtExit);
    EndOnSignals(EndAtSignal);
}

void PrintUsage(std::string_view usage, std::span<const std::string_view> ownLines,
                std::span<const std::string_view> addedOptionLines) {
    PrintLine("Illegal arguments.");
    PrintLine(usage);
    PrintLines(kSharedUsageLines);
    PrintLines(ownLines);
    std::fflush(stdout);
    for (std::string_view line : addedOptionLines) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    }
}

void MarkConsoleLineOpen(bool open) { consoleLineOpen = open; }

void PrintComFailure() {
    char path[kComPortNameSize + 16];
    char why[160];
    DescribeComFailure(ComLastFailure(), why, sizeof why);
    if (ComDevicePath(comPortName, path, sizeof path) && std::strcmp(path, comPortName) != 0) {
        PrintReason("%s (%s): %s", comPortName, path, why);
    } else {
        PrintReason("%s: %s", comPortName, why);
    }
}

void PrintPortFailure(const char* message) {
    PrintLine(message);
    MarkConsoleLineOpen(false);
    PrintComFailure();
}

int OpenComPortOrExplain() {
    if (ComOpen()) return 1;
    PrintPortFailure("COM port open error.");
    return 0;
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

int SkipConsoleLine() {
    std::fflush(stdout);
    int c;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
    return c == '\n' ? 1 : 0;
}

int ParseSeconds(const char* text, int* seconds) {
    if (*text < '0' || *text > '9') return 0;  // no blank, no sign
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > kMaxOptionSeconds) return 0;
    *seconds = static_cast<int>(value);
    return 1;
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
        case 's': return ParseComSpeed(arg + 2, &comSpeed) ? ArgumentUse::taken : ArgumentUse::illegal;
        default: return ArgumentUse::otherOption;
    }
}

int ParseToolArguments(int argc, char** argv, char* fileName, std::size_t size, const char* defaultName,
                       bool (*ownOption)(const char* arg)) {
    bool haveFileName = false;
    for (int i = 1; i < argc; ++i) {
        const ArgumentUse use = TakeArgument(argv[i], fileName, size, &haveFileName);
        if (use == ArgumentUse::illegal || (use == ArgumentUse::otherOption && !ownOption(argv[i]))) return 0;
    }
    if (!haveFileName) std::snprintf(fileName, size, "%s", defaultName);
    return 1;
}
