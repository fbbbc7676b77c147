#include "pcap/packet_times.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int32_t kHalfDay = 43200;

std::int64_t dayStart = 0;    // midnight of the current day
std::int32_t lastOfDay = -1;  // second of the day of the last marked packet
std::uint64_t lastTime = 0;   // time of the last packet

// One BCD byte as 0-99, or -1 when a digit is above 9.
int Bcd(std::uint8_t b) {
    const int high = b >> 4, low = b & 0x0F;
    return high > 9 || low > 9 ? -1 : high * 10 + low;
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::int32_t TimestampSecondOfDay(CaptureRecord timestamp) {
    const int h = Bcd(TimeByte0(timestamp)), m = Bcd(TimeByte1(timestamp)), s = Bcd(TimeByte2(timestamp));
    if (h < 0 || m < 0 || s < 0 || h > 23 || m > 59 || s > 59) return -1;
    return h * 3600 + m * 60 + s;
}

void StartPacketClock(std::int64_t dateSeconds) {
    std::int64_t days = dateSeconds / kSecondsPerDay;
    if (dateSeconds % kSecondsPerDay < 0) --days;
    dayStart = days * kSecondsPerDay;
    if (dayStart < 0) dayStart = 0;
    lastOfDay = -1;
    lastTime = static_cast<std::uint64_t>(dayStart);
}

std::uint64_t PacketTime(CaptureRecord timestamp) {
    const std::int32_t ofDay = timestamp != 0 ? TimestampSecondOfDay(timestamp) : -1;
    if (ofDay < 0) return lastTime;
    if (lastOfDay >= 0 && lastOfDay - ofDay > kHalfDay) dayStart += kSecondsPerDay;  // past midnight
    lastOfDay = ofDay;
    lastTime = static_cast<std::uint64_t>(dayStart + ofDay);
    return lastTime;
}

bool ParseDate(const char* text, std::int64_t& seconds) {
    int v[3] = {0, 0, 0};
    static constexpr int kDigits[3] = {4, 2, 2};
    const char* p = text;
    for (int field = 0; field < 3; ++field) {
        for (int i = 0; i < kDigits[field]; ++i, ++p) {
            if (*p < '0' || *p > '9') return false;
            v[field] = v[field] * 10 + (*p - '0');
        }
        if (field < 2 && *p++ != '-') return false;
    }
    if (*p != '\0' || v[0] < 1970 || v[1] < 1 || v[1] > 12 || v[2] < 1) return false;
    static constexpr int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (v[0] % 4 == 0 && v[0] % 100 != 0) || v[0] % 400 == 0;
    if (v[2] > kMonthDays[v[1] - 1] || (v[1] == 2 && v[2] == 29 && !leap)) return false;
    seconds = DaysFromCivil(v[0], static_cast<unsigned>(v[1]), static_cast<unsigned>(v[2])) * kSecondsPerDay;
    return true;
}
