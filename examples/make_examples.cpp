// Writes the sample capture data files into a folder.
// Usage: make_examples <folder>
#include <cstdio>
#include <string>

#include "examples/sample_captures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("Usage : make_examples <FOLDER>\n");
        return 1;
    }
    std::string failedPath;
    if (!WriteSampleCaptures(argv[1], failedPath)) {
        std::printf("Can't write %s.\n", failedPath.c_str());
        return 1;
    }
    return 0;
}
