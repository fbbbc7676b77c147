// The normal dump, the line-state chart and the translate-format dump.
//
// The three drivers share one loop: fill a block of columns, print its data
// rows, an empty line, and in the chart the line-state rows and another empty
// line, until the fill reports the end of the capture or the block limit comes.
// A non-data column prints its marker label in the first row the block shows
// and the marker text in the second, so a marker stands above its value.
//
// Each row is built in a line buffer, two characters per column after the
// guide, and handed to the listing writer whole.
#include "apps/vx5cvt/dump_listings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "apps/vx5cvt/options.h"
#include "capture/capture_file.h"
#include "decode/code_tables.h"
#include "decode/converters.h"
#include "decode/dump_columns.h"
#include "listing/conditions_header.h"
#include "listing/listing_writer.h"

namespace {

// The listing being written: the cells of the translate-format dump differ.
PrintFormat dumpKind = PrintFormat::kNormal;
int blockColumns = 28;

constexpr int kWidestListing = 136;     // listing columns
constexpr std::size_t kCellWidth = 2;   // every column is two characters wide
constexpr std::size_t kGuideWidth = 3;  // "SD:", "RD:", "   " or a line name and ':'

// One row of a block, guide included, without its line end.
constexpr std::size_t kRowSize = kGuideWidth                      // 3: the guide
                                 + kCellWidth * kDumpColumnsMax;  // 112: the 56 columns of the widest block
static_assert(kRowSize <= kWidestListing, "a row of the widest block fits the widest listing");

constexpr std::string_view kBlankCell = "  ";
constexpr std::string_view kNoByteCell = " -";

// Character-row cells of the unit codes that are not shown through a code table.
constexpr std::array<std::string_view, 16> kUnitCodeCells = {
    "",    // 0: code table, set A
    "",    // 1: code table, set B
    "{}",  // 2
    "??",  // 3
    "?4",  // 4
    "?1",  // 5
    "?2",  // 6
    "?3",  // 7
    "BB",  // 8
    "AA",  // 9
    "^^",  // 10: frame start
    "^^",  // 11: frame end
    "?5",  // 12
    "  ",  // 13
    "##",  // 14
    "  ",  // 15: no unit
};

// Label cells by the low four bits of a non-data column: record type in bits
// 0-1, quarter in bits 2-3.
constexpr std::array<std::string_view, 16> kLabelCells = {
    "  ", "  ", "[ ", "[ ",  // quarter 0
    "  ", "  ", "ID", "TM",  // quarter 1
    "  ", "  ", "LE", "SP",  // quarter 2
    "  ", "  ", " ]", " ]",  // quarter 3
};

static_assert(std::size(kLineStateNames) == kLineStateMax);
static_assert(std::ranges::all_of(kLineStateNames,
                                  [](std::string_view name) { return name.size() == kGuideWidth - 1; }),
              "a line name and ':' fill the guide");

constexpr std::uint32_t kMarkerIdle = 2;
constexpr std::uint32_t kMarkerTimestamp = 3;
constexpr std::uint32_t kIdleCountShown = 9999;  // larger idle counts show "[ OVER ]"

// "[ 0012 ]", "[ OVER ]" or "[123456]": eight characters and the NUL.
constexpr int kMarkerTextSize = 8 + 1;

bool IsDataColumn(std::uint32_t unitWord) { return IsDataRecord(unitWord); }

void CopyCell(std::string_view text, char* cell) {
    cell[0] = text[0];
    cell[1] = text[1];
}

// Writes one cell alone, as `fill` makes it, for the Write...Cell operations.
template <typename Word>
int PutCell(void (*fill)(Word, char*), Word word) {
    char cell[kCellWidth];
    fill(word, cell);
    PutChar(static_cast<unsigned char>(cell[0]));
    return PutChar(static_cast<unsigned char>(cell[1]));
}

// The code whose tables show code-0 and code-1 units: the converted cells of
// the translate-format dump hold EBCDIC code points.
int DisplayCode() { return dumpKind == PrintFormat::kTranslate ? kCodeEbcdic : listingSettings.printCode; }

// The rows a block shows, in order.
struct DumpRow {
    bool rd;   // RD unit (else SD)
    bool hex;  // hexadecimal row (else character row)
};

int ShownRows(DumpRow (&rows)[4]) {
    const bool sd = LineSelected(false);
    const bool rd = LineSelected(true);
    const bool hex = listingSettings.codeFilter != 1;
    const bool chars = listingSettings.codeFilter != 2;
    int n = 0;
    if (sd && hex) rows[n++] = {false, true};
    if (sd && chars) rows[n++] = {false, false};
    if (rd && hex) rows[n++] = {true, true};
    if (rd && chars) rows[n++] = {true, false};
    return n;
}

// The two characters of each kind of cell, at `cell`.
void FillHexCell(DataUnit unit, char* cell) {
    const std::uint8_t code = UnitCode(unit);
    if (code == kUnitBlank || code == kUnitNone) return CopyCell(kNoByteCell, cell);
    if (dumpKind == PrintFormat::kTranslate) return CopyCell(kBlankCell, cell);
    // The byte as "%02X", without a formatter call: this cell is written for
    // nearly every column of a dump.
    const std::uint8_t byte = DataByte(unit);
    cell[0] = HexDigit(byte >> 4);
    cell[1] = HexDigit(byte);
}

void FillCharCell(DataUnit unit, char* cell) {
    const std::uint8_t code = UnitCode(unit);
    if (code > 1) return CopyCell(kUnitCodeCells[code], cell);
    CharCell(DisplayCode(), code == 0 ? TableSet::kA : TableSet::kB, DataByte(unit), cell);
}

void FillLabelCell(std::uint32_t unitWord, char* cell) { CopyCell(kLabelCells[unitWord & 0x0F], cell); }

void FillMarkerCell(std::uint32_t unitWord, char* cell) {
    // The eight-character marker text is built by hand rather than formatted:
    // a marker cell is written four times per idle or timestamp record.
    char text[kMarkerTextSize];
    switch (unitWord & 3) {
        case kMarkerIdle: {
            // "[ %04u ]", or "[ OVER ]" above 9999
            const std::uint32_t count = IdleCount(unitWord);
            std::memcpy(text, "[ OVER ]", kMarkerTextSize);
            if (count <= kIdleCountShown) {
                text[2] = static_cast<char>('0' + count / 1000);
                text[3] = static_cast<char>('0' + count / 100 % 10);
                text[4] = static_cast<char>('0' + count / 10 % 10);
                text[5] = static_cast<char>('0' + count % 10);
            }
            break;
        }
        case kMarkerTimestamp: {
            // "[%02X%02X%02X]"
            const std::uint8_t bytes[3] = {TimeByte0(unitWord), TimeByte1(unitWord), TimeByte2(unitWord)};
            text[0] = '[';
            for (int i = 0; i < 3; ++i) {
                text[1 + 2 * i] = HexDigit(bytes[i] >> 4);
                text[2 + 2 * i] = HexDigit(bytes[i]);
            }
            text[7] = ']';
            text[8] = '\0';
            break;
        }
        default: return CopyCell(kBlankCell, cell);
    }
    const std::uint32_t q = Quarter(unitWord);
    CopyCell(std::string_view(text + 2 * q, 2), cell);
}

void FillNonDataCell(std::uint32_t unitWord, int row, int shownRows, char* cell) {
    if (shownRows == 1 || row == 1) return FillMarkerCell(unitWord, cell);
    if (row == 0) return FillLabelCell(unitWord, cell);
    CopyCell(kBlankCell, cell);
}

// The rows of the current block; 0, or -1 when a write failed. The rows are
// filled side by side, column by column, and then written in order.
int WriteDumpBlock() {
    DumpRow rows[4];
    const int shown = ShownRows(rows);
    char lines[4][kRowSize];
    std::size_t guide = 0;
    if (!listingSettings.noGuide) {
        guide = kGuideWidth;
        for (int r = 0; r < shown; ++r) {
            // A character row that follows its direction's hex row has no name.
            const bool followsHex = !rows[r].hex && r > 0 && rows[r - 1].hex && rows[r - 1].rd == rows[r].rd;
            std::memcpy(lines[r], followsHex ? "   " : (rows[r].rd ? "RD:" : "SD:"), kGuideWidth);
        }
    }
    for (int c = 0; c < blockColumns; ++c) {
        const std::uint32_t w = dumpColumns[c].unit;
        const std::size_t at = guide + kCellWidth * static_cast<std::size_t>(c);
        if (!IsDataColumn(w)) {
            for (int r = 0; r < shown; ++r) FillNonDataCell(w, r, shown, lines[r] + at);
            continue;
        }
        for (int r = 0; r < shown; ++r) {
            const DataUnit unit = rows[r].rd ? RdUnit(w) : SdUnit(w);
            if (rows[r].hex) {
                FillHexCell(unit, lines[r] + at);
            } else {
                FillCharCell(unit, lines[r] + at);
            }
        }
    }
    const std::size_t length = guide + kCellWidth * static_cast<std::size_t>(blockColumns);
    for (int r = 0; r < shown; ++r) {
        if (PutLine(lines[r], length) < 0) return -1;
    }
    return 0;
}

// The block size for a listing width: 14, 28 or 56 columns.
constexpr int DumpBlockColumns(int listingColumns) {
    if (listingColumns < 80) return 14;
    if (listingColumns < 136) return 28;
    return 56;
}
static_assert(DumpBlockColumns(kWidestListing) <= kDumpColumnsMax, "the widest block fits the column store and a row");

struct BlockGeometry {
    int columns;               // columns per block
    std::int32_t dumpBlocks;   // block limit of the normal and translate-format dumps
    std::int32_t chartBlocks;  // block limit of the line-state chart
};

// Block limits scale the line budget by the rows a block takes.
BlockGeometry Geometry() {
    const std::int32_t budget = listingSettings.lineBudget;
    const int columns = DumpBlockColumns(listingSettings.columns);
    switch (columns) {
        case 14: return {columns, 6 * budget, 2 * budget};
        case 28: return {columns, 3 * budget, budget};
        default: return {columns, (3 * budget + 1) / 2, (budget + 1) / 2};
    }
}

int RunDump(PrintFormat kind) {
    if (StartConversion() == 0) return 0;
    if (WriteConditionsHeader(1) == -1) return 0;
    ResetWorkingCursor();
    dumpKind = kind;
    const BlockGeometry geometry = Geometry();
    blockColumns = geometry.columns;
    const std::int32_t limit = kind == PrintFormat::kLineState ? geometry.chartBlocks : geometry.dumpBlocks;
    if (kind == PrintFormat::kTranslate) {
        InstallConverters(captureSettings.mode(), captureSettings.code());
        ResetConvertedColumns();
    }
    for (std::int32_t blocks = 0; blocks < limit; ++blocks) {
        bool end = false;
        switch (kind) {
            case PrintFormat::kNormal: end = FillDumpColumns(blockColumns); break;
            case PrintFormat::kLineState: end = FillLineStateColumns(blockColumns); break;
            case PrintFormat::kTranslate: end = FillConvertedColumns(blockColumns); break;
        }
        // A failed write ends the listing here rather than leaving a gap in it.
        if (WriteDumpBlock() < 0) break;
        if (!listingSettings.noGuide && PutChar('\n') < 0) break;
        if (kind == PrintFormat::kLineState) {
            if (WriteLineStateRows() < 0) break;
            if (!listingSettings.noGuide && PutChar('\n') < 0) break;
        }
        if (end) break;
    }
    return FinishListing();
}

}  // namespace

int WriteHexCell(DataUnit unit) { return PutCell(FillHexCell, unit); }
int WriteCharCell(DataUnit unit) { return PutCell(FillCharCell, unit); }
int WriteLabelCell(std::uint32_t unitWord) { return PutCell(FillLabelCell, unitWord); }
int WriteMarkerCell(std::uint32_t unitWord) { return PutCell(FillMarkerCell, unitWord); }

int WriteLineStateRows() {
    char row[kRowSize];
    for (int i = 0; i < kLineStateMax; ++i) {
        const std::uint8_t line = options.lineStates[i];
        if (line >= kLineStateMax) break;  // 0xFF ends the list
        char* cell = row;
        if (!listingSettings.noGuide) {
            CopyCell(kLineStateNames[line], cell);
            cell[2] = ':';
            cell += kGuideWidth;
        }
        const unsigned bit = 1u << line;
        for (int c = 0; c < blockColumns; ++c, cell += kCellWidth) {
            const std::uint32_t states = dumpColumns[c].lineState;
            if (states == kEmptyColumn) {
                CopyCell(kBlankCell, cell);
                continue;
            }
            // A set bit shows "0", a clear one "1".
            cell[0] = (states >> 8) & bit ? '0' : '1';
            cell[1] = (states >> 24) & bit ? '0' : '1';
        }
        if (PutLine(row, static_cast<std::size_t>(cell - row)) < 0) return -1;
    }
    return 0;
}

int RunNormalDump() { return RunDump(PrintFormat::kNormal); }
int RunLineStateChart() { return RunDump(PrintFormat::kLineState); }
int RunTranslateDump() { return RunDump(PrintFormat::kTranslate); }
