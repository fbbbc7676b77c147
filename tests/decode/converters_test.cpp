#include "decode/converters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "decode/code_tables.h"

namespace {

std::vector<std::uint32_t> sdCells;
std::vector<std::uint32_t> rdCells;
void SdEmit(std::uint32_t cell) { sdCells.push_back(cell); }
void RdEmit(std::uint32_t cell) { rdCells.push_back(cell); }

constexpr int kNone = -1;

// The control characters of a family, by role, and an ordinary text byte "x".
struct Family {
    const char* name;
    int code;
    std::map<std::string, int> bytes;
};

// The cases stand as laid out; clang-format leaves them so.
// clang-format off
const Family kFamilies[] = {
    {"ASCII", 0, {{"SOH", 0x01}, {"STX", 0x02}, {"ETX", 0x03}, {"EOT", 0x04}, {"ENQ", 0x05},
                  {"ACK", 0x06}, {"DLE", 0x10}, {"NAK", 0x15}, {"ETB", 0x17}, {"ITB", 0x1F},
                  {"ACK0", 0x30}, {"ACK1", 0x31}, {"WACK", 0x3B}, {"RVI", 0x3C}, {"x", 0x41}}},
    {"EBCDIC", 1, {{"SOH", 0x01}, {"STX", 0x02}, {"ETX", 0x03}, {"EOT", 0x37}, {"ENQ", 0x2D},
                   {"ACK", 0x2E}, {"DLE", 0x10}, {"NAK", 0x3D}, {"ETB", 0x26}, {"ITB", 0x1F},
                   {"ACK0", 0x70}, {"ACK1", 0x61}, {"WACK", 0x6B}, {"RVI", 0x7C}, {"x", 0xC1}}},
    {"TRANSC", 7, {{"SOH", 0x00}, {"STX", 0x0A}, {"ETX", 0x2E}, {"EOT", 0x1E}, {"ENQ", 0x2D},
                   {"ACK", kNone}, {"DLE", 0x1F}, {"NAK", 0x3D}, {"ETB", 0x0F}, {"ITB", 0x1D},
                   {"ACK0", 0x20}, {"ACK1", 0x23}, {"WACK", 0x26}, {"RVI", 0x32}, {"x", 0x01}}},
};
// clang-format on

DataUnit Char(int byte, int unitCode = 0) { return static_cast<DataUnit>((byte << 8) | 0x30 | unitCode); }
constexpr DataUnit kMarker2 = 0x5A32;  // unit code 2, shown "{}"
constexpr DataUnit kMarker3 = 0x5A33;  // unit code 3, shown "??"

// Shows cells as the translate-format dump does, trimmed and blank-separated:
// converted cells through the EBCDIC table, markers as their symbols.
std::string Show(const std::vector<std::uint32_t>& cells) {
    std::string shown;
    for (std::uint32_t cell : cells) {
        if (!shown.empty()) shown += ' ';
        const DataUnit unit = static_cast<DataUnit>(cell);
        if (UnitCode(unit) == kUnitStatus1) {
            shown += "{}";
        } else if (UnitCode(unit) == kUnitStatus2) {
            shown += "??";
        } else {
            EXPECT_EQ(cell & 0xFFu, kConvertedCellLow);
            EXPECT_EQ(cell >> 16, 0u);
            char out[2];
            CharCell(kCodeEbcdic, TableSet::kA, DataByte(unit), out);
            shown += (out[0] == ' ') ? std::string(1, out[1]) : std::string(out, 2);
        }
    }
    return shown;
}

void Install(int mode, int code) {
    sdCells.clear();
    rdCells.clear();
    SetEmitFunctions(SdEmit, RdEmit);
    InstallConverters(mode, code);
}

// Feeds a blank-separated sequence of roles ("x" an ordinary byte, "{" and "??"
// status markers) to the SD converter. Returns false when the family does not
// recognise one of the roles.
bool FeedSd(const Family& family, const std::string& sequence) {
    std::istringstream in(sequence);
    std::string token;
    while (in >> token) {
        if (token == "{") {
            ConvertSdUnit(kMarker2);
        } else if (token == "??") {
            ConvertSdUnit(kMarker3);
        } else {
            const int byte = family.bytes.at(token);
            if (byte == kNone) return false;
            ConvertSdUnit(Char(byte));
        }
    }
    return true;
}

struct SequenceCase {
    const char* input;
    const char* shown;
};

const SequenceCase kSequences[] = {
    // A block with a header and a text.
    {"SOH x x STX x x ETB", "SH - SX - EB"},
    {"SOH STX x", "SH SX -"},
    {"SOH x ITB x ETX x", "SH - IB - EX"},
    {"SOH x { x x ?? ETB", "SH - {} - ?? EB"},
    {"SOH x EOT ENQ NAK DLE SOH x ETB", "SH - EB"},
    // Idle state.
    {"EOT ENQ NAK x ETX ETB ITB", "ET EQ NK"},
    {"ACK", "AK"},
    {"{ x ENQ", "{} EQ"},
    {"?? x x", "??"},
    // After STX.
    {"STX ENQ", "T D"},
    {"STX ENQ x", "T D"},
    {"STX x ETX", "SX - EX"},
    {"STX ETX x ENQ", "SX EX EQ"},
    {"STX ITB x ETB", "SX IB - EB"},
    {"STX { x ETX", "SX {} - EX"},
    // After DLE.
    {"DLE ACK0", "AK 0"},
    {"DLE ACK1", "AK 1"},
    {"DLE WACK", "W AK"},
    {"DLE RVI", "R V"},
    {"DLE EOT x", "DL ET"},
    {"DLE x ENQ", "EQ"},
    {"DLE { ENQ", "{} EQ"},
    {"DLE ACK0 DLE ACK1 ENQ", "AK 0 AK 1 EQ"},
    // Transparent text.
    {"DLE STX x DLE DLE x DLE ETX", "DL SX - DL EX"},
    {"DLE STX DLE DLE x DLE ETX", "DL SX - DL EX"},
    {"DLE SOH x DLE ETB ENQ", "DL SH - DL EB EQ"},
    {"DLE STX ETX ETB SOH STX ITB x DLE ETX", "DL SX - DL EX"},
    {"DLE STX x DLE x x DLE ETX", "DL SX - DL EX"},
    {"DLE STX x DLE ITB x DLE STX x DLE ETB", "DL SX - DL IB - DL SX - DL EB"},
    {"DLE STX x { x DLE ETX", "DL SX - {} - DL EX"},
    {"DLE STX x DLE { x DLE ETX", "DL SX - {} - DL EX"},
};

TEST(Converters, SequencesInEveryFamily) {
    for (const Family& family : kFamilies) {
        for (const SequenceCase& c : kSequences) {
            SCOPED_TRACE(testing::Message() << family.name << ": " << c.input);
            Install(0, family.code);
            if (!FeedSd(family, c.input)) continue;  // TRANSC has no ACK
            EXPECT_EQ(Show(sdCells), c.shown);
            EXPECT_TRUE(rdCells.empty());
        }
    }
}

// In TRANSC no byte acts as ACK: in the idle state only SOH, STX, DLE, EOT, ENQ
// and NAK act; every other byte emits nothing and leaves the state idle.
TEST(Converters, TranscIdleRecognisesNoAck) {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        SCOPED_TRACE(byte);
        Install(0, 7);
        ConvertSdUnit(Char(byte));
        switch (byte) {
            case 0x00: EXPECT_EQ(Show(sdCells), "SH"); break;
            case 0x1E: EXPECT_EQ(Show(sdCells), "ET"); break;
            case 0x2D: EXPECT_EQ(Show(sdCells), "EQ"); break;
            case 0x3D: EXPECT_EQ(Show(sdCells), "NK"); break;
            case 0x0A:  // STX and DLE wait for the next character
            case 0x1F: EXPECT_TRUE(sdCells.empty()); break;
            default: ConvertSdUnit(Char(0x2D)); EXPECT_EQ(Show(sdCells), "EQ");
        }
    }
}

TEST(Converters, CellFormat) {
    Install(0, 0);
    ConvertSdUnit(Char(0x01));  // SOH
    ConvertSdUnit(kMarker2);
    ASSERT_EQ(sdCells.size(), 2u);
    EXPECT_EQ(sdCells[0], 0x01B0u);
    EXPECT_EQ(sdCells[1], kMarker2);  // a marker is emitted unchanged
    EXPECT_EQ(ConvertedCell(0x60), 0x60B0);
}

// Units of code 1 and 4-7 are characters; code 8 and above never act.
TEST(Converters, UnitCodes) {
    Install(0, 0);
    ConvertSdUnit(Char(0x01, 1));  // SOH
    for (int unitCode = 8; unitCode <= 15; ++unitCode) {
        ConvertSdUnit(Char(0x03, unitCode));  // ETX byte, ignored
        ConvertSdUnit(Char(0x41, unitCode));
    }
    for (int unitCode = 4; unitCode <= 7; ++unitCode) ConvertSdUnit(Char(0x41, unitCode));
    ConvertSdUnit(Char(0x03, 5));
    EXPECT_EQ(Show(sdCells), "SH - EX");
}

// The RD converter emits through its own function and keeps its own state.
TEST(Converters, DirectionsAreIndependent) {
    Install(1, 1);
    ConvertSdUnit(Char(0x01));         // SD: SOH
    ConvertRdUnit(Char(0xC1) | 0xB0);  // RD: text in idle, nothing
    ConvertRdUnit(Char(0x2D) | 0xB0);  // RD: ENQ
    ConvertSdUnit(Char(0xC1));         // SD: text
    ConvertRdUnit(static_cast<DataUnit>(kMarker3 | 0xB0));
    EXPECT_EQ(Show(sdCells), "SH -");
    ASSERT_EQ(rdCells.size(), 2u);
    EXPECT_EQ(rdCells[0], 0x2DB0u);
    EXPECT_EQ(rdCells[1], static_cast<std::uint32_t>(kMarker3 | 0xB0));
}

TEST(Converters, InstallResetsStateAndDashPending) {
    Install(0, 0);
    ConvertSdUnit(Char(0x01));  // SOH: text state, dash pending
    sdCells.clear();
    InstallConverters(0, 0);
    ConvertSdUnit(Char(0x41));
    ConvertSdUnit(Char(0x03));
    EXPECT_TRUE(sdCells.empty());
}

// Asynchronous and synchronous captures use the family of their code; every
// other mode uses ASCII; codes without a family ignore every unit.
TEST(Converters, FamilyChoice) {
    struct Case {
        int mode, code;
        const char* shown;  // "AK ET" ASCII, "ET AK" EBCDIC, "SH" TRANSC, "" none
    };
    const Case cases[] = {
        {0, 0, "AK ET"}, {1, 3, "AK ET"}, {0, 4, "AK ET"}, {1, 1, "ET AK"},  {0, 2, "ET AK"}, {0, 7, "SH"},
        {2, 7, "AK ET"}, {3, 1, "AK ET"}, {2, 5, "AK ET"}, {4, 12, "AK ET"}, {0, 5, ""},      {0, 6, ""},
        {1, 8, ""},      {0, 9, ""},      {0, 10, ""},     {1, 255, ""},     {0, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " code " << c.code);
        Install(c.mode, c.code);
        for (int byte : {0x37, 0x06, 0x2E, 0x04, 0x00}) ConvertSdUnit(Char(byte));
        if (c.shown[0] == '\0') {
            ConvertSdUnit(kMarker2);  // a converter of no family ignores markers too
            EXPECT_TRUE(sdCells.empty());
        } else {
            EXPECT_EQ(Show(sdCells), c.shown);
        }
    }
}

TEST(Converters, NoEmitFunctionIsHarmless) {
    SetEmitFunctions(nullptr, nullptr);
    InstallConverters(0, 0);
    ConvertSdUnit(Char(0x05));
    ConvertRdUnit(Char(0x05));
    sdCells.clear();
    SetEmitFunctions(SdEmit, RdEmit);
    ConvertSdUnit(Char(0x05));
    EXPECT_EQ(Show(sdCells), "EQ");
}

}  // namespace
