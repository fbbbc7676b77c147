#include "decode/decode_settings.h"

#include <cerrno>
#include <cstdlib>

DecodeSettings decodeSettings;

bool ParseOptionNumber(const char* text, long& value) {
    if (*text == '\0') {
        value = 0;
        return true;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0';
}

bool ParseDataLine(const char* value, std::int8_t* dataLine) {
    long n = 0;
    if (!ParseOptionNumber(value, n) || n < 0 || n > 2) return false;
    *dataLine = static_cast<std::int8_t>(n);
    return true;
}

bool ParseFrameFormat(const char* value, std::int8_t* frameFormat, std::int8_t* packetFormat) {
    *frameFormat = 2;
    if (value[0] == '\0') return true;
    if (value[0] < '0' || value[0] > '4') return false;
    *frameFormat = static_cast<std::int8_t>(value[0] - '0');
    if (value[1] == '\0') return true;
    if ((value[1] != '0' && value[1] != '1') || value[2] != '\0') return false;
    *packetFormat = static_cast<std::int8_t>(value[1] - '0');
    return true;
}
