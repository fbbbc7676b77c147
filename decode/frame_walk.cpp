#include "decode/frame_walk.h"

namespace {

struct FrameWalk {
    FrameAssembly assembly = FrameAssembly::kHdlc;
    bool atHome = true;      // nothing assembled yet: the first frame is at the cursor
    bool delivered = false;  // a frame has been delivered
    RecordPos deliveredStart = nullptr;
    std::uint8_t deliveredDirection = kNoFrame;
};
FrameWalk walk;

bool Ppp() { return walk.assembly == FrameAssembly::kPpp; }

const AssembledFrame& Assemble() { return Ppp() ? AssemblePppFrame() : AssembleFrame(); }

bool Advance() { return Ppp() ? AdvanceToNextPppFrame() : AdvanceToNextFrame(); }

// True when the frame just assembled is the one delivered last.
bool IsDeliveredFrame(const AssembledFrame& frame) {
    return walk.delivered && frame.start == walk.deliveredStart && frame.direction == walk.deliveredDirection;
}

}  // namespace

void StartFrameWalk(FrameAssembly assembly) {
    walk = FrameWalk{};
    walk.assembly = assembly;
    ResetWorkingCursor();
    ForgetLastAssembly();
}

const AssembledFrame* NextWalkedFrame() {
    for (;;) {
        if (!walk.atHome) {
            if (!Advance()) return nullptr;
            if (AssemblyWouldRepeat(Ppp())) continue;  // certain without assembling
        }
        walk.atHome = false;
        const AssembledFrame& frame = Assemble();
        if ((frame.direction & 0x7F) == kNoFrame) return nullptr;
        if (IsDeliveredFrame(frame)) continue;
        walk.delivered = true;
        walk.deliveredStart = frame.start;
        walk.deliveredDirection = frame.direction;
        return &frame;
    }
}
