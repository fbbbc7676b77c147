// The program entry of vx5pcap: the command line, the capture file, the
// output written beside its name and renamed at the end, and the summary.
// The pcapng stream may go to standard output, so every console text goes to
// standard error.
#pragma once

// The whole program; returns its exit status.
int PcapMain(int argc, char** argv);
