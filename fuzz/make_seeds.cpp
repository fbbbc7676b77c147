// Writes the fuzzer's seed captures into a folder (scripts/fuzz.sh).
// Usage: make_fuzz_seeds <folder>
#include <cstdio>
#include <string>

#include "fuzz/seed_captures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("Usage : make_fuzz_seeds <FOLDER>\n");
        return 1;
    }
    for (const SeedCapture& seed : MakeSeedCaptures()) {
        const std::string path = std::string(argv[1]) + "/" + seed.name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        const bool written =
            file != nullptr && std::fwrite(seed.bytes.data(), 1, seed.bytes.size(), file) == seed.bytes.size();
        if (file == nullptr || std::fclose(file) != 0 || !written) {
            std::printf("Can't write %s.\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
