// The converter's own settings, from the command line or the console
// dialogue: the file names, the chart's lines and the translation chosen. One
// record at file scope, filled before the conversion starts. What the layers
// below read goes straight into their settings (listingSettings,
// decodeSettings, translateSettings).
#pragma once

#include <cstdint>

#include "decode/decode_settings.h"
#include "platform/files.h"

inline constexpr int kLineStateMax = 8;             // interface lines in the chart
inline constexpr std::uint8_t kNoLineState = 0xFF;  // ends the lineStates list

struct ConverterOptions {
    char dataFileName[kFileNameMax + 1] = {};
    char saveFileName[kFileNameMax + 1] = {};
    std::uint8_t lineStates[kLineStateMax] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::int8_t frameFormat = -1;   // -1 none, 0-4 HDLC kinds, 5 PPP translate, 6 PPP dump
    std::int8_t packetFormat = -1;  // -1 none, 0 X.25, 1 LAPD
};

extern ConverterOptions options;

// Restores every option and the layers' settings to their defaults (used by tests between cases).
void ResetOptions();
