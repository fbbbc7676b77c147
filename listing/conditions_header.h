// The measurement-conditions box that opens every listing.
#pragma once

#include <cstdint>

// Writes the box, then "PRINT DATA CODE : ..." and an empty line (withPrintCode 1)
// or one line end (withPrintCode 0). Returns the result of the last write
// (-1 on failure); writes nothing and returns 0 with noGuide.
int WriteConditionsHeader(int withPrintCode);
// Formats a speed in tenths of a bit per second; `buffer` holds at least 8 characters.
char* FormatSpeed(char* buffer, std::int32_t speed);
