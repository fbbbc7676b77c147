// The console messages of every program: lines and prompts on standard
// output, and the reason behind a failure as one line on standard error,
// "<program>: <reason>", after what standard output holds.
#pragma once

#include <string_view>

// Names the program in front of every reason.
void SetProgramName(const char* name);
// Prints text and a line end.
void PrintLine(std::string_view text);
// Prints text without a line end and shows it at once.
void PrintPrompt(std::string_view text);
// Prints "<program>: " and the formatted text as one line on standard error.
void PrintReason(const char* format, ...) __attribute__((format(printf, 1, 2)));
