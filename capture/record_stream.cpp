#include "capture/record_stream.h"

#include "capture/capture_file.h"

CaptureCursor workingCursor;

namespace {
const RecordWindow& Window() { return captureSettings.window; }

// InitialLineState is asked at the start of every block of the line-state
// chart, each time from a little further on. Walking the whole ring each time
// would make a chart of a capture with few line-state changes read its records
// once per block. So the last search is remembered: the first line-state record at or
// after the position it began from, or, when there is none, the state behind
// that position. A question from a position up to that record (or from any
// later position, when none lies ahead) has the same answer. What is remembered
// holds for the window it was found in only; a window set up anew starts afresh.
struct LineStateSearch {
    std::uint32_t windowSetup = 0;  // the window searched (RecordWindow::setup); 0: none
    RecordPos from = nullptr;       // where the search began
    RecordPos ahead = nullptr;      // the first line-state record at or after `from`; null: none
    std::uint8_t behind = 0;        // with none ahead: the state after the last change before `from`
};
LineStateSearch lastLineStateSearch;
}  // namespace

bool RecordAreaEmpty() { return Window().areaStart == Window().areaEnd; }

RecordPos StepForward(RecordPos pos) {
    pos += kRecordSize;
    return pos >= Window().areaEnd ? Window().areaStart : pos;
}

namespace {
// One record backward with wrap.
RecordPos StepBackward(RecordPos pos) {
    return pos <= Window().areaStart ? Window().areaEnd - kRecordSize : pos - kRecordSize;
}
}  // namespace

bool NextRecord(RecordPos& pos) {
    if (RecordAreaEmpty()) return false;
    RecordPos next = StepForward(pos);
    if (next == Window().windowEnd) return false;
    pos = next;
    return true;
}

void ResetWorkingCursor() { workingCursor = Window().home; }

bool NextUnit() {
    if (RecordAreaEmpty()) return false;
    CaptureCursor& c = workingCursor;
    const CaptureRecord w = RecordAt(c.position);
    if (c.quarter == 0 && (IsIdleRecord(w) || IsTimestampRecord(w))) {
        c.quarter = 1;
    } else if (c.quarter == 1 || c.quarter == 2) {
        ++c.quarter;
    } else {
        if (!NextRecord(c.position)) return false;
        c.quarter = 0;
    }
    c.secondDirection = false;
    return true;
}

void AdvanceCursorTo(RecordPos target) {
    while (workingCursor.position != target) {
        if (!NextUnit()) return;
    }
}

bool IsFrameStart(CaptureRecord w) {
    return IsDataRecord(w) && (UnitCode(SdUnit(w)) == kUnitFrameStart || UnitCode(RdUnit(w)) == kUnitFrameStart);
}

namespace {
// Searches forward from the record after the cursor for a record passing `test`
// and moves the cursor onto it.
template <typename Test>
bool AdvanceToRecord(Test test, CaptureRecord& found) {
    if (RecordAreaEmpty()) return false;
    RecordPos pos = workingCursor.position;
    while (NextRecord(pos)) {
        const CaptureRecord w = RecordAt(pos);
        if (test(w)) {
            AdvanceCursorTo(pos);
            found = w;
            return true;
        }
    }
    return false;
}

// The frame-timestamp advance: from a frame timestamp, on to the next one;
// from anywhere else, past the next one (the frame just assembled) to the one after.
bool AdvanceByFrameTimestamps() {
    if (IsFrameTimestamp(RecordAt(workingCursor.position))) return NextFrameTimestamp();
    if (!NextFrameTimestamp()) return false;
    return NextFrameTimestamp();
}
}  // namespace

bool NextFrameStart() {
    CaptureRecord found = 0;
    return AdvanceToRecord(IsFrameStart, found);
}

bool NextFrameTimestamp() {
    CaptureRecord found = 0;
    if (!AdvanceToRecord(IsFrameTimestamp, found)) return false;
    workingCursor.secondDirection = TimestampIsRd(found);
    return true;
}

bool AdvanceToNextFrame() {
    if (RecordAreaEmpty()) return false;
    if (captureSettings.frameTimestamp() != 0) return AdvanceByFrameTimestamps();

    const bool p0 = workingCursor.secondDirection;
    if (!IsFrameStart(RecordAt(workingCursor.position)) && !NextFrameStart()) return false;
    const CaptureRecord r = RecordAt(workingCursor.position);
    if (UnitCode(SdUnit(r)) == kUnitFrameStart && UnitCode(RdUnit(r)) == kUnitFrameStart && !p0) {
        // Both directions start a frame here: the next assembly takes the RD one.
        workingCursor.secondDirection = true;
        return true;
    }
    return NextFrameStart();
}

bool AdvanceToNextPppFrame() {
    if (RecordAreaEmpty()) return false;
    return AdvanceByFrameTimestamps();
}

std::uint8_t InitialLineState() {
    if (RecordAreaEmpty()) return 0;
    const RecordWindow& win = Window();
    const RecordPos from = workingCursor.position;
    LineStateSearch& last = lastLineStateSearch;
    if (last.windowSetup != 0 && last.windowSetup == win.setup && from >= last.from) {
        if (last.ahead == nullptr) return last.behind;
        if (from <= last.ahead) return StateBefore(RecordAt(last.ahead));
    }
    // Forward, the cursor's own record included: the state before the next change.
    RecordPos pos = from;
    do {
        if (IsLineStateRecord(RecordAt(pos))) {
            last = LineStateSearch{win.setup, from, pos, 0};
            return StateBefore(RecordAt(pos));
        }
        pos = StepForward(pos);
    } while (pos != win.windowEnd);
    // Backward: the state after the most recent change.
    std::uint8_t state = 0;
    pos = from;
    while (pos != win.windowFirst) {
        pos = StepBackward(pos);
        const CaptureRecord w = RecordAt(pos);
        if (IsLineStateRecord(w)) {
            state = StateAfter(w);
            break;
        }
    }
    last = LineStateSearch{win.setup, from, nullptr, state};
    return state;
}
