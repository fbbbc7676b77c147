#include "decode/frame_assembly.h"
#include "decode/frame_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "capture/capture_file.h"
#include "decode/decode_settings.h"
#include "tests/support/capture_writer.h"
#include "tests/support/record_area.h"

namespace {

using capture::CaptureBuilder;
using capture::kNoUnit;
using capture::Unit;

constexpr std::uint8_t kStart = capture::kCodeFrameStart;
constexpr std::uint8_t kEnd = capture::kCodeFrameEnd;

class FrameAssemblyTest : public ::testing::Test {
protected:
    void SetUp() override {
        decodeSettings = DecodeSettings{};
        std::memset(captureSettings.block, 0, sizeof captureSettings.block);
        Load(CaptureBuilder{});
    }

    // Sets up the record window over the builder's records and homes the cursor.
    void Load(const CaptureBuilder& b) { record_area::Load(b, bytes_); }

    void FrameTimestamps(bool on) { captureSettings.block[settings_field::kFrameTimestamp] = on ? 1 : 0; }

    int IndexOf(RecordPos pos) const { return static_cast<int>((pos - bytes_.data()) / 4); }

    std::vector<std::uint8_t> Bytes(const AssembledFrame& f) const {
        std::vector<std::uint8_t> out;
        for (int i = 0; i < f.count; ++i) out.push_back(DataByte(f.units[i]));
        return out;
    }

    // Runs the frame walk: (direction, start record index) of every frame delivered.
    std::vector<std::pair<int, int>> AllFrames(bool ppp) {
        std::vector<std::pair<int, int>> out;
        StartFrameWalk(ppp ? FrameAssembly::kPpp : FrameAssembly::kHdlc);
        for (int guard = 0; guard < 500; ++guard) {
            const AssembledFrame* f = NextWalkedFrame();
            if (f == nullptr) break;
            out.emplace_back(f->direction, IndexOf(f->start));
        }
        return out;
    }

    std::vector<std::uint8_t> bytes_;
};

using Frames = std::vector<std::pair<int, int>>;

TEST_F(FrameAssemblyTest, CollectsOneSdFrame) {
    Load(CaptureBuilder{}.Sd('x').SdFrame({0x01, 0x3F, 0x55}).RdFrame({0x03}));
    const AssembledFrame& f = AssembleFrame();
    EXPECT_EQ(f.direction, kFrameSd);
    EXPECT_EQ(IndexOf(f.start), 1);
    EXPECT_EQ(f.timestamp, 0u);
    EXPECT_EQ(static_cast<int>(f.status), 0);
    EXPECT_EQ(Bytes(f), (std::vector<std::uint8_t>{0x01, 0x3F, 0x55}));
    EXPECT_EQ(f.units[0], Unit(0x01) | 0x30);
    EXPECT_EQ(f.units[3], 0);
    EXPECT_EQ(workingCursor.position, bytes_.data()) << "the assembly does not move the cursor";
}

TEST_F(FrameAssemblyTest, KeepsAtMost64UnitsAroundTheLimit) {
    for (int length : {63, 64, 65, 70}) {
        SCOPED_TRACE(length);
        std::vector<std::uint8_t> content;
        for (int i = 0; i < length; ++i) content.push_back(static_cast<std::uint8_t>(i));
        CaptureBuilder b;
        b.Sd(0x7E, kStart);
        for (auto c : content) b.Sd(c);
        b.Sd(0, capture::kCodeData | 3).Sd(0x7E, kEnd).RdFrame({0x99});
        Load(b);
        const AssembledFrame& f = AssembleFrame();
        ASSERT_EQ(f.direction, kFrameSd);
        const int kept = length < 64 ? length : 64;
        EXPECT_EQ(f.count, kept);
        EXPECT_EQ(f.units[kept], 0);
        EXPECT_EQ(DataByte(f.units[kept - 1]), kept - 1);
        EXPECT_EQ(static_cast<int>(f.status), 2) << "a code 3 after the dropped units still counts";
    }
}

TEST_F(FrameAssemblyTest, StatusCodesAndEnds) {
    struct Case {
        std::uint8_t code;
        std::uint8_t status;
        int count;  // units stored: the unit after an ending code belongs to no frame
    };
    const Case cases[] = {{2, 1, 2}, {3, 2, 2}, {12, 3, 1}, {9, 4, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.code));
        Load(CaptureBuilder{}.Sd(0x7E, kStart).Sd('a').Sd(0, c.code).Sd('b').Sd(0x7E, kEnd));
        const AssembledFrame& f = AssembleFrame();
        EXPECT_EQ(f.direction, kFrameSd);
        EXPECT_EQ(static_cast<int>(f.status), c.status);
        EXPECT_EQ(f.count, c.count);
    }
}

TEST_F(FrameAssemblyTest, LastStatusEventWins) {
    Load(CaptureBuilder{}.Sd(0x7E, kStart).Sd(0, 3).Sd('a').Sd(0, 2).Sd(0x7E, kEnd));
    EXPECT_EQ(AssembleFrame().status, FrameStatus::good);
}

TEST_F(FrameAssemblyTest, FrameWithoutEndIsDeliveredAsFarAsItGoes) {
    Load(CaptureBuilder{}.Rd(0x7E, kStart).Rd('a').Rd(0, 2).Rd('b'));
    const AssembledFrame& f = AssembleFrame();
    EXPECT_EQ(f.direction, kFrameRd);
    EXPECT_EQ(static_cast<int>(f.status), 1);
    EXPECT_EQ(Bytes(f), (std::vector<std::uint8_t>{'a', 'b'}));
}

TEST_F(FrameAssemblyTest, NoFrameSetsOnlyTheDirection) {
    Load(CaptureBuilder{}.SdFrame({1, 2}).Sd('z'));
    const AssembledFrame& first = AssembleFrame();
    ASSERT_EQ(first.direction, kFrameSd);
    ASSERT_FALSE(AdvanceToNextFrame());
    Load(CaptureBuilder{}.SdText("no frame here"));
    const AssembledFrame& f = AssembleFrame();
    EXPECT_EQ(f.direction, kNoFrame);
    EXPECT_EQ(f.count, 2) << "the previous frame's fields stay";
}

TEST_F(FrameAssemblyTest, EmptyRecordAreaHasNoFrame) {
    assembledFrame.direction = kFrameRd;
    EXPECT_EQ(AssembleFrame().direction, kNoFrame);
    assembledFrame.direction = kFrameRd;
    EXPECT_EQ(AssemblePppFrame().direction, kNoFrame);
}

TEST_F(FrameAssemblyTest, DataLineSelectionSkipsTheOtherDirection) {
    Load(CaptureBuilder{}.SdFrame({1}).RdFrame({2, 3}));
    decodeSettings.dataLine = kRdOnly;
    const AssembledFrame& f = AssembleFrame();
    EXPECT_EQ(f.direction, kFrameRd);
    EXPECT_EQ(IndexOf(f.start), 3);
    decodeSettings.dataLine = kSdOnly;
    EXPECT_EQ(AssembleFrame().direction, kFrameSd);
}

TEST_F(FrameAssemblyTest, BothDirectionsStartingInOneRecordGiveSdThenRd) {
    Load(CaptureBuilder{}
             .Data(Unit(0x7E, kStart), Unit(0x7E, kStart))
             .Data(Unit(0xA1), Unit(0xB1))
             .Data(Unit(0x7E, kEnd), Unit(0x7E, kEnd))
             .SdFrame({0xC1}));
    EXPECT_EQ(AllFrames(false), (Frames{{kFrameSd, 0}, {kFrameRd, 0}, {kFrameSd, 3}}));
    ResetWorkingCursor();
    EXPECT_EQ(Bytes(AssembleFrame()), (std::vector<std::uint8_t>{0xA1}));
    ASSERT_TRUE(AdvanceToNextFrame());
    EXPECT_EQ(Bytes(AssembleFrame()), (std::vector<std::uint8_t>{0xB1}));
}

// An SD timestamp just before a record on which both directions start: each of
// the two frames is delivered exactly once, SD first.
TEST_F(FrameAssemblyTest, SdTimestampBeforeBothDirectionsStartDeliversEachFrameOnce) {
    Load(CaptureBuilder{}
             .Sd('x')
             .Timestamp(1, 2, 3)
             .Data(Unit(0x7E, kStart), Unit(0x7E, kStart))
             .Data(Unit(0xA1), Unit(0xB1))
             .Data(Unit(0x7E, kEnd), Unit(0x7E, kEnd)));
    EXPECT_EQ(AllFrames(false), (Frames{{kFrameSd, 2}, {kFrameRd, 2}}));
}

TEST_F(FrameAssemblyTest, FrameTimestampModeIgnoresStartsWithoutTimestamp) {
    FrameTimestamps(true);
    CaptureBuilder b;
    b.SdFrame({0x11}).Timestamp(1, 2, 3, true, true).SdFrame({0x22}).RdFrame({0x33});
    Load(b);
    const AssembledFrame& f = AssembleFrame();
    EXPECT_EQ(f.direction, kFrameRd);
    EXPECT_EQ(Bytes(f), (std::vector<std::uint8_t>{0x33}));
    EXPECT_EQ(f.timestamp, b.Records()[3]);
}

TEST_F(FrameAssemblyTest, FrameTimestampModeFollowsTheTimestampsOrder) {
    // RD stamp, then SD stamp, then both directions start on one record.
    FrameTimestamps(true);
    CaptureBuilder b;
    b.Sd('x')
        .Timestamp(0, 0, 1, true, true)
        .Timestamp(0, 0, 2, false, true)
        .Data(Unit(0x7E, kStart), Unit(0x7E, kStart))
        .Data(Unit(0xA1), Unit(0xB1))
        .Data(Unit(0x7E, kEnd), Unit(0x7E, kEnd));
    Load(b);
    EXPECT_EQ(AllFrames(false), (Frames{{kFrameRd, 3}, {kFrameSd, 3}}));
}

TEST_F(FrameAssemblyTest, FrameKeepsTheTimestampOfItsDirection) {
    CaptureBuilder b;
    b.Timestamp(5, 6, 7, true).Timestamp(1, 2, 3).RdFrame({0x44});
    Load(b);
    const AssembledFrame& f = AssembleFrame();
    EXPECT_EQ(f.direction, kFrameRd);
    EXPECT_EQ(f.timestamp, b.Records()[0]);
}

TEST_F(FrameAssemblyTest, PppFrameKeepsTheOpeningFlagButNotTheClosingOne) {
    CaptureBuilder b;
    b.Sd(0x7E).Timestamp(1, 2, 3).Sd(0x7E).Sd(0xFF).Sd(0, 2).Sd(0x03).Sd(0x7E).Sd(0x44);
    Load(b);
    const AssembledFrame& f = AssemblePppFrame();
    EXPECT_EQ(f.direction, kFrameSd);
    EXPECT_EQ(IndexOf(f.start), 2);
    EXPECT_EQ(f.timestamp, b.Records()[1]);
    EXPECT_EQ(Bytes(f), (std::vector<std::uint8_t>{0x7E, 0xFF, 0x00, 0x03})) << "code 2 units are kept";
}

TEST_F(FrameAssemblyTest, PppTwoFlagsInARowGiveOneFlag) {
    Load(CaptureBuilder{}.Timestamp(1, 2, 3, true).Rd(0x7E).Rd(0x7E).Rd(0x01));
    const AssembledFrame& f = AssemblePppFrame();
    EXPECT_EQ(f.direction, kFrameRd);
    EXPECT_EQ(Bytes(f), (std::vector<std::uint8_t>{0x7E}));
}

TEST_F(FrameAssemblyTest, PppNeedsATimestampOfTheFramesDirection) {
    Load(CaptureBuilder{}.Sd(0x7E).Sd(0x01).Timestamp(1, 2, 3).Rd(0x02).Rd(0x7E));
    EXPECT_EQ(AssemblePppFrame().direction, kNoFrame);
}

TEST_F(FrameAssemblyTest, PppBothDirectionsFollowTheirTimestamps) {
    for (bool rdStampFirst : {false, true}) {
        SCOPED_TRACE(rdStampFirst);
        Load(CaptureBuilder{}
                 .Sd('x')
                 .Timestamp(0, 0, 1, rdStampFirst, true)
                 .Timestamp(0, 0, 2, !rdStampFirst, true)
                 .Data(Unit(0x01), Unit(0x02))
                 .Data(Unit(0x7E), Unit(0x7E)));
        const Frames expected =
            rdStampFirst ? Frames{{kFrameRd, 3}, {kFrameSd, 3}} : Frames{{kFrameSd, 3}, {kFrameRd, 3}};
        EXPECT_EQ(AllFrames(true), expected);
    }
}

TEST_F(FrameAssemblyTest, PppSkipsEmptyUnitsAndExcludedDirection) {
    Load(CaptureBuilder{}.Timestamp(1, 2, 3).Timestamp(1, 2, 4, true).Data(kNoUnit, Unit(0x10)).Sd(0x20).Sd(0x7E));
    decodeSettings.dataLine = kSdOnly;
    const AssembledFrame& f = AssemblePppFrame();
    EXPECT_EQ(f.direction, kFrameSd);
    EXPECT_EQ(Bytes(f), (std::vector<std::uint8_t>{0x20}));
}

TEST_F(FrameAssemblyTest, PppFrameLimitedTo64Units) {
    CaptureBuilder b;
    b.Timestamp(1, 2, 3);
    for (int i = 0; i < 70; ++i) b.Sd(static_cast<std::uint8_t>(i + 1));
    b.Sd(0x7E);
    Load(b);
    const AssembledFrame& f = AssemblePppFrame();
    EXPECT_EQ(f.count, 64);
    EXPECT_EQ(f.units[64], 0);
    EXPECT_EQ(DataByte(f.units[63]), 64);
}

}  // namespace

namespace {

// A capture of `n` records drawn from every kind that steers an assembly:
// starts, ends and data of either line or both, timestamps of either line,
// PPP flags and idle records.
CaptureBuilder MixedCapture(unsigned seed, int n) {
    CaptureBuilder b;
    unsigned x = seed;
    auto next = [&x](unsigned range) {
        x = x * 1103515245u + 12345u;
        return (x >> 16) % range;
    };
    for (int i = 0; i < n; ++i) {
        switch (next(12)) {
            case 0: b.Sd(0x7E, kStart); break;
            case 1: b.Rd(0x7E, kStart); break;
            case 2: b.Data(Unit(0x7E, kStart), Unit(0x7E, kStart)); break;
            case 3: b.Sd(0x7E, kEnd); break;
            case 4: b.Rd(0x7E, kEnd); break;
            case 5: b.Timestamp(0, 0, static_cast<std::uint8_t>(i), false, next(2) == 0); break;
            case 6: b.Timestamp(0, 0, static_cast<std::uint8_t>(i), true, next(2) == 0); break;
            case 7: b.Data(Unit(0x7E), Unit(0x7E)); break;
            case 8: b.Idle(3); break;
            case 9: b.Rd(static_cast<std::uint8_t>(i)); break;
            case 10: b.Sd(static_cast<std::uint8_t>(i)); break;
            default: b.Data(Unit(static_cast<std::uint8_t>(i)), Unit(0x7E)); break;
        }
    }
    return b;
}

}  // namespace

// Wherever the advances would step over a cursor position because the next
// assembly would repeat the last frame, a real assembly from there does repeat it.
TEST_F(FrameAssemblyTest, AssemblyWouldRepeatOnlyWhereItDoes) {
    constexpr int kRecords = 36;
    int repeats[2][2] = {};  // by PPP and frame timestamps: how often a position is stepped over
    for (unsigned seed = 1; seed <= 12; ++seed) {
        Load(MixedCapture(seed, kRecords));
        for (bool ppp : {false, true}) {
            for (bool stamps : {false, true}) {
                FrameTimestamps(stamps);
                for (DataLine line : {kSdOnly, kRdOnly, kBothLines}) {
                    decodeSettings.dataLine = line;
                    auto assemble = [&](int index, bool flag) -> const AssembledFrame& {
                        workingCursor = CaptureCursor{bytes_.data() + 4 * index, 0, flag};
                        return ppp ? AssemblePppFrame() : AssembleFrame();
                    };
                    for (int from = 0; from < kRecords; ++from) {
                        for (bool fromFlag : {false, true}) {
                            const AssembledFrame& first = assemble(from, fromFlag);
                            if (first.direction == kNoFrame) continue;
                            const RecordPos start = first.start;
                            const std::uint8_t direction = first.direction;
                            for (int at = from; at < kRecords; ++at) {
                                for (bool flag : {false, true}) {
                                    assemble(from, fromFlag);
                                    workingCursor = CaptureCursor{bytes_.data() + 4 * at, 0, flag};
                                    if (!AssemblyWouldRepeat(ppp)) continue;
                                    ++repeats[ppp][stamps];
                                    SCOPED_TRACE(testing::Message() << "seed " << seed << " ppp " << ppp << " stamps "
                                                                    << stamps << " line " << int{line} << " from "
                                                                    << from << " at " << at << " flag " << flag);
                                    const AssembledFrame& again = assemble(at, flag);
                                    EXPECT_EQ(again.direction, direction);
                                    EXPECT_EQ(again.start, start);
                                }
                            }
                        }
                    }
                }
            }
        }
    }
    for (bool ppp : {false, true}) {
        for (bool stamps : {false, true}) EXPECT_GT(repeats[ppp][stamps], 200) << ppp << stamps;
    }
}

TEST_F(FrameAssemblyTest, FramesOfTheOtherLineAreSteppedOverAtOnce) {
    // Fifty RD frames, SD frame A, fifty RD frames, SD frame B. With SD only,
    // the advance after A goes past every RD frame start before A in one call
    // and stops on the first one after it, from which B is assembled.
    CaptureBuilder b;
    for (int i = 0; i < 50; ++i) b.RdFrame({0x03, 0x11});
    b.SdFrame({0x01, 0x3F});  // records 200-203
    for (int i = 0; i < 50; ++i) b.RdFrame({0x03, 0x11});
    b.SdFrame({0x01, 0x73});  // records 404-407
    Load(b);
    decodeSettings.dataLine = kSdOnly;
    EXPECT_EQ(AllFrames(false), (Frames{{kFrameSd, 200}, {kFrameSd, 404}}));
    StartFrameWalk(FrameAssembly::kHdlc);
    NextWalkedFrame();
    ASSERT_NE(NextWalkedFrame(), nullptr);
    EXPECT_EQ(IndexOf(workingCursor.position), 204) << "B was assembled from the first record after A";
}

TEST_F(FrameAssemblyTest, FrameTimestampsThatOpenNoFrameAreSteppedOverAtOnce) {
    // Both lines, frames found by frame timestamps: fifty SD frame timestamps
    // that open nothing, then an RD timestamp and RD frame A, then an SD frame
    // timestamp and SD frame B. Every position up to A's timestamp would give A
    // again, so one advance after A goes on to B's timestamp.
    CaptureBuilder b;
    for (int i = 0; i < 50; ++i) b.Timestamp(0, 0, static_cast<std::uint8_t>(i), false, true);  // records 0-49
    b.Timestamp(0, 1, 0, true, true);                                                           // record 50
    b.RdFrame({0x03, 0x11});                                                                    // records 51-54
    b.Timestamp(0, 2, 0, false, true);                                                          // record 55
    b.SdFrame({0x01, 0x3F});                                                                    // records 56-59
    Load(b);
    FrameTimestamps(true);
    decodeSettings.dataLine = kBothLines;
    EXPECT_EQ(AllFrames(false), (Frames{{kFrameRd, 51}, {kFrameSd, 56}}));
    StartFrameWalk(FrameAssembly::kHdlc);
    NextWalkedFrame();
    ASSERT_NE(NextWalkedFrame(), nullptr);
    EXPECT_EQ(IndexOf(workingCursor.position), 55) << "B was assembled from its own timestamp";
}

// Over mixed captures, under every data line and both kinds of frame search,
// the walk never delivers the frame just delivered again: the advances often
// stop where the next assembly would repeat it, and only some of those
// positions can be told without assembling.
TEST_F(FrameAssemblyTest, WalkNeverRepeatsTheFrameJustDelivered) {
    int delivered = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        Load(MixedCapture(seed, 60));
        for (bool ppp : {false, true}) {
            for (bool stamps : {false, true}) {
                FrameTimestamps(stamps);
                for (DataLine line : {kSdOnly, kRdOnly, kBothLines}) {
                    decodeSettings.dataLine = line;
                    SCOPED_TRACE(testing::Message()
                                 << "seed " << seed << " ppp " << ppp << " stamps " << stamps << " line " << int{line});
                    const Frames frames = AllFrames(ppp);
                    delivered += static_cast<int>(frames.size());
                    EXPECT_EQ(std::adjacent_find(frames.begin(), frames.end()), frames.end());
                }
            }
        }
    }
    EXPECT_GT(delivered, 1000);
}
