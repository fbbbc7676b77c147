// The one array of dump columns and its three fills: the plain dump, the
// line-state chart and the code-converted dump. Each fill writes exactly n
// columns from the working cursor onwards, moves the cursor past what it took
// and reports whether the end of the capture has been reached.
#pragma once

#include <cstdint>

#include "capture/record_stream.h"

inline constexpr int kDumpColumnsMax = 56;
inline constexpr std::uint32_t kEmptyColumn = 0x80;

struct DumpColumn {
    std::uint32_t unit = kEmptyColumn;       // record word, converted cell, or 128
    std::uint32_t lineState = kEmptyColumn;  // line-state fill only
};

extern DumpColumn dumpColumns[kDumpColumnsMax];

bool FillDumpColumns(int n);
bool FillLineStateColumns(int n);
bool FillConvertedColumns(int n);
// Forgets the converted cells carried over to the next block; called once
// before the first block of a code-converted dump.
void ResetConvertedColumns();
