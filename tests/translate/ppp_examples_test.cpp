// The sample PPP, HDLC X.25 and LAPD captures in examples/ convert to the
// listings checked in beside them, and the generator still writes the samples.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/run_program.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::RunProgram;
using testing_support::TempDir;

std::string Example(const std::string& name) { return std::string(VX_SOURCE_DIR) + "/examples/" + name; }

struct SampleListing {
    const char* capture;
    std::vector<std::string> options;  // empty: through the dialogue
    const char* dialogue;              // answers after the two file names
    const char* listing;
};

const SampleListing kListings[] = {
    {"PPP.DT", {"-f"}, "", "PPP.TXT"},
    {"PPP.DT", {}, "2\n1\n2\n", "PPPDUMP.TXT"},  // Translate, SD & RD, Dump
    {"HDLC.DT", {"-f20"}, "", "HDLC.TXT"},
    {"HDLC.DT", {"-f2"}, "", "HDLCFRM.TXT"},
    {"LAPD.DT", {"-f41"}, "", "LAPD.TXT"},
    {"LAPD.DT", {"-f4"}, "", "LAPDFRM.TXT"},
};

TEST(PppExamples, SampleCapturesGiveTheirListings) {
    for (const auto& s : kListings) {
        SCOPED_TRACE(s.listing);
        TempDir dir;
        const std::string out = dir.File("listing.txt");
        testing_support::ProgramResult r;
        if (s.options.empty()) {
            r = RunProgram(VX5CVT_PATH, {}, Example(s.capture) + "\n" + out + "\n" + s.dialogue);
        } else {
            std::vector<std::string> args = s.options;
            args.push_back(Example(s.capture));
            args.push_back(out);
            r = RunProgram(VX5CVT_PATH, args);
        }
        EXPECT_EQ(r.exitCode, 0) << r.out;
        EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(Example(s.listing)));
    }
}

TEST(PppExamples, GeneratorWritesTheSamples) {
    TempDir dir;
    const auto r = RunProgram(MAKE_EXAMPLES_PATH, {dir.Path()});
    ASSERT_EQ(r.exitCode, 0) << r.out;
    for (const char* name : {"PPP.DT", "HDLC.DT", "LAPD.DT"}) {
        SCOPED_TRACE(name);
        const std::string fresh = ReadFileBytes(dir.File(name));
        EXPECT_FALSE(fresh.empty());
        EXPECT_EQ(fresh, ReadFileBytes(Example(name)));
    }
}

}  // namespace
