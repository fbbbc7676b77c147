// HDLC-family frame translation: the decoders and line layouts on frames
// filled in by hand, then whole listings written by vx5cvt from captures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "decode/decode_settings.h"
#include "decode/frame_assembly.h"
#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/run_program.h"
#include "tests/translate/translation_test_support.h"
#include "translate/frame_translation.h"
#include "translate/line_fields.h"
#include "translate/packet_translation.h"

namespace {

using capture::Unit;
using testing_support::ConvertToListing;
using testing_support::Crlf;
using translation_test::HdlcFrame;
using translation_test::HexRun;
using translation_test::kStamp;

// ---- Lines from frames filled in by hand ----------------------------------------------

struct LineCase {
    const char* what;
    std::int8_t frameKind;
    std::int8_t modulo128;
    std::uint8_t direction;
    std::vector<int> bytes;
    std::string expected;
    std::uint8_t status = 1;
    CaptureRecord timestamp = kStamp;
    std::int32_t columns = 80;
};

class FrameLineTest : public ::testing::Test {
protected:
    void SetUp() override { translation_test::ResetSettings(); }
    // The line that TranslateFrame writes for the case's frame.
    std::string Translate(const LineCase& c) {
        decodeSettings.frameKind = c.frameKind;
        decodeSettings.modulo128 = c.modulo128;
        listingSettings.columns = c.columns;
        const AssembledFrame& frame = translation_test::LoadFrame(c.direction, c.status, c.timestamp, c.bytes);
        EXPECT_EQ(TranslateFrame(frame), 0);
        return out_.Take();
    }

    testing_support::ListingCapture out_;
};

constexpr std::int8_t kSdlc = kFrameSdlc;
constexpr std::int8_t kLapb = kFrameLapb;
constexpr std::int8_t kLapd = kFrameLapd;

TEST_F(FrameLineTest, TheFourExampleLines) {
    const LineCase cases[] = {
        {"SDLC I frame", kSdlc, 0, kFrameSd, {0xC1, 0x10, 0x01, 0x02}, "SD:0A1B2C C1 INFO  0  1  0   G 0102"},
        {"LAPB SABM", kLapb, 0, kFrameSd, {0x03, 0x3F}, "SD:0A1B2C 03 SABM     1      G "},
        {"LAPD I frame", kLapd, 1, kFrameSd, {0x00, 0x81, 0x0A, 0x06, 0x08}, "SD:0A1B2C  0 64 0 INFO   5 0   3  G 08"},
        {"unnamed U octet", kSdlc, 0, kFrameSd, {0xC1, 0x1B}, "SD:0A1B2C C1 (1B)     1      G "},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Translate(c), c.expected);
    }
}

TEST_F(FrameLineTest, SequenceNumbersModulo8And128) {
    const LineCase cases[] = {
        // N(S) 5, P 1, N(R) 7 centred as single digits.
        {"mod 8 I", kLapb, 0, kFrameSd, {0x01, 0xFA}, "SD:0A1B2C 01 INFO  5  1  7   G "},
        // N(S) 127 and N(R) 127 right-aligned in three digits, P/F from the second octet.
        {"mod 128 I", kLapb, 1, kFrameSd, {0x01, 0xFE, 0xFF, 0x41}, "SD:0A1B2C 01 INFO 127 1 127  G 41"},
        {"mod 128 SDLC I", kSdlc, 1, kFrameRd, {0x01, 0x0A, 0x06}, "RD:0A1B2C 01 INFO   5 0   3  G "},
        {"mod 8 RR", kLapb, 0, kFrameSd, {0x01, 0x31}, "SD:0A1B2C 01 RR       1  1   G "},
        {"mod 128 RNR", kLapb, 1, kFrameSd, {0x01, 0x05, 0x0B}, "SD:0A1B2C 01 RNR      1   5  G "},
        {"LAPD RR", kLapd, 1, kFrameRd, {0x02, 0x81, 0x01, 0xFF}, "RD:0A1B2C  0 64 1 RR       1 127  G "},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Translate(c), c.expected);
    }
}

TEST_F(FrameLineTest, SupervisoryNamesAndUnnamedOctets) {
    const LineCase cases[] = {
        {"RR", kSdlc, 0, kFrameSd, {0xC1, 0x01}, "SD:0A1B2C C1 RR       0  0   G "},
        {"RNR", kSdlc, 0, kFrameRd, {0xC1, 0x05}, "RD:0A1B2C C1 RNR      0  0   G "},
        {"REJ", kLapb, 0, kFrameRd, {0x01, 0x29}, "RD:0A1B2C 01 REJ      0  1   G "},
        {"row 3 has no name", kLapb, 0, kFrameSd, {0x01, 0x0D}, "SD:0A1B2C 01 (0D)     0  0   G "},
        // Modulo 128: bits 4-7 set leave it unnamed; P/F and N(R) still come from the next octet.
        {"mod 128 bits 4-7", kLapb, 1, kFrameSd, {0x01, 0x11, 0x07}, "SD:0A1B2C 01 (11)     1   3  G "},
        {"LAPD bits 4-7", kLapd, 1, kFrameSd, {0x00, 0x01, 0x81, 0x02}, "SD:0A1B2C  0  0 0 (81)     0   1  G "},
        {"TEST unnamed in LAPB", kLapb, 0, kFrameSd, {0x01, 0xE3}, "SD:0A1B2C 01 (E3)     0      G "},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Translate(c), c.expected);
    }
}

TEST_F(FrameLineTest, UnnumberedNamesDependOnTheLine) {
    const LineCase cases[] = {
        {"LAPB 0F on SD", kLapb, 0, kFrameSd, {0x01, 0x0F}, "SD:0A1B2C 01 SARM     0      G "},
        {"LAPB 0F on RD", kLapb, 0, kFrameRd, {0x01, 0x0F}, "RD:0A1B2C 01 DM       0      G "},
        {"LAPB 1F (P/F 1) on RD", kLapb, 0, kFrameRd, {0x01, 0x1F}, "RD:0A1B2C 01 DM       1      G "},
        {"SDLC 07 on SD", kSdlc, 0, kFrameSd, {0xC1, 0x17}, "SD:0A1B2C C1 SIM      1      G "},
        {"SDLC 07 on RD", kSdlc, 0, kFrameRd, {0xC1, 0x07}, "RD:0A1B2C C1 RIM      0      G "},
        {"SDLC CF on SD", kSdlc, 0, kFrameSd, {0xC1, 0xCF}, "SD:0A1B2C C1 SNRME    0      G "},
        {"SDLC CF on RD", kSdlc, 0, kFrameRd, {0xC1, 0xCF}, "RD:0A1B2C C1 (CF)     0      G "},
        {"LAPD 03 on SD", kLapd, 1, kFrameSd, {0x00, 0xFF, 0x03, 0x08}, "SD:0A1B2C  0127 0 UI       0      G 08"},
        {"LAPD 03 on RD", kLapd, 1, kFrameRd, {0x00, 0xFF, 0x03}, "RD:0A1B2C  0127 0 (03)     0      G "},
        {"LAPD 7F on SD", kLapd, 1, kFrameSd, {0xFC, 0x81, 0x7F}, "SD:0A1B2C 63 64 0 SABME    1      G "},
        {"LAPD 73 on RD", kLapd, 1, kFrameRd, {0x02, 0x81, 0x73}, "RD:0A1B2C  0 64 1 UA       1      G "},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Translate(c), c.expected);
    }
}

TEST_F(FrameLineTest, FramesCutShortInsideTheHeader) {
    const LineCase cases[] = {
        {"no bytes", kLapb, 0, kFrameSd, {}, "SD:0A1B2C                    G "},
        {"address only", kSdlc, 0, kFrameSd, {0xC1}, "SD:0A1B2C C1                 G "},
        {"mod 128 I of two bytes", kLapb, 1, kFrameSd, {0x01, 0x0A}, "SD:0A1B2C 01 INFO   5        G "},
        {"mod 128 RR of two bytes", kLapb, 1, kFrameSd, {0x01, 0x01}, "SD:0A1B2C 01 RR              G "},
        {"LAPD no bytes", kLapd, 1, kFrameRd, {}, "RD:0A1B2C                         G "},
        {"LAPD one byte", kLapd, 1, kFrameSd, {0x03}, "SD:0A1B2C  0    1                 G "},
        {"LAPD two bytes", kLapd, 1, kFrameSd, {0x00, 0x81}, "SD:0A1B2C  0 64 0                 G "},
        {"LAPD I of three bytes", kLapd, 1, kFrameSd, {0x00, 0x81, 0x0A}, "SD:0A1B2C  0 64 0 INFO   5        G "},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Translate(c), c.expected);
    }
}

TEST_F(FrameLineTest, TimeMarksAndFrameCheckMarks) {
    LineCase c{"", kLapb, 0, kFrameSd, {0x01, 0x3F}, ""};
    const std::pair<std::uint8_t, const char*> marks[] = {
        {0, "  "}, {1, " G"}, {2, " E"}, {3, "SF"}, {4, " A"},
    };
    for (auto [status, mark] : marks) {
        SCOPED_TRACE(status);
        c.status = status;
        EXPECT_EQ(Translate(c), std::string("SD:0A1B2C 01 SABM     1     ") + mark + " ");
    }
    c.status = 1;
    c.timestamp = 0;
    EXPECT_EQ(Translate(c), "SD:       01 SABM     1      G ");
    // Bit 15 (the stamp's line) is not part of the time.
    c.timestamp = kStamp | 0x8000;
    c.direction = kFrameRd;
    c.bytes = {0x01, 0x73};
    EXPECT_EQ(Translate(c), "RD:0A1B2C 01 UA       1      G ");
}

TEST_F(FrameLineTest, FrameWithoutALineGivesAnEmptyLine) {
    for (std::uint8_t direction : {0, 3, 0x7F}) {
        SCOPED_TRACE(direction);
        for (std::int8_t kind : {kSdlc, kLapd}) {
            EXPECT_EQ(Translate({"", kind, 0, direction, {0x01, 0x3F}, ""}), "");
        }
    }
}

TEST_F(FrameLineTest, DataLimitsFor40And80And136Columns) {
    std::vector<int> sdlc = {0xC1, 0x10};
    std::vector<int> lapd = {0x00, 0x81, 0x00, 0x00};
    for (int i = 0; i < 60; ++i) {
        sdlc.push_back(i);
        lapd.push_back(i);
    }
    const std::string sdlcHead = "SD:0A1B2C C1 INFO  0  1  0   G ";
    const std::string lapdHead = "SD:0A1B2C  0 64 0 INFO   0 0   0  G ";
    struct Case {
        std::int32_t columns;
        int sdlcBytes;
        int lapdBytes;
    };
    for (Case k : {Case{40, 4, 1}, Case{80, 24, 21}, Case{136, 52, 49}}) {
        SCOPED_TRACE(k.columns);
        const std::string sdlcLine = Translate({"", kSdlc, 0, kFrameSd, sdlc, "", 1, kStamp, k.columns});
        EXPECT_EQ(sdlcLine, sdlcHead + HexRun(0, k.sdlcBytes));
        EXPECT_LE(sdlcLine.size(), static_cast<std::size_t>(k.columns));
        const std::string lapdLine = Translate({"", kLapd, 1, kFrameSd, lapd, "", 1, kStamp, k.columns});
        EXPECT_EQ(lapdLine, lapdHead + HexRun(0, k.lapdBytes));
        EXPECT_LE(lapdLine.size(), static_cast<std::size_t>(k.columns));
    }
    // At 80 columns the SDLC line ends at column 78.
    EXPECT_EQ(Translate({"", kSdlc, 0, kFrameSd, sdlc, "", 1, kStamp, 80}).size(), 79u);
}

TEST_F(FrameLineTest, DecodeLinkLevelLeavesTheReaderAfterTheHeader) {
    decodeSettings.frameKind = kFrameLapd;
    const AssembledFrame& frame = translation_test::LoadFrame(kFrameSd, 0, 0, {0x00, 0x81, 0x03, 0x08, 0x02});
    ResetFrameFields();
    DecodeLinkLevel(frame);
    EXPECT_EQ(frameFields.typeName, "UI");
    EXPECT_EQ(NextByte(), 0x08);  // the information field follows the control octet
}

// ---- Whole listings -----------------------------------------------------------------------

constexpr char kTitle[] = "        ** FRAME CONVERSION **\n";
constexpr char kHdlcHeading[] = "     TM   AD TYPE  NS PF NR FC DATA\n";

class FrameListingTest : public ::testing::Test {
protected:
    static capture::CaptureBuilder Hdlc() {
        capture::CaptureBuilder b;
        b.Mode(2);
        return b;
    }
};

TEST_F(FrameListingTest, TheFourExampleLines) {
    struct Case {
        const char* flag;
        std::vector<std::uint8_t> bytes;
        const char* heading;
        const char* line;
    };
    const Case cases[] = {
        {"-f0", {0xC1, 0x10, 0x01, 0x02}, kHdlcHeading, "SD:0A1B2C C1 INFO  0  1  0   G 0102\n"},
        {"-f2", {0x03, 0x3F}, kHdlcHeading, "SD:0A1B2C 03 SABM     1      G \n"},
        {"-f4",
         {0x00, 0x81, 0x0A, 0x06, 0x08},
         "     TM  SAP TE CR TYPE  NS PF NR FC DATA\n",
         "SD:0A1B2C  0 64 0 INFO   5 0   3  G 08\n"},
        {"-f0", {0xC1, 0x1B}, kHdlcHeading, "SD:0A1B2C C1 (1B)     1      G \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto b = Hdlc();
        b.Timestamp(0x0A, 0x1B, 0x2C);
        b.Sd(0x7E, 10);
        for (std::uint8_t x : c.bytes) b.Sd(x);
        b.Sd(0x00, 2);  // status 1
        b.Sd(0x7E, 11);
        EXPECT_EQ(ConvertToListing(b, {c.flag, "-n"}), Crlf(std::string(kTitle) + c.heading + c.line));
    }
}

TEST_F(FrameListingTest, LapdHeadingFollowsTheColumns) {
    auto b = Hdlc();
    HdlcFrame(b, false, {0x00, 0x81, 0x0A, 0x06, 0x08, 0x09});
    EXPECT_EQ(ConvertToListing(b, {"-f4", "-n", "-C40"}),
              Crlf(std::string(kTitle) + "     TM  SAP TE CR TYPE  NS PF NR FC DA\n" +
                   "SD:        0 64 0 INFO   5 0   3  G 08\n"));
    EXPECT_EQ(ConvertToListing(b, {"-f4", "-n", "-C136"}),
              Crlf(std::string(kTitle) + "     TM  SAP TE CR TYPE  NS PF NR FC DATA\n" +
                   "SD:        0 64 0 INFO   5 0   3  G 0809\n"));
}

TEST_F(FrameListingTest, EndMarksAndLongFrames) {
    auto b = Hdlc();
    HdlcFrame(b, false, {0x01, 0x3F}, 0);
    HdlcFrame(b, true, {0x02, 0x73}, 3);
    HdlcFrame(b, false, {0x03, 0x3F}, 0, 12);  // short frame
    HdlcFrame(b, true, {0x04, 0x73}, 0, 9);    // abort
    // 70 information bytes: the frame keeps 64 units and still ends as a short frame.
    b.Sd(0x7E, 10).Sd(0x05).Sd(0x00);
    for (int i = 0; i < 68; ++i) b.Sd(static_cast<std::uint8_t>(i));
    b.Sd(0x7E, 12);
    HdlcFrame(b, true, {0x06, 0x73});
    const std::string wide = "SD:       05 INFO  0  0  0  SF " + HexRun(0, 52);
    EXPECT_EQ(ConvertToListing(b, {"-f2", "-n", "-C136"}), Crlf(std::string(kTitle) + kHdlcHeading +
                                                                "SD:       01 SABM     1        \n"
                                                                "RD:       02 UA       1      E \n"
                                                                "SD:       03 SABM     1     SF \n"
                                                                "RD:       04 UA       1      A \n" +
                                                                wide + "\n" + "RD:       06 UA       1      G \n"));
}

TEST_F(FrameListingTest, BothDirectionsStartingInOneRecord) {
    auto b = Hdlc();
    b.Data(Unit(0x7E, 10), Unit(0x7E, 10));
    b.Data(Unit(0x01), Unit(0x02));
    b.Data(Unit(0x3F), Unit(0x73));
    b.Data(Unit(0x7E, 11), Unit(0x7E, 11));
    HdlcFrame(b, false, {0x03, 0x3F});
    EXPECT_EQ(ConvertToListing(b, {"-f2", "-n"}), Crlf(std::string(kTitle) + kHdlcHeading +
                                                       "SD:       01 SABM     1        \n"
                                                       "RD:       02 UA       1        \n"
                                                       "SD:       03 SABM     1      G \n"));
}

// Interleaved frames on both lines, each listed once and in capture order
// whichever lines are selected: the frame lines under each -d option.
struct DataLineCase {
    const char* flag;
    const char* lines;
};
void ExpectEachDataLine(const capture::CaptureBuilder& b, std::initializer_list<DataLineCase> cases) {
    for (const DataLineCase& c : cases) {
        SCOPED_TRACE(c.flag);
        EXPECT_EQ(ConvertToListing(b, {"-f2", "-n", c.flag}), Crlf(std::string(kTitle) + kHdlcHeading + c.lines));
    }
}

TEST_F(FrameListingTest, InterleavedFramesUnderEachDataLineSelection) {
    auto b = Hdlc();
    HdlcFrame(b, false, {0xA1, 0x3F});
    HdlcFrame(b, true, {0xB1, 0x73});
    HdlcFrame(b, true, {0xB2, 0x73});
    HdlcFrame(b, false, {0xA2, 0x3F});
    HdlcFrame(b, false, {0xA3, 0x3F});
    HdlcFrame(b, true, {0xB3, 0x73});
    ExpectEachDataLine(
        b, {
               {"-d0",
                "SD:       A1 SABM     1      G \nRD:       B1 UA       1      G \nRD:       B2 UA       1      G \n"
                "SD:       A2 SABM     1      G \nSD:       A3 SABM     1      G \nRD:       B3 UA       1      G \n"},
               {"-d1",
                "SD:       A1 SABM     1      G \nSD:       A2 SABM     1      G \nSD:       A3 SABM     1      G \n"},
               {"-d2",
                "RD:       B1 UA       1      G \nRD:       B2 UA       1      G \nRD:       B3 UA       1      G \n"},
           });
}

TEST_F(FrameListingTest, InterleavedFramesWithFrameTimestamps) {
    auto b = Hdlc();
    b.FrameTimestamp(true);
    // Each frame opened by a frame timestamp of its line, and one frame timestamp
    // that opens no frame.
    b.Timestamp(0x01, 0x00, 0x01, false, true);
    HdlcFrame(b, false, {0xA1, 0x3F});
    b.Timestamp(0x02, 0x00, 0x02, true, true);
    HdlcFrame(b, true, {0xB1, 0x73});
    b.Timestamp(0x03, 0x00, 0x03, true, true);  // opens no frame
    b.Timestamp(0x04, 0x00, 0x04, false, true);
    HdlcFrame(b, false, {0xA2, 0x3F});
    b.Timestamp(0x05, 0x00, 0x05, true, true);
    HdlcFrame(b, true, {0xB2, 0x73});
    b.Timestamp(0x06, 0x00, 0x06, false, true);
    HdlcFrame(b, false, {0xA3, 0x3F});
    ExpectEachDataLine(
        b, {
               {"-d0",
                "SD:010001 A1 SABM     1      G \nRD:020002 B1 UA       1      G \nSD:040004 A2 SABM     1      G \n"
                "RD:050005 B2 UA       1      G \nSD:060006 A3 SABM     1      G \n"},
               {"-d1",
                "SD:010001 A1 SABM     1      G \nSD:040004 A2 SABM     1      G \nSD:060006 A3 SABM     1      G \n"},
               {"-d2", "RD:020002 B1 UA       1      G \nRD:050005 B2 UA       1      G \n"},
           });
}

TEST_F(FrameListingTest, ConditionsBoxStandsBetweenTitleAndHeading) {
    auto b = Hdlc();
    HdlcFrame(b, false, {0x03, 0x3F});
    const std::string listingText = ConvertToListing(b, {"-f2"});
    const std::string title = Crlf(kTitle);
    const std::string tail = Crlf(std::string(kHdlcHeading) + "SD:       03 SABM     1      G \n");
    ASSERT_GT(listingText.size(), title.size() + tail.size());
    EXPECT_EQ(listingText.substr(0, title.size()), title);
    EXPECT_EQ(listingText.substr(listingText.size() - tail.size()), tail);
    // The box and its closing line end fill the space between.
    const std::string box = listingText.substr(title.size(), listingText.size() - title.size() - tail.size());
    EXPECT_NE(box.find("\r\n\r\n"), std::string::npos) << box;
}

TEST_F(FrameListingTest, CaptureWithoutFrames) {
    auto b = Hdlc();
    b.SdText("abc");
    EXPECT_EQ(ConvertToListing(b, {"-f0", "-n"}), Crlf(std::string(kTitle) + kHdlcHeading));
}

}  // namespace
