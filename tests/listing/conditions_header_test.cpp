// The measurement-conditions box and the speed texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "capture/capture_file.h"
#include "listing/conditions_header.h"
#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/record_area.h"
#include "tests/support/run_program.h"

namespace {

using capture::CaptureBuilder;
using testing_support::Crlf;

TEST(FormatSpeed, TextsOfTenthsOfABitPerSecond) {
    struct Case {
        std::int32_t tenths;
        const char* text;
    };
    const Case cases[] = {
        {3, "0.3"},
        {1345, "134.5"},
        {3000, "300"},
        {96000, "9600"},
        {1000000, "100k"},
        {1152000, "115.2k"},
        {2560000, "256k"},
        {10000000, "1M"},
        {15440000, "1.544M"},
        {20000000, "2M"},
        {20480000, "2.048M"},
        {0, "0"},
        {99999, "9999.9"},
        {9999999, "999.9k"},
        // Limits of each rule.
        {99990, "9999"},
        {100000, "10000"},
        {100005, "10000"},  // from 10,000 bit/s on, tenths are dropped
        {999999, "99999"},
        {1000999, "100k"},
        {1001000, "100.1k"},
        {9999999, "999.9k"},
        {12500000, "1.25M"},
        {99999999, "9.999M"},
        // Ten megabits and more keep their whole megabits.
        {100000000, "10M"},
        {125000000, "12.5M"},
        {999990000, "99.999M"},
        {1000000000, "100M"},
        {1555200000, "155.52M"},
        {2147483647, "214.74M"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tenths);
        char buffer[8] = "xxxxxxx";
        EXPECT_EQ(FormatSpeed(buffer, c.tenths), buffer);
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST(FormatSpeed, NegativeSpeedsStayInsideTheBuffer) {
    for (std::int32_t v : {-1, -15, -100, -99999, -1000000, -2147483647 - 1}) {
        SCOPED_TRACE(v);
        char buffer[9] = "xxxxxxxx";
        FormatSpeed(buffer, v);
        EXPECT_EQ(buffer[8], '\0');
        EXPECT_LE(std::string(buffer).size(), 7u);
    }
}

class ConditionsHeader : public ::testing::Test {
protected:
    void SetUp() override {
        listingSettings = ListingSettings{};
        listing = ListingState{};
        captureSettings = CaptureSettings{};
    }

    // Puts the builder's settings block into the settings record.
    void Settings(const CaptureBuilder& b) {
        record_area::LoadSettings(b);
        listingSettings.printCode = captureSettings.code();
    }
    // What WriteConditionsHeader writes into a listing file, and its result.
    static std::string Render(int withPrintCode, int* result = nullptr) {
        testing_support::ListingCapture out(true);
        const int r = WriteConditionsHeader(withPrintCode);
        if (result != nullptr) *result = r;
        return out.Take();
    }
    // Expects the header to be `expected` (LF line ends) with every line of the
    // box 38 characters wide; returns what WriteConditionsHeader returned.
    static int ExpectHeader(int withPrintCode, const std::string& expected) {
        int result = 0;
        const std::string text = Render(withPrintCode, &result);
        EXPECT_EQ(text, Crlf(expected));
        ExpectBoxWidth(text);
        return result;
    }
    // The box alone (up to the second row of asterisks), checking that every
    // line of it is 38 characters wide.
    static void ExpectBoxWidth(const std::string& listingText) {
        std::size_t at = 0;
        int rows = 0;
        while (rows < 2) {
            const std::size_t end = listingText.find("\r\n", at);
            ASSERT_NE(end, std::string::npos);
            const std::string line = listingText.substr(at, end - at);
            EXPECT_EQ(line.size(), 38u) << '"' << line << '"';
            if (line == std::string(38, '*')) ++rows;
            at = end + 2;
        }
    }
};

const std::string kStars = "**************************************\n";

TEST_F(ConditionsHeader, AsyncBox) {
    // 9600 bit/s, 8 bits, no parity, 1 stop bit, ASCII, no BCC.
    Settings(capture::Async9600());
    const int result = ExpectHeader(1, kStars +
                                           "* MODE    : ASYNC   CHAR BIT: 8      *\n"
                                           "* S-SPEED : 9600    PARITY  : NONE   *\n"
                                           "* R-SPEED : 9600    STOP BIT: 1      *\n"
                                           "* CODE    : ASCII   BCC     : NONE   *\n" +
                                           kStars + "PRINT DATA CODE : ASCII\n\n");
    EXPECT_EQ(result, 25) << "the character count of the PRINT DATA CODE line";
}

TEST_F(ConditionsHeader, AsyncBoxOtherNames) {
    Settings(CaptureBuilder()
                 .Mode(kModeAsync)
                 .SendSpeed(1345)
                 .ReceiveSpeed(3)
                 .CharBits(0)
                 .Parity(5)
                 .StopBitsOrClock(1)
                 .Code(9)
                 .Check(6));
    ExpectHeader(1, kStars +
                        "* MODE    : ASYNC   CHAR BIT: 5      *\n"
                        "* S-SPEED : 134.5   PARITY  : MP     *\n"
                        "* R-SPEED : 0.3     STOP BIT: 2      *\n"
                        "* CODE    : BAUDOT  BCC     : CRC-12 *\n" +
                        kStars + "PRINT DATA CODE : BAUDOT\n\n");
}

TEST_F(ConditionsHeader, SyncBoxWithoutPrintCode) {
    Settings(CaptureBuilder()
                 .Mode(kModeSync)
                 .SendSpeed(480000)
                 .ReceiveSpeed(1152000)
                 .CharBits(3)
                 .Parity(2)
                 .StopBitsOrClock(2)
                 .Code(1)
                 .Check(3));
    const int result = ExpectHeader(0, kStars +
                                           "* MODE    : SYNC    CHAR BIT: 8      *\n"
                                           "* S-SPEED : 48000   PARITY  : EVEN   *\n"
                                           "* R-SPEED : 115.2k  CLOCK   : RT     *\n"
                                           "* CODE    : EBCDIC  BCC     : CRC-16 *\n" +
                                           kStars + "\n");
    EXPECT_EQ(result, '\n');
}

TEST_F(ConditionsHeader, HdlcBoxWithOneAddress) {
    Settings(CaptureBuilder()
                 .Mode(kModeHdlc)
                 .SendSpeed(640000)
                 .ReceiveSpeed(15440000)
                 .CharBits(3)
                 .StopBitsOrClock(3)
                 .Code(5)
                 .Check(1)
                 .SdAddress(0x01));
    ExpectHeader(0, kStars +
                        "* MODE    : HDLC    CHAR BIT: 8      *\n"
                        "* S-SPEED : 64000   PARITY  : NONE   *\n"
                        "* R-SPEED : 1.544M  CLOCK   : AR     *\n"
                        "* CODE    : HEX     FCS     : ON     *\n"
                        "* SD-ADDR : 01      RD-ADDR : **     *\n" +
                        kStars + "\n");
}

TEST_F(ConditionsHeader, HdlcAddressLines) {
    struct Case {
        CaptureBuilder builder;
        const char* line;
    };
    Case cases[] = {
        {CaptureBuilder(), "* SD-ADDR : **      RD-ADDR : **     *\n"},
        {CaptureBuilder().SdAddress(0xAB).RdAddress(0x03), "* SD-ADDR : AB      RD-ADDR : 03     *\n"},
        {CaptureBuilder().RdAddress(0x00), "* SD-ADDR : **      RD-ADDR : 00     *\n"},
        {CaptureBuilder().SettingsByte(27, 0x55).SettingsByte(29, 0x66), "* SD-ADDR : **      RD-ADDR : **     *\n"},
        {CaptureBuilder().SettingsByte(26, 0x80).SettingsByte(27, 0xFF), "* SD-ADDR : FF      RD-ADDR : **     *\n"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.line);
        Settings(c.builder.Mode(kModeHdlc).SendSpeed(20480000).ReceiveSpeed(2560000).Code(0).Check(0));
        ExpectHeader(0, kStars +
                            "* MODE    : HDLC    CHAR BIT: 5      *\n"
                            "* S-SPEED : 2.048M  PARITY  : NONE   *\n"
                            "* R-SPEED : 256k    CLOCK   : ST1    *\n"
                            "* CODE    : ASCII   FCS     : OFF    *\n" +
                            c.line + kStars + "\n");
    }
}

TEST_F(ConditionsHeader, PppBox) {
    Settings(
        CaptureBuilder().Mode(kModePpp).SendSpeed(1000000).ReceiveSpeed(20000000).Code(10).CharBits(3).Parity(1).Check(
            2));
    ExpectHeader(0, kStars +
                        "* MODE    : PPP                      *\n"
                        "* S-SPEED : 100k                     *\n"
                        "* R-SPEED : 2M                       *\n"
                        "* CODE    : (HEX)                    *\n" +
                        kStars + "\n");
}

TEST_F(ConditionsHeader, OtherModesHaveNoModeLines) {
    for (std::int8_t mode : {4, 5, 127, -1, -128}) {
        SCOPED_TRACE(mode);
        Settings(CaptureBuilder().Mode(mode).SendSpeed(96000).Code(3));
        ExpectHeader(1, kStars + kStars + "PRINT DATA CODE : JIS 7\n\n");
    }
}

TEST_F(ConditionsHeader, EveryCodeName) {
    const char* names[] = {"ASCII", "EBCDIC", "EBCDIK", "JIS 7",  "JIS 8", "HEX",
                           "EBCD",  "TRANSC", "IPARS",  "BAUDOT", "(HEX)"};
    for (int code = 0; code <= 10; ++code) {
        SCOPED_TRACE(code);
        Settings(CaptureBuilder().Mode(kModePpp).Code(static_cast<std::int8_t>(code)));
        char line[64];
        std::snprintf(line, sizeof line, "* CODE    : %-6s                   *\n", names[code]);
        std::string expected = kStars + "* MODE    : PPP                      *\n" +
                               "* S-SPEED : 0                        *\n" + "* R-SPEED : 0                        *\n" +
                               line + kStars + "PRINT DATA CODE : " + names[code] + "\n\n";
        ExpectHeader(1, expected);
    }
}

TEST_F(ConditionsHeader, ValuesOutsideTheNameTablesPrintBlanks) {
    Settings(CaptureBuilder()
                 .Mode(kModeAsync)
                 .SendSpeed(96000)
                 .ReceiveSpeed(96000)
                 .CharBits(4)
                 .Parity(6)
                 .StopBitsOrClock(2)
                 .Code(11)
                 .Check(7));
    ExpectHeader(1, kStars +
                        "* MODE    : ASYNC   CHAR BIT:        *\n"
                        "* S-SPEED : 9600    PARITY  :        *\n"
                        "* R-SPEED : 9600    STOP BIT:        *\n"
                        "* CODE    :         BCC     :        *\n" +
                        kStars + "PRINT DATA CODE : \n\n");

    Settings(CaptureBuilder().Mode(kModeSync).CharBits(-1).Parity(-128).StopBitsOrClock(4).Code(-1).Check(-7));
    ExpectHeader(0, kStars +
                        "* MODE    : SYNC    CHAR BIT:        *\n"
                        "* S-SPEED : 0       PARITY  :        *\n"
                        "* R-SPEED : 0       CLOCK   :        *\n"
                        "* CODE    :         BCC     :        *\n" +
                        kStars + "\n");

    Settings(CaptureBuilder().Mode(kModeHdlc).CharBits(100).StopBitsOrClock(-1).Code(127).Check(-1));
    ExpectHeader(0, kStars +
                        "* MODE    : HDLC    CHAR BIT:        *\n"
                        "* S-SPEED : 0       PARITY  : NONE   *\n"
                        "* R-SPEED : 0       CLOCK   :        *\n"
                        "* CODE    :         FCS     : ON     *\n"
                        "* SD-ADDR : **      RD-ADDR : **     *\n" +
                        kStars + "\n");
}

TEST_F(ConditionsHeader, PrintCodeComesFromTheOptions) {
    Settings(CaptureBuilder().Mode(4).Code(0));
    listingSettings.printCode = 6;
    ExpectHeader(1, kStars + kStars + "PRINT DATA CODE : EBCD\n\n");
}

TEST_F(ConditionsHeader, NoGuideWritesNothing) {
    Settings(CaptureBuilder().Mode(kModeHdlc).SdAddress(1));
    listingSettings.noGuide = true;
    for (int withPrintCode : {0, 1}) {
        SCOPED_TRACE(withPrintCode);
        int result = -5;
        EXPECT_EQ(Render(withPrintCode, &result), "");
        EXPECT_EQ(result, 0);
    }
}

TEST_F(ConditionsHeader, AFailedLastWriteIsMinusOne) {
    Settings(CaptureBuilder().Mode(kModeAsync));
    for (int withPrintCode : {0, 1}) {
        SCOPED_TRACE(withPrintCode);
        testing_support::FailingListing full(true);
        EXPECT_EQ(WriteConditionsHeader(withPrintCode), -1);
    }
}

TEST_F(ConditionsHeader, TheBoxLinesAreCountedOnThePage) {
    // With pages of 66 lines the box and what follows it are the first lines of the page.
    Settings(CaptureBuilder().Mode(kModeHdlc));
    listingSettings.linesPerPage = 66;
    testing_support::ListingCapture out(true);
    StartConversion();
    WriteConditionsHeader(1);
    EXPECT_EQ(listing.lineCount, 9);  // 7 box lines, the code line and the empty line
}

}  // namespace
