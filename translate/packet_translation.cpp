#include "translate/packet_translation.h"

#include <array>

#include "listing/listing_writer.h"
#include "listing/table_checks.h"
#include "translate/frame_translation.h"
#include "translate/line_fields.h"

TranslateSettings translateSettings;

namespace {

// X.25 flow control packets (type bit 0 set, bits 1 and 4 clear), indexed by
// row (type >> 2) & 3 (ITU-T X.25). A reject is sent by the DTE (SD) only.
constexpr LineNames kFlowControlNames[4] = {
    {"RR", "RR"},    // 0x01 receive ready
    {"RNR", "RNR"},  // 0x05 receive not ready
    {"REJ", ""},     // 0x09 reject
    {"", ""},        // 0x0D
};

// X.25 packets with type bits 0 and 1 set (ITU-T X.25), by type octet. Where
// the DTE and the DCE name the same octet differently, SD holds the DTE's name
// and RD the DCE's.
struct X25PacketRow {
    std::uint8_t type;
    std::string_view sd;
    std::string_view rd;
};
constexpr X25PacketRow kX25PacketRows[] = {
    {0x0B, "CR", "IC"},  // call request / incoming call
    {0x0F, "CA", "CC"},  // call accepted / call connected
    {0x13, "CQ", "CI"},  // clear request / clear indication
    {0x17, "CF", "CF"},  // clear confirmation
    {0x1B, "RQ", "RI"},  // reset request / reset indication
    {0x1F, "RF", "RF"},  // reset confirmation
    {0x23, "IT", "IT"},  // interrupt
    {0x27, "IF", "IF"},  // interrupt confirmation
    {0xF3, "REGQ", ""},  // registration request
    {0xF7, "", "REGF"},  // registration confirmation
    {0xFB, "SQ", "SI"},  // restart request / restart indication
    {0xFF, "SF", "SF"},  // restart confirmation
};

// LAPD call-control message types (ITU-T Q.931), the same on both lines.
struct MessageRow {
    std::uint8_t type;
    std::string_view name;
};
// The rows stand as laid out; clang-format leaves them so.
// clang-format off
constexpr MessageRow kMessageRows[] = {
    {0x00, "ESCAPE"},
    {0x01, "ALERT"},
    {0x02, "CALL PROC"},
    {0x03, "PROG"},
    {0x05, "SETUP"},
    {0x07, "CONN"},
    {0x0D, "SETUP ACK"},
    {0x0F, "CONN ACK"},
    {0x20, "USER INFO"},
    {0x21, "SUSP REJ"},
    {0x22, "RES REJ"},
    {0x25, "SUSP"},
    {0x26, "RES"},
    {0x2D, "SUSP ACK"},
    {0x2E, "RES ACK"},
    {0x45, "DISC"},
    {0x46, "REST"},
    {0x4D, "REL"},
    {0x4E, "REST ACK"},
    {0x5A, "REL COMP"},
    {0x60, "SEGMENT"},
    {0x62, "FAC"},
    {0x6E, "NOTIFY"},
    {0x75, "STATUS EN"},
    {0x79, "CON CON"},
    {0x7B, "INFO"},
    {0x7D, "STATUS"},
};
// clang-format on

// Column widths of the P-TYPE and MESSAGE fields.
constexpr int kPacketNameWidth = 4;
constexpr int kMessageNameWidth = 9;

constexpr bool X25RowsValid() {
    for (const auto& row : kX25PacketRows) {
        if ((row.type & 3) != 3) return false;
        if (!NameFits(row.sd, kPacketNameWidth) || !NameFits(row.rd, kPacketNameWidth)) return false;
    }
    for (const auto& row : kFlowControlNames) {
        if (!NameFits(row.sd, kPacketNameWidth) || !NameFits(row.rd, kPacketNameWidth)) return false;
    }
    return true;
}

constexpr bool MessageRowsValid() {
    for (const auto& row : kMessageRows) {
        if (row.type >= 0x80 || row.name.empty() || !NameFits(row.name, kMessageNameWidth)) return false;
    }
    return true;
}

static_assert(IsStrictlyAscending(kX25PacketRows, &X25PacketRow::type));
static_assert(IsStrictlyAscending(kMessageRows, &MessageRow::type));
static_assert(X25RowsValid());
static_assert(MessageRowsValid());

// The lookup tables, indexed directly: X.25 packets by row (type >> 2) & 0x3F,
// messages by the type octet (bit 7 clear).
constexpr std::array<LineNames, 64> BuildX25PacketNames() {
    std::array<LineNames, 64> table{};
    for (const auto& row : kX25PacketRows) table[(row.type >> 2) & 0x3F] = {row.sd, row.rd};
    return table;
}
constexpr std::array<std::string_view, 128> BuildMessageNames() {
    std::array<std::string_view, 128> table{};
    for (const auto& row : kMessageRows) table[row.type] = row.name;
    return table;
}
constexpr auto kX25PacketNames = BuildX25PacketNames();
constexpr auto kMessageNames = BuildMessageNames();

}  // namespace

std::string_view X25PacketName(int type, int side) { return NameOnLine(kX25PacketNames[(type >> 2) & 0x3F], side); }
std::string_view LapdMessageName(int type) { return (type & 0x80) ? std::string_view() : kMessageNames[type & 0x7F]; }

namespace {

// The decoded layer-3 header of the current frame; -1 (or an empty name) is "none".
struct PacketFields {
    std::int16_t gfi = -1;               // X.25 first octet: Q (7), D (6), modulo (4-5), group (0-3)
    std::int16_t channel = -1;           // X.25 logical channel number octet
    std::int32_t packetType = -1;        // X.25 packet type identifier, or LAPD message type
    std::string_view packetName;         // empty when the type has no name
    bool packetExtended = false;         // P(S)/P(R) are modulo 128
    std::int8_t sendSeq = -1;            // P(S)
    std::int8_t recvSeq = -1;            // P(R)
    std::int8_t more = -1;               // M bit
    std::int8_t qualifier = -1;          // Q bit
    std::int8_t delivery = -1;           // D bit
    std::int16_t discriminator = -1;     // LAPD protocol discriminator
    std::uint8_t callRefLength = 0;      // call reference length in octets (0-15)
    std::int16_t callRef[2] = {-1, -1};  // the first two call reference octets
};

PacketFields packetFields;

void ResetPacketFields() { packetFields = PacketFields{}; }

// Blank columns that put the link line's FC mark under the FC heading.
constexpr int kX25LinkGap = 20;
constexpr int kLapdLinkGap = 13;

// The name of a flow control packet type on the line `side`, or empty.
std::string_view FlowControlName(int type, int side) { return NameOnLine(kFlowControlNames[(type >> 2) & 3], side); }

// ---- X.25 packet header ----------------------------------------------------------

// First octet (general format identifier and group number).
constexpr int kGfiModuloMask = 0x30;  // bits 4-5: 0x10 modulo 8, 0x20 modulo 128
constexpr int kGfiModulo128 = 0x20;
constexpr bool IsModulo128Gfi(int gfi) { return (gfi & kGfiModuloMask) == kGfiModulo128; }
constexpr int GfiQualifier(int gfi) { return (gfi >> 7) & 1; }  // Q bit
constexpr int GfiDelivery(int gfi) { return (gfi >> 6) & 1; }   // D bit
constexpr int GfiGroup(int gfi) { return gfi & 0x0F; }          // logical channel group number

// Packet type identifier octet.
constexpr bool IsDataPacket(int type) { return (type & 0x01) == 0; }
constexpr bool IsCallSetupPacket(int type) { return (type & 0x03) == 0x03; }   // call set-up, clearing, reset, ...
constexpr bool IsDiagnosticFamily(int type) { return (type & 0x13) == 0x11; }  // bit 0 set, bit 1 clear, bit 4 set
constexpr bool IsDiagnosticPacket(int type) { return (type & 0xFE) == 0xF0; }
// Modulo 8: P(S) in bits 1-3, M in bit 4, P(R) in bits 5-7; modulo 128: P(S) in bits 1-7.
constexpr int TypeSendSeq8(int type) { return (type >> 1) & 7; }
constexpr int TypeMore8(int type) { return (type >> 4) & 1; }
constexpr int TypeRecvSeq8(int type) { return (type >> 5) & 7; }
constexpr int TypeSendSeq128(int type) { return (type >> 1) & 0x7F; }
// Modulo 128 flow control: only bits 0-3 carry the type; bits 5-7 must be clear.
constexpr bool HasModulo128FlowControlBits(int type) { return (type & 0xF0) != 0; }
// Modulo 128 second octet: M (data) in bit 0, P(R) in bits 1-7.
constexpr int SeqOctetMore(int b) { return b & 1; }
constexpr int SeqOctetRecvSeq(int b) { return (b >> 1) & 0x7F; }

constexpr std::string_view kDataPacketName = "DT";
constexpr std::string_view kDiagnosticName = "DIAG";

void DecodeDataPacket(int gfi, int type) {
    PacketFields& p = packetFields;
    p.packetName = kDataPacketName;
    p.qualifier = static_cast<std::int8_t>(GfiQualifier(gfi));
    p.delivery = static_cast<std::int8_t>(GfiDelivery(gfi));
    if (IsModulo128Gfi(gfi)) {
        p.packetExtended = true;
        p.sendSeq = static_cast<std::int8_t>(TypeSendSeq128(type));
        const int b = NextByte();
        if (b < 0) return;
        p.more = static_cast<std::int8_t>(SeqOctetMore(b));
        p.recvSeq = static_cast<std::int8_t>(SeqOctetRecvSeq(b));
    } else {
        p.packetExtended = false;
        p.sendSeq = static_cast<std::int8_t>(TypeSendSeq8(type));
        p.more = static_cast<std::int8_t>(TypeMore8(type));
        p.recvSeq = static_cast<std::int8_t>(TypeRecvSeq8(type));
    }
}

void DecodeFlowControlPacket(int gfi, int type) {
    PacketFields& p = packetFields;
    p.packetName = FlowControlName(type, frameFields.side);
    if (p.packetName.empty()) return;
    if (IsModulo128Gfi(gfi)) {
        p.packetExtended = true;
        if (HasModulo128FlowControlBits(type)) p.packetName = {};
        const int b = NextByte();
        if (b < 0) return;
        p.recvSeq = static_cast<std::int8_t>(SeqOctetRecvSeq(b));
    } else {
        p.packetExtended = false;
        p.recvSeq = static_cast<std::int8_t>(TypeRecvSeq8(type));
    }
}

// Fill packetFields from the frame's byte reader, stopping at the first missing byte.
void DecodeX25Header() {
    PacketFields& p = packetFields;
    const int gfi = NextByte();
    if (gfi < 0) return;
    p.gfi = static_cast<std::int16_t>(gfi);
    const int channel = NextByte();
    if (channel < 0) return;
    p.channel = static_cast<std::int16_t>(channel);
    const int type = NextByte();
    if (type < 0) return;
    p.packetType = type;

    if (IsDataPacket(type)) {
        DecodeDataPacket(gfi, type);
    } else if (IsCallSetupPacket(type)) {
        p.packetName = X25PacketName(type, frameFields.side);
    } else if (IsDiagnosticFamily(type)) {
        if (IsDiagnosticPacket(type)) p.packetName = kDiagnosticName;
    } else {
        DecodeFlowControlPacket(gfi, type);
    }
}

// ---- LAPD call-control message header ----------------------------------------------

constexpr int CallRefLengthOf(int octet) { return octet & 0x0F; }
constexpr int kCallRefShown = 2;  // call reference octets kept; later ones are skipped
constexpr int CallRefFlag(int octet) { return (octet >> 7) & 1; }
constexpr int CallRefValue(int octet) { return octet & 0x7F; }

void DecodeMessageHeader() {
    PacketFields& p = packetFields;
    const int discriminator = NextByte();
    if (discriminator < 0) return;
    p.discriminator = static_cast<std::int16_t>(discriminator);
    const int lengthOctet = NextByte();
    if (lengthOctet < 0) return;
    p.callRefLength = static_cast<std::uint8_t>(CallRefLengthOf(lengthOctet));

    // The call reference octets, then the message type octet.
    int octet = -1;
    for (int taken = 0; taken <= p.callRefLength; ++taken) {
        octet = NextByte();
        if (octet < 0) return;
        if (taken < p.callRefLength && taken < kCallRefShown) p.callRef[taken] = static_cast<std::int16_t>(octet);
    }
    p.packetType = octet;
    p.packetName = LapdMessageName(octet);
}

// ---- Lines -------------------------------------------------------------------------

// P(S)/P(R): three blanks for none; "  d" (modulo 8) or "%3d" (modulo 128).
void PutPacketSeq(int v) {
    if (v < 0) {
        PutSpaces(3);
    } else if (!packetFields.packetExtended) {
        // Right-aligned, unlike the centred modulo 8 frame sequence numbers.
        const char digit = static_cast<char>('0' + (v & 7));
        PutSpaces(2);
        PutLiteral(std::string_view(&digit, 1));
    } else {
        PutDec3(v);
    }
}

// Each builds its line in the line buffer and writes it; the result of the text write.
int FormatLinkLine(int gap) {
    if (!StartFrameLine()) return FinishLine();
    PutLiteral("[");
    PutName(frameFields.typeName, frameFields.control, 5);
    PutLiteral("]");
    PutSpaces(gap);
    PutCheck();
    return FinishLine();
}

int FormatPacketLine() {
    const PacketFields& p = packetFields;
    if (!StartFrameLine()) return FinishLine();
    if (p.gfi < 0) PutSpaces(2);
    else PutDec2(GfiGroup(p.gfi));
    PutSpaces(1);
    if (p.channel < 0) PutSpaces(3);
    else PutDec3(p.channel);
    PutSpaces(2);
    PutName(p.packetName, p.packetType, kPacketNameWidth);
    PutSpaces(1);
    PutPacketSeq(p.sendSeq);
    PutSpaces(1);
    PutPacketSeq(p.recvSeq);
    PutSpaces(1);
    PutBit(p.more);
    PutSpaces(1);
    PutBit(p.qualifier);
    PutSpaces(1);
    PutBit(p.delivery);
    PutSpaces(1);
    PutCheck();
    PutSpaces(1);
    PutData(DataLimit(DataLayout::kX25Packet));
    return FinishLine();
}

int FormatMessageLine() {
    const PacketFields& p = packetFields;
    if (!StartFrameLine()) return FinishLine();
    if (p.discriminator < 0) PutSpaces(2);
    else PutHex2(p.discriminator);
    PutSpaces(1);
    PutName(p.packetName, p.packetType, kMessageNameWidth);
    PutSpaces(1);
    // Call reference: flag, value of the first octet, the second octet.
    if (p.callRefLength >= 1 && p.callRef[0] >= 0) {
        const char flag = static_cast<char>('0' + CallRefFlag(p.callRef[0]));
        PutLiteral(std::string_view(&flag, 1));
        PutSpaces(1);
        PutHex2(CallRefValue(p.callRef[0]));
        if (p.callRefLength >= 2 && p.callRef[1] >= 0) PutHex2(p.callRef[1]);
        else PutSpaces(2);
    } else {
        PutSpaces(6);
    }
    PutSpaces(1);
    PutCheck();
    PutSpaces(1);
    PutData(DataLimit(DataLayout::kLapdMessage));
    return FinishLine();
}

// ---- Per frame and the listing ---------------------------------------------------------

constexpr std::string_view kUiName = "UI";
constexpr char kTitle[] = "        ** PACKET CONVERSION **\n";
constexpr char kLapdHeading[] = "     TM   PD  MESSAGE CRF CR  FC DATA\n";
constexpr char kX25Heading[] = "     TM   GN  CN P-TYPE PS  PR M Q D FC DATA\n";
constexpr char kX25NarrowHeading[] = "     TM   GN  CN P-TYPE PS  PR M Q D FC\n";  // no room for DATA

// Frames whose information field carries a packet or message.
bool CarriesLayer3() { return frameFields.typeName == kInfoName || frameFields.typeName == kUiName; }

}  // namespace

int TranslatePacket(const AssembledFrame& frame) {
    ResetPacketFields();
    DecodeLinkLevel(frame);
    const bool lapd = translateSettings.packetKind == kPacketLapd;
    if (frameFields.side < 0 || !CarriesLayer3()) return FormatLinkLine(lapd ? kLapdLinkGap : kX25LinkGap);
    if (lapd) {
        DecodeMessageHeader();
        return FormatMessageLine();
    }
    DecodeX25Header();
    return FormatPacketLine();
}

int RunPacketTranslation() {
    const char* heading = kLapdHeading;
    if (translateSettings.packetKind != kPacketLapd)
        heading = listingSettings.columns >= 80 ? kX25Heading : kX25NarrowHeading;
    return RunTranslation(kTitle, heading, TranslatePacket, FrameAssembly::kHdlc);
}
