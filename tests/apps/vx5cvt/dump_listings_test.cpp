// vx5cvt's normal dump, line-state chart and translate-format dump, compared
// as whole listing files (CR LF line ends, trailing blanks included).
#include "apps/vx5cvt/dump_listings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "apps/vx5cvt/options.h"
#include "capture/capture_file.h"
#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/record_area.h"
#include "tests/support/run_program.h"

namespace {

using capture::Async9600;
using capture::CaptureBuilder;
using capture::Unit;
using testing_support::ConvertToListing;
using testing_support::Crlf;
using testing_support::RunProgram;

const std::string kAsyncHeader =
    "**************************************\n"
    "* MODE    : ASYNC   CHAR BIT: 8      *\n"
    "* S-SPEED : 9600    PARITY  : NONE   *\n"
    "* R-SPEED : 9600    STOP BIT: 1      *\n"
    "* CODE    : ASCII   BCC     : NONE   *\n"
    "**************************************\n"
    "PRINT DATA CODE : ASCII\n"
    "\n";

// `text` followed by blanks up to `width` characters.
std::string Pad(const std::string& text, std::size_t width) { return text + std::string(width - text.size(), ' '); }
// A row of a 14-column block (-C40): 3 + 2 x 14 characters and the line end.
std::string Row40(const std::string& text) { return Pad(text, 31) + "\n"; }

// "Hi" on SD, "OK" on RD, an idle of 12, CR on SD with LF on RD, a timestamp.
CaptureBuilder MixedTraffic() {
    CaptureBuilder b = Async9600();
    b.Sd('H').Sd('i').Rd('O').Rd('K').Idle(12).Data(Unit(0x0D), Unit(0x0A)).Timestamp(0x12, 0x34, 0x56);
    return b;
}

TEST(DumpListings, RowsForEveryDataLineAndCodeFilter) {
    struct Case {
        std::vector<std::string> options;
        std::string rows;
    };
    const Case cases[] = {
        {{"-d0", "-c0"},
         "SD:4869 - -[ IDLE ]0D[ TMSP ]  \n"
         "    H i    [ 0012 ]CR[123456]  \n"
         "RD: - -4F4B        0A          \n"
         "        O K        LF          \n"},
        {{"-d0", "-c1"},
         "SD: H i    [ IDLE ]CR[ TMSP ]  \n"
         "RD:     O K[ 0012 ]LF[123456]  \n"},
        {{"-d0", "-c2"},
         "SD:4869 - -[ IDLE ]0D[ TMSP ]  \n"
         "RD: - -4F4B[ 0012 ]0A[123456]  \n"},
        {{"-d1", "-c0"},
         "SD:4869[ IDLE ]0D[ TMSP ]      \n"
         "    H i[ 0012 ]CR[123456]      \n"},
        {{"-d1", "-c1"}, "SD: H i[ 0012 ]CR[123456]      \n"},
        {{"-d1", "-c2"}, "SD:4869[ 0012 ]0D[123456]      \n"},
        {{"-d2", "-c0"},
         "RD:4F4B[ IDLE ]0A[ TMSP ]      \n"
         "    O K[ 0012 ]LF[123456]      \n"},
        {{"-d2", "-c1"}, "RD: O K[ 0012 ]LF[123456]      \n"},
        {{"-d2", "-c2"}, "RD:4F4B[ 0012 ]0A[123456]      \n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0] + c.options[1]);
        std::vector<std::string> options = c.options;
        options.push_back("-C40");
        EXPECT_EQ(ConvertToListing(MixedTraffic(), options), Crlf(kAsyncHeader + c.rows + "\n"));
    }
}

TEST(DumpListings, BlockWidthFollowsTheListingColumns) {
    CaptureBuilder b = Async9600();
    b.SdText("The quick brown fox jumps over");
    const std::string hex =
        "546865207175696"
        "36B2062726F776E20666F78206A756D7073206F766572";
    const std::string chars = " T h e   q u i c k   b r o w n   f o x   j u m p s   o v e r";

    EXPECT_EQ(ConvertToListing(b, {"-d1", "-C40"}), Crlf(kAsyncHeader +
                                                         "SD:54686520717569636B2062726F77\n"
                                                         "    T h e   q u i c k   b r o w\n"
                                                         "\n" +
                                                         "SD:6E20666F78206A756D7073206F76\n"
                                                         "    n   f o x   j u m p s   o v\n"
                                                         "\n" +
                                                         Row40("SD:6572") + Row40("    e r") + "\n"));
    EXPECT_EQ(ConvertToListing(b, {"-d1", "-C80"}),
              Crlf(kAsyncHeader + "SD:" + hex.substr(0, 56) + "\n" + "   " + chars.substr(0, 56) + "\n\n" +
                   "SD:" + Pad(hex.substr(56), 56) + "\n" + "   " + Pad(chars.substr(56), 56) + "\n\n"));
    EXPECT_EQ(ConvertToListing(b, {"-d1", "-C136"}),
              Crlf(kAsyncHeader + "SD:" + Pad(hex, 112) + "\n" + "   " + Pad(chars, 112) + "\n\n"));
}

TEST(DumpListings, MarkersContinueInTheNextBlock) {
    CaptureBuilder b = Async9600();
    b.SdText("abcdefghijkl").Idle(10000).SdText("mnopqrstuv").Timestamp(0x12, 0x34, 0x56).Sd('w');
    EXPECT_EQ(ConvertToListing(b, {"-d1", "-C40"}), Crlf(kAsyncHeader +
                                                         "SD:6162636465666768696A6B6C[ ID\n"
                                                         "    a b c d e f g h i j k l[ OV\n"
                                                         "\n" +
                                                         "SD:LE ]6D6E6F70717273747576[ TM\n"
                                                         "   ER ] m n o p q r s t u v[123\n"
                                                         "\n" +
                                                         Row40("SD:SP ]77") + Row40("   456] w") + "\n"));
    // Without idle and timestamp markers only the data remains.
    EXPECT_EQ(ConvertToListing(b, {"-d1", "-C40", "-i"}),
              Crlf(kAsyncHeader +
                   "SD:6162636465666768696A6B6C6D6E\n"
                   "    a b c d e f g h i j k l m n\n"
                   "\n" +
                   Row40("SD:6F7071727374757677") + Row40("    o p q r s t u v w") + "\n"));
}

TEST(DumpListings, NoGuideLeavesOutBoxLeadsAndEmptyLines) {
    EXPECT_EQ(ConvertToListing(MixedTraffic(), {"-C40", "-n"}), Crlf("4869 - -[ IDLE ]0D[ TMSP ]  \n"
                                                                     " H i    [ 0012 ]CR[123456]  \n"
                                                                     " - -4F4B        0A          \n"
                                                                     "     O K        LF          \n"));
}

TEST(DumpListings, EmptyRecordAreaGivesOneBlankBlock) {
    const std::string blanks(56, ' ');
    EXPECT_EQ(ConvertToListing(Async9600(), {}), Crlf(kAsyncHeader + "SD:" + blanks + "\n" + "   " + blanks + "\n" +
                                                      "RD:" + blanks + "\n" + "   " + blanks + "\n\n"));
}

TEST(DumpListings, CharacterCellsOutsideTheCodeAndWithoutTables) {
    // EBCD shows nothing for a byte above 0x3F; "(HEX)" has no tables and shows hex.
    CaptureBuilder ebcd = Async9600();
    ebcd.Code(6).Sd(0x40).Sd(0x02);
    EXPECT_EQ(ConvertToListing(ebcd, {"-d1", "-C40", "-n"}), Crlf("4002                        \n"
                                                                  "   @                        \n"));
    CaptureBuilder hex = Async9600();
    hex.Code(10).Sd(0x41).Sd(0xFE, 1);
    EXPECT_EQ(ConvertToListing(hex, {"-d1", "-C40", "-n"}), Crlf("41FE                        \n"
                                                                 "41FE                        \n"));
}

TEST(DumpListings, ControlRecordsOfOtherTypesAndStrayBits) {
    // A control record of type 0 is a marker of four blank columns; an idle
    // record whose stored bits 2-3 are not zero still spells its text in order;
    // a line-state record with bits 6 and 7 set is still a line-state record
    // (no column in the normal dump).
    CaptureBuilder b = Async9600();
    b.Record(0x00000000).Record(0x0000400E).Record(0x000000C1).Sd('A');
    EXPECT_EQ(ConvertToListing(b, {"-d1", "-C40", "-n"}), Crlf("        [ IDLE ]41          \n"
                                                               "        [ 0064 ] A          \n"));
}

TEST(DumpListings, LineStateChartWithAChangeInsideTheBlock) {
    // RS is set from the start; CS comes on at the change. A set bit shows 0.
    CaptureBuilder b = Async9600();
    b.LineStateRecorded(true).Sd('A').LineState(0x01, 0x03).Rd('B').Idle(5);
    const std::string tail(14, ' ');
    // The chart as printed, one row per line.
    // clang-format off
    EXPECT_EQ(ConvertToListing(b, {"-l", "-C40"}), Crlf(kAsyncHeader +
                                               "SD:41   -[ IDLE ]" + tail + "\n" +
                                               "    A    [ 0005 ]" + tail + "\n" +
                                               "RD: -  42        " + tail + "\n" +
                                               "        B        " + tail + "\n" +
                                               "\n" +
                                               "RS:00000000000000" + tail + "\n" +
                                               "CS:11100000000000" + tail + "\n" +
                                               "CD:11111111111111" + tail + "\n" +
                                               "ER:11111111111111" + tail + "\n" +
                                               "\n"));
    // clang-format on
}

TEST(DumpListings, LineStateChartFindsTheStateBackwardInALaterBlock) {
    CaptureBuilder b = Async9600();
    b.LineStateRecorded(true).LineState(0x00, 0x80).SdText("0123456789ABCDEF");
    EXPECT_EQ(ConvertToListing(b, {"-l70", "-d1", "-c2", "-C40"}),
              Crlf(kAsyncHeader +
                   "SD:  30313233343536373839414243\n"
                   "\n" +
                   "EX:1000000000000000000000000000\n"
                   "RS:1111111111111111111111111111\n"
                   "\n" +
                   Row40("SD:444546") + "\n" + Row40("EX:000000") + Row40("RS:111111") + "\n"));
}

TEST(DumpListings, TranslateFormatDumpOfAnAsciiBscExchange) {
    // ENQ, ACK0, STX text ETX, ACK1, EOT; the block boundary falls after ETX.
    CaptureBuilder b = Async9600();
    b.Timestamp(0x01, 0x02, 0x03).Sd(0x05).Idle(7).Rd(0x10).Rd('0').Sd(0x02).SdText("HELLO").Sd(0x03);
    b.Rd(0x10).Rd('1').Sd(0x04);
    EXPECT_EQ(ConvertToListing(b, {"-f", "-C40"}),
              Crlf(kAsyncHeader +
                   "SD:[ TMSP ]  [ IDLE ] - -      \n"
                   "   [010203]EQ[ 0007 ]    SX -EX\n"
                   "RD:         -             - - -\n"
                   "                     AK 0      \n"
                   "\n" +
                   Row40("SD: - -") + Row40("       ET") + Row40("RD:     -") + Row40("   AK 1") + "\n"));
}

// Runs a dump driver in-process over the capture's records with a small line
// budget and returns how many blocks it wrote (one "SD:" row each).
int BlocksWritten(const CaptureBuilder& b, int (*driver)(), int columns, std::int32_t budget) {
    ResetOptions();
    decodeSettings.dataLine = kSdOnly;
    listingSettings.codeFilter = 2;
    listingSettings.columns = columns;
    listingSettings.lineBudget = budget;
    if (driver == RunLineStateChart) options.lineStates[0] = 0;
    captureSettings = CaptureSettings{};
    record_area::LoadSettings(b);
    std::vector<std::uint8_t> bytes;
    record_area::Load(b, bytes);
    testing_support::ListingCapture out(true);
    EXPECT_EQ(driver(), 1);
    const std::string text = out.Take();
    int blocks = 0;
    for (std::size_t at = text.find("\nSD:"); at != std::string::npos; at = text.find("\nSD:", at + 1)) ++blocks;
    ResetOptions();
    captureSettings = CaptureSettings{};  // the window pointed into `bytes`
    return blocks;
}

TEST(DumpListings, BlockLimitScalesTheLineBudgetByTheRowsOfABlock) {
    CaptureBuilder b = Async9600();
    // 80 blocks of 14, 40 of 28, 20 of 56 columns; ENQ gives a cell in the
    // translate-format dump too.
    for (int i = 0; i < 20 * 56; ++i) b.Sd(0x05);
    struct Case {
        int (*driver)();
        int columns;
        std::int32_t budget;
        int blocks;
    };
    const Case cases[] = {
        {RunNormalDump, 40, 1, 6},       {RunNormalDump, 40, 13, 78},     {RunNormalDump, 40, 14, 80},
        {RunNormalDump, 80, 1, 3},       {RunNormalDump, 80, 13, 39},     {RunNormalDump, 80, 14, 40},
        {RunNormalDump, 136, 1, 2},      {RunNormalDump, 136, 2, 3},      {RunNormalDump, 136, 13, 20},
        {RunTranslateDump, 80, 2, 6},    {RunLineStateChart, 40, 1, 2},   {RunLineStateChart, 40, 39, 78},
        {RunLineStateChart, 40, 40, 80}, {RunLineStateChart, 80, 39, 39}, {RunLineStateChart, 80, 40, 40},
        {RunLineStateChart, 136, 1, 1},  {RunLineStateChart, 136, 3, 2},  {RunLineStateChart, 136, 39, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.columns << " columns, budget " << c.budget);
        EXPECT_EQ(BlocksWritten(b, c.driver, c.columns, c.budget), c.blocks);
    }
}

// On the console the sample's listing has plain line ends.
TEST(DumpListings, SampleAsyncCaptureConvertsToTheConsole) {
    const std::string examples = std::string(VX_SOURCE_DIR) + "/examples/";
    std::string listingText = testing_support::ReadFileBytes(examples + "ASYNC.TXT");
    std::erase(listingText, '\r');
    const auto r = RunProgram(VX5CVT_PATH, {examples + "ASYNC.DT"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, testing_support::kVx5cvtBanner + "Convert start.\n" + listingText + "Complete.\n");
}

}  // namespace
