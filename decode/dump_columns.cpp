#include "decode/dump_columns.h"

DumpColumn dumpColumns[kDumpColumnsMax];

// PENDING: written with the dump columns.
bool FillDumpColumns(int) { return true; }
bool FillLineStateColumns(int) { return true; }
bool FillConvertedColumns(int) { return true; }
