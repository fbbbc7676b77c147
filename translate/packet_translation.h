// X.25 packet and LAPD call-control message translation: one line per frame.
//
// Each frame is first decoded at the link level (SDLC, LAPB or LAPD, as for the
// frame listing); INFO and UI frames then go on into their information field
// with the same byte reader: the X.25 packet header (logical channel, packet
// type, P(S), P(R), M, Q, D) or the LAPD call-control message header (protocol
// discriminator, call reference, message type). Every other frame gets a short
// link line with its frame type in brackets.
#pragma once

#include <cstdint>
#include <string_view>

struct AssembledFrame;

enum PacketKind : std::int8_t { kPacketNone = 0, kPacketX25 = 1, kPacketLapd = 2 };

// What the packet translation reads of the program's settings: which packets
// the information fields carry.
struct TranslateSettings {
    std::int8_t packetKind = kPacketNone;
};

extern TranslateSettings translateSettings;

// The packet translation listing: 1 when written, 0 when a write failed.
int RunPacketTranslation();

// The per-frame operation: decodes `frame` and writes its line (without the
// line end). Returns the result of the text write (-1 on failure).
int TranslatePacket(const AssembledFrame& frame);

// Name lookups (empty when the octet has no name on that line: side 0 SD, 1 RD).
std::string_view X25PacketName(int type, int side);
std::string_view LapdMessageName(int type);
