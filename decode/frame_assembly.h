// Frame assembly: collects the units of one direction between a frame start
// and a frame end into the one AssembledFrame buffer. The assembly reads from
// the working cursor onwards and does not move it; the translation run moves
// the cursor with AdvanceToNextFrame / AdvanceToNextPppFrame afterwards (see
// frame_walk.h).
#pragma once

#include <cstdint>
#include <string_view>

#include "capture/record_stream.h"

inline constexpr int kFrameUnitsMax = 64;

enum FrameDirection : std::uint8_t { kNoFrame = 0, kFrameSd = 1, kFrameRd = 2 };

// PPP in HDLC-like framing (RFC 1662): the flag that delimits frames, and the
// control escape that stands before a byte sent as byte ^ 0x20.
inline constexpr std::uint8_t kPppFlag = 0x7E;
inline constexpr std::uint8_t kPppEscape = 0x7D;
inline constexpr std::uint8_t kPppEscapeXor = 0x20;

// How the analyzer marked a frame's end, as the FC column shows it: unit code
// 2 a good check, code 3 a check error, code 12 a short frame, code 9 an abort.
enum class FrameStatus : std::uint8_t { none = 0, good = 1, checkError = 2, shortFrame = 3, aborted = 4 };

// The FC mark of a status: "G", "E", "SF", "A"; empty for none (or any other value).
constexpr std::string_view FrameStatusMark(FrameStatus status) {
    switch (status) {
        case FrameStatus::none: return "";
        case FrameStatus::good: return "G";
        case FrameStatus::checkError: return "E";
        case FrameStatus::shortFrame: return "SF";
        case FrameStatus::aborted: return "A";
    }
    return "";
}

struct AssembledFrame {
    std::int32_t count = 0;       // units stored, 0-64 in the frame's own store
    RecordPos start = nullptr;    // the data record on which the frame started
    CaptureRecord timestamp = 0;  // the frame's timestamp record, 0 when none
    std::uint8_t direction = kNoFrame;
    FrameStatus status = FrameStatus::none;
    DataUnit units[kFrameUnitsMax + 1] = {};  // the own store; always followed by a 0 entry
    std::int32_t seen = 0;                    // content units seen on the line, stored or not
};

extern AssembledFrame assembledFrame;

// The store the assemblies fill: `capacity` units and the 0 entry after them.
// A null store (the default) is the frame's own 64 units, as the listings use.
void SetFrameUnitStore(DataUnit* store, std::int32_t capacity);
// The units of the frame last assembled, in the store in use.
const DataUnit* FrameUnits();

const AssembledFrame& AssembleFrame();
const AssembledFrame& AssemblePppFrame();

// True when an assembly of the kind given (PPP or HDLC family) from the working
// cursor would deliver once more the frame that the last assembly delivered.
// Only decided where it is certain (one data line chosen); otherwise false.
bool AssemblyWouldRepeat(bool ppp);
// Forgets the last assembly (a new record window or a new listing).
void ForgetLastAssembly();
