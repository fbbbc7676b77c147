// Display tables of the ten character codes and CharCell, the two-character
// display of a data byte in the dump's character row.
#pragma once

#include <cstdint>

enum class TableSet : std::uint8_t { kA = 0, kB = 1 };

// Writes the two characters of `byte` for `code` and `set` into out[0], out[1].
void CharCell(int code, TableSet set, std::uint8_t byte, char out[2]);
