// Frame assembly: collects the units of one direction between a frame start
// and a frame end into the one AssembledFrame buffer. The assembly reads from
// the working cursor onwards and does not move it; the translation run moves
// the cursor with AdvanceToNextFrame / AdvanceToNextPppFrame afterwards (see
// frame_walk.h).
#pragma once

#include <cstdint>

#include "capture/record_stream.h"

inline constexpr int kFrameUnitsMax = 64;

enum FrameDirection : std::uint8_t { kNoFrame = 0, kFrameSd = 1, kFrameRd = 2 };

struct AssembledFrame {
    std::int32_t count = 0;       // units stored, 0-64 in the frame's own store
    RecordPos start = nullptr;    // the data record on which the frame started
    CaptureRecord timestamp = 0;  // the frame's timestamp record, 0 when none
    std::uint8_t direction = kNoFrame;
    std::uint8_t status = 0;                  // 0 none, 1 code 2, 2 code 3, 3 ended by 12, 4 aborted (9)
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
