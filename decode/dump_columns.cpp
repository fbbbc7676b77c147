// The dump column fills.
//
// Each fill walks the records from the working cursor and writes one column per
// data record that the data line selection keeps, four columns (one per
// quarter) per idle or timestamp record, and, in the line-state chart, one per
// line-state record. A marker whose quarters do not all fit leaves the cursor
// on its record at the next quarter, so the next block goes on with it.
//
// The code-converted fill passes each data record through the two
// transmission-control converters, which emit 0, 1 or 2 cells per direction.
// Cells that no longer fit in the block are kept and open the next block, so
// nothing a converter emits is lost at a block boundary.
#include "decode/dump_columns.h"

#include "capture/capture_file.h"
#include "decode/converters.h"
#include "decode/decode_settings.h"

DumpColumn dumpColumns[kDumpColumnsMax];

namespace {

constexpr int kQuarters = 4;                     // display columns of an idle or timestamp record
constexpr CaptureRecord kQuarterMask = 0x0C;     // bits 2-3 of a displayed marker
constexpr CaptureRecord kNoSdUnit = 0x0000000F;  // forces the SD unit code to 15
constexpr CaptureRecord kNoRdUnit = 0x000F0000;  // forces the RD unit code to 15
constexpr std::uint32_t kEmptyHalf = 0xBF;       // unit code 15 with flags 0xB
constexpr DataUnit kConvertedRdFlags = 0xB0;     // flag bits 4, 5 and 7 on an RD unit for its converter

// Cells of one record beyond the block: two per direction, at least one fits.
constexpr int kCarryMax = 3;

enum class FillKind { kPlain, kLineState, kConverted };

// Where the current fill writes its next column, and how many are left.
int emitPosition = 0;
int remaining = 0;
// The line-state word given to every column of the line-state fill.
std::uint32_t currentLineState = kEmptyColumn;

// Converted cells that did not fit in the previous block.
std::uint32_t carried[kCarryMax];
int carriedCount = 0;
// The converted walk has come to window end; only carried cells remain.
bool convertedWalkDone = false;

void PutColumn(std::uint32_t unit, std::uint32_t lineState) {
    if (remaining <= 0) return;
    dumpColumns[emitPosition] = DumpColumn{unit, lineState};
    ++emitPosition;
    --remaining;
}

void EmitConverted(std::uint32_t column) {
    if (remaining > 0) {
        PutColumn(column, kEmptyColumn);
    } else if (carriedCount < kCarryMax) {
        carried[carriedCount++] = column;
    }
}

void EmitSdCell(std::uint32_t cell) { EmitConverted((cell & 0xFFFF) | (kEmptyHalf << 16)); }
void EmitRdCell(std::uint32_t cell) { EmitConverted(((cell & 0xFFFF) << 16) | kEmptyHalf); }

// "SD only" and "RD only" turn the other direction's unit into an empty one.
CaptureRecord MaskDataLine(CaptureRecord w) {
    if (!LineSelected(false)) return w | kNoSdUnit;
    if (!LineSelected(true)) return w | kNoRdUnit;
    return w;
}

bool HasUnit(CaptureRecord masked) {
    return UnitCode(SdUnit(masked)) != kUnitNone || UnitCode(RdUnit(masked)) != kUnitNone;
}

// The line-state word of a column that is not a line-state record: state s in both halves.
std::uint32_t SteadyLineState(std::uint8_t s) {
    return (static_cast<std::uint32_t>(s) << 24) | (static_cast<std::uint32_t>(s) << 8) | 0x81;
}

// After a line-state record: its "after" state in both halves.
std::uint32_t LineStateAfter(CaptureRecord w) {
    return (w & 0xFFFF00FF) | (static_cast<std::uint32_t>(StateAfter(w)) << 8);
}

void HandleDataRecord(FillKind kind, CaptureRecord w) {
    const CaptureRecord masked = MaskDataLine(w);
    if (!HasUnit(masked)) return;
    if (kind == FillKind::kConverted) {
        ConvertSdUnit(SdUnit(masked));
        ConvertRdUnit(static_cast<DataUnit>(RdUnit(masked) | kConvertedRdFlags));
    } else {
        PutColumn(masked, currentLineState);
    }
}

// Walks from the working cursor until the block is full or window end comes;
// returns true when the walk has come to window end.
bool Walk(FillKind kind) {
    const RecordPos windowEnd = captureSettings.window.windowEnd;
    RecordPos p = workingCursor.position;
    int q = workingCursor.quarter;
    if (remaining > 0) {
        do {
            const CaptureRecord w = RecordAt(p);
            if (IsDataRecord(w)) {
                p = StepForward(p);
                q = 0;
                HandleDataRecord(kind, w);
            } else if (IsLineStateRecord(w)) {
                p = StepForward(p);
                q = 0;
                if (kind == FillKind::kLineState) {
                    PutColumn(w, w);
                    currentLineState = LineStateAfter(w);
                }
            } else if (decodeSettings.skipIdleTimestamp) {
                p = StepForward(p);
                q = 0;
            } else {
                // Idle or timestamp marker: one column per quarter, the quarter in bits 2-3.
                const CaptureRecord marker = w & ~kQuarterMask;
                for (; q < kQuarters && remaining > 0; ++q) {
                    PutColumn(marker | (static_cast<CaptureRecord>(q) << 2), currentLineState);
                }
                if (q == kQuarters) {
                    p = StepForward(p);
                    q = 0;
                }
            }
        } while (remaining > 0 && p != windowEnd);
    }
    workingCursor.position = p;
    workingCursor.quarter = static_cast<std::uint8_t>(q);
    return p == windowEnd;
}

bool Fill(int n, FillKind kind) {
    emitPosition = 0;
    remaining = n < 0 ? 0 : (n > kDumpColumnsMax ? kDumpColumnsMax : n);
    bool end = true;
    if (kind == FillKind::kConverted) {
        // Cells left over from the previous block come first.
        const int count = carriedCount;
        carriedCount = 0;
        for (int i = 0; i < count; ++i) EmitConverted(carried[i]);
        SetEmitFunctions(EmitSdCell, EmitRdCell);
    }
    if (!RecordAreaEmpty()) {
        if (kind == FillKind::kLineState) currentLineState = SteadyLineState(InitialLineState());
        if (kind == FillKind::kConverted) {
            if (!convertedWalkDone) convertedWalkDone = Walk(kind);
            end = convertedWalkDone && carriedCount == 0;
        } else {
            end = Walk(kind);
        }
    }
    while (remaining > 0) PutColumn(kEmptyColumn, kEmptyColumn);
    return end;
}

}  // namespace

bool FillDumpColumns(int n) { return Fill(n, FillKind::kPlain); }
bool FillLineStateColumns(int n) { return Fill(n, FillKind::kLineState); }
bool FillConvertedColumns(int n) { return Fill(n, FillKind::kConverted); }

void ResetConvertedColumns() {
    carriedCount = 0;
    convertedWalkDone = false;
}
