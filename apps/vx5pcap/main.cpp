#include "apps/vx5pcap/pcap_program.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    OpenClosedStandardStreams();
    return PcapMain(argc, argv);
}
