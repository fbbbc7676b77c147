#include <cstdlib>

#include "apps/vxprtin/receiver.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(ReceiverMain(argc, argv));
}
