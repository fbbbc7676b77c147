#include "pcap/pcap_program.h"
#include "startup/standard_streams.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    return PcapMain(argc, argv);
}
