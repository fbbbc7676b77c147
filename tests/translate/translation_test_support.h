// What the translation tests share: a frame filled in by hand and runs of
// hexadecimal bytes.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "capture/record_stream.h"
#include "decode/decode_settings.h"
#include "decode/frame_assembly.h"
#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "translate/packet_translation.h"

namespace translation_test {

// The settings of every layer a translation reads, back at their defaults.
inline void ResetSettings() {
    listingSettings = ListingSettings{};
    decodeSettings = DecodeSettings{};
    translateSettings = TranslateSettings{};
}

// A frame timestamp record with the time bytes 0A 1B 2C, stamped on SD.
inline constexpr CaptureRecord kStamp = 0x2C1B0A83;

// Fills the one frame buffer as the assembly would: the frame's line, status,
// timestamp and units (at most the buffer's 64).
inline const AssembledFrame& LoadUnits(std::uint8_t direction, std::uint8_t status, CaptureRecord timestamp,
                                       const std::vector<DataUnit>& units) {
    assembledFrame = AssembledFrame{};
    assembledFrame.direction = direction;
    assembledFrame.status = static_cast<FrameStatus>(status);
    assembledFrame.timestamp = timestamp;
    for (DataUnit u : units) {
        if (assembledFrame.count < kFrameUnitsMax) assembledFrame.units[assembledFrame.count++] = u;
    }
    return assembledFrame;
}

// The same with one plain data unit per byte.
inline const AssembledFrame& LoadFrame(std::uint8_t direction, std::uint8_t status, CaptureRecord timestamp,
                                       const std::vector<int>& bytes) {
    std::vector<DataUnit> units;
    for (int b : bytes) units.push_back(capture::Unit(static_cast<std::uint8_t>(b)));
    return LoadUnits(direction, status, timestamp, units);
}

// A frame of one line as the analyzer records HDLC: the opening flag, the
// bytes, one unit of `markCode` (none when 0; 2 is status 1), the closing flag
// with `endCode`.
inline void HdlcFrame(capture::CaptureBuilder& b, bool rd, std::initializer_list<std::uint8_t> bytes,
                      std::uint8_t markCode = 2, std::uint8_t endCode = 11) {
    auto unit = [&](std::uint8_t byte, std::uint8_t code) { rd ? b.Rd(byte, code) : b.Sd(byte, code); };
    unit(0x7E, 10);
    for (std::uint8_t x : bytes) unit(x, 0);
    if (markCode != 0) unit(0x00, markCode);
    unit(0x7E, endCode);
}

// A frame as the analyzer records a PPP line: the frame timestamp 0A 1B `t2`,
// the octets as they were on the line, then the closing flag.
inline void PppFrame(capture::CaptureBuilder& b, bool rd, std::initializer_list<int> octets, std::uint8_t t2 = 0x2C) {
    b.Timestamp(0x0A, 0x1B, t2, rd, true);
    for (int o : octets) rd ? b.Rd(static_cast<std::uint8_t>(o)) : b.Sd(static_cast<std::uint8_t>(o));
    rd ? b.Rd(0x7E) : b.Sd(0x7E);
}

// "%02X" of first, first + 1, ... (count bytes, modulo 256) as one string.
inline std::string HexRun(int first, int count) {
    std::string out;
    char hex[3];
    for (int i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, "%02X", (first + i) & 0xFF);
        out += hex;
    }
    return out;
}

}  // namespace translation_test
