#include "decode/code_tables.h"

// PENDING: written with the code tables.
void CharCell(int, TableSet, std::uint8_t, char out[2]) { out[0] = ' '; out[1] = ' '; }
