// The C library's stream calls that differ between systems, for the hot
// paths of the listing writer and for checking printf-like functions.
#pragma once

#include <cstdio>

// Writes one byte without taking the stream's lock (one thread writes).
inline int PutByteUnlocked(int c, std::FILE* out) { return putc_unlocked(c, out); }

// Marks a function taking a printf format as argument `format` and the values from `first`.
#define VX_PRINTF_FORMAT(format, first) __attribute__((__format__(__printf__, format, first)))
