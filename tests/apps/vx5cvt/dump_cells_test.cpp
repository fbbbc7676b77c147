// The two-character cells of the dumps and the line-state rows, written
// in-process into a listing caught in memory.
#include <gtest/gtest.h>

#include <string>

#include "apps/vx5cvt/dump_listings.h"
#include "apps/vx5cvt/options.h"
#include "decode/dump_columns.h"
#include "listing/listing_writer.h"
#include "tests/support/listings.h"

namespace {

class DumpCellsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetOptions(); }
    testing_support::ListingCapture out_;
};

TEST_F(DumpCellsTest, LabelCellsSpellTheMarkerNames) {
    std::string idle, timestamp, other;
    for (std::uint32_t q = 0; q < 4; ++q) {
        WriteLabelCell(0x0C000002 | (q << 2));
        idle += out_.Take();
        WriteLabelCell(0x56341203 | (q << 2));
        timestamp += out_.Take();
        WriteLabelCell(0x00000001 | (q << 2));
        other += out_.Take();
    }
    EXPECT_EQ(idle, "[ IDLE ]");
    EXPECT_EQ(timestamp, "[ TMSP ]");
    EXPECT_EQ(other, "        ");
}

TEST_F(DumpCellsTest, MarkerCellsSpellCountAndTime) {
    struct Case {
        std::uint32_t word;
        const char* text;
    };
    const Case cases[] = {
        {0x00000C02, "[ 0012 ]"},           // idle 12
        {0x27000F02, "[ 9999 ]"},           // idle 9999
        {0x27001002, "[ OVER ]"},           // idle 10000
        {0xFF00FF02, "[ OVER ]"},           // idle 65535
        {0x56341203, "[123456]"},           // time bytes 12 34 56
        {0x0000FF03 | 0x8000, "[7F0000]"},  // the direction bit is not a time digit
        {0x00000080, "        "},           // empty column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text;
        for (std::uint32_t q = 0; q < 4; ++q) {
            WriteMarkerCell(c.word | (q << 2));
            text += out_.Take();
        }
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(DumpCellsTest, CharacterAndHexCellsByUnitCode) {
    const char* const expected[16] = {" A", " A", "{}", "??", "?4", "?1", "?2", "?3",
                                      "BB", "AA", "^^", "^^", "?5", "  ", "##", "  "};
    for (int code = 0; code < 16; ++code) {
        SCOPED_TRACE(code);
        const DataUnit unit = static_cast<DataUnit>(0x4130 | code);
        WriteCharCell(unit);
        EXPECT_EQ(out_.Take(), expected[code]);
        WriteHexCell(unit);
        EXPECT_EQ(out_.Take(), code == 13 || code == 15 ? " -" : "41");
    }
}

TEST_F(DumpCellsTest, LineStateRowsShowBeforeAndAfter) {
    options.lineStates[0] = 0;  // RS
    options.lineStates[1] = 1;  // CS
    // The block has the 28 columns of an 80-column listing.
    for (int c = 0; c < kDumpColumnsMax; ++c) dumpColumns[c] = DumpColumn{};
    // Bit 0 set before and clear after the change; bit 1 always set.
    dumpColumns[0] = DumpColumn{0x02000301, 0x02000301};
    dumpColumns[1] = DumpColumn{0x30, 0x02000281};
    ASSERT_EQ(WriteLineStateRows(), 0);
    const std::string blanks(52, ' ');
    EXPECT_EQ(out_.Take(), "RS:0111" + blanks + "\nCS:0000" + blanks + "\n");
}

}  // namespace
