// The print data receiver. The analyzer prints its listing over the serial
// line and ends it with 0x1A at the start of a line; every received line goes
// to the output file at once (written and flushed), so whatever ends the
// program, each line already received is in the file.
#include "printin/receiver.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>

#include "serial/com_port.h"
#include "serial/console.h"

namespace {

constexpr int kFileNameSize = 264;      // 263 characters and the terminator
constexpr int kReceivedLineSize = 1024; // 1023 characters and the terminator
constexpr char kDefaultFileName[] = "VXPRTIN.TXT";
constexpr double kDisplayInterval = 1.0;  // seconds between line-count displays

constexpr std::string_view kBanner[] = {
    "===== NORD ARC Print Data Receiver =====",
    " Version 1.13",
    "",
};

constexpr std::string_view kUsageLines[] = {
    "Illegal arguments.",
    "Usage : vxprtin [-p<PORT>] [-s<SPEED>] [<FILENAME>]",
    "   -p : Port select \"COM1\", \"COM2\" or other.",
    "   -s : Speed select 9600,19200,38400,57600,115200 or 230400.",
};

char outputFileName[kFileNameSize];
std::FILE* outputFile = nullptr;
char receivedLine[kReceivedLineSize];

// Writes one received line with its LF turned into CR LF, all its bytes
// (NUL bytes included), and hands it to the file system at once.
bool WriteReceivedLine(const char* line, int length) {
    bool lineEnd = length > 0 && line[length - 1] == '\n';
    std::size_t body = static_cast<std::size_t>(lineEnd ? length - 1 : length);
    if (std::fwrite(line, 1, body, outputFile) != body) return false;
    if (lineEnd && std::fwrite("\r\n", 1, 2, outputFile) != 2) return false;
    return std::fflush(outputFile) == 0;
}

}  // namespace

int ParseReceiverArguments(int argc, char** argv) {
    bool haveFileName = false;
    for (int i = 1; i < argc; ++i) {
        if (TakeArgument(argv[i], outputFileName, sizeof outputFileName, &haveFileName) != ArgumentUse::taken) {
            return 0;
        }
    }
    if (!haveFileName) std::strcpy(outputFileName, kDefaultFileName);
    return 1;
}

int RunReceiverDialogue() {
    static constexpr int kSpeedAnswers[] = {9600, 19200, 38400, 57600, 115200, 230400};
    if (!AskComPort()) return 0;
    // 230400 is taken although the question does not offer it.
    if (!AskNumber("Input COM speed (9600,19200,38400,57600,115200) ? ", kSpeedAnswers, &comSpeed)) return 0;
    for (;;) {
        PrintPrompt("Save filename ? ");
        bool fits = true;
        if (ReadConsoleAnswer(&fits) < 0) return 0;
        if (fits && consoleLine[0] != '\0') break;
    }
    std::strcpy(outputFileName, consoleLine);  // 255 characters fit the 263 of a name
    PrintLine("");
    return 1;
}

int ReceivePrintOut() {
    std::time_t lastDisplay = std::time(nullptr);
    int lineCount = 0;
    for (;;) {
        int length = 0;
        if (ComGetLine(receivedLine, kReceivedLineSize, &length) == nullptr) {
            std::printf("\nCOM port read error.\n");
            return 0;
        }
        if (static_cast<unsigned char>(receivedLine[0]) == kEndOfText) {
            std::printf("\rRead lines : %d\n", lineCount);
            return 1;
        }
        ++lineCount;
        std::time_t now = std::time(nullptr);
        if (std::difftime(now, lastDisplay) >= kDisplayInterval) {
            lastDisplay = now;
            std::printf("\rRead lines : %d", lineCount);
            std::fflush(stdout);
        }
        if (!WriteReceivedLine(receivedLine, length)) {
            std::printf("\nFile write error.\n");
            return 0;
        }
    }
}

int ReceiverMain(int argc, char** argv) {
    PrintLines(kBanner);
    RegisterExitCleanUp(&outputFile);
    comEofMode = true;

    if (argc > 1) {
        if (!ParseReceiverArguments(argc, argv)) {
            PrintLines(kUsageLines);
            return 1;
        }
    } else if (!RunReceiverDialogue()) {
        PrintLine("Aborted.");
        return 1;
    }
    if (!ComOpen()) {
        PrintLine("COM port open error.");
        return 1;
    }
    outputFile = std::fopen(outputFileName, "wb");  // line ends are written as CR LF by hand
    if (outputFile == nullptr) {
        PrintLine("Can't create print data file.");
        return 1;
    }
    PrintLine("Please start print out.");
    std::fflush(stdout);
    if (!ReceivePrintOut()) return 1;
    std::FILE* file = outputFile;
    outputFile = nullptr;
    if (std::fclose(file) != 0) {
        PrintLine("File write error.");
        return 1;
    }
    PrintLine("Complete.");
    return 0;
}
