#include "pcap/pcapng_writer.h"

#include <cstring>

namespace {

constexpr std::uint32_t kSectionHeaderType = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceType = 0x00000001;
constexpr std::uint32_t kEnhancedPacketType = 0x00000006;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;

constexpr std::uint16_t kOptEnd = 0;
constexpr std::uint16_t kOptComment = 1;
constexpr std::uint16_t kShbUserAppl = 4;
constexpr std::uint16_t kIfDescription = 3;
constexpr std::uint16_t kIfTsresol = 9;
constexpr std::uint16_t kEpbFlags = 2;

// Room for the largest block: headers, packet data, comment and flags options.
constexpr std::size_t kBlockMax = 64 + kPacketDataMax + 4 + kCommentMax + 4 + 16;
// The section and interface texts (a program name, a file name and its mode).
constexpr std::size_t kNameMax = 1024;
static_assert(kBlockMax > 64 + 2 * (kNameMax + 4));

std::uint8_t block[kBlockMax];
std::size_t used = 0;
std::FILE* stream = nullptr;
bool failed = false;

void Put32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) block[used++] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put16(std::uint16_t v) {
    block[used++] = static_cast<std::uint8_t>(v);
    block[used++] = static_cast<std::uint8_t>(v >> 8);
}
void PutBytes(const void* bytes, std::size_t n) {
    if (n > 0) std::memcpy(block + used, bytes, n);
    used += n;
    while (used % 4 != 0) block[used++] = 0;
}
void PutOption(std::uint16_t code, const void* value, std::size_t n) {
    Put16(code);
    Put16(static_cast<std::uint16_t>(n));
    PutBytes(value, n);
}
void PutTextOption(std::uint16_t code, std::string_view text, std::size_t limit) {
    if (text.empty()) return;
    PutOption(code, text.data(), text.size() < limit ? text.size() : limit);
}

void StartBlock(std::uint32_t type) {
    used = 0;
    Put32(type);
    Put32(0);  // total length, filled in by EndBlock
}

bool EndBlock() {
    const std::uint32_t total = static_cast<std::uint32_t>(used + 4);
    Put32(total);
    for (int i = 0; i < 4; ++i) block[4 + i] = static_cast<std::uint8_t>(total >> (8 * i));
    if (!failed && std::fwrite(block, 1, used, stream) != used) failed = true;
    return !failed;
}

}  // namespace

bool PcapngBegin(std::FILE* out, std::string_view application, std::uint16_t linkType, std::string_view description) {
    stream = out;
    failed = false;
    StartBlock(kSectionHeaderType);
    Put32(kByteOrderMagic);
    Put16(1);           // major version
    Put16(0);           // minor version
    Put32(0xFFFFFFFF);  // section length not given
    Put32(0xFFFFFFFF);
    PutTextOption(kShbUserAppl, application, kNameMax);
    Put32(kOptEnd);
    if (!EndBlock()) return false;

    StartBlock(kInterfaceType);
    Put16(linkType);
    Put16(0);  // reserved
    Put32(0);  // no snapshot length limit
    PutTextOption(kIfDescription, description, kNameMax);
    const std::uint8_t wholeSeconds = 0;  // 10^0 units per second
    PutOption(kIfTsresol, &wholeSeconds, 1);
    Put32(kOptEnd);
    return EndBlock();
}

bool PcapngWritePacket(const PcapngPacket& packet) {
    if (failed) return false;
    const std::uint32_t length = packet.length <= kPacketDataMax ? packet.length : kPacketDataMax;
    StartBlock(kEnhancedPacketType);
    Put32(0);  // interface 0
    Put32(static_cast<std::uint32_t>(packet.seconds >> 32));
    Put32(static_cast<std::uint32_t>(packet.seconds));
    Put32(length);
    Put32(packet.originalLength > length ? packet.originalLength : length);
    PutBytes(packet.data, length);
    const bool options = !packet.comment.empty() || packet.flags != 0;
    PutTextOption(kOptComment, packet.comment, kCommentMax);
    if (packet.flags != 0) {
        std::uint8_t flags[4];
        for (int i = 0; i < 4; ++i) flags[i] = static_cast<std::uint8_t>(packet.flags >> (8 * i));
        PutOption(kEpbFlags, flags, 4);
    }
    if (options) Put32(kOptEnd);
    return EndBlock();
}

bool PcapngFinish() {
    if (stream != nullptr && std::fflush(stream) != 0) failed = true;
    return !failed;
}
