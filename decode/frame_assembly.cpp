#include "decode/frame_assembly.h"

AssembledFrame assembledFrame;

// PENDING: written with the frame assembly.
const AssembledFrame& AssembleFrame() { assembledFrame.direction = kNoFrame; return assembledFrame; }
const AssembledFrame& AssemblePppFrame() { assembledFrame.direction = kNoFrame; return assembledFrame; }
