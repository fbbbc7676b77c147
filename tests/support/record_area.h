// Lays a capture builder's settings and records out in memory as those of the
// loaded capture, for the tests that walk or list them in-process.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "capture/capture_file.h"
#include "capture/record_stream.h"
#include "tests/support/capture_writer.h"

namespace record_area {

// Bytes after the area that no walk may read.
inline constexpr std::uint8_t kGuardByte = 0xEE;
inline constexpr std::size_t kGuardBytes = 8;

// Fills `bytes` with the builder's records (little-endian) and guard bytes,
// sets the record window of the loaded capture over the first `length` bytes
// (all the records when negative) and homes the working cursor.
inline void Load(const capture::CaptureBuilder& b, std::vector<std::uint8_t>& bytes, long length = -1) {
    bytes.clear();
    for (std::uint32_t w : b.Records()) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    }
    const auto areaLength = static_cast<std::uint32_t>(length < 0 ? static_cast<long>(bytes.size()) : length);
    bytes.resize(bytes.size() + kGuardBytes, kGuardByte);
    SetupRecordWindow(captureSettings.window, bytes.data(), areaLength);
    ResetWorkingCursor();
}

// Puts the builder's settings block into the loaded capture's settings.
inline void LoadSettings(const capture::CaptureBuilder& b) {
    const std::string bytes = b.Bytes();
    std::memcpy(captureSettings.block, bytes.data() + 26, sizeof captureSettings.block);
}

}  // namespace record_area
