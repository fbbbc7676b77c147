// The ways a test gets a listing: a whole run of the built vx5cvt on a capture,
// returning the listing file it wrote, or the listing writer's output caught in
// memory in-process (and a destination on which every write fails).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "tests/support/run_program.h"

namespace testing_support {

// What vx5cvt prints before anything else.
inline const std::string kVx5cvtBanner = "===== NORD ARC Data File Converter =====\n Version 1.14\n\n";

// A conversion asked for through the dialogue: the answers after the capture's
// and the listing's names, and the question asked last, before "Convert start.".
struct Dialogue {
    std::string answers;
    std::string lastQuestion;
};

// Runs vx5cvt on the capture file and returns the listing file it wrote; the
// exit status must be 0. Without dialogue answers, `options` go on the command
// line before the two names and the console must be the banner, "Convert
// start." and "Complete." alone; with them, vx5cvt starts without arguments,
// is answered the two names and the dialogue's answers, and the console must
// end with the last question, "Convert start." and "Complete.".
inline std::string ConvertToListing(const std::string& capturePath, const std::vector<std::string>& options,
                                    const Dialogue& dialogue = {}) {
    TempDir dir;
    const std::string listingPath = dir.File("listing.txt");
    ProgramResult r;
    if (dialogue.answers.empty()) {
        std::vector<std::string> args = options;
        args.push_back(capturePath);
        args.push_back(listingPath);
        r = RunProgram(VX5CVT_PATH, args);
        EXPECT_EQ(r.out, kVx5cvtBanner + "Convert start.\nComplete.\n");
    } else {
        r = RunProgram(VX5CVT_PATH, {}, capturePath + "\n" + listingPath + "\n" + dialogue.answers);
        EXPECT_TRUE(r.out.ends_with(dialogue.lastQuestion + "Convert start.\nComplete.\n")) << r.out;
    }
    EXPECT_EQ(r.exitCode, 0) << r.out;
    return ReadFileBytes(listingPath);
}

// The same for a capture the test describes.
inline std::string ConvertToListing(const capture::CaptureBuilder& b, const std::vector<std::string>& options,
                                    const Dialogue& dialogue = {}) {
    TempDir dir;
    b.Write(dir.File("capture.dt"));
    return ConvertToListing(dir.File("capture.dt"), options, dialogue);
}

// Directs the listing to memory while the object lives, with CR LF line ends
// when `crlf` (as in a listing file).
class ListingCapture {
public:
    explicit ListingCapture(bool crlf = false) {
        file_ = open_memstream(&data_, &size_);
        if (file_ == nullptr) std::abort();
        DirectListingTo(file_, crlf);
    }
    ~ListingCapture() {
        if (listing.destination == file_) CloseListingDestination();
        std::fclose(file_);
        std::free(data_);
    }
    ListingCapture(const ListingCapture&) = delete;
    ListingCapture& operator=(const ListingCapture&) = delete;

    // What was written since the last Take (the first: since the start).
    std::string Take() {
        std::fflush(file_);
        std::string text(data_ + taken_, size_ - taken_);
        taken_ = size_;
        return text;
    }

private:
    std::FILE* file_ = nullptr;
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t taken_ = 0;
};

// Directs the listing to the full device, unbuffered, while the object lives:
// every write fails at once.
class FailingListing {
public:
    explicit FailingListing(bool crlf = false) {
        file_ = std::fopen("/dev/full", "w");
        if (file_ == nullptr) std::abort();
        std::setvbuf(file_, nullptr, _IONBF, 0);
        DirectListingTo(file_, crlf);
    }
    ~FailingListing() {
        if (listing.destination == file_) CloseListingDestination();
        std::fclose(file_);
    }
    FailingListing(const FailingListing&) = delete;
    FailingListing& operator=(const FailingListing&) = delete;

private:
    std::FILE* file_ = nullptr;
};

}  // namespace testing_support
