// The print data receiver. The analyzer prints its listing over the serial
// line and ends it with 0x1A at the start of a line; every received line goes
// to the output file at once (written and flushed), so whatever ends the
// program, each line already received is in the file.
#include "printin/receiver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string_view>

#include "serial/com_port.h"

namespace {

constexpr int kFileNameSize = 264;      // 263 characters and the terminator
constexpr int kReceivedLineSize = 1024; // 1023 characters and the terminator
constexpr char kDefaultFileName[] = "VXPRTIN.TXT";
constexpr double kDisplayInterval = 1.0;  // seconds between line-count displays

constexpr std::string_view kUsageLines[] = {
    "Illegal arguments.",
    "Usage : vxprtin [-p<PORT>] [-s<SPEED>] [<FILENAME>]",
    "   -p : Port select \"COM1\", \"COM2\" or other.",
    "   -s : Speed select 9600,19200,38400,57600,115200 or 230400.",
};

char outputFileName[kFileNameSize];
std::FILE* outputFile = nullptr;
char receivedLine[kReceivedLineSize];

void PrintLine(std::string_view text) {
    std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
}

void PrintPrompt(std::string_view text) {
    std::printf("%.*s", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
}

void ExitHandler() {
    ComClose();
    if (outputFile != nullptr) {
        std::fclose(outputFile);
        outputFile = nullptr;
    }
}

bool EndOfConsole() { return std::feof(stdin) || std::ferror(stdin); }

// Asks with ReadNumber until one of the accepted answers comes; 0 at end of input.
int AskNumber(std::string_view question, const int* accepted, std::size_t count, int* answer) {
    for (;;) {
        PrintPrompt(question);
        int n = ReadNumber();
        for (std::size_t i = 0; i < count; ++i) {
            if (n == accepted[i]) {
                *answer = n;
                return 1;
            }
        }
        if (n < 0 && EndOfConsole()) return 0;
    }
}

// Reads one console line into consoleLine without its LF. A line longer than
// the console line is read to its end and refused (0 in *fits); -1 at end of input.
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
    while (c != '\n' && c != EOF) c = std::getc(stdin);
    return 1;
}

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
        const char* arg = argv[i];
        if (arg[0] == '-') {
            if (arg[1] == 'p') {
                if (std::strlen(arg + 2) >= sizeof comPortName) return 0;
                std::strcpy(comPortName, arg + 2);
            } else if (arg[1] == 's') {
                if (!ParseComSpeed(arg + 2, &comSpeed)) return 0;
            } else {
                return 0;
            }
        } else {
            if (haveFileName || std::strlen(arg) >= sizeof outputFileName) return 0;
            std::strcpy(outputFileName, arg);
            haveFileName = true;
        }
    }
    if (!haveFileName) std::strcpy(outputFileName, kDefaultFileName);
    return 1;
}

int RunReceiverDialogue() {
    static constexpr int kPorts[] = {1, 2};
    static constexpr int kSpeedAnswers[] = {9600, 19200, 38400, 57600, 115200, 230400};
    int port = 0;
    if (!AskNumber("Select COM port (1:COM1, 2:COM2) ? ", kPorts, std::size(kPorts), &port)) return 0;
    std::snprintf(comPortName, sizeof comPortName, "COM%d", port);
    // 230400 is taken although the question does not offer it.
    if (!AskNumber("Input COM speed (9600,19200,38400,57600,115200) ? ", kSpeedAnswers,
                   std::size(kSpeedAnswers), &comSpeed)) {
        return 0;
    }
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
    PrintLine("===== NORD ARC Print Data Receiver =====");
    PrintLine(" Version 1.13");
    PrintLine("");
    std::atexit(ExitHandler);
    ComEndOnSignals();
    comEofMode = true;

    if (argc > 1) {
        if (!ParseReceiverArguments(argc, argv)) {
            for (std::string_view line : kUsageLines) PrintLine(line);
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
