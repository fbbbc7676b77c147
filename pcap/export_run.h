// The export run: writes the loaded capture as one pcapng stream. HDLC-family
// and PPP captures give one packet per frame, the frames of the translated
// listings in their order; ASYNC and SYNC captures give one packet per run of
// one direction's data bytes and one per line-state change.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "pcap/link_layers.h"

struct ExportSettings {
    ExportKind kind = ExportKind::kLapb;
    bool modulo128 = false;    // LAPB or SDLC modulo 128, for our Wireshark plugin
    bool sdIsNetwork = false;  // the SD side is the DCE or the network side
    std::int64_t date = 0;     // seconds since 1970 of the capture's day
};

struct ExportCounts {
    std::uint32_t sd = 0;
    std::uint32_t rd = 0;
    std::uint32_t lineStates = 0;
};

// The pcapng section's application name.
inline constexpr std::string_view kExporterName = "vx5pcap " VX_PROJECT_VERSION;

// Writes the capture (captureSettings, with decodeSettings.dataLine) to `out`;
// `description` names the interface. False when a write failed.
bool ExportCapture(std::FILE* out, const ExportSettings& settings, std::string_view description, ExportCounts& counts);
