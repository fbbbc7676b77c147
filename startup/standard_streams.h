// Start-up of every program: standard input, output and error are open.
//
// A program started with descriptor 0, 1 or 2 closed would get that number for
// the first file it opens, so a capture could be read as the console or the
// banner written into a listing or output file. The programs call this first.
#pragma once

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, write-only
// on 0 and read-only on 1 and 2: the number is taken, yet the descriptor stays
// unusable for its direction, so a listing written to a closed standard output
// fails as a write and is never reported as done. When /dev/null cannot be
// opened the program ends at once with status 1: nothing it writes could be
// trusted to reach the right file.
void OpenClosedStandardStreams();
