#include "pcap/pcap_program.h"

int main(int argc, char** argv) { return PcapMain(argc, argv); }
