// What the translation tests share: the listing writer's output caught in
// memory, a run of vx5cvt on a capture, and runs of hexadecimal bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "converter/listing_writer.h"
#include "decode/frame_assembly.h"
#include "decode/record_stream.h"
#include "tests/support/capture_writer.h"
#include "tests/support/run_program.h"

namespace translation_test {

// A frame timestamp record with the time bytes 0A 1B 2C, stamped on SD.
inline constexpr CaptureRecord kStamp = 0x2C1B0A83;

// Makes an in-memory stream the listing's destination while the object lives.
class ListingCapture {
public:
    ListingCapture() {
        file_ = open_memstream(&data_, &size_);
        if (file_ == nullptr) std::abort();
        SetListingDestination(file_, false);
    }
    ~ListingCapture() {
        listing.destination = nullptr;
        std::fclose(file_);
        std::free(data_);
    }
    ListingCapture(const ListingCapture&) = delete;
    ListingCapture& operator=(const ListingCapture&) = delete;

    // Everything written so far.
    std::string Text() {
        std::fflush(file_);
        return std::string(data_, size_);
    }
    // How much has been written so far: a mark for Since.
    std::size_t Mark() {
        std::fflush(file_);
        return size_;
    }
    // What was written after `mark`.
    std::string Since(std::size_t mark) { return Text().substr(mark); }

private:
    std::FILE* file_ = nullptr;
    char* data_ = nullptr;
    std::size_t size_ = 0;
};

// Fills the one frame buffer as the assembly would: the frame's line, status,
// timestamp and one plain data unit per byte (at most the buffer's 64).
inline const AssembledFrame& LoadFrame(std::uint8_t direction, std::uint8_t status, CaptureRecord timestamp,
                                       const std::vector<int>& bytes) {
    assembledFrame = AssembledFrame{};
    assembledFrame.direction = direction;
    assembledFrame.status = status;
    assembledFrame.timestamp = timestamp;
    for (int b : bytes) {
        if (assembledFrame.count < kFrameUnitsMax)
            assembledFrame.units[assembledFrame.count++] = capture::Unit(static_cast<std::uint8_t>(b));
    }
    return assembledFrame;
}

// Runs vx5cvt with `args` on the capture (its file name and the listing's are
// appended) and returns the listing file; the run must end with "Complete.".
inline std::string ConvertCapture(const capture::CaptureBuilder& b, std::vector<std::string> args) {
    testing_support::TempDir dir;
    b.Write(dir.File("cap.dt"));
    args.push_back(dir.File("cap.dt"));
    args.push_back(dir.File("out.txt"));
    const auto r = testing_support::RunProgram(VX5CVT_PATH, args);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Convert start.\nComplete.\n"), std::string::npos) << r.out;
    return testing_support::ReadFileBytes(dir.File("out.txt"));
}

// "%02X" of first, first + 1, ... (count bytes, modulo 256) as one string.
inline std::string HexRun(int first, int count) {
    std::string out;
    char hex[3];
    for (int i = 0; i < count; ++i) {
        std::snprintf(hex, sizeof hex, "%02X", (first + i) & 0xFF);
        out += hex;
    }
    return out;
}

}  // namespace translation_test
