// What the decoding reads of a program's settings: the data line shown and the
// frame kind and modulo the frames are read with, set by each program from its
// command line; and the readers of the options that choose them (-d and -f),
// which vx5cvt and vx5pcap share with their usage lines.
#pragma once

#include <cstdint>
#include <string_view>

enum FrameKind : std::int8_t { kFrameSdlc = 1, kFrameLapb = 2, kFrameLapd = 3 };

// Data line selection (dataLine).
enum DataLine : std::int8_t { kBothLines = 0, kSdOnly = 1, kRdOnly = 2 };

struct DecodeSettings {
    std::int8_t dataLine = kBothLines;
    bool skipIdleTimestamp = false;  // no idle and timestamp markers in the dumps
    std::int8_t frameKind = kFrameLapb;
    std::int8_t modulo128 = 0;
};

extern DecodeSettings decodeSettings;

// True when the data line setting shows the line `rd` (false for SD, true for RD).
inline bool LineSelected(bool rd) { return decodeSettings.dataLine != (rd ? kSdOnly : kRdOnly); }

// ---- The options vx5cvt and vx5pcap share: -d and -f ----------------------------

// A whole option value as a decimal number: leading blanks and a sign are
// accepted, nothing may follow, an empty value is 0.
bool ParseOptionNumber(const char* text, long& value);
// The value of -d<n>, 0-2, into *dataLine.
bool ParseDataLine(const char* value, std::int8_t* dataLine);
// The value of -f[<FRAME>[<PACKET>]] into *frameFormat and *packetFormat: an
// empty value is frame 2; without a packet digit the packet format is left as
// it was (an earlier -f's packet digit stays in force).
bool ParseFrameFormat(const char* value, std::int8_t* frameFormat, std::int8_t* packetFormat);

// What each frame digit 0-4 of -f stands for.
struct FrameDigit {
    std::int8_t kind;  // FrameKind
    std::int8_t modulo128;
};
inline constexpr FrameDigit kFrameDigits[] = {
    {kFrameSdlc, 0}, {kFrameSdlc, 1}, {kFrameLapb, 0}, {kFrameLapb, 1}, {kFrameLapd, 1},
};

// The usage lines of -d, and of -f up to its frame digits.
inline constexpr std::string_view kDataLineUsage[] = {
    "   -d<DATALINENAME>  - - - - Select data line.",
    "      0:SD and RD (default)",
    "      1:SD only",
    "      2:RD only",
};
inline constexpr std::string_view kFrameUsage[] = {
    "   -f[<FRAME>[<PACKET>]]   - Translate format.",
    "      <FRAME>  0:SDLC mod8",
    "               1:SDLC mod128",
    "               2:X.25(LAPB) mod8 (default)",
    "               3:X.25(LAPB) mod128",
    "               4:LAPD",
};
