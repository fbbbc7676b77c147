// Frame assembly over the record stream.
//
// One walk from the working cursor collects at most one frame into the one
// AssembledFrame buffer. While walking, each direction may hold the buffer as
// its frame in progress; the first direction whose frame starts takes it, and
// the walk ends once that frame has ended (or at window end). Timestamp records
// met on the way are remembered per direction: the frame keeps the one of its
// direction, and the most recent timestamp decides which direction's step runs
// first on the next data record.
#include "decode/frame_assembly.h"

#include "capture/capture_file.h"
#include "decode/decode_settings.h"

AssembledFrame assembledFrame;

namespace {
DataUnit* unitStore = nullptr;  // null: the frame's own units
std::int32_t unitCapacity = kFrameUnitsMax;
}  // namespace

void SetFrameUnitStore(DataUnit* store, std::int32_t capacity) {
    unitStore = capacity > 0 ? store : nullptr;
    unitCapacity = unitStore != nullptr ? capacity : kFrameUnitsMax;
}

const DataUnit* FrameUnits() { return unitStore != nullptr ? unitStore : assembledFrame.units; }

namespace {

enum Side : int { kSd = 0, kRd = 1 };

// What tells the two directions apart in a record.
struct SideInfo {
    unsigned shift;          // position of the direction's unit in the record word
    std::uint8_t direction;  // the frame's direction value
    bool skipsFlaggedStart;  // SD only: a both-directions start is skipped while pending
};
constexpr SideInfo kSides[2] = {
    {0, kFrameSd, true},
    {16, kFrameRd, false},
};

// The state of one assembly walk. The three references all point at the one
// buffer; only one of them is set at a time.
struct AssemblyState {
    AssembledFrame* freeBuffer = nullptr;
    AssembledFrame* inProgress[2] = {nullptr, nullptr};
    CaptureRecord timestamp[2] = {0, 0};
    RecordPos timestampAt[2] = {nullptr, nullptr};  // where each was met
    RecordPos frameTimestampAt = nullptr;           // where the frame's own timestamp was met
    bool stamped = false;  // frames start only after a timestamp of their direction (always for PPP)
};
AssemblyState state;

// What the last assembly delivered, for AssemblyWouldRepeat.
struct LastAssembly {
    bool found = false;
    bool ppp = false;
    bool stamped = false;
    std::int8_t dataLine = kBothLines;
    RecordPos from = nullptr;           // the cursor position the walk began at
    RecordPos start = nullptr;          // the start of the frame it delivered
    RecordPos timestampAt = nullptr;    // where the walk met that frame's timestamp; null: none
    RecordPos lastBothStart = nullptr;  // the last record up to `start` starting frames both ways; null: none
};
LastAssembly lastAssembly;

DataUnit UnitOf(Side side, CaptureRecord w) { return static_cast<DataUnit>(w >> kSides[side].shift); }

bool BothStart(CaptureRecord w) {
    return UnitCode(SdUnit(w)) == kUnitFrameStart && UnitCode(RdUnit(w)) == kUnitFrameStart;
}

bool SideSelected(Side side) { return LineSelected(side == kRd); }

// The direction takes the free buffer: its frame starts on this record.
void StartFrame(Side side, RecordPos at) {
    AssembledFrame* frame = state.freeBuffer;
    state.freeBuffer = nullptr;
    state.inProgress[side] = frame;
    frame->count = 0;
    frame->start = at;
    frame->timestamp = state.timestamp[side];
    state.frameTimestampAt = state.timestampAt[side];
    frame->direction = kSides[side].direction;
    frame->status = FrameStatus::none;
    frame->seen = 0;
    frame->units[0] = 0;
    if (unitStore != nullptr) unitStore[0] = 0;
}

// Appends a unit; beyond the store's capacity the frame goes on but further
// units are only counted.
void StoreUnit(AssembledFrame* frame, DataUnit unit) {
    ++frame->seen;
    if (frame->count >= unitCapacity) return;
    DataUnit* units = unitStore != nullptr ? unitStore : frame->units;
    units[frame->count] = unit;
    ++frame->count;
    units[frame->count] = 0;
}

// One direction's step of the HDLC-family assembly; returns the new pending value.
bool HdlcStep(Side side, CaptureRecord w, RecordPos at, bool pending) {
    const DataUnit unit = UnitOf(side, w);
    AssembledFrame*& frame = state.inProgress[side];
    switch (UnitCode(unit)) {
        case kUnitFrameStart:
            if (state.stamped && state.timestamp[side] == 0) return pending;
            if (kSides[side].skipsFlaggedStart && pending && BothStart(w)) return pending;
            if (SideSelected(side) && state.freeBuffer != nullptr) StartFrame(side, at);
            return false;
        case kUnitFrameEnd: frame = nullptr; break;
        case kUnitAbort:
            if (frame != nullptr) {
                frame->status = FrameStatus::aborted;
                frame = nullptr;
            }
            break;
        case kUnitShortFrame:
            if (frame != nullptr) {
                frame->status = FrameStatus::shortFrame;
                frame = nullptr;
            }
            break;
        case kUnitStatus1:
            if (frame != nullptr) frame->status = FrameStatus::good;
            break;
        case kUnitStatus2:
            if (frame != nullptr) frame->status = FrameStatus::checkError;
            break;
        case kUnitNone: break;
        default:  // codes 0, 1, 4-8, 13, 14: frame content
            if (frame != nullptr) StoreUnit(frame, unit);
            break;
    }
    return pending;
}

// One direction's step of the PPP assembly: a frame starts with the first unit
// after a timestamp of its direction and ends before the next flag character.
bool PppStep(Side side, CaptureRecord w, RecordPos at, bool pending) {
    const DataUnit unit = UnitOf(side, w);
    if (UnitCode(unit) == kUnitNone || state.timestamp[side] == 0) return pending;
    if (kSides[side].skipsFlaggedStart && pending && BothStart(w)) return pending;
    if (SideSelected(side) && state.freeBuffer != nullptr) {
        StartFrame(side, at);
    } else if (DataByte(unit) == kPppFlag) {
        state.inProgress[side] = nullptr;
        state.timestamp[side] = 0;
    }
    if (state.inProgress[side] != nullptr) StoreUnit(state.inProgress[side], unit);
    return false;
}

using StepFunction = bool (*)(Side, CaptureRecord, RecordPos, bool);

bool WalkGoesOn() {
    return state.freeBuffer != nullptr || state.inProgress[kSd] != nullptr || state.inProgress[kRd] != nullptr;
}

const AssembledFrame& Assemble(StepFunction step, bool stamped) {
    state = AssemblyState{};
    state.freeBuffer = &assembledFrame;
    state.stamped = stamped;
    lastAssembly = LastAssembly{};
    RecordPos lastBothStart = nullptr;
    if (!RecordAreaEmpty()) {
        const RecordPos windowEnd = captureSettings.window.windowEnd;
        RecordPos p = workingCursor.position;
        bool pending = workingCursor.secondDirection;
        bool rdFirst = false;
        do {
            const CaptureRecord w = RecordAt(p);
            if (state.freeBuffer != nullptr && IsDataRecord(w) && BothStart(w)) lastBothStart = p;
            if (IsTimestampRecord(w)) {
                // An SD timestamp lets the RD unit of the next data record go first.
                const Side side = TimestampIsRd(w) ? kRd : kSd;
                state.timestamp[side] = w;
                state.timestampAt[side] = p;
                rdFirst = side == kSd;
            } else if (IsDataRecord(w)) {
                // When frames are found by their start codes, a record on which both
                // directions start a frame gives its SD frame first: the frame-start
                // walk stands on that record twice, first with the second-direction
                // flag clear and then with it set, and the flagged pass skips the SD
                // start to take the RD frame. Letting an SD timestamp put the RD step
                // first there would deliver the RD frame twice and lose the SD one.
                const bool rdStepFirst = rdFirst && (stamped || !BothStart(w));
                if (rdStepFirst) {
                    pending = step(kRd, w, p, pending);
                    pending = step(kSd, w, p, pending);
                } else {
                    pending = step(kSd, w, p, pending);
                    pending = step(kRd, w, p, pending);
                }
                rdFirst = false;
            }
            p = StepForward(p);
        } while (p != windowEnd && WalkGoesOn());
    }
    if (state.freeBuffer != nullptr) {
        state.freeBuffer->direction = kNoFrame;
    } else {
        lastAssembly = LastAssembly{true,
                                    step == PppStep,
                                    stamped,
                                    decodeSettings.dataLine,
                                    workingCursor.position,
                                    assembledFrame.start,
                                    state.frameTimestampAt,
                                    lastBothStart};
    }
    return assembledFrame;
}

}  // namespace

const AssembledFrame& AssembleFrame() { return Assemble(HdlcStep, captureSettings.frameTimestamp() != 0); }

// PPP frames always begin after a timestamp, whatever the frame-timestamp setting.
const AssembledFrame& AssemblePppFrame() { return Assemble(PppStep, true); }

// With one data line chosen, or with both where frames need a timestamp, an
// assembly from a later cursor position up to the start S of the frame last
// delivered delivers S again: a frame start before S was passed over because no
// timestamp of its line had been seen (and none has from a later position
// either), or it is of the other line, whose starts never take the buffer. Where frames need a timestamp, the cursor must
// not be past the one S was taken after. Only the second-direction flag could
// change the choice, and it acts on records that start frames in both
// directions alone; with such a record between the cursor and S the answer is no.
bool AssemblyWouldRepeat(bool ppp) {
    const LastAssembly& a = lastAssembly;
    if (!a.found || a.ppp != ppp || a.dataLine != decodeSettings.dataLine) return false;
    if (a.stamped != (ppp || captureSettings.frameTimestamp() != 0)) return false;
    // With both lines, starts are passed over only for want of a timestamp.
    if (decodeSettings.dataLine == kBothLines && !a.stamped) return false;
    const RecordPos c = workingCursor.position;
    if (c < a.from || c > a.start) return false;
    if (a.stamped && (a.timestampAt == nullptr || c > a.timestampAt)) return false;
    return a.lastBothStart == nullptr || c > a.lastBothStart;
}

void ForgetLastAssembly() { lastAssembly = LastAssembly{}; }
