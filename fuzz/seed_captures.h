// Seed captures for the fuzzer: captures of every mode made with the capture
// writer, from a few records up to the fuzzer's largest input, so that its
// mutations start from frames near and past the 64-unit store, long runs of
// one line, every record kind and frames open at the end of the record area
// (which the walks continue at its start).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The fuzzer's largest input (-max_len in scripts/fuzz.sh).
inline constexpr std::size_t kFuzzInputMax = 65536;

struct SeedCapture {
    std::string name;   // such as "hdlc-2.dt"
    std::string bytes;  // the whole capture file, at most kFuzzInputMax bytes
};

// The seeds, the same every time.
std::vector<SeedCapture> MakeSeedCaptures();
