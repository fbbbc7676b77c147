#include "decode/dump_columns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "capture/capture_file.h"
#include "decode/converters.h"
#include "decode/decode_settings.h"
#include "tests/support/capture_writer.h"
#include "tests/support/record_area.h"

namespace {

using capture::CaptureBuilder;
using capture::Unit;

constexpr int kBlock = 14;
constexpr std::uint32_t kEmpty = kEmptyColumn;

class DumpColumnsTest : public ::testing::Test {
protected:
    void SetUp() override {
        decodeSettings = DecodeSettings{};
        std::memset(captureSettings.block, 0, sizeof captureSettings.block);
        Load(CaptureBuilder{});
    }

    void Load(const CaptureBuilder& b) {
        records_ = b.Records();
        record_area::Load(b, bytes_);
    }

    std::vector<std::uint32_t> UnitWords(int n = kBlock) const {
        std::vector<std::uint32_t> out;
        for (int i = 0; i < n; ++i) out.push_back(dumpColumns[i].unit);
        return out;
    }
    std::vector<std::uint32_t> LineStateWords(int n = kBlock) const {
        std::vector<std::uint32_t> out;
        for (int i = 0; i < n; ++i) out.push_back(dumpColumns[i].lineState);
        return out;
    }
    int CursorIndex() const { return static_cast<int>((workingCursor.position - bytes_.data()) / 4); }

    // The expected words: the given ones, then empty columns up to the block size.
    static std::vector<std::uint32_t> Padded(std::vector<std::uint32_t> words, int n = kBlock) {
        while (static_cast<int>(words.size()) < n) words.push_back(kEmpty);
        return words;
    }

    std::vector<std::uint32_t> records_;
    std::vector<std::uint8_t> bytes_;
};

TEST_F(DumpColumnsTest, EmptyRecordAreaGivesEmptyColumnsAndEnd) {
    dumpColumns[0] = DumpColumn{1, 1};
    EXPECT_TRUE(FillDumpColumns(kBlock));
    EXPECT_EQ(UnitWords(), Padded({}));
    EXPECT_TRUE(FillLineStateColumns(kBlock));
    EXPECT_EQ(LineStateWords(), Padded({}));
    ResetConvertedColumns();
    EXPECT_TRUE(FillConvertedColumns(kBlock));
    EXPECT_EQ(UnitWords(), Padded({}));
}

TEST_F(DumpColumnsTest, DataRecordsAndMarkersTakeColumns) {
    Load(CaptureBuilder{}.Sd('A').LineState(0x01, 0x03).Idle(12).Rd('B'));
    EXPECT_TRUE(FillDumpColumns(kBlock));
    const std::uint32_t idle = records_[2];
    EXPECT_EQ(UnitWords(), Padded({records_[0], idle, idle | 4, idle | 8, idle | 12, records_[3]}));
    EXPECT_EQ(CursorIndex(), 0) << "the walk ends back at window end";
}

TEST_F(DumpColumnsTest, SkipIdleTimestampLeavesMarkersOut) {
    Load(CaptureBuilder{}.Sd('A').Idle(12).Timestamp(1, 2, 3).Rd('B'));
    decodeSettings.skipIdleTimestamp = true;
    EXPECT_TRUE(FillDumpColumns(kBlock));
    EXPECT_EQ(UnitWords(), Padded({records_[0], records_[3]}));
}

TEST_F(DumpColumnsTest, DataLineMaskDropsRecordsWithoutUnits) {
    Load(CaptureBuilder{}.Sd('A').Rd('B').Data(Unit('C'), Unit('D')));
    struct Case {
        DataLine line;
        std::vector<std::uint32_t> words;
    };
    const Case cases[] = {
        {kBothLines, {records_[0], records_[1], records_[2]}},
        {kSdOnly, {records_[0] | 0xF0000, records_[2] | 0xF0000}},
        {kRdOnly, {records_[1] | 0xF, records_[2] | 0xF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.line));
        decodeSettings.dataLine = c.line;
        ResetWorkingCursor();
        EXPECT_TRUE(FillDumpColumns(kBlock));
        EXPECT_EQ(UnitWords(), Padded(c.words));
    }
}

TEST_F(DumpColumnsTest, MarkerQuartersSplitAcrossBlocks) {
    CaptureBuilder b;
    for (int i = 0; i < 12; ++i) b.Sd(static_cast<std::uint8_t>('a' + i));
    b.Timestamp(0x12, 0x34, 0x56).Sd('z');
    Load(b);
    const std::uint32_t ts = records_[12];

    EXPECT_FALSE(FillDumpColumns(kBlock));
    EXPECT_EQ(dumpColumns[12].unit, ts);
    EXPECT_EQ(dumpColumns[13].unit, ts | 4);
    EXPECT_EQ(CursorIndex(), 12);
    EXPECT_EQ(workingCursor.quarter, 2);

    EXPECT_TRUE(FillDumpColumns(kBlock));
    EXPECT_EQ(UnitWords(), Padded({ts | 8, ts | 12, records_[13]}));
    EXPECT_EQ(workingCursor.quarter, 0);
}

TEST_F(DumpColumnsTest, FullBlockEndingOnTheLastRecordReportsEnd) {
    CaptureBuilder b;
    for (int i = 0; i < kBlock + 1; ++i) b.Sd(static_cast<std::uint8_t>(i));
    Load(b);
    EXPECT_FALSE(FillDumpColumns(kBlock));
    EXPECT_EQ(CursorIndex(), kBlock);
    EXPECT_TRUE(FillDumpColumns(kBlock));
    EXPECT_EQ(UnitWords(), Padded({records_[kBlock]}));
}

TEST_F(DumpColumnsTest, LineStateColumnsCarryTheStateForward) {
    // Initial state found forward: the "before" state of the first change.
    Load(CaptureBuilder{}.Sd('A').LineState(0x05, 0x07).Idle(1).LineState(0x07, 0x00).Sd('B'));
    decodeSettings.skipIdleTimestamp = true;
    EXPECT_TRUE(FillLineStateColumns(kBlock));
    const std::uint32_t steady5 = 0x05000581;
    const std::uint32_t after3 = records_[3] & 0xFFFF00FF;
    EXPECT_EQ(UnitWords(), Padded({records_[0], records_[1], records_[3], records_[4]}));
    EXPECT_EQ(LineStateWords(), Padded({steady5, records_[1], records_[3], after3}));
}

TEST_F(DumpColumnsTest, LineStateFoundBackwardForALaterBlock) {
    CaptureBuilder b;
    b.LineState(0x00, 0x09);
    for (int i = 0; i < kBlock + 2; ++i) b.Sd(static_cast<std::uint8_t>(i));
    Load(b);
    EXPECT_FALSE(FillLineStateColumns(kBlock));
    EXPECT_EQ(dumpColumns[0].lineState, records_[0]);
    EXPECT_EQ(dumpColumns[1].lineState, (records_[0] & 0xFFFF00FF) | 0x0900);
    EXPECT_TRUE(FillLineStateColumns(kBlock));
    EXPECT_EQ(LineStateWords(), Padded({0x09000981, 0x09000981, 0x09000981}));
}

// The converted fill runs the data through the transmission-control
// converters; an ASCII block SOH, A, B, STX, C, D, ETB shows SOH, text, STX, text, ETB.
std::uint32_t SdCell(std::uint8_t ebcdic) { return (static_cast<std::uint32_t>(ebcdic) << 8) | 0xB0 | (0xBFu << 16); }
std::uint32_t RdCell(std::uint8_t ebcdic) { return (((static_cast<std::uint32_t>(ebcdic) << 8) | 0xB0) << 16) | 0xBF; }

TEST_F(DumpColumnsTest, ConvertedColumnsShowLineControlEvents) {
    Load(CaptureBuilder{}
             .SdText("\x01"
                     "AB\x02"
                     "CD\x17")
             .Idle(3)
             .RdText("\x06"));
    InstallConverters(kModeAsync, 0);
    ResetConvertedColumns();
    EXPECT_TRUE(FillConvertedColumns(kBlock));
    const std::uint32_t idle = records_[7];
    EXPECT_EQ(UnitWords(), Padded({SdCell(0x01), SdCell(0x60), SdCell(0x02), SdCell(0x60), SdCell(0x26), idle, idle | 4,
                                   idle | 8, idle | 12, RdCell(0x2E)}));
}

TEST_F(DumpColumnsTest, ConvertedCellsBeyondTheBlockOpenTheNextBlock) {
    // Thirteen ENQs fill 13 columns; DLE 0 then emits ACK and zero at once:
    // the zero does not fit and opens the next block.
    CaptureBuilder b;
    for (int i = 0; i < 13; ++i) b.Sd(0x05);
    b.Sd(0x10).Sd('0').Sd(0x04);
    Load(b);
    InstallConverters(kModeAsync, 0);
    ResetConvertedColumns();
    EXPECT_FALSE(FillConvertedColumns(kBlock));
    EXPECT_EQ(dumpColumns[12].unit, SdCell(0x2D));
    EXPECT_EQ(dumpColumns[13].unit, SdCell(0x2E));
    EXPECT_TRUE(FillConvertedColumns(kBlock));
    EXPECT_EQ(UnitWords(), Padded({SdCell(0xF0), SdCell(0x37)}));
}

TEST_F(DumpColumnsTest, ConvertedCellsCarriedPastTheLastRecordAreStillShown) {
    CaptureBuilder b;
    for (int i = 0; i < 13; ++i) b.Sd(0x05);
    b.Sd(0x10).Sd('0');
    Load(b);
    InstallConverters(kModeAsync, 0);
    ResetConvertedColumns();
    EXPECT_FALSE(FillConvertedColumns(kBlock)) << "the zero cell is still to come";
    EXPECT_TRUE(FillConvertedColumns(kBlock));
    EXPECT_EQ(UnitWords(), Padded({SdCell(0xF0)}));
}

}  // namespace
