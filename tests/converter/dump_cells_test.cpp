// The two-character cells of the dumps and the line-state rows, written
// in-process into a temporary listing destination.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "converter/dump_listings.h"
#include "converter/listing_writer.h"
#include "converter/options.h"
#include "decode/dump_columns.h"

namespace {

class DumpCellsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetOptions();
        file_ = std::tmpfile();
        ASSERT_NE(file_, nullptr);
        SetListingDestination(file_, false);
        listing.ownsDestination = false;
    }
    void TearDown() override {
        listing.destination = nullptr;
        std::fclose(file_);
    }
    // Everything written since the last call.
    std::string Written() {
        std::fflush(file_);
        std::string out;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) out.push_back(static_cast<char>(c));
        std::fclose(file_);
        file_ = std::tmpfile();
        SetListingDestination(file_, false);
        listing.ownsDestination = false;
        return out;
    }
    std::FILE* file_ = nullptr;
};

TEST_F(DumpCellsTest, LabelCellsSpellTheMarkerNames) {
    std::string idle, timestamp, other;
    for (std::uint32_t q = 0; q < 4; ++q) {
        WriteLabelCell(0x0C000002 | (q << 2));
        idle += Written();
        WriteLabelCell(0x56341203 | (q << 2));
        timestamp += Written();
        WriteLabelCell(0x00000001 | (q << 2));
        other += Written();
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
        {0x00000C02, "[ 0012 ]"},        // idle 12
        {0x27000F02, "[ 9999 ]"},        // idle 9999
        {0x27001002, "[ OVER ]"},        // idle 10000
        {0xFF00FF02, "[ OVER ]"},        // idle 65535
        {0x56341203, "[123456]"},        // time bytes 12 34 56
        {0x0000FF03 | 0x8000, "[7F0000]"},  // the direction bit is not a time digit
        {0x00000080, "        "},        // empty column
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text;
        for (std::uint32_t q = 0; q < 4; ++q) {
            WriteMarkerCell(c.word | (q << 2));
            text += Written();
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
        EXPECT_EQ(Written(), expected[code]);
        WriteHexCell(unit);
        EXPECT_EQ(Written(), code == 13 || code == 15 ? " -" : "41");
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
    EXPECT_EQ(Written(), "RS:0111" + blanks + "\nCS:0000" + blanks + "\n");
}

}  // namespace
