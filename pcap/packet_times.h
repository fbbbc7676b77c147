// Packet times from the capture's timestamp records. The analyzer stamps the
// time of day only; the date comes from the capture file or the command line,
// and a day is added each time the clock goes back by more than 12 hours.
#pragma once

#include <cstdint>

#include "capture/record_stream.h"

// Seconds of the day in a timestamp record's three BCD time bytes (hours,
// minutes, seconds), or -1 when a digit is not decimal or a value is out of range.
std::int32_t TimestampSecondOfDay(CaptureRecord timestamp);

// Starts the clock at midnight UTC of the day holding `dateSeconds` (seconds
// since 1970-01-01 UTC).
void StartPacketClock(std::int64_t dateSeconds);
// The time of a packet whose timestamp record is `timestamp` (0: none). A
// packet without a readable mark takes the time of the packet before it.
std::uint64_t PacketTime(CaptureRecord timestamp);

// Parses YYYY-MM-DD into seconds since 1970-01-01 UTC; false when malformed.
bool ParseDate(const char* text, std::int64_t& seconds);
