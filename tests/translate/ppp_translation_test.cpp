// PPP translation and frame dump lines built from frames filled in by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "decode/decode_settings.h"
#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/translate/translation_test_support.h"
#include "translate/line_fields.h"
#include "translate/packet_translation.h"
#include "translate/ppp_translation.h"

namespace {

using translation_test::HexRun;
using translation_test::kStamp;

struct Frame {
    std::vector<DataUnit> units;
    std::uint8_t direction = kFrameSd;
    CaptureRecord timestamp = kStamp;
};

Frame Bytes(std::initializer_list<int> bytes, std::uint8_t direction = kFrameSd) {
    Frame f;
    for (int b : bytes) f.units.push_back(capture::Unit(static_cast<std::uint8_t>(b)));
    f.direction = direction;
    return f;
}

// Fills the one frame buffer as the assembly would.
const AssembledFrame& Load(const Frame& f) { return translation_test::LoadUnits(f.direction, 0, f.timestamp, f.units); }

// Collects what the listing writer receives.
class PppLineTest : public ::testing::Test {
protected:
    void SetUp() override { translation_test::ResetSettings(); }
    // The translation line of a frame, as written.
    std::string Translate(const Frame& f) {
        ResetFrameFields();
        DecodePppFrame(Load(f));
        EXPECT_EQ(FormatPppLine(), 0);
        return out_.Take();
    }
    std::string Dump(const Frame& f) {
        ResetFrameFields();
        SetupFrame(Load(f), false);
        EXPECT_EQ(FormatPppDumpLine(), 0);
        return out_.Take();
    }

private:
    testing_support::ListingCapture out_;
};

}  // namespace

// ---- Tables ----------------------------------------------------------------------

TEST(PppTables, ProtocolNames) {
    const struct {
        std::int32_t number;
        const char* name;
    } cases[] = {
        {0x0001, "Padding"},  {0x0021, "IP"},      {0x002D, "VJCTCPIP"}, {0x004B, "SNA802.2"}, {0x00FD, "1stComp"},
        {0x0201, "802.1dHP"}, {0x0233, "SigmaNS"}, {0x8021, "IPCP"},     {0x803F, "NETBIOSC"}, {0x80FD, "CCP"},
        {0xC021, "LCP"},      {0xC023, "PAP"},     {0xC223, "CHAP"},     {0xC481, "PropNIDA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto name = LookupPppProtocol(c.number);
        ASSERT_TRUE(name.has_value());
        EXPECT_EQ(*name, c.name);
    }
}

TEST(PppTables, EveryProtocolNumberIsFoundAndNoOther) {
    // The search must find each of the 62 entries and nothing in the gaps.
    int named = 0;
    std::int32_t last = -1;
    for (std::int32_t n = 0; n <= 0xFFFF; ++n) {
        if (LookupPppProtocol(n)) {
            ++named;
            last = n;
        }
    }
    EXPECT_EQ(named, 62);
    EXPECT_EQ(last, 0xC481);
    EXPECT_FALSE(LookupPppProtocol(-1));
    EXPECT_FALSE(LookupPppProtocol(0x10000));
    EXPECT_FALSE(LookupPppProtocol(0x8057));
    EXPECT_FALSE(LookupPppProtocol(0x0020));
}

TEST(PppTables, CodeNames) {
    EXPECT_FALSE(LookupPppCode(0));
    EXPECT_EQ(LookupPppCode(1).value_or(""), "CONF-REQ");
    EXPECT_EQ(LookupPppCode(9).value_or(""), "ECHO-REQ");
    EXPECT_EQ(LookupPppCode(12).value_or(""), "IDENT");
    EXPECT_EQ(LookupPppCode(15).value_or(""), "RES-REP");
    EXPECT_FALSE(LookupPppCode(16));
    EXPECT_FALSE(LookupPppCode(255));
    EXPECT_FALSE(LookupPppCode(-1));
}

// ---- Translation lines --------------------------------------------------------------

TEST_F(PppLineTest, ExampleLines) {
    EXPECT_EQ(Translate(Bytes({0xFF, 0x03, 0xC0, 0x21, 0x01, 0x05, 0x00, 0x0A, 0x05, 0x06})),
              "SD:0A1B2C LCP      CONF-REQ   5 000A0506");
    EXPECT_EQ(Translate(Bytes({0x21, 0x45, 0x00, 0x00, 0x54}, kFrameRd)), "RD:0A1B2C IP       45         0 0054");
    EXPECT_EQ(Translate(Bytes({0x80, 0x57, 0x01, 0x01})), "SD:0A1B2C 8057     CONF-REQ   1 ");
    EXPECT_EQ(Translate(Bytes({0xFF, 0x05, 0xC0, 0x01, 0x02})), "SD:0A1B2C                       0102");
    EXPECT_EQ(Dump(Bytes({0xFF, 0x03, 0xC0, 0x21, 0x01, 0x01})), "SD:0A1B2C FF03C0210101");
}

TEST_F(PppLineTest, HeaderForms) {
    const struct {
        const char* what;
        Frame frame;
        const char* line;
    } cases[] = {
        {"escaped control octet", Bytes({0xFF, 0x7D, 0x23, 0xC0, 0x21, 0x02, 0x07}),
         "SD:0A1B2C LCP      CONF-ACK   7 "},
        {"escaped first octet 7D 5F is 7F, odd: one-octet protocol", Bytes({0x7D, 0x5F, 0x01, 0x02, 0x33}),
         "SD:0A1B2C 007F     CONF-REQ   2 33"},
        {"address and control compressed, two-octet protocol", Bytes({0xC0, 0x21, 0x09, 0x03, 0xAA}),
         "SD:0A1B2C LCP      ECHO-REQ   3 AA"},
        {"two-octet form of a one-octet protocol", Bytes({0xFF, 0x03, 0x00, 0x21, 0x45, 0x00}),
         "SD:0A1B2C IP       45         0 "},
        {"escaped protocol octet", Bytes({0xFF, 0x03, 0x80, 0x7D, 0x01, 0x01, 0x09}),
         "SD:0A1B2C IPCP     CONF-REQ   9 "},
        {"unknown odd one-octet protocol", Bytes({0x51, 0x01}), "SD:0A1B2C 0051     CONF-REQ     "},
        {"unknown two-octet protocol with an even low octet", Bytes({0x00, 0x20, 0x05}),
         "SD:0A1B2C 20       TERM-REQ     "},
        {"unknown high protocol with an even low octet", Bytes({0xC2, 0x00, 0x05}), "SD:0A1B2C C200     TERM-REQ     "},
        {"lone even protocol octet at the end", Bytes({0xFF, 0x03, 0x20}), "SD:0A1B2C 20                    "},
        {"lone high even protocol octet at the end", Bytes({0xC0}), "SD:0A1B2C C0                    "},
        {"code 0 has no name", Bytes({0xC0, 0x21, 0x00, 0x01}), "SD:0A1B2C LCP      00         1 "},
        {"code 16 has no name", Bytes({0xC0, 0x21, 0x10, 0xFF}), "SD:0A1B2C LCP      10       255 "},
        {"code 15", Bytes({0xC0, 0x21, 0x0F, 0x00}), "SD:0A1B2C LCP      RES-REP    0 "},
        {"no identifier", Bytes({0xC0, 0x21, 0x0C}), "SD:0A1B2C LCP      IDENT        "},
        {"address and control only", Bytes({0xFF, 0x03}), "SD:0A1B2C                       "},
        {"address only", Bytes({0xFF}), "SD:0A1B2C                       "},
        {"control octet not 3, nothing after it", Bytes({0xFF, 0x05}), "SD:0A1B2C                       "},
        {"control octet not 3 on RD", Bytes({0xFF, 0x13, 0xC0, 0x21, 0x01}, kFrameRd),
         "RD:0A1B2C                       2101"},
        {"no units", Bytes({}), "SD:0A1B2C                       "},
        {"first unit 7E: two-octet protocol 7Exx", Bytes({0x7E, 0xFF, 0x03, 0xC0}), "SD:0A1B2C 7EFF     CONF-NAK 192 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Translate(c.frame), c.line);
    }
}

TEST_F(PppLineTest, TransparencyAtTheEnd) {
    // A 0x7D that is the frame's last byte ends it, in the header and in DATA.
    EXPECT_EQ(Translate(Bytes({0xFF, 0x7D})), "SD:0A1B2C                       ");
    EXPECT_EQ(Translate(Bytes({0xC0, 0x21, 0x7D})), "SD:0A1B2C LCP                   ");
    EXPECT_EQ(Translate(Bytes({0xC0, 0x21, 0x09, 0x01, 0x7D, 0x5E, 0x7D, 0x5D, 0x7D})),
              "SD:0A1B2C LCP      ECHO-REQ   1 7E7D");
    EXPECT_EQ(Dump(Bytes({0x7D, 0x5E, 0x41, 0x7D})), "SD:0A1B2C 7E41");
}

TEST_F(PppLineTest, StatusUnitsAreNeitherHeaderNorData) {
    Frame f = Bytes({0xFF, 0x03, 0xC0, 0x21, 0x05, 0x02, 0x99});
    // Codes 2 and 3 among the data, as the PPP assembly keeps them.
    f.units.insert(f.units.begin() + 1, capture::Unit(0x55, 2));
    f.units.insert(f.units.begin() + 5, capture::Unit(0x66, 3));
    f.units.push_back(capture::Unit(0x77, 3));
    EXPECT_EQ(Translate(f), "SD:0A1B2C LCP      TERM-REQ   2 99");
    EXPECT_EQ(Dump(f), "SD:0A1B2C FF03C021050299");
}

TEST_F(PppLineTest, FrameSetUp) {
    Frame noStamp = Bytes({0x21, 0x45, 0x00});
    noStamp.timestamp = 0;
    EXPECT_EQ(Translate(noStamp), "SD:       IP       45         0 ");
    EXPECT_EQ(Dump(noStamp), "SD:       214500");

    Frame rdStamp = Bytes({0x21}, kFrameRd);
    rdStamp.timestamp = kStamp | 0x8000 | 0x7F00;  // bit 15 is the stamp's line, not time
    EXPECT_EQ(Dump(rdStamp), "RD:7F1B2C 21");

    Frame flagged = Bytes({0x21}, 0x81);  // only the low seven bits tell the line
    EXPECT_EQ(Dump(flagged), "SD:0A1B2C 21");

    for (std::uint8_t direction : {0, 3, 0x80}) {
        SCOPED_TRACE(direction);
        EXPECT_EQ(Translate(Bytes({0xFF, 0x03, 0xC0, 0x21}, direction)), "");
        EXPECT_EQ(Dump(Bytes({0xFF, 0x03}, direction)), "");
    }
}

TEST_F(PppLineTest, DataLimitsPerColumns) {
    // 64 units: the header FF 03 C0 21 01 01, then 58 data bytes 10, 11, ...
    Frame f = Bytes({0xFF, 0x03, 0xC0, 0x21, 0x01, 0x01});
    for (int i = 0; i < 58; ++i) f.units.push_back(capture::Unit(static_cast<std::uint8_t>(0x10 + i)));
    Frame dumpFrame;
    for (int i = 0; i < 64; ++i) dumpFrame.units.push_back(capture::Unit(static_cast<std::uint8_t>(0x80 + i)));

    const struct {
        int columns;
        int lineBytes;
        int dumpBytes;
    } cases[] = {{40, 3, 14}, {80, 23, 34}, {136, 51, 62}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.columns);
        listingSettings.columns = c.columns;
        const std::string line = Translate(f);
        EXPECT_EQ(line, "SD:0A1B2C LCP      CONF-REQ   1 " + HexRun(0x10, c.lineBytes));
        const std::string dump = Dump(dumpFrame);
        EXPECT_EQ(dump, "SD:0A1B2C " + HexRun(0x80, c.dumpBytes));
        EXPECT_LE(static_cast<int>(line.size()), c.columns - 2);
        EXPECT_LE(static_cast<int>(dump.size()), c.columns - 2);
    }
    // At 136 columns the dump of a full frame ends at column 133.
    listingSettings.columns = 136;
    EXPECT_EQ(Dump(dumpFrame).size(), 134u);
}

TEST_F(PppLineTest, ShortFramesAreNotPadded) {
    listingSettings.columns = 136;
    EXPECT_EQ(Translate(Bytes({0xC0, 0x21, 0x01, 0x01, 0xAB})), "SD:0A1B2C LCP      CONF-REQ   1 AB");
    EXPECT_EQ(Dump(Bytes({0xAB})), "SD:0A1B2C AB");
}
