#include "apps/vx5pcap/pcap_program.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <span>
#include <string_view>

#include "capture/capture_file.h"
#include "decode/decode_settings.h"
#include "pcap/export_run.h"
#include "pcap/packet_times.h"
#include "platform/files.h"

namespace {

// The usage text, around vx5cvt's -d and -f lines (decode_settings.h).
constexpr std::string_view kUsageHead[] = {
    "Usage : vx5pcap [OPTIONS] <DATA-FILENAME> <PCAPNG-FILENAME>",
    " OPTIONS:",
};
constexpr std::string_view kUsageTail[] = {
    "      <PACKET> 0 or 1: accepted; Wireshark decodes the packets itself",
    "           PPP, ASYNC and SYNC captures are exported by their mode",
    "   -u  - - - - - - - - - - - SD is the network side (LAPD network, LAPB/SDLC DCE).",
    "   -D<YYYY-MM-DD>  - - - - - Capture date (default: the data file's date).",
    " <PCAPNG-FILENAME> - writes to standard output.",
};
constexpr std::span<const std::string_view> kUsageParts[] = {kUsageHead, kDataLineUsage, kFrameUsage, kUsageTail};

constexpr std::size_t kOutputBuffer = 1 << 20;

struct Command {
    const char* dataName = nullptr;
    const char* outputName = nullptr;
    bool sdIsNetwork = false;
    bool dateGiven = false;
    std::int64_t date = 0;
    std::int8_t frameFormat = 2;    // LAPB modulo 8 without -f
    std::int8_t packetFormat = -1;  // read as vx5cvt reads it, changes nothing here
};
Command command;

char tempName[kFileNameMax + 16] = {};  // the output's folder and vx5pcap.XXXXXX
bool outputInPlace = false;             // a device or a pipe, written without a temporary file
std::FILE* output = nullptr;

void Say(std::string_view text) { std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data()); }

void PrintUsage() {
    Say("Illegal arguments.");
    for (std::span<const std::string_view> part : kUsageParts) {
        for (std::string_view line : part) Say(line);
    }
}

bool ParseOption(const char* arg) {
    const char* value = arg[1] == '\0' ? arg + 1 : arg + 2;
    switch (arg[1]) {
        case 'd': return ParseDataLine(value, &decodeSettings.dataLine);
        case 'f': return ParseFrameFormat(value, &command.frameFormat, &command.packetFormat);
        case 'u': command.sdIsNetwork = true; return value[0] == '\0';
        case 'D': command.dateGiven = true; return ParseDate(value, command.date);
        default: return false;
    }
}

bool ParseCommandLine(int argc, char** argv) {
    int names = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '-' && arg[1] != '\0') {
            if (!ParseOption(arg)) return false;
            continue;
        }
        if (std::strlen(arg) > static_cast<std::size_t>(kFileNameMax)) return false;  // never cut a name
        if (names == 0) command.dataName = arg;
        else if (names == 1) command.outputName = arg;
        else return false;
        ++names;
    }
    return names == 2;
}

struct KindChoice {
    ExportKind kind;
    bool modulo128;
    const char* name;
};

// The HDLC kind of vx5cvt's frame digit.
KindChoice HdlcKind() {
    const FrameDigit digit = kFrameDigits[command.frameFormat];
    const bool modulo128 = digit.modulo128 != 0;
    switch (digit.kind) {
        case kFrameSdlc: return {ExportKind::kSdlc, modulo128, modulo128 ? "HDLC SDLC mod 128" : "HDLC SDLC mod 8"};
        case kFrameLapd: return {ExportKind::kLapd, false, "HDLC LAPD"};
        default: return {ExportKind::kLapb, modulo128, modulo128 ? "HDLC LAPB mod 128" : "HDLC LAPB mod 8"};
    }
}

KindChoice ChooseKind() {
    switch (captureSettings.mode()) {
        case kModeHdlc: return HdlcKind();
        case kModePpp: return {ExportKind::kPpp, false, "PPP"};
        case kModeSync: return {ExportKind::kSerial, false, "SYNC"};
        case kModeAsync: return {ExportKind::kSerial, false, "ASYNC"};
        default: return {ExportKind::kSerial, false, "unknown mode"};
    }
}

// The LAPB station address of the SD side is B (0x01), the DCE's address.
bool SdIsDce() {
    return (captureSettings.sdAddressSet() != 0 && captureSettings.sdAddress() == 0x01) ||
           (captureSettings.rdAddressSet() != 0 && captureSettings.rdAddress() == 0x03);
}

void CleanUp() {
    if (output != nullptr && output != stdout) std::fclose(output);
    output = nullptr;
    if (tempName[0] != '\0') RemoveFile(tempName);
    tempName[0] = '\0';
    ReleaseDataFile();
}

bool OpenData() {
    if (!OpenDataFile(command.dataName)) {
        Say(DataFileFailureMessage());
        return false;
    }
    if (!monData->LoadSettings(captureSettings)) {
        Say("Data file error.");
        return false;
    }
    return true;
}

void SayFailure(const char* what, const char* reason) {
    std::fprintf(stderr, "Can't %s pcapng file %s: %s\n", what, command.outputName, reason);
}

// The output goes to a new file beside its name, renamed at the end, so that
// a failed export leaves no half-written file under the name. A device or a
// pipe named as the output is written in place: it holds no file to replace.
// The new file's name is short and in the output's folder: it fits wherever
// the output's name fits, and the rename stays within one file system.
bool OpenOutput() {
    if (std::strcmp(command.outputName, "-") == 0) {
        SetStandardOutputBinary();
        output = stdout;
        return true;
    }
    if (monData->IsDataFile(command.outputName)) {
        std::fprintf(stderr, "Can't create pcapng file %s: it is the data file.\n", command.outputName);
        return false;
    }
    const FileKind kind = KindOfFile(command.outputName);
    if (kind == FileKind::other) {
        output = std::fopen(command.outputName, "wb");
        if (output == nullptr) {
            SayFailure("create", std::strerror(errno));
            return false;
        }
        outputInPlace = true;
        return true;
    }
    int error = 0;
    output = CreateFileBeside(command.outputName, "vx5pcap", tempName, sizeof tempName, &error);
    if (output == nullptr) {
        SayFailure("create", SystemErrorText(error));
        return false;
    }
    return true;
}

bool FinishOutput() {
    if (output == stdout) return true;
    std::FILE* file = output;
    output = nullptr;
    if (std::fclose(file) != 0) {
        SayFailure("write", std::strerror(errno));
        return false;
    }
    if (outputInPlace) return true;
    int error = 0;
    if (!ReplaceFileWith(command.outputName, tempName, &error)) {
        SayFailure("create", SystemErrorText(error));
        return false;
    }
    tempName[0] = '\0';
    return true;
}

int Run() {
    if (!OpenData() || !OpenOutput()) return 1;
    static char buffer[kOutputBuffer];
    std::setvbuf(output, buffer, _IOFBF, sizeof buffer);

    const KindChoice choice = ChooseKind();
    ExportSettings settings;
    settings.kind = choice.kind;
    settings.modulo128 = choice.modulo128;
    settings.sdIsNetwork = command.sdIsNetwork || (choice.kind == ExportKind::kLapb && SdIsDce());
    settings.date = command.date;
    std::time_t modified = 0;
    if (!command.dateGiven && FileModificationTime(command.dataName, &modified)) settings.date = modified;

    char description[kFileNameMax + 64];
    std::snprintf(description, sizeof description, "%s, %s", command.dataName, choice.name);
    ExportCounts counts;
    errno = 0;
    if (!ExportCapture(output, settings, description, counts)) {
        SayFailure("write", std::strerror(errno != 0 ? errno : EIO));
        return 1;
    }
    if (!FinishOutput()) return 1;
    if (choice.kind == ExportKind::kSerial) {
        std::fprintf(stderr, "%u packets: SD %u, RD %u, line state %u\n", counts.sd + counts.rd + counts.lineStates,
                     counts.sd, counts.rd, counts.lineStates);
    } else {
        std::fprintf(stderr, "%u frames: SD %u, RD %u\n", counts.sd + counts.rd, counts.sd, counts.rd);
    }
    return 0;
}

}  // namespace

int PcapMain(int argc, char** argv) {
    decodeSettings = DecodeSettings{};
    command = Command{};
    if (!ParseCommandLine(argc, argv)) {
        PrintUsage();
        return 1;
    }
    const int status = Run();
    CleanUp();
    return status;
}
