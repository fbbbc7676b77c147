// vx5cvt started with standard input, output and error closed: its console text
// goes nowhere, and neither the capture nor the listing file takes their place.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/run_program.h"

using testing_support::ConvertToListing;
using testing_support::ReadFileBytes;
using testing_support::RunProgram;
using testing_support::TempDir;

TEST(ClosedStandardStreams, ListingFileHoldsExactlyTheListing) {
    capture::CaptureBuilder b;
    b.Mode(0).Code(0).Sd('A').Rd('B').Sd('C');
    const std::string listing = ConvertToListing(b, {});
    TempDir dir;
    b.Write(dir.File("CAP.DT"));
    const auto r = RunProgram(
        "/bin/sh", {"-c", "exec \"$0\" \"$@\" <&- >&- 2>&-", VX5CVT_PATH, dir.File("CAP.DT"), dir.File("OUT.TXT")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFileBytes(dir.File("OUT.TXT")), listing);
}
