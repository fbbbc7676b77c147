// What the program entries of the two serial tools share on the console and
// on their command lines: lines and prompts on standard output (a prompt is
// flushed, so it shows before the answer is read), ReadNumber and the
// numbered questions asked with it, typed answers read whole, the -p, -s and
// file name arguments, and the exit clean-up registered after the banner.
// Answers come from standard input; at its end every question gives up
// instead of asking again.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string_view>

inline constexpr int kConsoleLineSize = 256;  // 255 characters and the terminator

// The console line shared by ReadNumber and the programs' typed answers.
extern char consoleLine[kConsoleLineSize];

// Prints text and a line end.
void PrintLine(std::string_view text);
// Prints each text as a line.
void PrintLines(std::span<const std::string_view> lines);
// Prints text without a line end and shows it at once.
void PrintPrompt(std::string_view text);

// Reads one console line and returns its decimal number, or -1 for a negative
// number or at end of input (then std::feof(stdin) is set).
int ReadNumber();
// Prints question and reads answers with ReadNumber until one of accepted
// comes; 1 and the answer in *answer, or 0 at end of input.
int AskNumber(std::string_view question, std::span<const int> accepted, int* answer);
// Asks "Select COM port (1:COM1, 2:COM2) ? " and sets comPortName to "COM1"
// or "COM2"; 0 at end of input.
int AskComPort();
// Reads one console line into consoleLine without its LF. A line longer than
// the console line is read to its end and refused (false in *fits); -1 at end
// of input, else 1.
int ReadConsoleAnswer(bool* fits);
// Reads and drops console input up to and including the next LF; 1 when the
// LF came, 0 at end of input.
int SkipConsoleLine();

// How TakeArgument dealt with one command line argument.
enum class ArgumentUse {
    taken,        // -p<PORT>, -s<SPEED> or the file name, stored
    illegal,      // a bad speed, a name too long, a second file name
    otherOption,  // starts with "-" but is neither -p nor -s
};
// Takes one argument of a serial tool's command line: "-p" and the port name
// into comPortName, "-s" and an offered speed into comSpeed, anything not
// starting with "-" as the one file name (at most size - 1 characters) into
// fileName, noting it in *haveFileName.
ArgumentUse TakeArgument(const char* arg, char* fileName, std::size_t size, bool* haveFileName);

// Registers the exit clean-up: on every way out the port is released and the
// file *openFile points to, if any, is closed; SIGINT, SIGTERM and SIGHUP
// release the port and end the program with status 1.
void RegisterExitCleanUp(std::FILE** openFile);
