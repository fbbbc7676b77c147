// What the program entries of the two serial tools share on the console and
// on their command lines: the banner, the exit clean-up and the ending
// signals, the usage text, lines and prompts on standard output (a prompt is
// flushed, so it shows before the answer is read), the reasons behind failure
// messages on standard error, ReadNumber and the numbered questions asked with
// it, typed answers read whole, and the -p, -s and file name arguments.
// Answers come from standard input; at its end every question gives up
// instead of asking again.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string_view>

#include "platform/stdio_fast.h"

inline constexpr int kConsoleLineSize = 256;  // 255 characters and the terminator

// The console line shared by ReadNumber and the programs' typed answers.
extern char consoleLine[kConsoleLineSize];

// Prints the banner (title, version line, empty line), then registers the
// exit clean-up: on every way out the port is released and the file
// *openFile points to, if any, is closed. SIGINT, SIGTERM and SIGHUP end the
// console line in progress (see MarkConsoleLineOpen), release the port and
// end the program with status 1. programName prefixes the reasons.
void StartSerialTool(const char* programName, std::string_view title, std::FILE** openFile);
// Prints "Illegal arguments.", the usage line, the -p and -s lines and the
// program's own lines; then the lines of the options added since, on
// standard error.
void PrintUsage(std::string_view usage, std::span<const std::string_view> ownLines,
                std::span<const std::string_view> addedOptionLines);
// Tells the ending signals that a console line without its line end (a count
// or a progress bar) stands on the console.
void MarkConsoleLineOpen(bool open);

// Prints "<program>: " and the formatted text as one line on standard error,
// after what standard output holds.
void PrintReason(const char* format, ...) VX_PRINTF_FORMAT(1, 2);
// Prints the reason for the serial port's last failure: the port name (and
// its device path where that differs), then what went wrong.
void PrintComFailure();

// Prints text and a line end.
void PrintLine(std::string_view text);
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

// Reads a time option's value: a whole decimal number of seconds, 1 to
// kMaxOptionSeconds, nothing after the digits. 1 and the seconds, or 0.
inline constexpr int kMaxOptionSeconds = 2147483;  // its milliseconds fit an int
int ParseSeconds(const char* text, int* seconds);

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
// Reads a serial tool's whole command line: -p, -s and the file name with
// TakeArgument, every other option with the tool's own ownOption (true when it
// took the argument). Only a missing file name means defaultName: a name given
// empty fails at its opening, so the wrong file is never used. 1, or 0 for an
// illegal command line.
int ParseToolArguments(int argc, char** argv, char* fileName, std::size_t size, const char* defaultName,
                       bool (*ownOption)(const char* arg));
