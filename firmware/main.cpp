#include <cstdlib>

#include "firmware/transfer.h"
#include "startup/standard_streams.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(FirmwareMain(argc, argv));
}
