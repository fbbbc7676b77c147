// The listing writer: every character of a listing passes through PutChar,
// or PutLine for a whole line, which count the lines of the current page and,
// with paging on, pad each page of 60 text lines with 6 empty lines before the
// next character.
//
// The destination is the listing file (DOS text: each line end is written as
// CR LF) or standard output (plain LF). All operations return -1 when a write
// fails. Console messages go straight to standard output, never through here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/stdio_fast.h"

// The listing's line budget: the block and frame limits of every listing scale with it.
inline constexpr std::int32_t kLineBudget = 99999;

// What a listing looks like, set by the program from its command line.
struct ListingSettings {
    std::int32_t columns = 80;      // 40, 80 or 136
    std::int32_t linesPerPage = 0;  // 0 (no paging) or 66
    bool noGuide = false;           // no conditions box, row labels or separating empty lines
    std::int8_t codeFilter = 0;     // dump rows: 0 char and hex, 1 char only, 2 hex only
    std::int8_t printCode = 0;      // the capture's character code, as the box names it
    std::int32_t lineBudget = kLineBudget;
};

extern ListingSettings listingSettings;

struct ListingState {
    std::FILE* destination = nullptr;
    bool crlf = false;  // write CR before each LF (listing file)
    bool ownsDestination = false;
    int lineCount = 0;            // lines completed on the current page
    int pageTextLines = 1 << 30;  // linesPerPage - 6 with paging on; set by StartConversion
    int writeError = 0;           // errno of the first failed write, flush or close
};

extern ListingState listing;

// Makes `file` the destination; `isFile` selects CR LF line ends and closing at the end.
void SetListingDestination(std::FILE* file, bool isFile);
// Makes `stream` the destination, with CR LF line ends when `crlf`. The stream
// stays its caller's: its buffering is kept, and CloseListingDestination only
// flushes it and lets it go. For callers (and tests) that bring their own stream.
void DirectListingTo(std::FILE* stream, bool crlf);
// Flushes and, for a listing file, closes the destination. Returns 0, or -1 when
// any write, the final flush or the close failed.
int CloseListingDestination();

int FinishPage();

// Notes errno of a failed write in listing.writeError (the first one counts); -1.
int NoteWriteFailure();

inline int PutRaw(int c) {
    std::FILE* out = listing.destination;
    if (c == '\n' && listing.crlf && PutByteUnlocked('\r', out) == EOF) return NoteWriteFailure();
    int r = PutByteUnlocked(c, out);
    return r == EOF ? NoteWriteFailure() : r;
}

inline int PutChar(int c) {
    if (listing.lineCount >= listing.pageTextLines) FinishPage();
    if (c == '\n') ++listing.lineCount;
    return PutRaw(c);
}

// Writes one whole line: the `length` characters at `text`, which hold no line
// end, then the line end. The page check comes once, before the line, where
// PutChar would make it before the line's first character, so the listing is
// the same as from PutChar for each character and '\n'. Returns 0, or -1 when
// a write failed.
int PutLine(const char* text, std::size_t length);

int PutText(const char* text);
int PutFormat(const char* format, ...) VX_PRINTF_FORMAT(1, 2);
// Starts a listing: a new page count, paging as set, standard output when no
// destination was chosen. The program entry announces the conversion on the console.
int StartConversion();
int FinishListing();
