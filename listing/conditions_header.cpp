#include "listing/conditions_header.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "capture/capture_file.h"
#include "listing/listing_writer.h"
#include "listing/table_checks.h"

namespace {

// Name tables indexed by the settings fields. No name is longer than six
// characters, the width of every field in the box.
constexpr std::array<std::string_view, 11> kCodeNames = {"ASCII", "EBCDIC", "EBCDIK", "JIS 7",  "JIS 8", "HEX",
                                                         "EBCD",  "TRANSC", "IPARS",  "BAUDOT", "(HEX)"};
constexpr std::array<std::string_view, 4> kCharBitNames = {"5", "6", "7", "8"};
constexpr std::array<std::string_view, 6> kParityNames = {"NONE", "ODD", "EVEN", "MARK", "SPACE", "MP"};
constexpr std::array<std::string_view, 2> kStopBitNames = {"1", "2"};
constexpr std::array<std::string_view, 4> kClockNames = {"ST1", "ST2", "RT", "AR"};
constexpr std::array<std::string_view, 7> kBccNames = {"NONE", "LRC O", "LRC E", "CRC-16", "ITU-T", "CRC-6", "CRC-12"};

constexpr std::size_t kFieldWidth = 6;

static_assert(EveryNameFits(kCodeNames, kFieldWidth) && EveryNameFits(kCharBitNames, kFieldWidth) &&
              EveryNameFits(kParityNames, kFieldWidth) && EveryNameFits(kStopBitNames, kFieldWidth) &&
              EveryNameFits(kClockNames, kFieldWidth) && EveryNameFits(kBccNames, kFieldWidth));

// The name for a settings value; a value outside the table is shown as an
// empty name, which the "%-6s" fields pad to blanks so the box keeps its width.
template <std::size_t N>
const char* NameOf(const std::array<std::string_view, N>& names, int value) {
    if (value < 0 || static_cast<std::size_t>(value) >= N) return "";
    return names[static_cast<std::size_t>(value)].data();  // each entry is a NUL-terminated literal
}

constexpr char kAsteriskRow[] = "**************************************\n";
static_assert(sizeof kAsteriskRow - 2 == 38);

void WriteAsyncSyncLines(bool async, const char* sendSpeed, const char* receiveSpeed) {
    const CaptureSettings& s = captureSettings;
    PutFormat(async ? "* MODE    : ASYNC   CHAR BIT: %-6s *\n" : "* MODE    : SYNC    CHAR BIT: %-6s *\n",
              NameOf(kCharBitNames, s.charBits()));
    PutFormat("* S-SPEED : %-6s  PARITY  : %-6s *\n", sendSpeed, NameOf(kParityNames, s.parity()));
    if (async) {
        PutFormat("* R-SPEED : %-6s  STOP BIT: %-6s *\n", receiveSpeed, NameOf(kStopBitNames, s.stopBitsOrClock()));
    } else {
        PutFormat("* R-SPEED : %-6s  CLOCK   : %-6s *\n", receiveSpeed, NameOf(kClockNames, s.stopBitsOrClock()));
    }
    PutFormat("* CODE    : %-6s  BCC     : %-6s *\n", NameOf(kCodeNames, s.code()), NameOf(kBccNames, s.check()));
}

void WriteHdlcLines(const char* sendSpeed, const char* receiveSpeed) {
    const CaptureSettings& s = captureSettings;
    PutFormat("* MODE    : %-6s  CHAR BIT: %-6s *\n", "HDLC", NameOf(kCharBitNames, s.charBits()));
    PutFormat("* S-SPEED : %-6s  PARITY  : %-6s *\n", sendSpeed, NameOf(kParityNames, s.parity()));
    PutFormat("* R-SPEED : %-6s  CLOCK   : %-6s *\n", receiveSpeed, NameOf(kClockNames, s.stopBitsOrClock()));
    PutFormat("* CODE    : %-6s  FCS     : %-6s *\n", NameOf(kCodeNames, s.code()), s.check() != 0 ? "ON" : "OFF");
    PutText("* SD-ADDR : ");
    if (s.sdAddressSet() != 0) PutFormat("%02X", s.sdAddress());
    else PutText("**");
    PutText("      RD-ADDR : ");
    if (s.rdAddressSet() != 0) PutFormat("%02X", s.rdAddress());
    else PutText("**");
    PutText("     *\n");
}

void WritePppLines(const char* sendSpeed, const char* receiveSpeed) {
    PutText("* MODE    : PPP                      *\n");
    PutFormat("* S-SPEED : %-6s                   *\n", sendSpeed);
    PutFormat("* R-SPEED : %-6s                   *\n", receiveSpeed);
    PutFormat("* CODE    : %-6s                   *\n", NameOf(kCodeNames, captureSettings.code()));
}

}  // namespace

char* FormatSpeed(char* buffer, std::int32_t speed) {
    // Formatted in a scratch buffer, then copied into the caller's 8 characters:
    // every speed below 10 Mbit/s gives at most 6, larger ones at most 7
    // (a nonsensical negative speed is cut at 7).
    constexpr std::size_t kSpeedBufferSize = 8;
    char text[32];
    const long v = speed;
    if (v < 100000 && v % 10 != 0) {
        std::snprintf(text, sizeof text, "%ld.%1ld", v / 10, v % 10 < 0 ? -(v % 10) : v % 10);
    } else if (v < 1000000) {
        std::snprintf(text, sizeof text, "%ld", v / 10);
    } else if (v < 10000000) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%ld", v / 1000);  // four digits
        if (digits[3] == '0') std::snprintf(text, sizeof text, "%.3sk", digits);
        else std::snprintf(text, sizeof text, "%.3s.%ck", digits, digits[3]);
    } else {
        // Whole megabits, then the kilobits as up to three decimals without
        // trailing zeros: 1.544M, 2M, and 10M or 12.5M above 10 Mbit/s. Above
        // 100 Mbit/s the last decimal is dropped so that the text fits.
        char megabits[16];
        const int m = std::snprintf(megabits, sizeof megabits, "%ld", v / 10000000);
        char decimals[8];
        std::snprintf(decimals, sizeof decimals, "%03ld", (v / 10000) % 1000);
        std::size_t n = m > 2 ? 2 : 3;
        while (n > 0 && decimals[n - 1] == '0') --n;
        decimals[n] = '\0';
        if (n > 0) std::snprintf(text, sizeof text, "%s.%sM", megabits, decimals);
        else std::snprintf(text, sizeof text, "%sM", megabits);
    }
    std::size_t length = std::strlen(text);
    if (length > kSpeedBufferSize - 1) length = kSpeedBufferSize - 1;
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return buffer;
}

int WriteConditionsHeader(int withPrintCode) {
    if (listingSettings.noGuide) return 0;
    char sendSpeed[8];
    char receiveSpeed[8];
    FormatSpeed(sendSpeed, captureSettings.sendSpeed());
    FormatSpeed(receiveSpeed, captureSettings.receiveSpeed());

    PutText(kAsteriskRow);
    switch (captureSettings.mode()) {
        case kModeAsync: WriteAsyncSyncLines(true, sendSpeed, receiveSpeed); break;
        case kModeSync: WriteAsyncSyncLines(false, sendSpeed, receiveSpeed); break;
        case kModeHdlc: WriteHdlcLines(sendSpeed, receiveSpeed); break;
        case kModePpp: WritePppLines(sendSpeed, receiveSpeed); break;
        default: break;  // any other mode: no mode lines
    }
    PutText(kAsteriskRow);
    if (withPrintCode == 1) return PutFormat("PRINT DATA CODE : %s\n\n", NameOf(kCodeNames, listingSettings.printCode));
    return PutChar('\n');
}
