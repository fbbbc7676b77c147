// The firmware transfer program. The image is a text file whose lines are
// passed to the analyzer's loader one at a time, each released by a reply
// line from the loader; the program never looks inside the image. After the
// loader's "Load OK." it follows the four flash steps, each announced by its
// letter at the start of a loader line, and answers the boot block question
// if the loader asks it (an "R" before the erase begins).
#include "firmware/transfer.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "serial/com_port.h"

namespace {

constexpr int kFileNameSize = 264;  // 263 characters and the terminator
constexpr int kLineSize = 1024;     // 1023 characters and the terminator
constexpr char kDefaultFileName[] = "VX5200.FW";

constexpr int kBarWidth = 50;
// A loader reporting far more done than its total would ask for an endless
// bar; what is drawn stops here (the remembered length does not).
constexpr int kBarDrawMax = 1000;

constexpr std::string_view kUsageLines[] = {
    "Illegal arguments.",
    "Usage : vx5firm [-p<PORT>] [-s<SPEED>] [-f] [<FILENAME>]",
    "   -p : Port select \"COM1\", \"COM2\" or other.",
    "   -s : Speed select 9600,19200,38400,57600,115200 or 230400.",
    "   -f : Force Start And replace Boot block.",
};

struct FlashStep {
    char letter;           // starts the loader's line for this step
    std::string_view text; // printed when the letter comes
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
std::FILE* firmwareFile = nullptr;
bool firmwareEnded = false;

char firmwareLine[kLineSize];
char reply[kLineSize];
int replyLength = 0;
int doneCount = 0;
int total = 0;               // from the last report that carried one
long long barLength = -1;    // ">" characters last drawn; -1 before the first drawing
char barText[1 + kBarDrawMax + kBarWidth];  // CR, the ">"s, the "."s

void PrintLine(std::string_view text) {
    std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
}

void PrintPrompt(std::string_view text) {
    std::printf("%.*s", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
}

void ExitHandler() {
    ComClose();
    if (firmwareFile != nullptr) {
        std::fclose(firmwareFile);
        firmwareFile = nullptr;
    }
}

bool EndOfConsole() { return std::feof(stdin) || std::ferror(stdin); }

int ClampToInt(long value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool Contains(const char* text, int length, std::string_view part) {
    return std::string_view(text, static_cast<std::size_t>(length)).find(part) != std::string_view::npos;
}

// Opens the image; a folder is no image.
bool OpenFirmwareFile() {
    firmwareFile = std::fopen(firmwareFileName, "rb");
    if (firmwareFile == nullptr) return false;
    struct stat st {};
    return fstat(fileno(firmwareFile), &st) == 0 && !S_ISDIR(st.st_mode);
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
    return n > 0;
}

// Asks for the port until 1 or 2 comes; 0 at end of input.
bool AskPort() {
    for (;;) {
        PrintPrompt("Select COM port (1:COM1, 2:COM2) ? ");
        int n = ReadNumber();
        if (n == 1 || n == 2) {
            std::snprintf(comPortName, sizeof comPortName, "COM%d", n);
            PrintLine("");
            return true;
        }
        if (n < 0 && EndOfConsole()) return false;
    }
}

// Waits for the Enter key; whatever is typed before it is ignored.
bool WaitForEnter() {
    PrintLine("Please start VX-5200 Firmware Loader,");
    PrintPrompt("              And press [ENTER] key.");
    int c;
    do {
        c = std::getchar();
    } while (c != '\n' && c != EOF);
    PrintLine("");
    if (c == EOF) {
        PrintLine("Aborted.");
        return false;
    }
    return true;
}

// Sends one CR and skips the loader's lines until "Ready.".
bool Handshake() {
    ComPutText("\r");
    for (;;) {
        int length = 0;
        if (ComGetLine(reply, kLineSize, &length) == nullptr) {
            PrintLine("COM port read error.");
            return false;
        }
        if (std::string_view(reply, static_cast<std::size_t>(length)) == "Ready.\n") return true;
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

// Lock-step transfer: every reply line releases the image's next line.
bool LoadFirmware() {
    for (;;) {
        if (ReadFirmwareLine() && ComPutText(firmwareLine) == 0) {
            std::printf("\nCOM port write errror.\n");  // the program's own spelling
            return false;
        }
        if (!CollectReply()) {
            std::printf("\nCOM port read error.\n");
            return false;
        }
        if (Contains(reply, replyLength, "Error.")) {
            std::printf("\r%50s\r", "Load .... Error.");
            return false;
        }
        if (Contains(reply, replyLength, "Load OK.")) {
            std::printf("\r%-50s\n", "Load .... OK.");
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
    int answer = 1;  // YES without asking under -f
    while (!forceStart) {
        PrintPrompt("Replace Boot block (1:YES, 2:NO) ? ");
        answer = ReadNumber();
        if (answer == 1 || answer == 2) break;
        if (answer < 0 && EndOfConsole()) {
            answer = 2;  // nobody can answer: the boot block stays as it is
            break;
        }
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
                PrintLine("COM port read error.");
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
        PrintPrompt(step.text);
        reply[0] = step.letter;
        int length = 0;
        if (ComGetLine(reply + 1, kLineSize - 1, &length) == nullptr) {
            PrintLine("COM port read error.");
            return false;
        }
        if (Contains(reply, length + 1, "Error.")) {
            PrintLine("Error.");
            return false;
        }
        PrintLine("OK.");
    }
    if (ComGetLine(reply, kLineSize) == nullptr) {
        PrintLine("COM port read error.");
        return false;
    }
    return true;
}

}  // namespace

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
    std::fwrite(barText, 1, static_cast<std::size_t>(1 + arrows + dots), stdout);
    std::fflush(stdout);
}

int ParseTransferArguments(int argc, char** argv) {
    bool haveFileName = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-') {
            if (arg[1] == 'p') {
                if (std::strlen(arg + 2) >= sizeof comPortName) return 0;
                std::strcpy(comPortName, arg + 2);
            } else if (arg[1] == 's') {
                if (!ParseComSpeed(arg + 2, &comSpeed)) return 0;
            } else if (arg[1] == 'f' && arg[2] == '\0') {
                forceStart = true;
            } else {
                return 0;
            }
        } else {
            if (haveFileName || std::strlen(arg) >= sizeof firmwareFileName) return 0;
            std::strcpy(firmwareFileName, arg);
            haveFileName = true;
        }
    }
    // Only a missing name means the default image; a name given empty cannot
    // be opened, so the wrong image is never loaded.
    if (!haveFileName) std::strcpy(firmwareFileName, kDefaultFileName);
    return 1;
}

int FirmwareMain(int argc, char** argv) {
    PrintLine("===== VX-5200 Firmware Transfer Program =====");
    PrintLine(" Version 1.13");
    PrintLine("");
    std::atexit(ExitHandler);
    ComEndOnSignals();
    comEofMode = false;

    if (argc > 1 && !ParseTransferArguments(argc, argv)) {
        for (std::string_view line : kUsageLines) PrintLine(line);
        return 1;
    }
    if (argc <= 1) std::strcpy(firmwareFileName, kDefaultFileName);
    if (!OpenFirmwareFile()) {
        PrintLine("Can't open Firmware file.");
        return 1;
    }
    if (argc <= 1 && !AskPort()) {
        PrintLine("Aborted.");
        return 1;
    }
    if (!forceStart && !WaitForEnter()) return 1;
    if (!ComOpen()) {
        PrintLine("COM port open error.");
        return 1;
    }
    if (!Handshake() || !LoadFirmware() || !RunFlashSteps()) return 1;
    PrintLine("Complete.");
    return 0;
}
