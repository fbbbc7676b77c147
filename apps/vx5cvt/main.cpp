#include <cstdlib>

#include "apps/vx5cvt/program.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(ConverterMain(argc, argv));
}
