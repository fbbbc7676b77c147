#include <cstdlib>

#include "apps/vx5firm/transfer.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(FirmwareMain(argc, argv));
}
