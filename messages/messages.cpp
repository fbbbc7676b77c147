#include "messages/messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

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

int ReadAnswer(char* answer, bool* fits) {
    std::fflush(stdout);
    char buffer[kAnswerMax + 2];  // the answer, its LF and the terminator
    if (std::fgets(buffer, sizeof buffer, stdin) == nullptr) return -1;
    std::size_t n = std::strlen(buffer);
    *fits = true;
    if (n > 0 && buffer[n - 1] == '\n') {
        buffer[--n] = '\0';
    } else {
        int c;
        while ((c = std::getchar()) != EOF && c != '\n') *fits = false;
    }
    if (n > 0 && buffer[n - 1] == '\r') buffer[--n] = '\0';  // typed on a DOS console
    if (n > static_cast<std::size_t>(kAnswerMax)) {
        buffer[n = kAnswerMax] = '\0';
        *fits = false;
    }
    std::memcpy(answer, buffer, n + 1);
    return 1;
}
