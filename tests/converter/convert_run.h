// Runs the built vx5cvt on a capture that the test describes and returns the
// listing file it wrote.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/capture_writer.h"
#include "tests/support/run_program.h"

// Writes the capture, runs vx5cvt with `options`, the capture and a listing
// file, expects a whole run ("Convert start.", "Complete.", status 0) and
// returns the listing file's bytes.
inline std::string ConvertToListing(const capture::CaptureBuilder& b, const std::vector<std::string>& options) {
    testing_support::TempDir dir;
    b.Write(dir.File("capture.dt"));
    std::vector<std::string> args = options;
    args.push_back(dir.File("capture.dt"));
    args.push_back(dir.File("listing.txt"));
    const auto r = testing_support::RunProgram(VX5CVT_PATH, args);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Convert start.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Complete.\n"), std::string::npos) << r.out;
    return testing_support::ReadFileBytes(dir.File("listing.txt"));
}
