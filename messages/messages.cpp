#include "messages/messages.h"

#include <cstdarg>
#include <cstdio>

namespace {
const char* programName = "";
}  // namespace

void SetProgramName(const char* name) { programName = name; }

void PrintLine(std::string_view text) { std::printf("%.*s\n", static_cast<int>(text.size()), text.data()); }

void PrintPrompt(std::string_view text) {
    std::printf("%.*s", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
}

void PrintReason(const char* format, ...) {
    std::fflush(stdout);
    char text[2048];  // a path or a loader reply of 1023 characters, and the words around it
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    std::fprintf(stderr, "%s: %s\n", programName, text);
}
