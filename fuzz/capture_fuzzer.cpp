// Takes arbitrary bytes as a capture data file and runs every listing of the
// converter over it, at 40, 80 and 136 columns, and every pcapng export, into
// discarded destinations.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "converter/capture_file.h"
#include "converter/dump_listings.h"
#include "converter/listing_writer.h"
#include "converter/options.h"
#include "pcap/export_run.h"
#include "translate/frame_translation.h"
#include "translate/packet_translation.h"
#include "translate/ppp_translation.h"

namespace {

std::FILE* Discard() {
    static std::FILE* sink = std::fopen("/dev/null", "w");
    return sink;
}

// The driver choices of the program entry, each with the option values it needs.
void RunAllListings() {
    static constexpr int kColumns[] = {40, 80, 136};
    for (int columns : kColumns) {
        for (int listingKind = 0; listingKind < 12; ++listingKind) {
            const CaptureSettings saved = captureSettings;
            ResetOptions();
            options.columns = columns;
            options.printCode = captureSettings.code();
            options.dataLine = static_cast<std::int8_t>(listingKind % 3);
            options.skipIdleTimestamp = listingKind & 1;
            SetListingDestination(Discard(), false);
            switch (listingKind) {
                case 0: RunNormalDump(); break;
                case 1: options.lineStates[0] = 0; options.lineStates[1] = 7; RunLineStateChart(); break;
                case 2: RunTranslateDump(); break;
                case 3: options.frameKind = kFrameSdlc; options.modulo128 = 0; RunFrameTranslation(); break;
                case 4: options.frameKind = kFrameLapb; options.modulo128 = 1; RunFrameTranslation(); break;
                case 5: options.frameKind = kFrameLapd; options.modulo128 = 1; RunFrameTranslation(); break;
                case 6: options.frameKind = kFrameLapb; options.packetKind = kPacketX25; RunPacketTranslation(); break;
                case 7: options.frameKind = kFrameLapb; options.modulo128 = 1; options.packetKind = kPacketX25; RunPacketTranslation(); break;
                case 8: options.frameKind = kFrameLapd; options.modulo128 = 1; options.packetKind = kPacketLapd; RunPacketTranslation(); break;
                case 9: options.frameKind = kFrameSdlc; options.packetKind = kPacketX25; RunPacketTranslation(); break;
                case 10: RunPppTranslation(); break;
                case 11: options.noGuide = true; RunPppDump(); break;
            }
            captureSettings = saved;
        }
    }
}

// The pcapng export of every kind, into a discarded stream.
void RunAllExports() {
    static constexpr ExportKind kKinds[] = {ExportKind::kSdlc, ExportKind::kLapb, ExportKind::kLapd, ExportKind::kPpp,
                                            ExportKind::kSerial};
    static std::FILE* sink = std::fopen("/dev/null", "wb");
    for (ExportKind kind : kKinds) {
        const CaptureSettings saved = captureSettings;
        ResetOptions();
        options.dataLine = static_cast<std::int8_t>(static_cast<int>(kind) % 3);
        ExportSettings settings;
        settings.kind = kind;
        settings.sdIsNetwork = kind == ExportKind::kLapd;
        ExportCounts counts;
        ExportCapture(sink, settings, "fuzz", counts);
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
    if (OpenDataFile() && monData->LoadSettings(captureSettings)) {
        RunAllListings();
        RunAllExports();
    }
    ReleaseDataFile();
    close(fd);
    return 0;
}
