// The record window over a capture's record area: where the records lie in the
// mapped file and the home cursor every listing starts from. The capture
// container sets it up when it loads the settings; the record stream
// (decode/record_stream.h) walks it.
#pragma once

#include <cstdint>

using RecordPos = const std::uint8_t*;  // a record's first byte in the mapping

inline constexpr int kRecordSize = 4;

struct CaptureCursor {
    RecordPos position = nullptr;
    std::uint8_t quarter = 0;      // next display unit of an idle/timestamp record
    bool secondDirection = false;  // see AdvanceToNextFrame
};

struct RecordWindow {
    RecordPos areaStart = nullptr;
    RecordPos areaEnd = nullptr;  // one past the last whole record
    RecordPos windowFirst = nullptr;
    RecordPos windowEnd = nullptr;
    CaptureCursor home;
    // A number of its own for every setup, so that what a walk remembers of
    // one window is never taken for another window over the same bytes.
    std::uint32_t setup = 0;
};

// Sets up the window over a record area of `length` bytes at `start`
// (only whole records are used).
void SetupRecordWindow(RecordWindow& window, RecordPos start, std::uint32_t length);
