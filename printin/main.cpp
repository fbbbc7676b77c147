#include <cstdlib>

#include "printin/receiver.h"
#include "startup/standard_streams.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    std::exit(ReceiverMain(argc, argv));
}
