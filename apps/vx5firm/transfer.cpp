// The firmware transfer program. The image is a text file whose lines are
// passed to the analyzer's loader one at a time, each released by a reply
// line from the loader; the program never looks inside the image. After the
// loader's "Load OK." it follows the four flash steps, each announced by its
// letter at the start of a loader line, and answers the boot block question
// if the loader asks it (an "R" before the erase begins).
//
// The option -t<SECONDS> gives up waiting for the loader's "Ready." after
// that many seconds; without it the program waits as long as it takes.
#include "apps/vx5firm/transfer.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "platform/files.h"
#include "serial/com_port.h"
#include "serial/console.h"

namespace {

constexpr int kFileNameSize = 264;  // 263 characters and the terminator
constexpr int kLineSize = 1024;     // 1023 characters and the terminator
constexpr char kDefaultFileName[] = "VX5200.FW";

constexpr int kBarWidth = 50;
// A loader reporting far more done than its total would ask for an endless
// bar; what is drawn stops here (the remembered length does not).
constexpr int kBarDrawMax = 1000;

constexpr std::string_view kTitle = "===== VX-5200 Firmware Transfer Program =====";
constexpr std::string_view kUsage = "Usage : vx5firm [-p<PORT>] [-s<SPEED>] [-f] [<FILENAME>]";
constexpr std::string_view kOwnUsageLines[] = {
    "   -f : Force Start And replace Boot block.",
};
constexpr std::string_view kAddedOptionLines[] = {
    "   -t<SECONDS> : Give up when the loader is not ready within <SECONDS>.",
};

struct FlashStep {
    char letter;            // starts the loader's line for this step
    std::string_view text;  // printed when the letter comes
};

constexpr FlashStep kFlashSteps[] = {
    {'E', "Erase .... "},
    {'E', "Erase Check .... "},
    {'P', "Program .... "},
    {'V', "Verify .... "},
};

constexpr char kBootBlockQuestion = 'R';  // the loader asks before the erase begins

char firmwareFileName[kFileNameSize];
bool forceStart = false;
int readySeconds = 0;  // -t: 0 waits for "Ready." without end
std::FILE* firmwareFile = nullptr;
bool firmwareEnded = false;
int firmwareLineNumber = 0;  // the image line the last piece sent belongs to
bool atImageLineStart = true;

char firmwareLine[kLineSize];
char reply[kLineSize];
int replyLength = 0;
int doneCount = 0;
int total = 0;                              // from the last report that carried one
long long barLength = -1;                   // ">" characters last drawn; -1 before the first drawing
char barText[1 + kBarDrawMax + kBarWidth];  // CR, the ">"s, the "."s

int ClampToInt(long value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool Contains(const char* text, int length, std::string_view part) {
    return std::string_view(text, static_cast<std::size_t>(length)).find(part) != std::string_view::npos;
}

// Opens the image; a folder is no image. Prints the failure.
bool OpenFirmwareFile() {
    firmwareFile = std::fopen(firmwareFileName, "rb");
    const int error = errno;
    if (firmwareFile != nullptr && KindOfFile(firmwareFileName) != FileKind::directory) return true;
    PrintLine("Can't open Firmware file.");
    PrintReason("%s: %s", firmwareFileName, firmwareFile == nullptr ? std::strerror(error) : "is a directory");
    return false;
}

// A loader line for standard error: without its line end.
int ShownLength(const char* text, int length) {
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
    return length;
}

// The image's next line as DOS text: CR bytes are dropped, 0x1A ends the
// file, a line longer than 1023 characters comes in pieces. False when the
// image is exhausted.
bool ReadFirmwareLine() {
    if (firmwareEnded) return false;
    int n = 0;
    while (n < kLineSize - 1) {
        int c = std::getc(firmwareFile);
        if (c == EOF || c == kEndOfText) {
            firmwareEnded = true;
            break;
        }
        if (c == '\r') continue;
        firmwareLine[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    firmwareLine[n] = '\0';
    if (n > 0 && atImageLineStart) ++firmwareLineNumber;
    if (n > 0) atImageLineStart = firmwareLine[n - 1] == '\n';
    return n > 0;
}

// Waits for the Enter key; whatever is typed before it is ignored.
bool WaitForEnter() {
    PrintLine("Please start VX-5200 Firmware Loader,");
    PrintPrompt("              And press [ENTER] key.");
    int entered = SkipConsoleLine();
    PrintLine("");
    if (!entered) {
        PrintLine("Aborted.");
        return false;
    }
    return true;
}

// Sends one CR and skips the loader's lines until "Ready." (with -t for at
// most that many seconds).
bool Handshake() {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(readySeconds);
    ComPutText("\r");
    for (;;) {
        int quietMs = 0;  // wait without end
        if (readySeconds > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                PrintReason("no \"Ready.\" from the loader within %d s", readySeconds);
                return false;
            }
            quietMs = static_cast<int>(left);
        }
        int length = 0;
        bool quiet = false;
        if (ComGetLine(reply, kLineSize, &length, quietMs, &quiet) == nullptr) {
            PrintPortFailure("COM port read error.");
            return false;
        }
        if (!quiet && std::string_view(reply, static_cast<std::size_t>(length)) == "Ready.\n") return true;
    }
}

// One reply of the load phase, ended by CR or by LF; a reply longer than
// 1023 characters is cut there.
bool CollectReply() {
    replyLength = 0;
    for (;;) {
        int c = ComReadByte();
        if (c == kComNoChar) continue;
        if (c == kComReadFailure) return false;
        if (c == '\r' || c == '\n') break;
        if (replyLength < kLineSize - 1) reply[replyLength++] = static_cast<char>(c);
    }
    reply[replyLength] = '\0';
    return true;
}

// Draws the progress bar for a loader report of done out of total.
void ShowProgress(int done, int totalCount) {
    if (totalCount == 0) return;  // nothing to measure against yet: the bar stays
    long long length = static_cast<long long>(done) * kBarWidth / totalCount;
    if (length == barLength) return;
    barLength = length;
    int arrows = length < 0 ? 0 : (length > kBarDrawMax ? kBarDrawMax : static_cast<int>(length));
    int dots = arrows < kBarWidth ? kBarWidth - arrows : 0;
    barText[0] = '\r';
    std::memset(barText + 1, '>', static_cast<std::size_t>(arrows));
    std::memset(barText + 1 + arrows, '.', static_cast<std::size_t>(dots));
    MarkConsoleLineOpen(true);  // before the bar shows: a signal may come at once
    std::fwrite(barText, 1, static_cast<std::size_t>(1 + arrows + dots), stdout);
    std::fflush(stdout);
}

// Lock-step transfer: every reply line releases the image's next line.
bool LoadFirmware() {
    for (;;) {
        if (ReadFirmwareLine() && ComPutText(firmwareLine) == 0) {
            PrintPortFailure("\nCOM port write errror.");  // the program's own spelling
            return false;
        }
        if (!CollectReply()) {
            PrintPortFailure("\nCOM port read error.");
            return false;
        }
        if (Contains(reply, replyLength, "Error.")) {
            // The line end keeps the message from being overwritten by the shell.
            std::printf("\r%50s\r\n", "Load .... Error.");
            MarkConsoleLineOpen(false);
            PrintReason("the loader answered firmware line %d with \"%s\"", firmwareLineNumber, reply);
            return false;
        }
        if (Contains(reply, replyLength, "Load OK.")) {
            std::printf("\r%-50s\n", "Load .... OK.");
            MarkConsoleLineOpen(false);
            return true;
        }
        if (replyLength == 0) continue;
        // A progress report: the done count, optionally "/" and the total.
        char* end = nullptr;
        doneCount = ClampToInt(std::strtol(reply, &end, 10));
        if (*end == '/') total = ClampToInt(std::strtol(end + 1, nullptr, 10));
        ShowProgress(doneCount, total);
    }
}

// Answers the loader's boot block question; false when the answer is NO.
bool ExchangeBootBlock() {
    static constexpr int kAnswers[] = {1, 2};
    int answer = 1;  // YES without asking under -f
    if (!forceStart && !AskNumber("Replace Boot block (1:YES, 2:NO) ? ", kAnswers, &answer)) {
        answer = 2;  // nobody can answer: the boot block stays as it is
    }
    ComPutText(answer == 1 ? "Y" : "N");
    ComGetLine(reply, kLineSize - 1);  // the loader's answer line, not examined
    if (answer == 2) {
        PrintLine("Aborted.");
        return false;
    }
    return true;
}

// Erase, erase check, program and verify, then the loader's closing line.
bool RunFlashSteps() {
    bool justAnswered = false;  // the character after the answer line is no question
    for (std::size_t i = 0; i < std::size(kFlashSteps); ++i) {
        const FlashStep& step = kFlashSteps[i];
        for (;;) {
            int c = ComGetChar();
            if (c == kComNoChar) continue;
            if (c == kComReadFailure) {
                PrintPortFailure("COM port read error.");
                return false;
            }
            bool asked = i == 0 && c == kBootBlockQuestion && !justAnswered;
            justAnswered = false;
            if (c == step.letter) break;
            if (asked) {
                if (!ExchangeBootBlock()) return false;
                justAnswered = true;
            }
        }
        MarkConsoleLineOpen(true);
        PrintPrompt(step.text);
        reply[0] = step.letter;
        int length = 0;
        if (ComGetLine(reply + 1, kLineSize - 1, &length) == nullptr) {
            PrintPortFailure("COM port read error.");
            return false;
        }
        if (Contains(reply, length + 1, "Error.")) {
            PrintLine("Error.");
            MarkConsoleLineOpen(false);
            PrintReason("the loader reported \"%.*s\"", ShownLength(reply, length + 1), reply);
            return false;
        }
        PrintLine("OK.");
        MarkConsoleLineOpen(false);
    }
    if (ComGetLine(reply, kLineSize) == nullptr) {
        PrintPortFailure("COM port read error.");
        return false;
    }
    return true;
}

// -f and -t<SECONDS>, the firmware tool's own options.
bool TakeTransferOption(const char* arg) {
    if (std::strcmp(arg, "-f") == 0) return forceStart = true;
    return arg[1] == 't' && ParseSeconds(arg + 2, &readySeconds) != 0;
}

int ParseTransferArguments(int argc, char** argv) {
    return ParseToolArguments(argc, argv, firmwareFileName, sizeof firmwareFileName, kDefaultFileName,
                              TakeTransferOption);
}

}  // namespace

int FirmwareMain(int argc, char** argv) {
    StartSerialTool("vx5firm", kTitle, &firmwareFile);
    comEofMode = false;

    if (argc > 1 && !ParseTransferArguments(argc, argv)) {
        PrintUsage(kUsage, kOwnUsageLines, kAddedOptionLines);
        return 1;
    }
    if (argc <= 1) std::strcpy(firmwareFileName, kDefaultFileName);
    if (!OpenFirmwareFile()) return 1;
    if (argc <= 1) {
        if (!AskComPort()) {
            PrintLine("Aborted.");
            return 1;
        }
        PrintLine("");
    }
    if (!forceStart && !WaitForEnter()) return 1;
    if (!OpenComPortOrExplain()) return 1;
    if (!Handshake() || !LoadFirmware() || !RunFlashSteps()) return 1;
    PrintLine("Complete.");
    return 0;
}
