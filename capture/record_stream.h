// The capture's record area and the cursor that walks it.
//
// The analyzer stores the line as a flat ring of 32-bit little-endian records.
// A data record carries one SD unit (bits 0-15) and one RD unit (bits 16-31);
// a control record (bits 4-5 both zero) is a line-state change (type 1), an
// idle time (type 2) or a timestamp (type 3). Records are read in place from
// the mapped capture file, never copied and never written.
//
// Every walk uses the one working cursor. All steps leave the cursor unchanged
// when they fail, and an empty record area makes every step fail at once.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "capture/record_window.h"

using CaptureRecord = std::uint32_t;
using DataUnit = std::uint16_t;

// ---- Record words ----------------------------------------------------------

enum class RecordType : std::uint8_t { kData = 0, kLineState = 1, kIdle = 2, kTimestamp = 3 };

// Bits 4-5 of a record: not both zero on a data record.
inline constexpr CaptureRecord kDataMarkMask = 0x30;
inline constexpr bool IsDataRecord(CaptureRecord w) { return (w & kDataMarkMask) != 0; }
// Bits 0-5 of a control record hold its type (1, 2 or 3 in stored records).
inline constexpr std::uint32_t ControlType(CaptureRecord w) { return w & 0x3F; }
inline constexpr bool IsLineStateRecord(CaptureRecord w) { return !IsDataRecord(w) && ControlType(w) == 1; }

// The interface lines of a line-state byte, bit n named by entry n.
inline constexpr std::string_view kLineStateNames[8] = {"RS", "CS", "DR", "CD", "ER", "SQ", "CI", "EX"};
inline constexpr bool IsIdleRecord(CaptureRecord w) { return !IsDataRecord(w) && ControlType(w) == 2; }
inline constexpr bool IsTimestampRecord(CaptureRecord w) { return !IsDataRecord(w) && ControlType(w) == 3; }
// A frame timestamp: a type-3 control record with bit 7 set (bits 2, 3, 6 ignored).
inline constexpr bool IsFrameTimestamp(CaptureRecord w) { return (w & 0xB3) == 0x83; }
// Bit 15 of a timestamp: 0 stamped on SD, 1 on RD.
inline constexpr bool TimestampIsRd(CaptureRecord w) { return (w & 0x8000) != 0; }

// Line-state record: states before (bits 8-15) and after (bits 24-31) the change.
inline constexpr std::uint8_t StateBefore(CaptureRecord w) { return static_cast<std::uint8_t>(w >> 8); }
inline constexpr std::uint8_t StateAfter(CaptureRecord w) { return static_cast<std::uint8_t>(w >> 24); }
// Idle record: count = bits 8-15 + 256 x bits 24-31.
inline constexpr std::uint32_t IdleCount(CaptureRecord w) { return ((w >> 8) & 0xFF) + 256 * ((w >> 24) & 0xFF); }
// Timestamp record: the three time bytes (bits 8-14, 16-23, 24-31).
inline constexpr std::uint8_t TimeByte0(CaptureRecord w) { return static_cast<std::uint8_t>((w >> 8) & 0x7F); }
inline constexpr std::uint8_t TimeByte1(CaptureRecord w) { return static_cast<std::uint8_t>(w >> 16); }
inline constexpr std::uint8_t TimeByte2(CaptureRecord w) { return static_cast<std::uint8_t>(w >> 24); }
// The quarter (0-3) that a displayed idle or timestamp column carries in bits 2-3.
inline constexpr std::uint32_t Quarter(CaptureRecord w) { return (w >> 2) & 3; }

// The two units of a data record.
inline constexpr DataUnit SdUnit(CaptureRecord w) { return static_cast<DataUnit>(w); }
inline constexpr DataUnit RdUnit(CaptureRecord w) { return static_cast<DataUnit>(w >> 16); }

// ---- Data units --------------------------------------------------------------

// Unit codes (bits 0-3 of a unit).
inline constexpr std::uint8_t kUnitStatus1 = 2;  // "{}", frame status 1
inline constexpr std::uint8_t kUnitStatus2 = 3;  // "??", frame status 2
inline constexpr std::uint8_t kUnitAbort = 9;    // "AA", ends a frame with status 4
inline constexpr std::uint8_t kUnitFrameStart = 10;
inline constexpr std::uint8_t kUnitFrameEnd = 11;
inline constexpr std::uint8_t kUnitShortFrame = 12;  // "?5", ends a frame with status 3
inline constexpr std::uint8_t kUnitBlank = 13;
inline constexpr std::uint8_t kUnitNone = 15;  // no unit in this direction

inline constexpr std::uint8_t UnitCode(DataUnit u) { return static_cast<std::uint8_t>(u & 0x0F); }
inline constexpr std::uint8_t UnitFlags(DataUnit u) { return static_cast<std::uint8_t>((u >> 4) & 0x0F); }
inline constexpr std::uint8_t DataByte(DataUnit u) { return static_cast<std::uint8_t>(u >> 8); }

// ---- Cursor and window (converter/record_window.h) -------------------------------

extern CaptureCursor workingCursor;

// The record word at a position (unaligned little-endian read).
inline CaptureRecord RecordAt(RecordPos pos) {
    std::uint8_t b[4];
    std::memcpy(b, pos, 4);
    return static_cast<CaptureRecord>(b[0]) | (static_cast<CaptureRecord>(b[1]) << 8) |
           (static_cast<CaptureRecord>(b[2]) << 16) | (static_cast<CaptureRecord>(b[3]) << 24);
}

// True when the loaded capture has no records.
bool RecordAreaEmpty();
// One record forward with wrap; fails (position unchanged) on reaching window end.
bool NextRecord(RecordPos& pos);
// One record forward with wrap, without the window-end test.
RecordPos StepForward(RecordPos pos);
// Copies the home cursor into the working cursor.
void ResetWorkingCursor();
bool NextUnit();
void AdvanceCursorTo(RecordPos target);
bool IsFrameStart(CaptureRecord w);
bool NextFrameStart();
bool NextFrameTimestamp();
// One frame step of the translation listings (frame timestamps, or start codes
// with the second-direction flag); the frame walk (frame_walk.h) decides which
// of the positions it reaches give a new frame.
bool AdvanceToNextFrame();
// The PPP frame step: always by frame timestamps.
bool AdvanceToNextPppFrame();
std::uint8_t InitialLineState();
