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

// The decoded layer-3 header of the current frame; -1 (or an empty name) is "none".
struct PacketFields {
    std::int16_t gfi = -1;             // X.25 first octet: Q (7), D (6), modulo (4-5), group (0-3)
    std::int16_t channel = -1;         // X.25 logical channel number octet
    std::int32_t packetType = -1;      // X.25 packet type identifier, or LAPD message type
    std::string_view packetName;       // empty when the type has no name
    bool packetExtended = false;       // P(S)/P(R) are modulo 128
    std::int8_t sendSeq = -1;          // P(S)
    std::int8_t recvSeq = -1;          // P(R)
    std::int8_t more = -1;             // M bit
    std::int8_t qualifier = -1;        // Q bit
    std::int8_t delivery = -1;         // D bit
    std::int16_t discriminator = -1;   // LAPD protocol discriminator
    std::uint8_t callRefLength = 0;    // call reference length in octets (0-15)
    std::int16_t callRef[2] = {-1, -1};  // the first two call reference octets
};

extern PacketFields packetFields;

// Blank columns that put the link line's FC mark under the FC heading.
inline constexpr int kX25LinkGap = 20;
inline constexpr int kLapdLinkGap = 13;

// The packet translation listing: 1 when written, 0 when a write failed.
int RunPacketTranslation();

// The per-frame operation: decodes `frame` and writes its line (without the
// line end). Returns the result of the text write (-1 on failure).
int TranslatePacket(const AssembledFrame& frame);

void ResetPacketFields();
// Fill packetFields from the frame's byte reader, stopping at the first missing byte.
void DecodeX25Header();
void DecodeMessageHeader();

// Build the line in the line buffer and write it; result of the text write.
int FormatLinkLine(int gap);
int FormatPacketLine();
int FormatMessageLine();

// P(S)/P(R): three blanks for none; "  d" (modulo 8) or "%3d" (modulo 128).
void PutPacketSeq(int v);

// Name lookups (empty when the octet has no name on that line: side 0 SD, 1 RD).
std::string_view FlowControlName(int type, int side);
std::string_view X25PacketName(int type, int side);
std::string_view LapdMessageName(int type);
