// The program entry of vxprtin, the print data receiver: banner, exit
// clean-up, command line or dialogue, then the reception of the analyzer's
// print-out into a text file with CR LF line ends until 0x1A starts a line.
#pragma once

// Parses argv[1..argc-1] into the port, speed and file name; 1 accepted, 0 illegal.
int ParseReceiverArguments(int argc, char** argv);
// Asks for port, speed and file name on the console; 0 at end of input.
int RunReceiverDialogue();
// Stores received lines in the open output file until the end-of-text line;
// 1 on success, 0 after printing the failure.
int ReceivePrintOut();
// The whole program; returns its exit status.
int ReceiverMain(int argc, char** argv);
