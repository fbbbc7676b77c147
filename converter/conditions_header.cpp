#include "converter/conditions_header.h"

int WriteConditionsHeader(int) { return 0; }
char* FormatSpeed(char* buffer, std::int32_t) { buffer[0] = 0; return buffer; }
