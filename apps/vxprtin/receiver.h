// The program entry of vxprtin, the print data receiver: banner, exit
// clean-up, command line or dialogue, then the reception of the analyzer's
// print-out into a text file with CR LF line ends until 0x1A starts a line.
#pragma once

// The whole program; returns its exit status.
int ReceiverMain(int argc, char** argv);
