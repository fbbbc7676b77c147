#include <cstdlib>

#include "apps/vx5firm/transfer.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(FirmwareMain(argc, argv));
}
