// The frames of a capture in listing order, each once: the walk assembles
// from the working cursor, moves past each frame, and passes over a frame
// that an assembly delivers again after the cursor came back before its start.
#pragma once

#include "decode/frame_assembly.h"

// Starts from the home cursor and forgets the last frame.
void StartFrameWalk(bool ppp);
// The next frame in listing order, each once; nullptr at the end.
const AssembledFrame* NextWalkedFrame();
