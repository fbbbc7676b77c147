#include "translate/ppp_translation.h"

#include <array>
#include <cstddef>
#include <span>

#include "listing/table_checks.h"
#include "translate/line_fields.h"

namespace {

// ---- Protocol names ---------------------------------------------------------
// PPP protocol field values (RFC 1661, assigned numbers of RFC 1700), sorted by
// number: LookupPppProtocol searches the table by halves.

struct PppProtocolName {
    std::uint16_t number;
    std::string_view name;
};

// The rows stand as laid out; clang-format leaves them so.
// clang-format off
constexpr std::array<PppProtocolName, 62> kPppProtocols = {{
    {0x0001, "Padding"},
    {0x0021, "IP"},
    {0x0023, "OSI"},
    {0x0025, "XNS"},
    {0x0027, "DECnet"},
    {0x0029, "AT"},
    {0x002B, "IPX"},
    {0x002D, "VJCTCPIP"},
    {0x002F, "VJUTCPIP"},
    {0x0031, "BPDU"},
    {0x0033, "ST"},
    {0x0035, "VINES"},
    {0x0039, "AT-EDDP"},
    {0x003B, "AT-SB"},
    {0x003D, "MP"},
    {0x003F, "NETBIOS"},
    {0x0041, "Cisco"},
    {0x0043, "Ascom"},
    {0x0045, "LBLB"},
    {0x0047, "DCA"},
    {0x0049, "SDTP"},
    {0x004B, "SNA802.2"},
    {0x004D, "SNA"},
    {0x004F, "IPv6"},
    {0x006F, "SB"},
    {0x00FB, "CSLMG"},
    {0x00FD, "1stComp"},
    {0x0201, "802.1dHP"},
    {0x0203, "SR-BPDU"},
    {0x0205, "DECLBST"},
    {0x0231, "Luxcom"},
    {0x0233, "SigmaNS"},
    {0x8021, "IPCP"},
    {0x8023, "OSINLCP"},
    {0x8025, "XNSCP"},
    {0x8027, "DNCP"},
    {0x8029, "ATCP"},
    {0x802B, "IPXCP"},
    {0x8031, "BCP"},
    {0x8035, "BVCP"},
    {0x803D, "MPCP"},
    {0x803F, "NETBIOSC"},
    {0x8041, "CiscoCP"},
    {0x8043, "AscomCP"},
    {0x8045, "LBLBCP"},
    {0x8047, "DCA-CP"},
    {0x8049, "SDCP"},
    {0x804B, "SNA802CP"},
    {0x804D, "SNACP"},
    {0x804F, "IPv6CP"},
    {0x806F, "SBCP"},
    {0x80FB, "CSLMGCP"},
    {0x80FD, "CCP"},
    {0xC021, "LCP"},
    {0xC023, "PAP"},
    {0xC025, "LQR"},
    {0xC027, "SPAP"},
    {0xC029, "CBCP"},
    {0xC223, "CHAP"},
    {0xC26F, "SBAP"},
    {0xC281, "PropAP"},
    {0xC481, "PropNIDA"},
}};
// clang-format on

// ---- Code names ---------------------------------------------------------------
// Indexed by the code octet (RFC 1661 codes 1-11, RFC 1570 codes 12-15); code 0
// has no name.

constexpr std::array<std::string_view, 16> kPppCodes = {
    "",          // 0: no name
    "CONF-REQ",  // 1
    "CONF-ACK",  // 2
    "CONF-NAK",  // 3
    "CONF-REJ",  // 4
    "TERM-REQ",  // 5
    "TERM-ACK",  // 6
    "CODE-REJ",  // 7
    "PROT-REJ",  // 8
    "ECHO-REQ",  // 9
    "ECHO-REP",  // 10
    "DISC-REQ",  // 11
    "IDENT",     // 12
    "TIME-REM",  // 13
    "RES-REQ",   // 14
    "RES-REP",   // 15
};

// ---- Compile-time checks of the tables -------------------------------------------

constexpr bool ProtocolNamesFit() {
    for (const auto& entry : kPppProtocols) {
        if (entry.name.empty() || !NameFits(entry.name, kPppNameWidth)) return false;
    }
    return true;
}

static_assert(IsStrictlyAscending(kPppProtocols, &PppProtocolName::number), "the protocol table is searched by halves");
static_assert(ProtocolNamesFit(), "a protocol name must fit the PROTOCOL column");
static_assert(kPppCodes[0].empty() && EveryNameFits(std::span(kPppCodes).subspan(1), kPppNameWidth),
              "a code name must fit the CODE column");

}  // namespace

std::optional<std::string_view> LookupPppProtocol(std::int32_t number) {
    std::size_t lower = 0;
    std::size_t upper = kPppProtocols.size();
    while (lower < upper) {
        const std::size_t middle = lower + (upper - lower) / 2;
        const std::int32_t found = kPppProtocols[middle].number;
        if (found == number) return kPppProtocols[middle].name;
        if (found > number) {
            upper = middle;
        } else {
            lower = middle + 1;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> LookupPppCode(std::int32_t code) {
    if (code < 1 || code >= static_cast<std::int32_t>(kPppCodes.size())) return std::nullopt;
    return kPppCodes[static_cast<std::size_t>(code)];
}

// ---- Decoding ---------------------------------------------------------------------

namespace {
// Address and control octets of a frame that carries them (RFC 1662): the
// all-stations address and an unnumbered information frame.
constexpr std::int32_t kAllStations = 0xFF;
constexpr std::int32_t kUnnumberedInfo = 0x03;
// Bit 0 of a protocol octet ends the protocol field: the high octet of a
// two-octet field is always even, a field's last octet always odd.
constexpr int kProtocolLastOctet = 0x01;
}  // namespace

void DecodePppFrame(const AssembledFrame& frame) {
    if (!SetupFrame(frame, false)) return;
    FrameFields& f = frameFields;

    int b = NextPppByte();
    if (b < 0) return;
    if (b == kAllStations) {
        f.address = kAllStations;
        f.control = NextPppByte();
        if (f.control < 0) return;
        b = NextPppByte();
        if (b < 0) return;
        // Not an unnumbered information frame: nothing after it is PPP.
        if (f.control != kUnnumberedInfo) return;
    } else {
        // Address and control compressed away: b is the first protocol octet.
        f.address = kAllStations;
        f.control = kUnnumberedInfo;
    }

    f.pppProtocol = b;
    if ((b & kProtocolLastOctet) == 0) {
        const int c = NextPppByte();
        if (c < 0) return;
        f.pppProtocol = b * 256 + c;
    }

    f.pppCode = NextPppByte();
    if (f.pppCode < 0) return;
    const int id = NextPppByte();
    if (id >= 0) f.pppId = id;
}

// ---- Lines ------------------------------------------------------------------------

namespace {
// Blank width of the PROTOCOL, CODE and ID columns with their separators
// (columns 10 to 31), for a frame that is not a PPP information frame.
constexpr int kHeaderAreaWidth = kPppNameWidth + 1 + kPppNameWidth + 1 + 3 + 1;
static_assert(kHeaderAreaWidth == 22);

// A name padded with spaces to the column width.
void PutPaddedName(std::string_view name) {
    PutLiteral(name);
    PutSpaces(kPppNameWidth - static_cast<int>(name.size()));
}

void PutProtocol() {
    const std::int32_t protocol = frameFields.pppProtocol;
    if (protocol < 0) {
        PutSpaces(kPppNameWidth);
    } else if (const auto name = LookupPppProtocol(protocol)) {
        PutPaddedName(*name);
    } else if ((protocol & 0xFF01) != 0) {
        // A high octet or an odd low octet: both octets.
        PutHex2(protocol >> 8);
        PutHex2(protocol & 0xFF);
        PutSpaces(kPppNameWidth - 4);
    } else {
        // A lone even octet (a protocol field cut short): one octet.
        PutHex2(protocol);
        PutSpaces(kPppNameWidth - 2);
    }
}

void PutCode() {
    const std::int32_t code = frameFields.pppCode;
    if (code < 0) {
        PutSpaces(kPppNameWidth);
    } else if (const auto name = LookupPppCode(code)) {
        PutPaddedName(*name);
    } else {
        PutHex2(code);
        PutSpaces(kPppNameWidth - 2);
    }
}

void PutId() {
    if (frameFields.pppId < 0) {
        PutSpaces(3);
    } else {
        PutDec3(frameFields.pppId);
    }
}
}  // namespace

int FormatPppLine() {
    if (!StartFrameLine()) return FinishLine();
    if (frameFields.address != kAllStations || frameFields.control != kUnnumberedInfo) {
        PutSpaces(kHeaderAreaWidth);
    } else {
        PutProtocol();
        PutSpaces(1);
        PutCode();
        PutSpaces(1);
        PutId();
        PutSpaces(1);
    }
    PutData(DataLimit(DataLayout::kPppLine), ByteSource::kPpp);
    return FinishLine();
}

int FormatPppDumpLine() {
    if (!StartFrameLine()) return FinishLine();
    PutData(DataLimit(DataLayout::kPppDump), ByteSource::kPpp);
    return FinishLine();
}

// ---- The two listings --------------------------------------------------------------

namespace {
int TranslatePppFrame(const AssembledFrame& frame) {
    DecodePppFrame(frame);
    return FormatPppLine();
}

int DumpPppFrame(const AssembledFrame& frame) {
    SetupFrame(frame, false);
    return FormatPppDumpLine();
}
}  // namespace

int RunPppTranslation() {
    return RunTranslation("        ** PPP CONVERSION **\n", "     TM   PROTOCOL CODE      ID DATA\n", TranslatePppFrame,
                          FrameAssembly::kPpp);
}

int RunPppDump() {
    return RunTranslation("        ** PPP FRAME DUMP **\n", "     TM   DATA\n", DumpPppFrame, FrameAssembly::kPpp);
}
