// The frame walk: the frames of a capture in the order a translated listing
// shows them, each frame once.
//
// The walk assembles the frame at the working cursor, then moves the cursor on
// with the record stream's frame advance. An advance may leave the cursor at a
// position from which the next assembly would only deliver the frame just
// delivered once more: it passed over a frame start that the assembly did not
// take (a frame of a line left out, a timestamp that opens no frame). Such
// positions are stepped over, at once where the frame assembly can tell without
// assembling (AssemblyWouldRepeat, which keeps long runs of the other line's
// frames linear), otherwise by assembling and comparing the frame's start and
// direction with the frame delivered last.
#pragma once

#include <cstdint>

#include "decode/frame_assembly.h"

// Which frame assembly and advance a walk uses.
enum class FrameAssembly : std::uint8_t {
    kHdlc,  // AssembleFrame with AdvanceToNextFrame
    kPpp,   // AssemblePppFrame with AdvanceToNextPppFrame
};

// Starts a walk from the home cursor.
void StartFrameWalk(FrameAssembly assembly);
// The next frame of the walk, or nullptr when no frame is left.
const AssembledFrame* NextWalkedFrame();
