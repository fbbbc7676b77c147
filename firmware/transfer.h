// The program entry of vx5firm, the firmware transfer program: banner, exit
// clean-up, command line or port question, then the loader protocol: the
// handshake, the lock-step transfer of the image's lines with a progress bar,
// the optional boot block exchange and the four flash steps.
#pragma once

// Parses argv[1..argc-1] into port, speed, force flag and file name; 1 accepted, 0 illegal.
int ParseTransferArguments(int argc, char** argv);
// Draws the progress bar for a loader report of done out of total.
void ShowProgress(int done, int total);
// The whole program; returns its exit status.
int FirmwareMain(int argc, char** argv);
