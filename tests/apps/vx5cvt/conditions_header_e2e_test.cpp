// vx5cvt opens every listing with the measurement-conditions box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/run_program.h"

namespace {

using capture::CaptureBuilder;
using testing_support::ConvertToListing;
using testing_support::Crlf;

const std::string kStars = "**************************************\n";

void ExpectStartsWith(const std::string& text, const std::string& start) {
    EXPECT_EQ(text.substr(0, start.size()), start) << "whole listing:\n" << text;
}

TEST(ConditionsHeaderEndToEnd, AsyncDump) {
    ExpectStartsWith(ConvertToListing(capture::Async9600().SdText("AB").RdText("C"), {}),
                     Crlf(kStars +
                          "* MODE    : ASYNC   CHAR BIT: 8      *\n"
                          "* S-SPEED : 9600    PARITY  : NONE   *\n"
                          "* R-SPEED : 9600    STOP BIT: 1      *\n"
                          "* CODE    : ASCII   BCC     : NONE   *\n" +
                          kStars + "PRINT DATA CODE : ASCII\n\n"));
}

TEST(ConditionsHeaderEndToEnd, SyncTranslateFormatDump) {
    CaptureBuilder b;
    b.Mode(1).SendSpeed(480000).ReceiveSpeed(24000).CharBits(3).Parity(1).StopBitsOrClock(1).Code(1).Check(3);
    b.SdText(
        "\x32\x32\x02"
        "AB");
    ExpectStartsWith(ConvertToListing(b, {"-f"}), Crlf(kStars +
                                                       "* MODE    : SYNC    CHAR BIT: 8      *\n"
                                                       "* S-SPEED : 48000   PARITY  : ODD    *\n"
                                                       "* R-SPEED : 2400    CLOCK   : ST2    *\n"
                                                       "* CODE    : EBCDIC  BCC     : CRC-16 *\n" +
                                                       kStars + "PRINT DATA CODE : EBCDIC\n\n"));
}

TEST(ConditionsHeaderEndToEnd, HdlcFrameTranslation) {
    CaptureBuilder b;
    b.Mode(2).SendSpeed(640000).ReceiveSpeed(15440000).CharBits(3).StopBitsOrClock(2).Check(1).SdAddress(0x01);
    b.SdFrame({0x01, 0x3F}).RdFrame({0x03, 0x73});
    ExpectStartsWith(ConvertToListing(b, {"-f"}), Crlf("        ** FRAME CONVERSION **\n" + kStars +
                                                       "* MODE    : HDLC    CHAR BIT: 8      *\n"
                                                       "* S-SPEED : 64000   PARITY  : NONE   *\n"
                                                       "* R-SPEED : 1.544M  CLOCK   : RT     *\n"
                                                       "* CODE    : ASCII   FCS     : ON     *\n"
                                                       "* SD-ADDR : 01      RD-ADDR : **     *\n" +
                                                       kStars + "\n" + "     TM   AD TYPE  NS PF NR FC DATA\n"));
}

TEST(ConditionsHeaderEndToEnd, PppTranslation) {
    CaptureBuilder b;
    b.Mode(3).SendSpeed(1152000).ReceiveSpeed(1152000).Code(10).FrameTimestamp(true);
    b.Timestamp(0, 0, 1, false, true).SdFrame({0xFF, 0x03, 0xC0, 0x21, 0x01, 0x01, 0x00, 0x04});
    ExpectStartsWith(ConvertToListing(b, {"-f"}), Crlf("        ** PPP CONVERSION **\n" + kStars +
                                                       "* MODE    : PPP                      *\n"
                                                       "* S-SPEED : 115.2k                   *\n"
                                                       "* R-SPEED : 115.2k                   *\n"
                                                       "* CODE    : (HEX)                    *\n" +
                                                       kStars + "\n" + "     TM   PROTOCOL CODE      ID DATA\n"));
}

TEST(ConditionsHeaderEndToEnd, NoGuideLeavesTheBoxOut) {
    CaptureBuilder b;
    b.Mode(2).SdAddress(0x01).SdFrame({0x01, 0x3F});
    const std::string text = ConvertToListing(b, {"-f", "-n"});
    ExpectStartsWith(text, Crlf("        ** FRAME CONVERSION **\n     TM   AD TYPE  NS PF NR FC DATA\n"));
    EXPECT_EQ(text.find("***"), std::string::npos);
}

}  // namespace
