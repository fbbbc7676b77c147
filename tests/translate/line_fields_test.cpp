// The shared pieces of the translated listings: the frame byte reader, the
// frame set-up, the fixed-width formatters, the DATA limits and the run.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "capture/capture_file.h"
#include "decode/decode_settings.h"
#include "decode/frame_assembly.h"
#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/record_area.h"
#include "tests/translate/translation_test_support.h"
#include "translate/line_fields.h"
#include "translate/packet_translation.h"

namespace {

using capture::Unit;
using translation_test::LoadUnits;

// A timestamp record with the three time bytes (bit 15 set: stamped on RD).
constexpr CaptureRecord Stamp(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, bool rd = false) {
    return 0x83u | (static_cast<CaptureRecord>(b0) << 8) | (rd ? 0x8000u : 0u) |
           (static_cast<CaptureRecord>(b1) << 16) | (static_cast<CaptureRecord>(b2) << 24);
}

// The text appended to the line so far.
std::string Line() { return std::string(lineBuilder.text, static_cast<std::size_t>(lineBuilder.position)); }

using testing_support::ListingCapture;

class LineFieldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        translation_test::ResetSettings();
        ResetFrameFields();
        StartLine();
    }
};

// ---- Reader ---------------------------------------------------------------------

TEST_F(LineFieldsTest, NextByteSkipsStatusUnitsAndStaysAtEnd) {
    LoadUnits(kFrameSd, 0, 0, {Unit(0x11), Unit(0xEE, 2), Unit(0x22, 4), Unit(0xEE, 3), Unit(0x33, 14)});
    SetupUnitReader(assembledFrame);
    EXPECT_EQ(NextByte(), 0x11);
    EXPECT_EQ(NextByte(), 0x22);
    EXPECT_EQ(NextByte(), 0x33);
    EXPECT_EQ(unitReader.left, 0);
    EXPECT_EQ(NextByte(), -1);
    EXPECT_EQ(NextByte(), -1);
}

TEST_F(LineFieldsTest, NextByteOfEmptyFrameAndOfOnlyStatusUnits) {
    LoadUnits(kFrameSd, 0, 0, {});
    SetupUnitReader(assembledFrame);
    EXPECT_EQ(NextByte(), -1);
    LoadUnits(kFrameSd, 0, 0, {Unit(0x41, 2), Unit(0x42, 3)});
    SetupUnitReader(assembledFrame);
    EXPECT_EQ(NextByte(), -1);
}

TEST_F(LineFieldsTest, ReaderNeverGoesPastTheBuffer) {
    assembledFrame = AssembledFrame{};
    for (int i = 0; i <= kFrameUnitsMax; ++i) assembledFrame.units[i] = Unit(static_cast<std::uint8_t>(i));
    assembledFrame.count = 1000;  // damaged count
    SetupUnitReader(assembledFrame);
    int bytes = 0;
    while (NextByte() >= 0) ++bytes;
    EXPECT_EQ(bytes, kFrameUnitsMax);
}

TEST_F(LineFieldsTest, NextPppByteRemovesTransparency) {
    // 7D 5E -> 7E; 7D 5F -> 7F; 7D, a status unit, 5D -> 7D; then a trailing 7D ends the frame.
    LoadUnits(
        kFrameSd, 0, 0,
        {Unit(0x7D), Unit(0x5E), Unit(0x7D), Unit(0x5F), Unit(0x7D), Unit(0, 2), Unit(0x5D), Unit(0x21), Unit(0x7D)});
    SetupUnitReader(assembledFrame);
    EXPECT_EQ(NextPppByte(), 0x7E);
    EXPECT_EQ(NextPppByte(), 0x7F);
    EXPECT_EQ(NextPppByte(), 0x7D);
    EXPECT_EQ(NextPppByte(), 0x21);
    EXPECT_EQ(NextPppByte(), -1);
    EXPECT_EQ(NextPppByte(), -1);
}

// ---- Frame set-up -------------------------------------------------------------------

TEST_F(LineFieldsTest, SetupTakesSideTimeStatusAndReader) {
    LoadUnits(kFrameRd, 4, Stamp(0x7A, 0x1B, 0x2C, true), {Unit(0x55)});
    ASSERT_TRUE(SetupFrame(assembledFrame, true));
    EXPECT_EQ(frameFields.side, 1);
    // Bit 15 of the timestamp (its line) is not part of the first time byte.
    EXPECT_EQ(frameFields.time[0], 0x7A);
    EXPECT_EQ(frameFields.time[1], 0x1B);
    EXPECT_EQ(frameFields.time[2], 0x2C);
    EXPECT_EQ(frameFields.endStatus, FrameStatus::aborted);
    EXPECT_EQ(NextByte(), 0x55);
}

TEST_F(LineFieldsTest, SetupWithoutStatusOrTimestamp) {
    LoadUnits(0x80 | kFrameSd, 3, 0, {Unit(0x55)});
    ASSERT_TRUE(SetupFrame(assembledFrame, false));  // only the low seven bits tell the line
    EXPECT_EQ(frameFields.side, 0);
    EXPECT_EQ(frameFields.time[0], kNoTimeByte);
    EXPECT_EQ(frameFields.endStatus, FrameStatus::none);
}

TEST_F(LineFieldsTest, SetupRefusesAFrameWithoutALine) {
    for (std::uint8_t direction : {0, 3, 0x7F}) {
        SCOPED_TRACE(direction);
        ResetFrameFields();
        LoadUnits(direction, 1, Stamp(1, 2, 3), {Unit(0x55)});
        EXPECT_FALSE(SetupFrame(assembledFrame, true));
        EXPECT_EQ(frameFields.side, -1);
        EXPECT_EQ(frameFields.time[0], kNoTimeByte);
        EXPECT_EQ(frameFields.endStatus, FrameStatus::none);
    }
}

// ---- Formatters ----------------------------------------------------------------------

TEST_F(LineFieldsTest, DirectionAndTime) {
    frameFields.side = 0;
    PutDirection();
    PutTime();
    frameFields.side = 1;
    frameFields.time[0] = 0x0A;
    frameFields.time[1] = 0x1B;
    frameFields.time[2] = 0xFC;
    PutDirection();
    PutTime();
    EXPECT_EQ(Line(), "SD:      RD:0A1BFC");
}

TEST_F(LineFieldsTest, NumbersKeepTheirWidths) {
    PutDec2(5);
    PutDec2(64);
    PutDec3(7);
    PutDec3(127);
    PutHex2(0x0B);
    PutHex2(0xFF);
    EXPECT_EQ(Line(),
              " 564  7127"
              "0BFF");
}

TEST_F(LineFieldsTest, NamesInTheirField) {
    struct Case {
        std::string_view name;
        std::int32_t value;
        int width;
        std::string expected;
    };
    const Case cases[] = {
        {"INFO", 0x10, 5, "INFO "},
        {"SABME", 0x6F, 5, "SABME"},     // exactly the width: no padding
        {"CALL PROC", 0x02, 4, "CALL"},  // longer names are cut
        {"CALL PROC", 0x02, 9, "CALL PROC"},
        {"", 0x1B, 5, "(1B) "},  // unnamed octet in parentheses
        {"", 0x0D, 4, "(0D)"},
        {"", 0x0D, 3, "   "},  // no room for the parentheses
        {"", -1, 5, "     "},  // octet never read
        {"INFO", -1, 5, "     "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        StartLine();
        PutName(c.name, c.value, c.width);
        EXPECT_EQ(Line(), c.expected);
    }
}

TEST_F(LineFieldsTest, FrameSequenceNumbers) {
    PutFrameSeq(-1);
    PutFrameSeq(5);
    PutFrameSeq(13);  // modulo 8 shows v AND 7
    frameFields.extended = 1;
    PutFrameSeq(5);
    PutFrameSeq(127);
    PutFrameSeq(-1);
    EXPECT_EQ(Line(), "    5  5   5127   ");
}

TEST_F(LineFieldsTest, BitsAndCheckMarks) {
    PutBit(-1);
    PutBit(0);
    PutBit(1);
    for (int status : {0, 1, 2, 3, 4, 5, 0xFF}) {
        frameFields.endStatus = static_cast<FrameStatus>(status);
        PutCheck();
    }
    EXPECT_EQ(Line(),
              " 01"
              "   G ESF A    ");
}

TEST_F(LineFieldsTest, FormattersNeverOverrunTheLine) {
    ListingCapture out;
    PutSpaces(kLineBufferSize + 20);
    PutHex2(0xAB);
    PutName("", 0x12, 9);
    EXPECT_EQ(lineBuilder.position, kLineBufferSize - 1);
    EXPECT_EQ(FinishLine(), 0);  // the NUL still fits
    EXPECT_EQ(out.Take(), std::string(kLineBufferSize - 1, ' '));
}

// ---- DATA column ------------------------------------------------------------------------

TEST_F(LineFieldsTest, DataLimitsPerLayoutAndColumns) {
    struct Case {
        DataLayout layout;
        int column;
        int limits[3];  // 40, 80, 136 columns
    };
    const Case cases[] = {
        {DataLayout::kHdlcFrame, 31, {4, 24, 52}}, {DataLayout::kLapdFrame, 36, {1, 21, 49}},
        {DataLayout::kX25Packet, 40, {0, 19, 47}}, {DataLayout::kLapdMessage, 33, {3, 23, 51}},
        {DataLayout::kPppLine, 32, {3, 23, 51}},   {DataLayout::kPppDump, 10, {14, 34, 62}},
    };
    const int widths[3] = {40, 80, 136};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.layout));
        EXPECT_EQ(DataColumn(c.layout), c.column);
        for (int i = 0; i < 3; ++i) {
            listingSettings.columns = widths[i];
            EXPECT_EQ(DataLimit(c.layout), c.limits[i]);
            // Every line ends within the listing's width.
            EXPECT_LE(c.column + 2 * c.limits[i], widths[i]);
        }
    }
    // The boundaries of the three ranges.
    listingSettings.columns = 79;
    EXPECT_EQ(DataLimit(DataLayout::kHdlcFrame), 4);
    listingSettings.columns = 135;
    EXPECT_EQ(DataLimit(DataLayout::kHdlcFrame), 24);
}

TEST_F(LineFieldsTest, DataStopsAtTheLimitOrTheFrameEnd) {
    assembledFrame = AssembledFrame{};
    assembledFrame.direction = kFrameSd;
    for (int i = 0; i < 60; ++i) assembledFrame.units[assembledFrame.count++] = Unit(static_cast<std::uint8_t>(i));
    struct Case {
        int limit;
        int shown;
    };
    for (Case c : {Case{0, 0}, Case{1, 1}, Case{51, 51}, Case{52, 52}, Case{59, 59}, Case{60, 60}, Case{61, 60}}) {
        SCOPED_TRACE(c.limit);
        SetupUnitReader(assembledFrame);
        StartLine();
        PutData(c.limit);
        EXPECT_EQ(lineBuilder.position, 2 * c.shown);
    }
    SetupUnitReader(assembledFrame);
    StartLine();
    PutData(3);
    EXPECT_EQ(Line(), "000102");
    // The next DATA continues where the reader stands.
    StartLine();
    PutData(2);
    EXPECT_EQ(Line(), "0304");
}

TEST_F(LineFieldsTest, PppDataShowsBytesWithTransparencyRemoved) {
    LoadUnits(kFrameSd, 0, 0, {Unit(0xC0), Unit(0x7D), Unit(0x5E), Unit(0x01, 2), Unit(0x7D), Unit(0x23)});
    SetupUnitReader(assembledFrame);
    PutData(10, ByteSource::kPpp);
    EXPECT_EQ(Line(), "C07E03");
}

// ---- Finishing a line -------------------------------------------------------------------

TEST_F(LineFieldsTest, FinishLineWritesTheTextWithoutLineEnd) {
    ListingCapture out;
    PutLiteral("SD:");
    PutSpaces(2);
    EXPECT_EQ(FinishLine(), 0);
    StartLine();
    EXPECT_EQ(FinishLine(), 0);  // an empty line writes nothing
    EXPECT_EQ(out.Take(), "SD:  ");
}

TEST_F(LineFieldsTest, FinishLineReportsAFailedWrite) {
    testing_support::FailingListing full;
    PutLiteral("SD:");
    EXPECT_EQ(FinishLine(), -1);
}

// ---- The run ----------------------------------------------------------------------------

// A record area in memory, walked by the run as the capture's records.
class TranslationRunTest : public LineFieldsTest {
protected:
    void Load(const capture::CaptureBuilder& builder, bool frameTimestamp) {
        captureSettings.block[settings_field::kFrameTimestamp] = frameTimestamp ? 1 : 0;
        record_area::Load(builder, bytes_);
        listingSettings.noGuide = true;
    }
    std::vector<std::uint8_t> bytes_;
};

int linesWritten = 0;

// Writes the frame's line mark and its first byte.
int FirstByteLine(const AssembledFrame& frame) {
    ++linesWritten;
    StartLine();
    if (!SetupFrame(frame, false)) return FinishLine();
    PutDirection();
    PutData(1, ByteSource::kPpp);
    return FinishLine();
}

TEST_F(TranslationRunTest, WritesTitleHeadingAndOneLinePerFrame) {
    capture::CaptureBuilder b;
    b.SdFrame({0xA1, 0x01}).RdFrame({0xB1}).SdFrame({0xC1});
    Load(b, false);
    ListingCapture out;
    linesWritten = 0;
    EXPECT_EQ(RunTranslation("TITLE\n", "HEAD\n", FirstByteLine, FrameAssembly::kHdlc), 1);
    EXPECT_EQ(out.Take(), "TITLE\nHEAD\nSD:A1\nRD:B1\nSD:C1\n");
}

TEST_F(TranslationRunTest, StopsAfterFiveTimesTheLineBudget) {
    capture::CaptureBuilder b;
    for (std::uint8_t i = 0; i < 8; ++i) b.SdFrame({i});
    Load(b, false);
    listingSettings.lineBudget = 1;
    ListingCapture out;
    EXPECT_EQ(RunTranslation("", "", FirstByteLine, FrameAssembly::kHdlc), 1);
    EXPECT_EQ(out.Take(), "SD:00\nSD:01\nSD:02\nSD:03\nSD:04\n");
}

TEST_F(TranslationRunTest, EmptyCaptureGivesTitleAndHeadingOnly) {
    capture::CaptureBuilder b;
    Load(b, false);
    ListingCapture out;
    EXPECT_EQ(RunTranslation("T\n", "H\n", FirstByteLine, FrameAssembly::kHdlc), 1);
    EXPECT_EQ(out.Take(), "T\nH\n");
}

int failedLines = 0;
int FailingLine(const AssembledFrame&) {
    ++failedLines;
    return -1;
}

TEST_F(TranslationRunTest, AWriteFailureEndsTheListing) {
    capture::CaptureBuilder b;
    b.SdFrame({0xA1}).SdFrame({0xA2});
    Load(b, false);
    ListingCapture out;
    failedLines = 0;
    EXPECT_EQ(RunTranslation("T\n", "H\n", FailingLine, FrameAssembly::kHdlc), 0);
    EXPECT_EQ(failedLines, 1);

    testing_support::FailingListing full;
    linesWritten = 0;
    EXPECT_EQ(RunTranslation("T\n", "H\n", FirstByteLine, FrameAssembly::kHdlc), 0);
    EXPECT_EQ(linesWritten, 0);  // the title already failed
}

TEST_F(TranslationRunTest, PppFramesListedOnceWhateverTheDataLine) {
    capture::CaptureBuilder b;
    translation_test::PppFrame(b, false, {0xA1});
    translation_test::PppFrame(b, true, {0xB1});
    translation_test::PppFrame(b, false, {0xC1});
    translation_test::PppFrame(b, true, {0xD1});
    Load(b, false);  // the PPP listings find frames by frame timestamps regardless
    struct Case {
        std::int8_t dataLine;
        std::string expected;
    };
    const Case cases[] = {
        {kBothLines, "SD:A1\nRD:B1\nSD:C1\nRD:D1\n"},
        {kSdOnly, "SD:A1\nSD:C1\n"},
        {kRdOnly, "RD:B1\nRD:D1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataLine);
        decodeSettings.dataLine = c.dataLine;
        ListingCapture out;
        EXPECT_EQ(RunTranslation("", "", FirstByteLine, FrameAssembly::kPpp), 1);
        EXPECT_EQ(out.Take(), c.expected);
    }
}

}  // namespace
