#include "pcap/link_layers.h"

#include <cstring>

#include "pcap/pcapng_writer.h"

namespace {

// Exported-PDU tags (type and length big-endian, value padded to 4 bytes).
constexpr std::uint16_t kTagEnd = 0;
constexpr std::uint16_t kTagDissectorName = 12;
constexpr std::uint16_t kTagDissectorTable = 14;
constexpr std::uint16_t kTagDissectorTableValue = 32;
constexpr std::uint16_t kTagP2pDirection = 35;
constexpr std::int32_t kP2pSent = 0;      // DTE to DCE
constexpr std::int32_t kP2pReceived = 1;  // DCE to DTE
// The encapsulation number under which Wireshark's "wtap_encap" table holds
// its SDLC dissector; the SDLC link type itself carries no direction.
constexpr std::uint32_t kWtapEncapSdlc = 36;

void PutBe16(std::uint8_t*& p, std::uint16_t v) {
    *p++ = static_cast<std::uint8_t>(v >> 8);
    *p++ = static_cast<std::uint8_t>(v);
}
void PutBe32(std::uint8_t*& p, std::uint32_t v) {
    PutBe16(p, static_cast<std::uint16_t>(v >> 16));
    PutBe16(p, static_cast<std::uint16_t>(v));
}
// A tag whose length counts its padding, as the reader expects of names.
void PutTag(std::uint8_t*& p, std::uint16_t tag, const void* value, std::size_t n) {
    const std::size_t padded = (n + 3) & ~static_cast<std::size_t>(3);
    PutBe16(p, tag);
    PutBe16(p, static_cast<std::uint16_t>(padded));
    if (n > 0) std::memcpy(p, value, n);
    std::memset(p + n, 0, padded - n);
    p += padded;
}
void PutNameTag(std::uint8_t*& p, std::uint16_t tag, std::string_view name) {
    PutTag(p, tag, name.data(), name.size());
}
void PutNumberTag(std::uint8_t*& p, std::uint16_t tag, std::uint32_t v) {
    std::uint8_t be[4];
    std::uint8_t* q = be;
    PutBe32(q, v);
    PutTag(p, tag, be, 4);
}

bool UserSide(PacketSide side) { return side.sd != side.sdIsNetwork; }

// Byte-at-a-time tables of the two frame check sequences (bit-reversed polynomials).
template <typename T, T kPolynomial>
constexpr auto FcsTable() {
    struct Table {
        T entry[256];
    } table{};
    for (unsigned i = 0; i < 256; ++i) {
        T v = static_cast<T>(i);
        for (int b = 0; b < 8; ++b) v = (v & 1) ? static_cast<T>((v >> 1) ^ kPolynomial) : static_cast<T>(v >> 1);
        table.entry[i] = v;
    }
    return table;
}
constexpr auto kFcs16Table = FcsTable<std::uint16_t, 0x8408>();
constexpr auto kFcs32Table = FcsTable<std::uint32_t, 0xEDB88320>();

std::uint16_t Fcs16(const std::uint8_t* bytes, std::size_t n) {
    std::uint16_t fcs = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i)
        fcs = static_cast<std::uint16_t>((fcs >> 8) ^ kFcs16Table.entry[(fcs ^ bytes[i]) & 0xFF]);
    return fcs;
}

std::uint32_t Fcs32(const std::uint8_t* bytes, std::size_t n) {
    std::uint32_t fcs = 0xFFFFFFFF;
    for (std::size_t i = 0; i < n; ++i) fcs = (fcs >> 8) ^ kFcs32Table.entry[(fcs ^ bytes[i]) & 0xFF];
    return fcs;
}

}  // namespace

std::uint16_t LinkTypeOf(ExportKind kind) {
    switch (kind) {
        case ExportKind::kLapd: return kLinkTypeLapd;
        case ExportKind::kPpp: return kLinkTypePppWithDir;
        case ExportKind::kSerial: return kLinkTypeRtacSerial;
        case ExportKind::kSdlc:
        case ExportKind::kLapb: break;
    }
    return kLinkTypeUpperPdu;
}

std::uint32_t DirectionFlags(ExportKind kind, PacketSide side) {
    const bool outbound = kind == ExportKind::kSerial || kind == ExportKind::kPpp ? side.sd : UserSide(side);
    return outbound ? epb_flag::kOutbound : epb_flag::kInbound;
}

std::string_view Modulo128Protocol(ExportKind kind) { return kind == ExportKind::kSdlc ? "sdlc128" : "lapb128"; }

std::size_t WriteFrameHeader(ExportKind kind, PacketSide side, std::uint8_t* out, bool modulo128) {
    std::uint8_t* p = out;
    const std::uint32_t p2p = static_cast<std::uint32_t>(UserSide(side) ? kP2pSent : kP2pReceived);
    if (modulo128 && (kind == ExportKind::kLapb || kind == ExportKind::kSdlc)) {
        PutNameTag(p, kTagDissectorName, Modulo128Protocol(kind));
        PutNumberTag(p, kTagP2pDirection, p2p);
        PutTag(p, kTagEnd, nullptr, 0);
        *p++ = side.sd ? 0 : 1;
        return static_cast<std::size_t>(p - out);
    }
    switch (kind) {
        case ExportKind::kPpp:
            *p++ = side.sd ? 0x01 : 0x00;  // sent, received
            break;
        case ExportKind::kLapb:
            PutNameTag(p, kTagDissectorName, "lapb");
            PutNumberTag(p, kTagP2pDirection, p2p);
            PutTag(p, kTagEnd, nullptr, 0);
            break;
        case ExportKind::kSdlc:
            PutNameTag(p, kTagDissectorTable, "wtap_encap");
            PutNumberTag(p, kTagDissectorTableValue, kWtapEncapSdlc);
            PutNumberTag(p, kTagP2pDirection, p2p);
            PutTag(p, kTagEnd, nullptr, 0);
            break;
        case ExportKind::kLapd:
        case ExportKind::kSerial: break;
    }
    return static_cast<std::size_t>(p - out);
}

void WriteSerialHeader(std::uint64_t seconds, SerialEvent event, std::uint8_t lineState, std::uint8_t* out) {
    // Capture lines (bit n: RS, CS, DR, CD, ER, SQ, CI, EX) to the header's
    // control-line bits (CTS 0x01, DCD 0x02, DSR 0x04, RTS 0x08, DTR 0x10, RI 0x20).
    struct LineMap {
        std::uint8_t capture;
        std::uint8_t header;
    };
    static constexpr LineMap kLines[] = {{0x01, 0x08}, {0x02, 0x01}, {0x04, 0x04},
                                         {0x08, 0x02}, {0x10, 0x10}, {0x40, 0x20}};
    std::uint8_t lines = 0;
    for (const LineMap& m : kLines) {
        if (lineState & m.capture) lines |= m.header;
    }
    std::uint8_t* p = out;
    PutBe32(p, static_cast<std::uint32_t>(seconds));
    PutBe32(p, 0);
    *p++ = static_cast<std::uint8_t>(event);
    *p++ = lines;
    PutBe16(p, 0);
}

PppFcs CheckPppFcs(const std::uint8_t* bytes, std::size_t n) {
    if (n >= 2 && Fcs16(bytes, n) == 0xF0B8) return PppFcs::kFcs16;
    if (n >= 4 && Fcs32(bytes, n) == 0xDEBB20E3) return PppFcs::kFcs32;
    return PppFcs::kBad;
}
