// Reads back a pcapng file of one section and one interface, as vx5pcap
// writes it, checking its block structure independently of tshark: block
// lengths repeated at each end and within the file, 4-byte alignment, option
// lists that end, whole-second timestamps, captured lengths within the block.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pcapng_check {

struct Packet {
    std::uint64_t seconds = 0;
    std::string data;
    std::uint32_t originalLength = 0;
    std::uint32_t flags = 0;
    std::string comment;
};

struct File {
    std::string error;  // empty when the structure is sound
    std::string application;
    std::uint16_t linkType = 0;
    std::string description;
    std::vector<Packet> packets;
};

inline std::uint32_t Le(const std::string& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

// Walks the options from `at` to `end`; calls take(code, value) for each.
template <typename Take>
bool ReadOptions(const std::string& b, std::size_t at, std::size_t end, Take take) {
    while (at + 4 <= end) {
        const std::uint32_t code = Le(b, at, 2), n = Le(b, at + 2, 2);
        if (code == 0) return n == 0 && at + 4 == end;
        if (at + 4 + ((n + 3) & ~3u) > end) return false;
        take(code, b.substr(at + 4, n));
        at += 4 + ((n + 3) & ~3u);
    }
    return false;  // no end-of-options
}

inline File Read(const std::string& b) {
    File f;
    std::size_t at = 0;
    int blockIndex = 0;
    while (at < b.size()) {
        if (at + 12 > b.size()) return f.error = "truncated block header", f;
        const std::uint32_t type = Le(b, at, 4), length = Le(b, at + 4, 4);
        if (length < 12 || length % 4 != 0 || at + length > b.size()) return f.error = "bad block length", f;
        if (Le(b, at + length - 4, 4) != length) return f.error = "trailing length differs", f;
        const std::size_t body = at + 8, end = at + length - 4;
        bool ok = true;
        if (blockIndex == 0) {
            ok = type == 0x0A0D0D0A && Le(b, body, 4) == 0x1A2B3C4D && Le(b, body + 4, 2) == 1 &&
                 ReadOptions(b, body + 16, end, [&](std::uint32_t c, const std::string& v) {
                     if (c == 4) f.application = v;
                 });
        } else if (blockIndex == 1) {
            bool secondsResolution = false;
            f.linkType = static_cast<std::uint16_t>(Le(b, body, 2));
            ok = type == 1 &&
                 ReadOptions(b, body + 8, end,
                             [&](std::uint32_t c, const std::string& v) {
                                 if (c == 3) f.description = v;
                                 if (c == 9) secondsResolution = v == std::string(1, '\0');
                             }) &&
                 secondsResolution;
        } else {
            Packet p;
            const std::uint32_t captured = Le(b, body + 12, 4);
            p.seconds = (static_cast<std::uint64_t>(Le(b, body + 4, 4)) << 32) | Le(b, body + 8, 4);
            p.originalLength = Le(b, body + 16, 4);
            const std::size_t options = body + 20 + ((captured + 3) & ~3u);
            ok = type == 6 && Le(b, body, 4) == 0 && options <= end && p.originalLength >= captured;
            if (ok) {
                p.data = b.substr(body + 20, captured);
                ok = options == end || ReadOptions(b, options, end, [&](std::uint32_t c, const std::string& v) {
                         if (c == 1) p.comment = v;
                         if (c == 2) p.flags = Le(v, 0, 4);
                     });
            }
            f.packets.push_back(p);
        }
        if (!ok) return f.error = "bad block " + std::to_string(blockIndex), f;
        at += length;
        ++blockIndex;
    }
    if (blockIndex < 2) f.error = "no interface";
    return f;
}

}  // namespace pcapng_check
