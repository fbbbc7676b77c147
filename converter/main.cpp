#include <cstdlib>

#include "converter/program.h"
#include "startup/standard_streams.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(ConverterMain(argc, argv));
}
