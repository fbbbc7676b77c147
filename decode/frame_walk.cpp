#include "decode/frame_walk.h"

namespace {

bool walkPpp = false;
bool walkFirst = true;
bool walkEnded = false;
bool deliveredOne = false;
RecordPos deliveredStart = nullptr;
std::uint8_t deliveredDirection = kNoFrame;

}  // namespace

void StartFrameWalk(bool ppp) {
    ResetWorkingCursor();
    walkPpp = ppp;
    walkFirst = true;
    walkEnded = false;
    deliveredOne = false;
}

const AssembledFrame* NextWalkedFrame() {
    while (!walkEnded) {
        if (!walkFirst && !(walkPpp ? AdvanceToNextPppFrame() : AdvanceToNextFrame())) break;
        walkFirst = false;
        const AssembledFrame& frame = walkPpp ? AssemblePppFrame() : AssembleFrame();
        if ((frame.direction & 0x7F) == kNoFrame) break;
        if (deliveredOne && frame.start == deliveredStart && frame.direction == deliveredDirection) continue;
        deliveredOne = true;
        deliveredStart = frame.start;
        deliveredDirection = frame.direction;
        return &frame;
    }
    walkEnded = true;
    return nullptr;
}
