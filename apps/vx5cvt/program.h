// The program entry of vx5cvt: banner, exit clean-up, command line or dialogue,
// preparation of the conversion and the choice of one listing driver.
#pragma once

// Parses the command line (argv[1..argc-1]) into the options; 1 accepted, 0 rejected.
int ParseCommandLine(int argc, char** argv);
// Runs the console dialogue; 1 on success, 0 on failure.
int RunDialogue();
// The program's one choice of listing driver, from the options and the
// capture's mode (the fuzz target calls it too): derives the values the
// drivers read and calls one driver. Returns the exit status.
int RunChosenDriver();
// The whole program; returns its exit status.
int ConverterMain(int argc, char** argv);
