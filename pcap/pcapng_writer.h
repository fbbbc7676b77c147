// A pcapng stream of one section with one interface: the section header, the
// interface description and one enhanced packet block per packet, written
// little-endian through a stdio stream. Every block is built in one fixed
// buffer and written with one call; a failed write is remembered and ends
// every later write at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

// The largest packet data a block carries: a frame's bytes plus its pseudo-header.
inline constexpr std::size_t kPacketDataMax = 65535 + 64;
inline constexpr std::size_t kCommentMax = 200;

// Enhanced packet block flags (the epb_flags option): the direction in bits
// 0-1, the link-layer errors in bits 24-31 (31 symbol, 30 preamble, 29 start
// frame delimiter, 28 unaligned frame, 27 inter-frame gap, 26 packet too
// short, 25 packet too long, 24 CRC).
namespace epb_flag {
inline constexpr std::uint32_t kInbound = 0x1;
inline constexpr std::uint32_t kOutbound = 0x2;
inline constexpr std::uint32_t kPacketTooShort = 1u << 26;
inline constexpr std::uint32_t kCrcError = 1u << 24;
}  // namespace epb_flag

struct PcapngPacket {
    std::uint64_t seconds = 0;           // since 1970-01-01 00:00:00 UTC
    const std::uint8_t* data = nullptr;  // captured bytes
    std::uint32_t length = 0;            // captured length
    std::uint32_t originalLength = 0;    // length on the line
    std::uint32_t flags = 0;             // epb_flag values; 0 writes no flags option
    std::string_view comment{};          // cut at kCommentMax characters
};

// Starts the stream on `out`: the section header naming `application` and
// the interface of `linkType` described by `description`, with whole-second
// timestamps. False when a write failed.
bool PcapngBegin(std::FILE* out, std::string_view application, std::uint16_t linkType, std::string_view description);
// Appends one packet. False when this or an earlier write failed.
bool PcapngWritePacket(const PcapngPacket& packet);
// Flushes the stream. False when any write failed.
bool PcapngFinish();
