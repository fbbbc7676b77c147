// What each kind of capture becomes in pcapng: its link type, the bytes that
// go before a frame (pseudo-header or exported-PDU tags), its direction flags,
// and the PPP frame check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

enum class ExportKind : std::uint8_t { kSdlc, kLapb, kLapd, kPpp, kSerial };

inline constexpr std::uint16_t kLinkTypeLapd = 203;
inline constexpr std::uint16_t kLinkTypePppWithDir = 204;
inline constexpr std::uint16_t kLinkTypeRtacSerial = 250;
inline constexpr std::uint16_t kLinkTypeUpperPdu = 252;

// The largest header WriteFrameHeader writes.
inline constexpr std::size_t kFrameHeaderMax = 48;

std::uint16_t LinkTypeOf(ExportKind kind);

// The line a packet was seen on, and which side is the network side (the
// DCE of LAPB and SDLC, the network of LAPD).
struct PacketSide {
    bool sd = true;
    bool sdIsNetwork = false;
};

// The epb_flags direction of a frame or data run: outbound for the user side
// (DTE) and inbound for the network side. Serial runs: SD outbound, RD inbound.
std::uint32_t DirectionFlags(ExportKind kind, PacketSide side);

// The protocol of our Wireshark plugin (wireshark/vx5200_mod128.lua) that
// decodes LAPB or SDLC modulo 128: Wireshark's own dissectors read the control
// field modulo 8 only.
std::string_view Modulo128Protocol(ExportKind kind);

// Writes the bytes that precede a frame of `kind` into `out` (room for
// kFrameHeaderMax) and returns their number: the PPP direction byte, the
// exported-PDU tags of LAPB and SDLC, nothing for LAPD. Modulo 128 LAPB and
// SDLC frames go to the plugin's protocol, the tags followed by the line the
// frame came on (0 SD, 1 RD), which names its frame types.
std::size_t WriteFrameHeader(ExportKind kind, PacketSide side, std::uint8_t* out, bool modulo128 = false);

// Serial-line header of a data run or a line-state change.
enum class SerialEvent : std::uint8_t { kStatusChange = 0, kDataSent = 1, kDataReceived = 2 };
inline constexpr std::size_t kSerialHeaderSize = 12;
// Writes the 12-byte serial-line header: the time, the event, the control
// lines of `lineState` (a line-state byte of the capture), no footer.
void WriteSerialHeader(std::uint64_t seconds, SerialEvent event, std::uint8_t lineState, std::uint8_t* out);

// The frame check sequence a PPP frame ends with, found by its residue.
enum class PppFcs : std::uint8_t { kBad, kFcs16, kFcs32 };
PppFcs CheckPppFcs(const std::uint8_t* bytes, std::size_t n);
