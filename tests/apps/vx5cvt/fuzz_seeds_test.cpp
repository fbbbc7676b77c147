// The fuzzer's seeds are captures the programs take whole: every mode, each up
// to the fuzzer's limit, listed by vx5cvt without a warning and exported by
// vx5pcap; a seed the programs refused would leave the fuzzer at the door.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "fuzz/seed_captures.h"
#include "tests/support/run_program.h"

using testing_support::RunProgram;
using testing_support::TempDir;

TEST(FuzzSeeds, EveryModeUpToTheLimitIsAccepted) {
    TempDir dir;
    std::map<std::string, std::size_t> largest;  // per mode
    for (const SeedCapture& seed : MakeSeedCaptures()) {
        SCOPED_TRACE(seed.name);
        EXPECT_LE(seed.bytes.size(), kFuzzInputMax);
        std::size_t& size = largest[seed.name.substr(0, seed.name.find('-'))];
        if (seed.bytes.size() > size) size = seed.bytes.size();
        testing_support::WriteFileBytes(dir.File(seed.name), seed.bytes);
        for (const char* option : {"-c0", "-f"}) {
            const auto listed = RunProgram(VX5CVT_PATH, {option, dir.File(seed.name), dir.File("out.txt")});
            EXPECT_EQ(listed.exitCode, 0) << option;
            EXPECT_EQ(listed.err, "") << option;
        }
        EXPECT_EQ(RunProgram(VX5PCAP_PATH, {dir.File(seed.name), dir.File("out.pcapng")}).exitCode, 0);
    }
    const std::map<std::string, std::size_t> kFull = {{"async", kFuzzInputMax - 2},
                                                      {"hdlc", kFuzzInputMax - 2},
                                                      {"ppp", kFuzzInputMax - 2},
                                                      {"sync", kFuzzInputMax - 2}};
    EXPECT_EQ(largest, kFull);  // whole records: 1762 + 4 n bytes
}
