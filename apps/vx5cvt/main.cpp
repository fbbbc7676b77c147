#include <cstdlib>

#include "apps/vx5cvt/program.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(ConverterMain(argc, argv));
}
