// The console of every program: lines and prompts on standard output, typed
// answers from standard input, and the reason behind a failure as one line on standard error,
// "<program>: <reason>", after what standard output holds.
#pragma once

#include <string_view>

#include "platform/stdio_fast.h"

// Names the program in front of every reason.
void SetProgramName(const char* name);
// Prints text and a line end.
void PrintLine(std::string_view text);
// Prints text without a line end and shows it at once.
void PrintPrompt(std::string_view text);
// Prints "<program>: " and the formatted text as one line on standard error.
void PrintReason(const char* format, ...) VX_PRINTF_FORMAT(1, 2);

inline constexpr int kAnswerMax = 255;  // characters of one typed answer
// Reads one typed answer from standard input into answer (kAnswerMax + 1
// bytes) without its line end (LF, or CR LF typed on a DOS console). A longer
// answer is read to its end and its first kAnswerMax characters kept, with
// *fits false. 1, or -1 at end of input.
int ReadAnswer(char* answer, bool* fits);
