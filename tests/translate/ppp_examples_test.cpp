// The sample captures in examples/ convert to the listings checked in beside
// them, and the generator still writes the samples.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/listings.h"
#include "tests/support/run_program.h"

namespace {

using testing_support::ReadFileBytes;

std::string Example(const std::string& name) { return std::string(VX_SOURCE_DIR) + "/examples/" + name; }

struct SampleListing {
    const char* capture;
    std::vector<std::string> options;
    testing_support::Dialogue dialogue;  // no answers: from the command line
    const char* listing;
};

const SampleListing kListings[] = {
    {"ASYNC.DT", {}, {}, "ASYNC.TXT"},
    {"SYNC.DT", {"-f"}, {}, "SYNC.TXT"},
    {"PPP.DT", {"-f"}, {}, "PPP.TXT"},
    // Translate, SD & RD, Dump.
    {"PPP.DT", {}, {"2\n1\n2\n", "Frame type (1:PPP translate, 2:Dump) ? "}, "PPPDUMP.TXT"},
    {"HDLC.DT", {"-f20"}, {}, "HDLC.TXT"},
    {"HDLC.DT", {"-f2"}, {}, "HDLCFRM.TXT"},
    {"LAPD.DT", {"-f41"}, {}, "LAPD.TXT"},
    {"LAPD.DT", {"-f4"}, {}, "LAPDFRM.TXT"},
};

TEST(Examples, SampleCapturesGiveTheirListings) {
    for (const auto& s : kListings) {
        SCOPED_TRACE(s.listing);
        EXPECT_EQ(testing_support::ConvertToListing(Example(s.capture), s.options, s.dialogue),
                  ReadFileBytes(Example(s.listing)));
    }
}

TEST(Examples, GeneratorWritesTheSamples) {
    testing_support::TempDir dir;
    const auto r = testing_support::RunProgram(MAKE_EXAMPLES_PATH, {dir.Path()});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    for (const char* name : {"ASYNC.DT", "SYNC.DT", "PPP.DT", "HDLC.DT", "LAPD.DT"}) {
        SCOPED_TRACE(name);
        const std::string fresh = ReadFileBytes(dir.File(name));
        EXPECT_FALSE(fresh.empty());
        EXPECT_EQ(fresh, ReadFileBytes(Example(name)));
    }
}

}  // namespace
