// The print data receiver. The analyzer prints its listing over the serial
// line and ends it with 0x1A at the start of a line; every received line goes
// to the output file at once (written and flushed), so whatever ends the
// program, each line already received is in the file.
//
// Two options serve long print-outs: -a appends to an existing file, and
// -e<SECONDS> ends the reception after that many seconds without a byte, as
// 0x1A would, for a print-out that ends without it.
#include "apps/vxprtin/receiver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>

#include "platform/process.h"
#include "serial/com_port.h"
#include "serial/console.h"

namespace {

constexpr int kFileNameSize = 264;       // 263 characters and the terminator
constexpr int kReceivedLineSize = 1024;  // 1023 characters and the terminator
constexpr char kDefaultFileName[] = "VXPRTIN.TXT";
constexpr double kDisplayInterval = 1.0;  // seconds between line-count displays

constexpr std::string_view kTitle = "===== NORD ARC Print Data Receiver =====";
constexpr std::string_view kUsage = "Usage : vxprtin [-p<PORT>] [-s<SPEED>] [<FILENAME>]";
constexpr std::string_view kAddedOptionLines[] = {
    "   -a : Append to an existing file instead of replacing it.",
    "   -e<SECONDS> : End the reception after <SECONDS> without data.",
};

char outputFileName[kFileNameSize];
std::FILE* outputFile = nullptr;
char receivedLine[kReceivedLineSize];
bool appendToFile = false;
int quietSeconds = 0;  // -e: 0 waits for 0x1A without end

// Writes one received line with its LF turned into CR LF, all its bytes
// (NUL bytes included), and hands it to the file system at once.
bool WriteReceivedLine(const char* line, int length) {
    bool lineEnd = length > 0 && line[length - 1] == '\n';
    std::size_t body = static_cast<std::size_t>(lineEnd ? length - 1 : length);
    if (std::fwrite(line, 1, body, outputFile) != body) return false;
    if (lineEnd && std::fwrite("\r\n", 1, 2, outputFile) != 2) return false;
    return std::fflush(outputFile) == 0;
}

// The file failure behind a message already printed.
void PrintFileReason(int error) { PrintReason("%s: %s", outputFileName, std::strerror(error)); }

// -a and -e<SECONDS>, the receiver's own options.
bool TakeReceiverOption(const char* arg) {
    if (std::strcmp(arg, "-a") == 0) return appendToFile = true;
    return arg[1] == 'e' && ParseSeconds(arg + 2, &quietSeconds) != 0;
}

int ParseReceiverArguments(int argc, char** argv) {
    return ParseToolArguments(argc, argv, outputFileName, sizeof outputFileName, kDefaultFileName, TakeReceiverOption);
}

int RunReceiverDialogue() {
    static constexpr int kSpeedAnswers[] = {9600, 19200, 38400, 57600, 115200, 230400};
    if (!AskComPort()) return 0;
    // 230400 is taken although the question does not offer it.
    if (!AskNumber("Input COM speed (9600,19200,38400,57600,115200) ? ", kSpeedAnswers, &comSpeed)) return 0;
    for (;;) {
        PrintPrompt("Save filename ? ");
        bool fits = true;
        if (ReadAnswer(consoleLine, &fits) < 0) return 0;
        if (fits && consoleLine[0] != '\0') break;
    }
    std::strcpy(outputFileName, consoleLine);  // 255 characters fit the 263 of a name
    PrintLine("");
    return 1;
}

// Shows the final count and ends its console line.
void ShowFinalCount(int lineCount) {
    std::printf("\rRead lines : %d\n", lineCount);
    MarkConsoleLineOpen(false);
}

void PrintQuietEnd() { PrintReason("no data for %d s: the reception ends as at 0x1A", quietSeconds); }

int ReceivePrintOut() {
    std::time_t lastDisplay = CalendarSeconds();
    int lineCount = 0;
    const int quietMs = quietSeconds * 1000;
    for (;;) {
        int length = 0;
        bool quiet = false;
        if (ComGetLine(receivedLine, kReceivedLineSize, &length, quietMs, &quiet) == nullptr) {
            PrintPortFailure("\nCOM port read error.");
            return 0;
        }
        // An empty line can only come from the quiet limit.
        if (length == 0 || static_cast<unsigned char>(receivedLine[0]) == kEndOfText) {
            ShowFinalCount(lineCount);
            if (quiet) PrintQuietEnd();
            return 1;
        }
        ++lineCount;
        std::time_t now = CalendarSeconds();
        if (std::difftime(now, lastDisplay) >= kDisplayInterval) {
            lastDisplay = now;
            MarkConsoleLineOpen(true);  // before the count shows: a signal may come at once
            std::printf("\rRead lines : %d", lineCount);
            std::fflush(stdout);
        }
        if (!WriteReceivedLine(receivedLine, length)) {
            const int error = errno;
            std::printf("\nFile write error.\n");
            MarkConsoleLineOpen(false);
            PrintFileReason(error);
            return 0;
        }
        // A line cut short by the quiet limit is kept, as a line that ends
        // in 0x1A is, and the reception ends after it.
        if (quiet) {
            ShowFinalCount(lineCount);
            PrintQuietEnd();
            return 1;
        }
    }
}

}  // namespace

int ReceiverMain(int argc, char** argv) {
    StartSerialTool("vxprtin", kTitle, &outputFile);
    comEofMode = true;

    if (argc > 1) {
        if (!ParseReceiverArguments(argc, argv)) {
            PrintUsage(kUsage, {}, kAddedOptionLines);
            return 1;
        }
    } else if (!RunReceiverDialogue()) {
        PrintLine("Aborted.");
        return 1;
    }
    if (!OpenComPortOrExplain()) return 1;
    // Line ends are written as CR LF by hand.
    outputFile = std::fopen(outputFileName, appendToFile ? "ab" : "wb");
    if (outputFile == nullptr) {
        const int error = errno;
        PrintLine("Can't create print data file.");
        PrintFileReason(error);
        return 1;
    }
    PrintLine("Please start print out.");
    std::fflush(stdout);
    if (!ReceivePrintOut()) return 1;
    std::FILE* file = outputFile;
    outputFile = nullptr;
    if (std::fclose(file) != 0) {
        const int error = errno;
        PrintLine("File write error.");
        PrintFileReason(error);
        return 1;
    }
    PrintLine("Complete.");
    return 0;
}
