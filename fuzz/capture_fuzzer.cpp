// Takes arbitrary bytes as a capture data file and runs every listing of the
// converter over it, at 40, 80 and 136 columns, and every pcapng export, into
// discarded destinations. Each listing is reached as a user reaches it: the
// option values the command line or the dialogue would give, then the
// program's own choice of driver.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "apps/vx5cvt/options.h"
#include "apps/vx5cvt/program.h"
#include "capture/capture_file.h"
#include "listing/listing_writer.h"
#include "pcap/export_run.h"

namespace {

std::FILE* Discard() {
    static std::FILE* sink = std::fopen("/dev/null", "w");
    return sink;
}

// The listing options a user can give; which listing each one yields depends
// on the capture's mode, as in the program.
struct ListingChoice {
    bool lineStates;           // the line-state chart of lines 0 and 7
    std::int8_t frameFormat;   // -1 none, 0-4 HDLC kinds, 5 PPP translate, 6 PPP dump
    std::int8_t packetFormat;  // -1 none, 0 X.25, 1 LAPD
    std::int8_t codeFilter;
};

// The rows stand as laid out; clang-format leaves them so.
// clang-format off
constexpr ListingChoice kChoices[] = {
    {false, -1, -1, 0}, {false, -1, -1, 1}, {false, -1, -1, 2}, {true, -1, -1, 0},
    {false, 0, -1, 0},  {false, 1, -1, 0},  {false, 2, -1, 0},  {false, 3, -1, 0},
    {false, 4, -1, 0},  {false, 2, 0, 0},   {false, 3, 0, 0},   {false, 4, 1, 0},
    {false, 0, 0, 0},   {false, 5, -1, 0},  {false, 6, -1, 0},
};
// clang-format on

void RunAllListings() {
    static constexpr int kColumns[] = {40, 80, 136};
    int variant = 0;
    for (int columns : kColumns) {
        for (const ListingChoice& choice : kChoices) {
            const CaptureSettings saved = captureSettings;
            ResetOptions();
            listingSettings.columns = columns;
            decodeSettings.dataLine = static_cast<std::int8_t>(variant % 3);
            decodeSettings.skipIdleTimestamp = variant % 2 == 1;
            listingSettings.noGuide = variant % 5 == 4;
            ++variant;
            if (choice.lineStates) {
                options.lineStates[0] = 0;
                options.lineStates[1] = 7;
            }
            options.frameFormat = choice.frameFormat;
            options.packetFormat = choice.packetFormat;
            listingSettings.codeFilter = choice.codeFilter;
            SetListingDestination(Discard(), false);
            RunChosenDriver();
            captureSettings = saved;
        }
    }
}

// The pcapng export of every kind, into a discarded stream.
void RunAllExports() {
    static constexpr ExportKind kKinds[] = {ExportKind::kSdlc, ExportKind::kLapb, ExportKind::kLapd, ExportKind::kPpp,
                                            ExportKind::kSerial};
    for (ExportKind kind : kKinds) {
        const CaptureSettings saved = captureSettings;
        ResetOptions();
        decodeSettings.dataLine = static_cast<std::int8_t>(static_cast<int>(kind) % 3);
        ExportSettings settings;
        settings.kind = kind;
        settings.sdIsNetwork = kind == ExportKind::kLapd;
        ExportCounts counts;
        ExportCapture(Discard(), settings, "fuzz", counts);
        captureSettings = saved;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The converter reads a named file: hand it the bytes through an in-memory file.
    const int fd = memfd_create("capture", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return 0;
    }
    char name[64];
    std::snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    ResetOptions();
    std::strcpy(options.dataFileName, name);
    if (OpenDataFile(options.dataFileName) && monData->LoadSettings(captureSettings)) {
        RunAllListings();
        RunAllExports();
    }
    ReleaseDataFile();
    close(fd);
    return 0;
}
