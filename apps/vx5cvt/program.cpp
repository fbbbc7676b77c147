#include "apps/vx5cvt/program.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

#include "apps/vx5cvt/dump_listings.h"
#include "apps/vx5cvt/options.h"
#include "capture/capture_file.h"
#include "listing/listing_writer.h"
#include "platform/files.h"
#include "platform/stdio_fast.h"
#include "translate/frame_translation.h"
#include "translate/packet_translation.h"
#include "translate/ppp_translation.h"

namespace {

constexpr char kDefaultDataFile[] = "VX5200.DT";
constexpr int kAnswerMax = 255;  // characters of one dialogue answer

// The usage text, around the -d and -f lines vx5pcap shares (options.h).
constexpr std::string_view kUsageHead[] = {
    "Usage : vx5cvt [OPTIONS] <DATA-FILENAME> [<SAVE-FILENAME>]",
    " OPTIONS:",
};
constexpr std::string_view kLineStateUsage[] = {
    "   -l[<LINENAME>..]  - - - - Line state format.",
    "      0:RS, 1:CS, 2:DR, 3:CD, 4:ER, 5:SQ, 6:CI, 7:EX (default = 0134)",
};
constexpr std::string_view kUsageTail[] = {
    "      <PACKET> None:Frame translate (default)",
    "               0:X.25",
    "               1:LAPD",
    "           Ignore <FRAME>,<PACKET> for ASYNC/SYNC",
    "   -c<CODE>  - - - - - - - - Code filter.",
    "      0:Code and Hex. (default)",
    "      1:Code only",
    "      2:Hex. only",
    "   -C<COLIMNS>   - - - - - - Columns per lines.",  // the program's own spelling
    "      40, 80 or 136 (default = 80)",
    "   -L<LINES>   - - - - - - - Lines per page.",
    "      0:infinite (default) ",
    "      66",
    "   -i  - - - - - - - - - - - No Idle/Timestamp.",
    "   -n  - - - - - - - - - - - No guide.",
};
constexpr std::span<const std::string_view> kUsageParts[] = {kUsageHead, kDataLineUsage, kLineStateUsage, kFrameUsage,
                                                             kUsageTail};

constexpr char kDefaultLineStates[] = "0134";  // RS, CS, CD, ER

void PrintLine(std::string_view text) { std::printf("%.*s\n", static_cast<int>(text.size()), text.data()); }

// The reason behind a failure message: one line on standard error, after
// what standard output holds.
VX_PRINTF_FORMAT(1, 2) void PrintReason(const char* format, ...) {
    std::fflush(stdout);
    std::fputs("vx5cvt: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

// Why the data file could not be opened, mapped or validated.
void PrintDataFileReason() {
    if (monData == nullptr) return;  // not even allocated: the message says it all
    const DataFileReport report = monData->Failure();
    const char* name = options.dataFileName;
    switch (report.failure) {
        case DataFileFailure::none: return;
        case DataFileFailure::openRefused:
        case DataFileFailure::statFailed:
        case DataFileFailure::mapFailed: PrintReason("%s: %s", name, SystemErrorText(report.error)); return;
        case DataFileFailure::heldByAnother: PrintReason("%s: held by another program", name); return;
        case DataFileFailure::isDirectory: PrintReason("%s: is a directory", name); return;
        case DataFileFailure::notRegularFile: PrintReason("%s: is not a regular file", name); return;
        case DataFileFailure::empty: PrintReason("%s: the file is empty", name); return;
        case DataFileFailure::identDiffers:
            PrintReason("%s: not a capture data file (identification text differs)", name);
            return;
        case DataFileFailure::versionUnsupported:
            PrintReason("%s: format version %d is not supported", name, static_cast<int>(monData->Version()));
            return;
        case DataFileFailure::dataTypeUnsupported:
            PrintReason("%s: data type %u is not supported", name,
                        static_cast<unsigned>(monData->SettingsByte(settings_field::kDataType)));
            return;
    }
}

bool OpenDataFileOrExplain() {
    if (OpenDataFile(options.dataFileName)) return true;
    PrintLine(DataFileFailureMessage());
    PrintDataFileReason();
    return false;
}

// A record area length reaching past the end of the file: the whole records
// present are listed, and the user is told.
void WarnOfCutRecordArea() {
    const std::size_t present = monData->Size() - kRecordAreaOffset;
    const std::uint32_t stated = captureSettings.recordAreaLength();
    if (stated <= present) return;
    PrintReason("%s: the record area reaches past the end of the file: listing the %zu whole records present of %u",
                options.dataFileName, present / kRecordSize, stated / kRecordSize);
}

// The listing file cannot be created: the message and why.
int RefuseListingFile(const char* why) {
    PrintLine("Can't create print data file.");
    PrintReason("%s: %s", options.saveFileName, why);
    return 0;
}

void PrintUsage() {
    PrintLine("Illegal arguments.");
    for (std::span<const std::string_view> part : kUsageParts) {
        for (std::string_view line : part) PrintLine(line);
    }
}

// A list of interface lines, from the -l option or the dialogue: one to eight
// digits 0-7. A valid list replaces options.lineStates; anything else leaves
// it as it was.
bool ParseLineStates(const char* digits) {
    std::uint8_t list[kLineStateMax];
    std::size_t n = 0;
    for (; *digits != '\0'; ++digits) {
        if (*digits < '0' || *digits > '7' || n == kLineStateMax) return false;
        list[n++] = static_cast<std::uint8_t>(*digits - '0');
    }
    if (n == 0) return false;
    std::memset(options.lineStates, kNoLineState, sizeof options.lineStates);
    std::memcpy(options.lineStates, list, n);
    return true;
}

bool ParseOption(const char* arg) {
    const char letter = arg[1];
    const char* value = letter == '\0' ? arg + 1 : arg + 2;
    long n = 0;
    switch (letter) {
        case 'd': return ParseDataLine(value, &decodeSettings.dataLine);
        case 'l': return ParseLineStates(*value == '\0' ? kDefaultLineStates : value);
        case 'f': return ParseFrameFormat(value, &options.frameFormat, &options.packetFormat);
        case 'c':
            if (!ParseOptionNumber(value, n) || n < 0 || n > 2) return false;
            listingSettings.codeFilter = static_cast<std::int8_t>(n);
            return true;
        case 'C':
            if (!ParseOptionNumber(value, n) || (n != 40 && n != 80 && n != 136)) return false;
            listingSettings.columns = static_cast<std::int32_t>(n);
            return true;
        case 'L':
            if (!ParseOptionNumber(value, n) || (n != 0 && n != 66)) return false;
            listingSettings.linesPerPage = static_cast<std::int32_t>(n);
            return true;
        case 'i': decodeSettings.skipIdleTimestamp = true; return true;
        case 'n': listingSettings.noGuide = true; return true;
        default: return false;  // any other letter, or a lone hyphen
    }
}

bool SetFileName(char* target, const char* name) {
    if (std::strlen(name) > static_cast<std::size_t>(kFileNameMax)) return false;  // never cut a name
    std::strcpy(target, name);
    return true;
}

// ---- Console dialogue -----------------------------------------------------------

// Reads one answer line (without its line end). An answer longer than 255
// characters is read to its end; `fits` tells whether it was whole, and the
// first 255 characters are kept. False at end of input.
bool ReadAnswer(char* answer, bool& fits) {
    std::fflush(stdout);
    char buffer[kAnswerMax + 2];
    if (std::fgets(buffer, sizeof buffer, stdin) == nullptr) {
        std::fputc('\n', stdout);  // the prompt's line ends before the program does
        return false;
    }
    std::size_t n = std::strlen(buffer);
    fits = true;
    if (n > 0 && buffer[n - 1] == '\n') {
        buffer[--n] = '\0';
    } else {
        int c;
        while ((c = std::getchar()) != EOF && c != '\n') fits = false;
    }
    if (n > 0 && buffer[n - 1] == '\r') buffer[--n] = '\0';  // typed on a DOS console
    if (n > static_cast<std::size_t>(kAnswerMax)) {
        buffer[n = kAnswerMax] = '\0';
        fits = false;
    }
    std::memcpy(answer, buffer, n + 1);
    return true;
}

// The number at the start of an answer: no number is 0, a negative number -1,
// end of input -1.
long ReadNumberAnswer(bool& endOfInput) {
    char answer[kAnswerMax + 1];
    bool fits = true;  // a number is read from the start of any answer
    endOfInput = !ReadAnswer(answer, fits);
    if (endOfInput) return -1;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(answer, &end, 10);
    if (end == answer) return 0;
    if (errno == ERANGE) v = v < 0 ? -1 : LONG_MAX;
    return v < 0 ? -1 : v;
}

enum class Ask { kAnswered, kEndOfInput };

// End of input at a question: the reason names the question.
Ask EndOfInputAt(const char* prompt) {
    PrintReason("%s: ended at \"%s\"", "standard input", prompt);
    return Ask::kEndOfInput;
}

// Asks until the answer lies in [low, high]. End of input ends the dialogue.
Ask AskNumber(const char* prompt, long low, long high, long& answer) {
    for (;;) {
        std::fputs(prompt, stdout);
        bool endOfInput = false;
        answer = ReadNumberAnswer(endOfInput);
        if (endOfInput) return EndOfInputAt(prompt);
        if (answer >= low && answer <= high) return Ask::kAnswered;
    }
}

Ask AskFileName(const char* prompt, char* target) {
    char answer[kAnswerMax + 1];
    for (;;) {
        std::fputs(prompt, stdout);
        bool fits = true;
        if (!ReadAnswer(answer, fits)) return EndOfInputAt(prompt);
        // A name longer than an answer may be is asked again, never cut.
        if (fits && answer[0] != '\0') {
            std::strcpy(target, answer);  // 255 characters fit the 260 of a name
            return Ask::kAnswered;
        }
    }
}

Ask AskLineStates() {
    static constexpr char kPrompt[] = "Select line state (0:RS,1:CS,2:DR,3:CD,4:ER,5:SQ,6:CI,7:EX) ? ";
    char answer[kAnswerMax + 1];
    for (;;) {
        std::fputs(kPrompt, stdout);
        bool fits = true;
        if (!ReadAnswer(answer, fits)) return EndOfInputAt(kPrompt);
        if (fits && ParseLineStates(answer)) return Ask::kAnswered;
    }
}

enum class PrintFormat { kNormal, kLineState, kTranslate };

Ask AskTranslation(std::int8_t mode) {
    long level = 0, frameType = 0, modulo = 1, packetType = 0, pppType = 0;
    if (mode == kModeHdlc) {
        if (AskNumber("Translate level (1:Frame, 2:Packet) ? ", 1, 2, level) != Ask::kAnswered ||
            AskNumber("Frame type (1:SDLC, 2:X.25(LAPB), 3:LAPD) ? ", 1, 3, frameType) != Ask::kAnswered) {
            return Ask::kEndOfInput;
        }
        if (frameType != 3 && AskNumber("Modulo (1:mod 8, 2:mod128) ? ", 1, 2, modulo) != Ask::kAnswered) {
            return Ask::kEndOfInput;
        }
        if (level == 2 && AskNumber("Packet type (1:X.25, 2:LAPD) ? ", 1, 2, packetType) != Ask::kAnswered) {
            return Ask::kEndOfInput;
        }
        options.frameFormat = frameType == 3 ? 4 : static_cast<std::int8_t>(2 * (frameType - 1) + (modulo - 1));
        if (level == 2) options.packetFormat = static_cast<std::int8_t>(packetType - 1);
    } else if (mode == kModePpp) {
        if (AskNumber("Frame type (1:PPP translate, 2:Dump) ? ", 1, 2, pppType) != Ask::kAnswered) {
            return Ask::kEndOfInput;
        }
        options.frameFormat = static_cast<std::int8_t>(4 + pppType);
    } else {
        options.frameFormat = 2;
    }
    return Ask::kAnswered;
}

// ---- Exit clean-up ------------------------------------------------------------------

void ExitCleanUp() {
    CloseListingDestination();
    ReleaseDataFile();
}

}  // namespace

int ParseCommandLine(int argc, char** argv) {
    int names = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-') {
            if (!ParseOption(arg)) return 0;
            continue;
        }
        if (names == 0) {
            if (!SetFileName(options.dataFileName, arg)) return 0;
        } else if (names == 1) {
            if (!SetFileName(options.saveFileName, arg)) return 0;
        } else {
            return 0;  // a third file name
        }
        ++names;
    }
    return 1;
}

int RunDialogue() {
    if (AskFileName("Data filename ? ", options.dataFileName) != Ask::kAnswered) return 0;
    if (!OpenDataFileOrExplain()) return 0;
    if (AskFileName("Save filename ? ", options.saveFileName) != Ask::kAnswered) return 0;
    std::printf("\n");

    const std::int8_t mode = static_cast<std::int8_t>(monData->SettingsByte(settings_field::kMode));
    const bool lineStatesRecorded = monData->SettingsByte(settings_field::kLineStateRecorded) != 0;

    long answer = 0;
    PrintFormat format = PrintFormat::kNormal;
    if (lineStatesRecorded) {
        if (AskNumber("Print format (1:Normal, 2:Line state, 3:Translate) ? ", 1, 3, answer) != Ask::kAnswered)
            return 0;
        format = answer == 1 ? PrintFormat::kNormal : answer == 2 ? PrintFormat::kLineState : PrintFormat::kTranslate;
    } else {
        if (AskNumber("Print format (1:Normal, 2:Translate) ? ", 1, 2, answer) != Ask::kAnswered) return 0;
        format = answer == 1 ? PrintFormat::kNormal : PrintFormat::kTranslate;
    }

    if (AskNumber("Select data line (1:SD & RD, 2:SD, 3:RD) ? ", 1, 3, answer) != Ask::kAnswered) return 0;
    decodeSettings.dataLine = static_cast<std::int8_t>(answer - 1);

    if (format == PrintFormat::kLineState && AskLineStates() != Ask::kAnswered) return 0;
    if (format == PrintFormat::kTranslate && AskTranslation(mode) != Ask::kAnswered) return 0;
    if (options.frameFormat >= 0 && (mode == kModeHdlc || mode == kModePpp)) return 1;

    if (AskNumber("Select code (1:Char. & Hex., 2:Char., 3:Hex.) ? ", 1, 3, answer) != Ask::kAnswered) return 0;
    listingSettings.codeFilter = static_cast<std::int8_t>(answer - 1);
    if (AskNumber("Skip IDLE/TMSP (1:No, 2:Yes) ? ", 1, 2, answer) != Ask::kAnswered) return 0;
    decodeSettings.skipIdleTimestamp = answer == 2;
    if (AskNumber("Skip guide (1:No, 2:Yes) ? ", 1, 2, answer) != Ask::kAnswered) return 0;
    listingSettings.noGuide = answer == 2;
    return 1;
}

namespace {

// Opens the data file, loads its settings and opens the listing file; 1 or 0.
int PrepareConversion() {
    if (!OpenDataFileOrExplain()) return 0;
    if (!monData->LoadSettings(captureSettings)) {
        PrintLine("Data file error.");
        PrintReason("%s: the file ends inside its settings block (%zu of %zu bytes)", options.dataFileName,
                    monData->Size(), kRecordAreaOffset);
        return 0;
    }
    WarnOfCutRecordArea();
    // Decided before the listing file is created, so that an existing one is
    // left as it was.
    if (options.lineStates[0] <= 7 && captureSettings.lineStateRecorded() == 0) {
        PrintLine("Line state not recorded.");
        return 0;
    }
    if (options.saveFileName[0] != '\0') {
        // The data file is held exclusively: it cannot be created again as the
        // listing (replacing it would destroy the capture while it is read).
        if (monData->IsDataFile(options.saveFileName)) return RefuseListingFile("is the data file itself");
        std::FILE* file = std::fopen(options.saveFileName, "wb");  // our own CR LF, no text mode
        if (file == nullptr) return RefuseListingFile(std::strerror(errno));
        SetListingDestination(file, true);
    } else {
        SetListingDestination(stdout, false);
    }
    return 1;
}

}  // namespace

int RunChosenDriver() {
    listingSettings.lineBudget = kLineBudget;
    listingSettings.printCode = captureSettings.code();
    PrintLine("Convert start.");
    std::fflush(stdout);  // before a listing on standard output, and seen at once

    if (options.lineStates[0] <= 7) {  // recorded line states: PrepareConversion saw to that
        RunLineStateChart();
        return 0;
    }
    if (options.frameFormat < 0) {
        RunNormalDump();
        return 0;
    }
    switch (captureSettings.mode()) {
        case kModeHdlc: {
            const bool known = options.frameFormat >= 0 && options.frameFormat <= 4;
            decodeSettings.frameKind =
                known ? kFrameDigits[options.frameFormat].kind : static_cast<std::int8_t>(kFrameLapb);
            decodeSettings.modulo128 = known ? kFrameDigits[options.frameFormat].modulo128 : 0;
            if (options.packetFormat < 0) {
                translateSettings.packetKind = kPacketNone;
                RunFrameTranslation();
            } else {
                translateSettings.packetKind = static_cast<std::int8_t>(options.packetFormat == 0   ? kPacketX25
                                                                        : options.packetFormat == 1 ? kPacketLapd
                                                                                                    : kPacketNone);
                RunPacketTranslation();
            }
            return 0;
        }
        case kModePpp:
            if (options.frameFormat == 6) RunPppDump();
            else RunPppTranslation();
            return 0;
        default: RunTranslateDump(); return 0;
    }
}

int ConverterMain(int argc, char** argv) {
    PrintLine("===== NORD ARC Data File Converter =====");
    PrintLine(" Version 1.14");
    PrintLine("");
    std::atexit(ExitCleanUp);

    if (argc > 1) {
        if (!ParseCommandLine(argc, argv)) {
            PrintUsage();
            return 1;
        }
        if (options.dataFileName[0] == '\0') std::strcpy(options.dataFileName, kDefaultDataFile);
    } else if (!RunDialogue()) {
        return 1;
    }
    if (!PrepareConversion()) return 1;
    if (RunChosenDriver() != 0) return 1;

    // A listing that could not be written whole is a failure, not "Complete.".
    if (CloseListingDestination() != 0) {
        PrintLine("Can't write print data file.");
        PrintReason("%s: %s", options.saveFileName[0] != '\0' ? options.saveFileName : "standard output",
                    std::strerror(listing.writeError));
        return 1;
    }
    PrintLine("Complete.");
    return 0;
}
