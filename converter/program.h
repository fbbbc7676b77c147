// The program entry of vx5cvt: banner, exit clean-up, command line or dialogue,
// preparation of the conversion and the choice of one listing driver.
#pragma once

// Parses the command line (argv[1..argc-1]) into the options; 1 accepted, 0 rejected.
int ParseCommandLine(int argc, char** argv);
// Runs the console dialogue; 1 on success, 0 on failure.
int RunDialogue();
// Opens the data file, loads its settings and opens the listing file; 1 or 0.
int PrepareConversion();
// Derives the values the drivers read and calls one driver. Returns the exit status.
int RunChosenDriver();
// The whole program; returns its exit status.
int ConverterMain(int argc, char** argv);
