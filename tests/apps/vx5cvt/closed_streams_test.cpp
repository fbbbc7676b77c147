// vx5cvt and vx5pcap started with standard descriptors closed: their console
// text goes nowhere, neither the capture nor the listing file takes their place,
// and output sent to a closed standard output fails.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// With standard output closed, a listing or export sent there cannot be
// written: status 1 and the reason, never "Complete." or a summary with 0.
TEST(ClosedStandardStreams, OutputToClosedStandardOutputFails) {
    TempDir dir;
    capture::Async9600().Sd('A').Write(dir.File("CAP.DT"));
    const struct {
        const char* program;
        std::vector<std::string> args;
        std::string reason;
    } kCases[] = {
        {VX5CVT_PATH, {dir.File("CAP.DT")}, "vx5cvt: standard output: Bad file descriptor\n"},
        {VX5PCAP_PATH, {dir.File("CAP.DT"), "-"}, "Can't write pcapng file -: Bad file descriptor\n"},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> args{"-c", "exec \"$0\" \"$@\" >&-", c.program};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = RunProgram("/bin/sh", args);
        EXPECT_EQ(r.exitCode, 1) << c.program;
        EXPECT_EQ(r.err, c.reason) << c.program;
    }
}
