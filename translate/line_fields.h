// What the four translated listings (HDLC-family frames, X.25/LAPD packets,
// PPP frames and the PPP frame dump) have in common:
//  - the UnitReader, the only way a translator sees the bytes of the one
//    AssembledFrame (unit codes 2 and 3 are skipped, PPP transparency undone);
//  - FrameFields, the decoded frame-level fields, reset by the frame set-up;
//    a field left at its "none" value prints as spaces of its width;
//  - the LineBuilder, one fixed line of text, and the fixed-width formatters
//    that append to it;
//  - the DATA column limits per layout and columns setting;
//  - the frame set-up shared by every frame decoder;
//  - RunTranslation, which drives a whole translated listing: title, box,
//    heading, then one line per assembled frame.
//
// All state lives once at file scope; one frame is translated at a time.
#pragma once

#include <cstdint>
#include <string_view>

#include "decode/frame_assembly.h"
#include "decode/frame_walk.h"

// ---- Reading the frame's bytes ------------------------------------------------

// The read position inside the current frame's units.
struct UnitReader {
    const DataUnit* next = nullptr;  // the next unit to take
    std::int32_t left = 0;           // units not yet taken or skipped
};

extern UnitReader unitReader;

// Places the reader on the frame's first unit with the frame's count.
void SetupUnitReader(const AssembledFrame& frame);
// The next data byte (0-255), skipping units with code 2 or 3; -1 when the
// frame has no more units (and on every later call).
int NextByte();
// NextByte with PPP transparency removed: 0x7D x reads as x XOR 0x20; a 0x7D
// that is the last byte reads as -1.
int NextPppByte();

// ---- Decoded frame fields -----------------------------------------------------------

inline constexpr std::uint8_t kNoTimeByte = 0xFF;  // time[0] when the frame has no time mark

struct FrameFields {
    std::int8_t side = -1;  // 0 SD, 1 RD; -1 none
    std::uint8_t time[3] = {kNoTimeByte, kNoTimeByte, kNoTimeByte};
    std::int32_t address = -1;                  // address octet (LAPD: first octet >> 1); 0xFF for PPP
    std::int32_t control = -1;                  // control octet as read
    std::string_view typeName{};                // frame type name; empty = none
    std::int8_t tei = -1;                       // LAPD terminal endpoint identifier
    std::uint8_t extended = 0;                  // 1: sequence numbers as three-digit decimals
    FrameStatus endStatus = FrameStatus::none;  // the frame's status, for the FC column
    std::int8_t sendSeq = -1;                   // N(S)
    std::int8_t recvSeq = -1;                   // N(R)
    std::int8_t pollFinal = -1;                 // P/F bit
    std::int32_t pppProtocol = -1;
    std::int32_t pppCode = -1;
    std::int32_t pppId = -1;
};

extern FrameFields frameFields;

// Sets every field to its "none" value.
void ResetFrameFields();

// Frame set-up shared by the frame decoders, the one reset of FrameFields per
// frame: every field none, then side from the frame's direction
// (low seven bits 1 SD, 2 RD), time from its timestamp record, endStatus from
// its status when `withStatus` is set (the PPP layouts have no FC column), and
// the UnitReader. Returns false, leaving every field none, when the direction
// is neither SD nor RD.
bool SetupFrame(const AssembledFrame& frame, bool withStatus);

// ---- The line under construction ---------------------------------------------------

// 160 characters: the longest translated line is 135 characters (an SDLC/LAPB
// frame line at 136 columns: DATA at column 31 + 52 bytes x 2), plus its NUL.
inline constexpr int kLineBufferSize = 160;
inline constexpr int kLongestLine = 135;
static_assert(kLongestLine + 1 <= kLineBufferSize);

struct LineBuilder {
    char text[kLineBufferSize] = {};
    int position = 0;  // where the next character goes
};

extern LineBuilder lineBuilder;

// Sets the write position to the start of the line.
void StartLine();
// Terminates the line and writes it with PutText: 0, or -1 when the write failed.
// The line end is written by the run.
int FinishLine();
// Starts the line of the decoded frame with what every layout opens with: the
// line mark, the time and the blank after them (columns 0-9). Returns false,
// with the line left empty, when the frame was seen on neither line.
bool StartFrameLine();

// ---- Formatters (each appends at the write position) --------------------------------

void PutSpaces(int count);
void PutLiteral(std::string_view text);
// "SD:" or "RD:" from side.
void PutDirection();
// The three time bytes as six upper-case hex digits; six spaces when none.
void PutTime();
void PutDec2(int v);  // "%2d"
void PutDec3(int v);  // "%3d"
void PutHex2(int v);  // "%02X", v 0-255
// A type or message name in a field of `width`: spaces when the octet was never
// read (value -1); the name cut or padded to width; an unnamed octet as "(%02X)"
// padded to width (width 4 or more, else spaces).
void PutName(std::string_view name, std::int32_t value, int width);
// N(S)/N(R): three spaces when none; " d " (v AND 7) when extended is 0; "%3d" when 1.
void PutFrameSeq(int v);
// A space when v is none (-1), else its digit.
void PutBit(int v);
// The FC mark from endStatus, right-aligned in two columns (two spaces for none).
void PutCheck();

// ---- DATA column --------------------------------------------------------------------

// The layouts that end in a DATA column.
enum class DataLayout : std::uint8_t { kHdlcFrame, kLapdFrame, kX25Packet, kLapdMessage, kPppLine, kPppDump };

// Which reader takes the DATA bytes.
enum class ByteSource : std::uint8_t { kPlain, kPpp };

// The most bytes the DATA column of `layout` may show for listingSettings.columns
// (below 80, 80 to 135, 136 or more).
int DataLimit(DataLayout layout);
// The column at which the DATA column of `layout` starts.
int DataColumn(DataLayout layout);
// Appends the remaining bytes of the frame as "%02X" each, at most `limit` of them.
void PutData(int limit, ByteSource source = ByteSource::kPlain);

// ---- The translation run --------------------------------------------------------------

// A listing's per-frame operation: decodes the frame and writes its line (without
// the line end). Returns 0, or -1 when the write failed. Its decoder's
// SetupFrame resets FrameFields; the operation resets any record of its own.
using FrameLineOperation = int (*)(const AssembledFrame& frame);

// Writes a whole translated listing: StartConversion, the title line, the
// conditions box, the heading line, then one line per frame of the frame walk
// (each frame once, at most 5 x lineBudget frames), FinishListing. Returns 1 when
// the listing was written, 0 when a write failed (the listing stops there).
int RunTranslation(const char* title, const char* heading, FrameLineOperation perFrame, FrameAssembly assembly);
