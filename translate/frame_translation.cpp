#include "translate/frame_translation.h"

#include <cstdint>

#include "decode/decode_settings.h"
#include "listing/listing_writer.h"
#include "listing/table_checks.h"
#include "translate/line_fields.h"

namespace {

// ---- Name tables ------------------------------------------------------------------

constexpr int kSupervisoryRows = 4;  // control bits 2-3
constexpr int kUnnumberedRows = 32;  // control bits 5-7 and 2-3, without P/F

// The row of an unnumbered control octet: bits 5-7 to row bits 2-4, bits 2-3 to row bits 0-1.
constexpr int UnnumberedRow(int control) { return ((control >> 3) & 0x1C) | ((control >> 2) & 3); }
// The row of a supervisory control octet: bits 2-3.
constexpr int SupervisoryRow(int control) { return (control >> 2) & 3; }

// The supervisory and unnumbered frame names of one frame kind.
struct FrameNameTables {
    LineNames supervisory[kSupervisoryRows];
    LineNames unnumbered[kUnnumberedRows];
};

// Supervisory names, row = control bits 2-3; the same for every kind and line.
constexpr LineNames kSupervisoryNames[kSupervisoryRows] = {
    {"RR", "RR"},
    {"RNR", "RNR"},
    {"REJ", "REJ"},
    {},
};

// Unnumbered names by control octet (P/F 0; the octet with P/F 1 shares the row).
// Where an octet is both a command and a response, SD holds the command name.
struct UnnumberedNames {
    std::uint8_t octet;
    LineNames sdlc;
    LineNames lapb;
    LineNames lapd;
};

constexpr UnnumberedNames kUnnumberedNames[] = {
    {0x03, {"UI", "UI"}, {}, {"UI", {}}},
    {0x07, {"SIM", "RIM"}, {}, {}},
    {0x0F, {{}, "DM"}, {"SARM", "DM"}, {{}, "DM"}},
    {0x23, {"UP", {}}, {}, {}},
    {0x2F, {}, {"SABM", {}}, {}},
    {0x43, {"DISC", "RD"}, {"DISC", {}}, {"DISC", {}}},
    {0x63, {{}, "UA"}, {{}, "UA"}, {{}, "UA"}},
    {0x6F, {}, {"SABME", {}}, {"SABME", {}}},
    {0x83, {"SNRM", {}}, {}, {}},
    {0x87, {{}, "FRMR"}, {{}, "FRMR"}, {{}, "FRMR"}},
    {0xAF, {"XID", "XID"}, {}, {"XID", "XID"}},
    {0xC7, {"CFGR", "CFGR"}, {}, {}},
    {0xCF, {"SNRME", {}}, {}, {}},
    {0xE3, {"TEST", "TEST"}, {}, {}},
    {0xEF, {{}, "BCN"}, {}, {}},
};

// Width of the TYPE column.
constexpr int kTypeNameWidth = 5;

// Every listed octet is an unnumbered octet with P/F 0, and every name fits
// the type column.
constexpr bool UnnumberedTableOk() {
    for (const UnnumberedNames& row : kUnnumberedNames) {
        if ((row.octet & 0x03) != 0x03 || (row.octet & 0x10) != 0) return false;
        for (const LineNames* names : {&row.sdlc, &row.lapb, &row.lapd}) {
            if (!NameFits(names->sd, kTypeNameWidth) || !NameFits(names->rd, kTypeNameWidth)) return false;
        }
    }
    return true;
}
static_assert(UnnumberedTableOk());
static_assert(IsStrictlyAscending(kUnnumberedNames, &UnnumberedNames::octet));

// Builds one kind's tables from the column `kind` of the unnumbered list.
constexpr FrameNameTables BuildTables(LineNames UnnumberedNames::*kind) {
    FrameNameTables tables{};
    for (int row = 0; row < kSupervisoryRows; ++row) tables.supervisory[row] = kSupervisoryNames[row];
    for (const UnnumberedNames& entry : kUnnumberedNames) tables.unnumbered[UnnumberedRow(entry.octet)] = entry.*kind;
    return tables;
}

// ---- Control field ----------------------------------------------------------------
// The first control octet: bit 0 clear an I frame, bits 0-1 binary 01 an S
// frame, 11 a U frame (one octet, P/F in bit 4, in either modulo). Modulo 8:
// N(S) in bits 1-3, P/F in bit 4, N(R) in bits 5-7. Modulo 128: N(S) in bits
// 1-7 of an I frame, bits 4-7 of an S frame zero, and a second octet with P/F
// in bit 0 and N(R) in bits 1-7.
enum class ControlFormat : std::uint8_t { kInformation, kSupervisory, kUnnumbered };

constexpr ControlFormat FormatOf(int control) {
    if ((control & 1) == 0) return ControlFormat::kInformation;
    if ((control & 2) == 0) return ControlFormat::kSupervisory;
    return ControlFormat::kUnnumbered;
}
constexpr std::int8_t SendSeq8(int control) { return static_cast<std::int8_t>((control >> 1) & 7); }
constexpr std::int8_t PollFinal(int control) { return static_cast<std::int8_t>((control >> 4) & 1); }
constexpr std::int8_t RecvSeq8(int control) { return static_cast<std::int8_t>((control >> 5) & 7); }
constexpr std::int8_t SendSeq128(int control) { return static_cast<std::int8_t>((control >> 1) & 0x7F); }
constexpr std::int8_t SecondOctetPollFinal(int second) { return static_cast<std::int8_t>(second & 1); }
constexpr std::int8_t SecondOctetRecvSeq(int second) { return static_cast<std::int8_t>((second >> 1) & 0x7F); }
constexpr bool HasModulo128SupervisoryBits(int control) { return (control & 0xF0) != 0; }

// P/F and N(R) from the second control octet of modulo 128; false when it is missing.
bool DecodeExtendedSecondOctet() {
    const int b = NextByte();
    if (b < 0) return false;
    frameFields.pollFinal = SecondOctetPollFinal(b);
    frameFields.recvSeq = SecondOctetRecvSeq(b);
    return true;
}

// The control field, shared by SDLC, LAPB and LAPD: type name, sequence
// numbers and P/F. The control octet is already in frameFields.control.
void DecodeControlField(const FrameNameTables& names, bool modulo128) {
    const int control = frameFields.control;
    switch (FormatOf(control)) {
        case ControlFormat::kInformation:
            frameFields.typeName = kInfoName;
            if (!modulo128) {
                frameFields.extended = 0;
                frameFields.sendSeq = SendSeq8(control);
                frameFields.pollFinal = PollFinal(control);
                frameFields.recvSeq = RecvSeq8(control);
            } else {
                frameFields.extended = 1;
                frameFields.sendSeq = SendSeq128(control);
                DecodeExtendedSecondOctet();
            }
            break;
        case ControlFormat::kSupervisory:
            frameFields.typeName = NameOnLine(names.supervisory[SupervisoryRow(control)], frameFields.side);
            if (!modulo128) {
                frameFields.extended = 0;
                frameFields.pollFinal = PollFinal(control);
                frameFields.recvSeq = RecvSeq8(control);
            } else {
                frameFields.extended = 1;
                // A modulo 128 supervisory octet with any of bits 4-7 set has no name.
                if (HasModulo128SupervisoryBits(control)) frameFields.typeName = {};
                DecodeExtendedSecondOctet();
            }
            break;
        case ControlFormat::kUnnumbered:
            frameFields.typeName = NameOnLine(names.unnumbered[UnnumberedRow(control)], frameFields.side);
            frameFields.pollFinal = PollFinal(control);
            break;
    }
}

// Headings and title of the frame listing.
constexpr char kTitle[] = "        ** FRAME CONVERSION **\n";
constexpr char kHdlcHeading[] = "     TM   AD TYPE  NS PF NR FC DATA\n";
constexpr char kLapdHeading[] = "     TM  SAP TE CR TYPE  NS PF NR FC DATA\n";
constexpr char kLapdNarrowHeading[] = "     TM  SAP TE CR TYPE  NS PF NR FC DA\n";

constexpr FrameNameTables kSdlcNames = BuildTables(&UnnumberedNames::sdlc);
constexpr FrameNameTables kLapbNames = BuildTables(&UnnumberedNames::lapb);
constexpr FrameNameTables kLapdNames = BuildTables(&UnnumberedNames::lapd);

// ---- Decoders ----------------------------------------------------------------------

// Fills FrameFields for SDLC or LAPB (modulo from decodeSettings.modulo128) with `names`.
void DecodeHdlcFrame(const AssembledFrame& frame, const FrameNameTables& names) {
    if (!SetupFrame(frame, true)) return;
    const int address = NextByte();
    if (address < 0) return;
    frameFields.address = address;
    const int control = NextByte();
    if (control < 0) return;
    frameFields.control = control;
    DecodeControlField(names, decodeSettings.modulo128 != 0);
}

// Fills FrameFields for LAPD (two-octet address, modulo 128).
void DecodeLapdFrame(const AssembledFrame& frame) {
    if (!SetupFrame(frame, true)) return;
    const int first = NextByte();
    if (first < 0) return;
    frameFields.address = first >> 1;  // SAPI in bits 1-6, C/R in bit 0
    const int second = NextByte();
    if (second < 0) return;
    frameFields.tei = static_cast<std::int8_t>(second >> 1);
    const int control = NextByte();
    if (control < 0) return;
    frameFields.control = control;
    DecodeControlField(kLapdNames, true);
}

// ---- Lines -------------------------------------------------------------------------

// The columns that follow the address in both frame lines: TYPE, N(S), P/F,
// N(R), the FC mark and the blank before DATA.
void PutControlColumns() {
    PutName(frameFields.typeName, frameFields.control, kTypeNameWidth);
    PutFrameSeq(frameFields.sendSeq);
    PutSpaces(1);
    PutBit(frameFields.pollFinal);
    PutSpaces(1);
    PutFrameSeq(frameFields.recvSeq);
    PutSpaces(1);
    PutCheck();
    PutSpaces(1);
}

// Build and write the line of the decoded frame: 0, or -1 when the write failed.
int FormatHdlcLine() {
    if (!StartFrameLine()) return FinishLine();
    if (frameFields.address < 0) PutSpaces(2);
    else PutHex2(frameFields.address);
    PutSpaces(1);
    PutControlColumns();
    PutData(DataLimit(DataLayout::kHdlcFrame));
    return FinishLine();
}

int FormatLapdLine() {
    if (!StartFrameLine()) return FinishLine();
    const bool hasAddress = frameFields.address >= 0;
    if (hasAddress) PutDec2(frameFields.address >> 1);  // SAPI
    else PutSpaces(2);
    if (frameFields.tei >= 0) PutDec3(frameFields.tei);
    else PutSpaces(3);
    PutSpaces(1);
    PutBit(hasAddress ? (frameFields.address & 1) : -1);  // C/R
    PutSpaces(1);
    PutControlColumns();
    PutData(DataLimit(DataLayout::kLapdFrame));
    return FinishLine();
}

}  // namespace

void DecodeLinkLevel(const AssembledFrame& frame) {
    switch (decodeSettings.frameKind) {
        case kFrameSdlc: DecodeHdlcFrame(frame, kSdlcNames); break;
        case kFrameLapd: DecodeLapdFrame(frame); break;
        default: DecodeHdlcFrame(frame, kLapbNames); break;
    }
}

int TranslateFrame(const AssembledFrame& frame) {
    DecodeLinkLevel(frame);
    return decodeSettings.frameKind == kFrameLapd ? FormatLapdLine() : FormatHdlcLine();
}

int RunFrameTranslation() {
    const char* heading = kHdlcHeading;
    if (decodeSettings.frameKind == kFrameLapd)
        heading = listingSettings.columns >= 80 ? kLapdHeading : kLapdNarrowHeading;
    return RunTranslation(kTitle, heading, TranslateFrame, FrameAssembly::kHdlc);
}
