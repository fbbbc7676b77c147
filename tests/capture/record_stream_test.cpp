// The record window and the working cursor over small in-memory record areas.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "capture/capture_file.h"
#include "capture/record_stream.h"
#include "tests/support/capture_writer.h"
#include "tests/support/record_area.h"

namespace {

using capture::CaptureBuilder;
using capture::kCodeFrameStart;
using capture::Unit;

class RecordStream : public ::testing::Test {
protected:
    void SetUp() override {
        captureSettings = CaptureSettings{};
        workingCursor = CaptureCursor{};
    }

    // Lays the builder's records out little-endian and sets the window over
    // `length` bytes of them (all of them by default).
    void Load(const CaptureBuilder& b, long length = -1) { record_area::Load(b, bytes_, length); }
    void UseFrameTimestamps() { captureSettings.block[settings_field::kFrameTimestamp] = 1; }

    RecordPos At(int index) const { return bytes_.data() + 4 * index; }
    int IndexOf(RecordPos pos) const { return static_cast<int>(pos - bytes_.data()) / 4; }
    void PutCursor(int index, std::uint8_t quarter = 0, bool second = false) {
        workingCursor = CaptureCursor{At(index), quarter, second};
    }
    // The working cursor as (record index, quarter, second-direction flag).
    std::tuple<int, int, bool> Cursor() const {
        return {IndexOf(workingCursor.position), workingCursor.quarter, workingCursor.secondDirection};
    }

    std::vector<std::uint8_t> bytes_;
};

using CursorState = std::tuple<int, int, bool>;

TEST_F(RecordStream, HomeCursorStandsOnTheFirstRecord) {
    Load(CaptureBuilder().SdText("ABC"));
    const RecordWindow& w = captureSettings.window;
    EXPECT_EQ(w.areaStart, At(0));
    EXPECT_EQ(w.areaEnd, At(3));
    EXPECT_EQ(w.windowFirst, At(0));
    EXPECT_EQ(w.windowEnd, At(0));
    EXPECT_EQ(w.home.position, At(0));
    EXPECT_EQ(w.home.quarter, 0);
    EXPECT_FALSE(w.home.secondDirection);
    EXPECT_EQ(Cursor(), CursorState(0, 0, false));
}

TEST_F(RecordStream, NextRecordVisitsEveryRecordOnceAndStopsBeforeWindowEnd) {
    Load(CaptureBuilder().SdText("ABCD"));
    RecordPos pos = At(0);
    std::vector<int> visited;
    while (NextRecord(pos)) visited.push_back(IndexOf(pos));
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(pos, At(3)) << "a failed step leaves the position on the last record";
    EXPECT_FALSE(NextRecord(pos));
    EXPECT_EQ(pos, At(3));
}

TEST_F(RecordStream, NextRecordWrapsFromTheLastRecordToTheAreaStart) {
    Load(CaptureBuilder().SdText("ABCD"));
    captureSettings.window.windowEnd = At(2);  // a window that does not end at the area start
    RecordPos pos = At(3);
    ASSERT_TRUE(NextRecord(pos));
    EXPECT_EQ(pos, At(0));
    ASSERT_TRUE(NextRecord(pos));
    EXPECT_EQ(pos, At(1));
    EXPECT_FALSE(NextRecord(pos));
    EXPECT_EQ(pos, At(1));
}

TEST_F(RecordStream, TrailingPartialRecordIsIgnored) {
    Load(CaptureBuilder().SdText("ABCD"), 4 * 3 + 3);
    EXPECT_EQ(captureSettings.window.areaEnd, At(3));
    RecordPos pos = At(0);
    int steps = 0;
    while (NextRecord(pos)) ++steps;
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(pos, At(2));
}

TEST_F(RecordStream, NextUnitGivesIdleAndTimestampRecordsFourUnits) {
    Load(CaptureBuilder().Sd('A').Idle(5).Timestamp(1, 2, 3).LineState(0, 1).Rd('B'));
    const std::vector<CursorState> expected = {
        {1, 0, false}, {1, 1, false}, {1, 2, false}, {1, 3, false},  // idle
        {2, 0, false}, {2, 1, false}, {2, 2, false}, {2, 3, false},  // timestamp
        {3, 0, false},                                               // line state: one unit
        {4, 0, false},                                               // data: one unit
    };
    for (const CursorState& want : expected) {
        workingCursor.secondDirection = true;  // every successful step clears it
        ASSERT_TRUE(NextUnit());
        EXPECT_EQ(Cursor(), want);
    }
    workingCursor.secondDirection = true;
    EXPECT_FALSE(NextUnit()) << "the last record is followed by window end";
    EXPECT_EQ(Cursor(), CursorState(4, 0, true)) << "a failed step changes nothing";
}

TEST_F(RecordStream, NextUnitFromQuarterThreeFailsAtWindowEndWithQuarterKept) {
    Load(CaptureBuilder().Sd('A').Timestamp(1, 2, 3));
    PutCursor(1, 3);
    EXPECT_FALSE(NextUnit());
    EXPECT_EQ(Cursor(), CursorState(1, 3, false));
}

TEST_F(RecordStream, AdvanceCursorToArrivesWithQuarterZero) {
    Load(CaptureBuilder().Sd('A').Timestamp(1, 2, 3).Idle(7).Sd('B').Sd('C'));
    PutCursor(1, 2, true);
    AdvanceCursorTo(At(3));
    EXPECT_EQ(Cursor(), CursorState(3, 0, false));
    // A target behind the cursor is never reached: the walk ends at window end.
    AdvanceCursorTo(At(0));
    EXPECT_EQ(Cursor(), CursorState(4, 0, false));
}

TEST_F(RecordStream, IsFrameStartLooksAtDataRecordsOnly) {
    struct Case {
        const char* what;
        CaptureRecord word;
        bool start;
    };
    const Case cases[] = {
        {"SD frame start", 0x003F'7E3Au, true},
        {"RD frame start", (static_cast<std::uint32_t>(Unit(0x7E, kCodeFrameStart)) << 16) | 0x3F, true},
        {"both start", (static_cast<std::uint32_t>(Unit(0x7E, 10)) << 16) | Unit(0x7E, 10), true},
        {"data mark bit 5 only", 0x003F'7E2Au, true},
        {"data mark bit 4 only", 0x003F'7E1Au, true},
        {"frame end", 0x003F'7E3Bu, false},
        {"ordinary data", 0x003F'4130u, false},
        {"control record type 10", 0x0000'7E0Au, false},
        {"line state with 10 in the RD half", 0x000A'0001u, false},
        {"timestamp with 10 in bits 16-19", 0x0A0A'0003u, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsFrameStart(c.word), c.start);
    }
}

TEST_F(RecordStream, NextFrameStartSkipsTheRecordAtTheCursor) {
    Load(CaptureBuilder().SdFrame({1}).Idle(3).RdFrame({2}).Sd('x'));
    // 0 start, 1 data, 2 end, 3 idle, 4 RD start, 5 data, 6 end, 7 data
    PutCursor(0, 0, true);
    ASSERT_TRUE(NextFrameStart());
    EXPECT_EQ(Cursor(), CursorState(4, 0, false));
    EXPECT_FALSE(NextFrameStart());
    EXPECT_EQ(Cursor(), CursorState(4, 0, false));
}

TEST_F(RecordStream, NextFrameStartFailsWithoutChangeFromTheMiddleOfAnIdleRecord) {
    Load(CaptureBuilder().SdFrame({1}).Idle(3).Sd('x'));
    PutCursor(3, 2, true);
    EXPECT_FALSE(NextFrameStart());
    EXPECT_EQ(Cursor(), CursorState(3, 2, true));
}

TEST_F(RecordStream, NextFrameTimestampTakesItsDirectionFromBit15) {
    Load(CaptureBuilder()
             .Sd('a')
             .Timestamp(1, 1, 1)              // 1: plain timestamp, passed over
             .Timestamp(2, 2, 2, true, true)  // 2: RD frame timestamp
             .Sd('b')
             .Record(0x0000'00CFu | 0x8000u)   // 4: bits 2, 3, 6 set: still a frame timestamp, RD
             .Idle(0x80)                       // 5: idle with a count byte, not a timestamp
             .Record(0x0000'0082u)             // 6: idle with bit 7: not a frame timestamp
             .Timestamp(3, 3, 3, false, true)  // 7: SD frame timestamp
             .Sd('c'));
    ASSERT_TRUE(NextFrameTimestamp());
    EXPECT_EQ(Cursor(), CursorState(2, 0, true));
    ASSERT_TRUE(NextFrameTimestamp());
    EXPECT_EQ(Cursor(), CursorState(4, 0, true));
    ASSERT_TRUE(NextFrameTimestamp());
    EXPECT_EQ(Cursor(), CursorState(7, 0, false));
    workingCursor.quarter = 1;
    EXPECT_FALSE(NextFrameTimestamp());
    EXPECT_EQ(Cursor(), CursorState(7, 1, false));
}

// Frame starts: 0 SD start, 1-2 rest of that frame, 3 starts in both
// directions, 4 data, 5 SD start, 6-7 rest.
CaptureBuilder FramesWithBothDirections() {
    CaptureBuilder b;
    b.SdFrame({1});
    b.Data(Unit(0x7E, kCodeFrameStart), Unit(0x7E, kCodeFrameStart));
    b.Data(Unit(2), Unit(3));
    b.SdFrame({4});
    return b;
}

TEST_F(RecordStream, AdvanceToNextFrameStaysOnceOnARecordStartingBothDirections) {
    Load(FramesWithBothDirections());
    ASSERT_TRUE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(3, 0, false));
    ASSERT_TRUE(AdvanceToNextFrame()) << "the RD frame of record 3 comes next";
    EXPECT_EQ(Cursor(), CursorState(3, 0, true));
    ASSERT_TRUE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(5, 0, false));
    EXPECT_FALSE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(5, 0, false));
}

TEST_F(RecordStream, AdvanceToNextFrameFromBeforeAFrameMovesPastItsStart) {
    CaptureBuilder b;
    b.Sd('x').Timestamp(1, 2, 3).SdFrame({1}).RdFrame({2});  // starts at 2 and 5
    Load(b);
    PutCursor(1, 2);
    ASSERT_TRUE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(5, 0, false));
}

TEST_F(RecordStream, AdvanceToNextFrameFromBeforeABothDirectionsRecordStopsOnIt) {
    CaptureBuilder b;
    b.Sd('x');
    b.Data(Unit(0x7E, kCodeFrameStart), Unit(0x7E, kCodeFrameStart));
    b.SdFrame({1});
    Load(b);
    ASSERT_TRUE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(1, 0, true));
    ASSERT_TRUE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(2, 0, false));
}

TEST_F(RecordStream, AdvanceToNextFrameWithoutAnyFrameStartFails) {
    Load(CaptureBuilder().SdText("abc").Timestamp(1, 2, 3, false, true));
    PutCursor(0, 0, true);
    EXPECT_FALSE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(0, 0, true));
}

// 0 data, 1 SD frame timestamp, 2 SD start, 3 plain timestamp, 4 RD frame
// timestamp, 5 data, 6 SD frame timestamp, 7 data.
CaptureBuilder FramesByTimestamp() {
    CaptureBuilder b;
    b.Sd('a');
    b.Timestamp(0, 0, 1, false, true);
    b.Sd(0x7E, kCodeFrameStart);
    b.Timestamp(0, 0, 2);
    b.Timestamp(0, 0, 3, true, true);
    b.Sd('b');
    b.Timestamp(0, 0, 4, false, true);
    b.Sd('c');
    return b;
}

TEST_F(RecordStream, AdvanceToNextFrameByTimestampsPassesTheFrameJustAssembled) {
    Load(FramesByTimestamp());
    UseFrameTimestamps();
    ASSERT_TRUE(AdvanceToNextFrame()) << "from off a frame timestamp: past stamp 1 onto stamp 4";
    EXPECT_EQ(Cursor(), CursorState(4, 0, true));
    ASSERT_TRUE(AdvanceToNextFrame()) << "from a frame timestamp: onto the next one";
    EXPECT_EQ(Cursor(), CursorState(6, 0, false));
    EXPECT_FALSE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(6, 0, false));
}

TEST_F(RecordStream, AdvanceToNextFrameByTimestampsFailsWithOnlyOneStampAhead) {
    Load(CaptureBuilder().Sd('a').Timestamp(0, 0, 1, true, true).SdFrame({1}));
    UseFrameTimestamps();
    EXPECT_FALSE(AdvanceToNextFrame());
}

TEST_F(RecordStream, AdvanceToNextFrameByTimestampsIgnoresFrameStarts) {
    CaptureBuilder b;
    b.Data(Unit(0x7E, kCodeFrameStart), Unit(0x7E, kCodeFrameStart));  // 0
    b.SdFrame({1});                                                    // 1-3
    b.Timestamp(0, 0, 1, true, true);                                  // 4
    b.RdFrame({2});                                                    // 5-7
    b.Timestamp(0, 0, 2, true, true);                                  // 8
    b.Sd('x');
    Load(b);
    UseFrameTimestamps();
    ASSERT_TRUE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(8, 0, true));
    EXPECT_FALSE(AdvanceToNextFrame());
    EXPECT_EQ(Cursor(), CursorState(8, 0, true));
}

TEST_F(RecordStream, AdvanceToNextPppFrameAlwaysUsesFrameTimestamps) {
    CaptureBuilder b = FramesByTimestamp();
    Load(b);  // frameTimestamp setting off
    ASSERT_TRUE(AdvanceToNextPppFrame());
    EXPECT_EQ(Cursor(), CursorState(4, 0, true));
    ASSERT_TRUE(AdvanceToNextPppFrame());
    EXPECT_EQ(Cursor(), CursorState(6, 0, false));
    EXPECT_FALSE(AdvanceToNextPppFrame());
    EXPECT_EQ(Cursor(), CursorState(6, 0, false));
}

TEST_F(RecordStream, InitialLineStateLooksForwardFirstThenBackward) {
    // 0 data, 1 LS 0x11->0x22, 2 data, 3 data, 4 LS 0x33->0x44, 5 data
    Load(CaptureBuilder().Sd('a').LineState(0x11, 0x22).SdText("bc").LineState(0x33, 0x44).Sd('d'));
    struct Case {
        int cursor;
        std::uint8_t state;
    };
    const Case cases[] = {
        {0, 0x11},             // before the first change
        {1, 0x11},             // the cursor's own record counts
        {2, 0x33},             // the next change ahead wins over the one just behind
        {4, 0x33}, {5, 0x44},  // nothing ahead: after the last change behind
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cursor);
        PutCursor(c.cursor);
        EXPECT_EQ(InitialLineState(), c.state);
        EXPECT_EQ(std::get<0>(Cursor()), c.cursor) << "the cursor does not move";
    }
}

TEST_F(RecordStream, InitialLineStateFromTheAreaStartFindsTheFirstChangeAnywhere) {
    CaptureBuilder b;
    for (int i = 0; i < 40; ++i) b.Sd('a').Idle(1);
    b.LineState(0x5A, 0xA5);
    Load(b);
    EXPECT_EQ(InitialLineState(), 0x5A);
    PutCursor(79);
    EXPECT_EQ(InitialLineState(), 0x5A);
}

// The state the walks define at record `index`: the "before" state of the first
// change at or after it, else the "after" state of the last change before it, else 0.
std::uint8_t StateAt(const std::vector<std::uint32_t>& records, int index) {
    for (std::size_t i = static_cast<std::size_t>(index); i < records.size(); ++i) {
        if ((records[i] & 0x3F) == 1) return static_cast<std::uint8_t>(records[i] >> 8);
    }
    for (int i = index - 1; i >= 0; --i) {
        if ((records[static_cast<std::size_t>(i)] & 0x3F) == 1) return static_cast<std::uint8_t>(records[i] >> 24);
    }
    return 0;
}

TEST_F(RecordStream, InitialLineStateIsTheSameWhateverWasAskedBefore) {
    // Captures of one size, so each is laid out at the same address as the last:
    // nothing learned from one capture may answer for the next.
    constexpr int kRecords = 24;
    auto capture = [](const std::vector<int>& changes) {
        CaptureBuilder b;
        std::size_t next = 0;
        for (int i = 0; i < kRecords; ++i) {
            if (next < changes.size() && changes[next] == i) {
                b.LineState(static_cast<std::uint8_t>(0x10 + i), static_cast<std::uint8_t>(0x80 + i));
                ++next;
            } else {
                b.Sd(static_cast<std::uint8_t>(i));
            }
        }
        return b;
    };
    const CaptureBuilder captures[] = {capture({5, 12}), capture({2}), capture({}), capture({23}), capture({0, 9, 10})};
    std::vector<std::vector<int>> orders(3);
    for (int i = 0; i < kRecords; ++i) {
        orders[0].push_back(i);                 // as the chart asks: onwards
        orders[1].push_back(kRecords - 1 - i);  // backwards
        orders[2].push_back(i * 7 % kRecords);  // scattered
    }
    for (const CaptureBuilder& b : captures) {
        Load(b);
        for (const auto& order : orders) {
            for (int index : order) {
                SCOPED_TRACE(index);
                PutCursor(index);
                EXPECT_EQ(InitialLineState(), StateAt(b.Records(), index));
            }
        }
    }
}

TEST_F(RecordStream, InitialLineStateWithoutLineStateRecordsIsZero) {
    Load(CaptureBuilder().SdText("ab").Idle(4).Timestamp(0xFF, 0xFF, 0xFF, true, true));
    for (int i = 0; i < 4; ++i) {
        PutCursor(i);
        EXPECT_EQ(InitialLineState(), 0);
    }
}

TEST_F(RecordStream, EmptyAreaFailsEverythingWithoutChange) {
    // The buffer holds records of every kind, but the area is empty (or too
    // short for a whole record): nothing may be found in it.
    CaptureBuilder b;
    b.Data(Unit(0x7E, kCodeFrameStart), Unit(0x7E, kCodeFrameStart));
    b.LineState(0x77, 0x88).Timestamp(1, 1, 1, true, true).Timestamp(1, 1, 2, true, true).SdFrame({1});
    for (long length : {0L, 3L}) {
        SCOPED_TRACE(length);
        for (bool stamps : {false, true}) {
            captureSettings.block[settings_field::kFrameTimestamp] = stamps ? 1 : 0;
            Load(b, length);
            EXPECT_EQ(captureSettings.window.areaEnd, captureSettings.window.areaStart);
            workingCursor.secondDirection = true;
            const CaptureCursor before = workingCursor;
            RecordPos pos = At(0);
            EXPECT_FALSE(NextRecord(pos));
            EXPECT_EQ(pos, At(0));
            EXPECT_FALSE(NextUnit());
            EXPECT_FALSE(NextFrameStart());
            EXPECT_FALSE(NextFrameTimestamp());
            EXPECT_FALSE(AdvanceToNextFrame());
            EXPECT_FALSE(AdvanceToNextPppFrame());
            EXPECT_EQ(InitialLineState(), 0);
            AdvanceCursorTo(At(2));
            EXPECT_EQ(workingCursor.position, before.position);
            EXPECT_EQ(workingCursor.quarter, before.quarter);
            EXPECT_EQ(workingCursor.secondDirection, before.secondDirection);
        }
    }
}

}  // namespace
