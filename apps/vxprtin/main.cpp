#include <cstdlib>

#include "apps/vxprtin/receiver.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(ReceiverMain(argc, argv));
}
