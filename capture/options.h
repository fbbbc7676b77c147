// The converter's settings, from the command line or the console dialogue,
// and the values the program entry derives from them for the listing drivers.
// One record at file scope, filled before the conversion starts.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr int kFileNameMax = 260;            // characters of a file name
inline constexpr int kLineStateMax = 8;             // interface lines in the chart
inline constexpr std::uint8_t kNoLineState = 0xFF;  // ends the lineStates list

// The listing's line budget: the block and frame limits of every listing scale with it.
inline constexpr std::int32_t kLineBudget = 99999;

enum FrameKind : std::int8_t { kFrameSdlc = 1, kFrameLapb = 2, kFrameLapd = 3 };
enum PacketKind : std::int8_t { kPacketNone = 0, kPacketX25 = 1, kPacketLapd = 2 };

// Data line selection (dataLine).
enum DataLine : std::int8_t { kBothLines = 0, kSdOnly = 1, kRdOnly = 2 };

struct ConverterOptions {
    char dataFileName[kFileNameMax + 1] = {};
    char saveFileName[kFileNameMax + 1] = {};
    std::int8_t dataLine = kBothLines;
    std::uint8_t lineStates[kLineStateMax] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::int8_t codeFilter = 0;     // 0 char and hex, 1 char only, 2 hex only
    std::int32_t columns = 80;      // 40, 80 or 136
    std::int32_t linesPerPage = 0;  // 0 or 66
    std::int8_t frameFormat = -1;   // -1 none, 0-4 HDLC kinds, 5 PPP translate, 6 PPP dump
    std::int8_t packetFormat = -1;  // -1 none, 0 X.25, 1 LAPD
    bool skipIdleTimestamp = false;
    bool noGuide = false;

    // Derived by the program entry after preparation.
    std::int32_t lineBudget = kLineBudget;
    std::int8_t printCode = 0;
    std::int8_t frameKind = kFrameLapb;
    std::int8_t modulo128 = 0;
    std::int8_t packetKind = kPacketNone;
};

extern ConverterOptions options;

// Restores every option to its default (used by tests between cases).
void ResetOptions();

// ---- The options vx5cvt and vx5pcap share: -d and -f ----------------------------

// A whole option value as a decimal number: leading blanks and a sign are
// accepted, nothing may follow, an empty value is 0.
bool ParseOptionNumber(const char* text, long& value);
// The value of -d<n>, 0-2, into options.dataLine.
bool ParseDataLine(const char* value);
// The value of -f[<FRAME>[<PACKET>]] into options.frameFormat and
// options.packetFormat: an empty value is frame 2; without a packet digit the
// packet format is left as it was (an earlier -f's packet digit stays in force).
bool ParseFrameFormat(const char* value);

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
