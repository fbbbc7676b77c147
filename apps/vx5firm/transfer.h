// The program entry of vx5firm, the firmware transfer program: banner, exit
// clean-up, command line or port question, then the loader protocol: the
// handshake, the lock-step transfer of the image's lines with a progress bar,
// the optional boot block exchange and the four flash steps.
#pragma once

// The whole program; returns its exit status.
int FirmwareMain(int argc, char** argv);
