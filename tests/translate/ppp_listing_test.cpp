// vx5cvt on PPP captures: the PPP translation from the command line and the
// dialogue, the PPP frame dump from the dialogue, whole listings compared.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/translate/translation_test_support.h"

namespace {

using capture::CaptureBuilder;
using testing_support::ConvertToListing;
using testing_support::Crlf;
using translation_test::HexRun;
using translation_test::PppFrame;

const std::string kTranslationTop = "        ** PPP CONVERSION **\n";
const std::string kTranslationHeading = "     TM   PROTOCOL CODE      ID DATA\n";
const std::string kDumpTop = "        ** PPP FRAME DUMP **\n";
const std::string kDumpHeading = "     TM   DATA\n";

// The conditions box of the captures below (PPP at 115.2 kbit/s both ways).
const std::string kBox =
    "**************************************\n"
    "* MODE    : PPP                      *\n"
    "* S-SPEED : 115.2k                   *\n"
    "* R-SPEED : 115.2k                   *\n"
    "* CODE    : (HEX)                    *\n"
    "**************************************\n"
    "\n";

CaptureBuilder PppCapture() {
    CaptureBuilder b;
    b.Mode(3).SendSpeed(1152000).ReceiveSpeed(1152000).Code(10).FrameTimestamp(true);
    return b;
}

// Through the dialogue: Translate, SD & RD, then the PPP translation or the frame dump.
const std::string kFrameTypeQuestion = "Frame type (1:PPP translate, 2:Dump) ? ";
const testing_support::Dialogue kTranslateByDialogue{"2\n1\n1\n", kFrameTypeQuestion};
const testing_support::Dialogue kDumpByDialogue{"2\n1\n2\n", kFrameTypeQuestion};

// The frames of the five example lines.
CaptureBuilder ExampleCapture() {
    CaptureBuilder b = PppCapture();
    PppFrame(b, false, {0xFF, 0x03, 0xC0, 0x21, 0x01, 0x05, 0x00, 0x0A, 0x05, 0x06});
    PppFrame(b, true, {0x21, 0x45, 0x00, 0x00, 0x54});
    PppFrame(b, false, {0x80, 0x57, 0x01, 0x01});
    PppFrame(b, false, {0xFF, 0x05, 0xC0, 0x01, 0x02});
    return b;
}

TEST(PppListing, ExampleLinesFromTheCommandLine) {
    EXPECT_EQ(ConvertToListing(ExampleCapture(), {"-f", "-n"}), Crlf(kTranslationTop + kTranslationHeading +
                                                                     "SD:0A1B2C LCP      CONF-REQ   5 000A0506\n"
                                                                     "RD:0A1B2C IP       45         0 0054\n"
                                                                     "SD:0A1B2C 8057     CONF-REQ   1 \n"
                                                                     "SD:0A1B2C                       0102\n"));
}

TEST(PppListing, ExampleLinesThroughTheDialogue) {
    EXPECT_EQ(ConvertToListing(ExampleCapture(), {}, kTranslateByDialogue),
              Crlf(kTranslationTop + kBox + kTranslationHeading +
                   "SD:0A1B2C LCP      CONF-REQ   5 000A0506\n"
                   "RD:0A1B2C IP       45         0 0054\n"
                   "SD:0A1B2C 8057     CONF-REQ   1 \n"
                   "SD:0A1B2C                       0102\n"));
}

TEST(PppListing, FrameDumpThroughTheDialogue) {
    CaptureBuilder b = PppCapture();
    PppFrame(b, false, {0xFF, 0x03, 0xC0, 0x21, 0x01, 0x01});
    // Transparency removed: 7D 5E is 7E, 7D 5D is 7D.
    PppFrame(b, true, {0xFF, 0x7D, 0x23, 0xC0, 0x21, 0x7D, 0x5E, 0x7D, 0x5D}, 0x2D);
    EXPECT_EQ(ConvertToListing(b, {}, kDumpByDialogue), Crlf(kDumpTop + kBox + kDumpHeading +
                                                             "SD:0A1B2C FF03C0210101\n"
                                                             "RD:0A1B2D FF03C0217E7D\n"));
}

TEST(PppListing, FramesEndAtTheFlagOfTheirOwnLine) {
    CaptureBuilder b = PppCapture();
    // Both lines at once: an RD flag inside the SD frame ends only the RD frame.
    b.Timestamp(0x0A, 0x1B, 0x2C, false, true).Sd(0xFF).Sd(0x03);
    b.Timestamp(0x0A, 0x1B, 0x2D, true, true);
    b.Data(capture::Unit(0xC0), capture::Unit(0x21));
    b.Data(capture::Unit(0x21), capture::Unit(0x45));
    b.Data(capture::Unit(0x09), capture::Unit(0x7E));
    b.Data(capture::Unit(0x01), capture::Unit(0x7E));  // a second RD flag: no frame
    b.Sd(0x7E);
    // A frame whose first octet is a flag keeps it; the flag after it ends it.
    b.Timestamp(0x0A, 0x1B, 0x2E, false, true).Sd(0x7E).Sd(0x7E).Sd(0x44);
    // A frame that runs to the end of the capture.
    b.Timestamp(0x0A, 0x1B, 0x2F, true, true).Rd(0xC0).Rd(0x21).Rd(0x05);
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n"}), Crlf(kTranslationTop + kTranslationHeading +
                                                      "SD:0A1B2C LCP      ECHO-REQ   1 \n"
                                                      "RD:0A1B2D IP       45           \n"
                                                      "SD:0A1B2E 7E                    \n"
                                                      "RD:0A1B2F LCP      TERM-REQ     \n"));
}

TEST(PppListing, EachFrameOfTheChosenLineOnce) {
    // SD A, RD B, SD C, RD D, one after the other.
    CaptureBuilder b = PppCapture();
    PppFrame(b, false, {0xC0, 0x21, 0x01, 0x0A}, 0x01);
    PppFrame(b, true, {0xC0, 0x21, 0x01, 0x0B}, 0x02);
    PppFrame(b, false, {0xC0, 0x21, 0x02, 0x0C}, 0x03);
    PppFrame(b, true, {0xC0, 0x21, 0x02, 0x0D}, 0x04);
    const std::string a = "SD:0A1B01 LCP      CONF-REQ  10 \n";
    const std::string bLine = "RD:0A1B02 LCP      CONF-REQ  11 \n";
    const std::string c = "SD:0A1B03 LCP      CONF-ACK  12 \n";
    const std::string d = "RD:0A1B04 LCP      CONF-ACK  13 \n";
    const std::string top = kTranslationTop + kTranslationHeading;
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n"}), Crlf(top + a + bLine + c + d));
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n", "-d1"}), Crlf(top + a + c));
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n", "-d2"}), Crlf(top + bLine + d));

    // The same with the capture opening on data before the first timestamp,
    // and with two frames of the left-out line in a row.
    CaptureBuilder late = PppCapture();
    late.Sd(0x55).Rd(0x66);
    PppFrame(late, false, {0xC0, 0x21, 0x01, 0x0A}, 0x01);
    PppFrame(late, true, {0xC0, 0x21, 0x01, 0x0B}, 0x02);
    PppFrame(late, true, {0xC0, 0x21, 0x02, 0x0D}, 0x04);
    PppFrame(late, false, {0xC0, 0x21, 0x02, 0x0C}, 0x03);
    const std::string d2 = "RD:0A1B04 LCP      CONF-ACK  13 \n";
    const std::string c2 = "SD:0A1B03 LCP      CONF-ACK  12 \n";
    EXPECT_EQ(ConvertToListing(late, {"-f", "-n"}), Crlf(top + a + bLine + d2 + c2));
    EXPECT_EQ(ConvertToListing(late, {"-f", "-n", "-d1"}), Crlf(top + a + c2));
    EXPECT_EQ(ConvertToListing(late, {"-f", "-n", "-d2"}), Crlf(top + bLine + d2));
}

TEST(PppListing, DataLimitsFromTheCommandLine) {
    CaptureBuilder b = PppCapture();
    std::vector<int> octets = {0xFF, 0x03, 0x00, 0x21, 0x45, 0x00};
    for (int i = 0; i < 60; ++i) octets.push_back(i);
    b.Timestamp(0x0A, 0x1B, 0x2C, false, true);
    for (int o : octets) b.Sd(static_cast<std::uint8_t>(o));
    b.Sd(0x7E);
    // 66 octets on the line: the frame holds the first 64, so 58 after the header.
    auto line = [](int bytes) { return "SD:0A1B2C IP       45         0 " + HexRun(0, bytes) + "\n"; };
    const std::string top = kTranslationTop + kTranslationHeading;
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n", "-C40"}), Crlf(top + line(3)));
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n", "-C80"}), Crlf(top + line(23)));
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n", "-C136"}), Crlf(top + line(51)));
}

TEST(PppListing, CaptureWithoutFrames) {
    CaptureBuilder b = PppCapture();
    b.Sd(0x41).Rd(0x42).Idle(5);
    EXPECT_EQ(ConvertToListing(b, {"-f", "-n"}), Crlf(kTranslationTop + kTranslationHeading));
    EXPECT_EQ(ConvertToListing(b, {}, kDumpByDialogue), Crlf(kDumpTop + kBox + kDumpHeading));
}

}  // namespace
