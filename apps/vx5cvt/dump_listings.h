// The column-oriented listings: normal dump, line-state chart and the
// translate-format dump of character-oriented captures.
//
// Each listing is a series of blocks of 14, 28 or 56 columns (for 40, 80 and
// 136 listing columns), filled from the record stream and printed as up to
// four data rows (SD hex, SD characters, RD hex, RD characters), then, in the
// chart, one row per chosen interface line. Every column is two characters wide.
#pragma once

#include <cstdint>

#include "capture/record_stream.h"

// The three column-oriented listings, as the dialogue's print format names them.
enum class PrintFormat { kNormal, kLineState, kTranslate };

int RunNormalDump();
int RunLineStateChart();
int RunTranslateDump();

// The line-state rows of the current block; 0, or -1 when a write failed.
int WriteLineStateRows();

// The two-character cells, each written alone (the dumps fill the same cells
// into their rows). The hex and character cells show one direction's unit of
// a data column; the label and marker cells show a non-data column (an idle or
// timestamp marker's quarter, a line-state record, an empty column).
int WriteHexCell(DataUnit unit);
int WriteCharCell(DataUnit unit);
int WriteLabelCell(std::uint32_t unitWord);
int WriteMarkerCell(std::uint32_t unitWord);
