// The listing writer: line ends, page padding and formatted text.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "listing/listing_writer.h"
#include "tests/support/listings.h"
#include "tests/support/run_program.h"

namespace {

using testing_support::Crlf;
using testing_support::TempDir;

class ListingWriter : public ::testing::Test {
protected:
    void SetUp() override {
        listingSettings = ListingSettings{};
        listing = ListingState{};
    }
    void TearDown() override { CloseListingDestination(); }

    // Starts a listing with `linesPerPage` and CR LF line ends (or LF), caught in memory.
    void Start(int linesPerPage, bool crlf = true) {
        listingSettings.linesPerPage = linesPerPage;
        out_.emplace(crlf);
        StartQuietly();
    }
    std::string Finish() {
        EXPECT_EQ(FinishListing(), 1);
        EXPECT_EQ(CloseListingDestination(), 0);
        return out_->Take();
    }
    static void StartQuietly() { EXPECT_EQ(StartConversion(), 1); }
    // Lines "<prefix>NN\n" numbered first..last.
    static std::string Lines(const char* prefix, int first, int last) {
        std::string text;
        char line[32];
        for (int i = first; i <= last; ++i) {
            std::snprintf(line, sizeof line, "%s%03d\n", prefix, i);
            text += line;
        }
        return text;
    }
    static void Put(const std::string& text) { ASSERT_EQ(PutText(text.c_str()), 0); }

    std::optional<testing_support::ListingCapture> out_;
};

const std::string kPagePadding(6, '\n');

TEST_F(ListingWriter, WithoutPagingNoEmptyLinesAreAdded) {
    Start(0);
    Put(Lines("L", 1, 200));
    EXPECT_EQ(Finish(), Crlf(Lines("L", 1, 200)));
}

TEST_F(ListingWriter, PagesOf66LinesPadAfterSixtyLinesOnlyWhenMoreFollows) {
    struct Case {
        int lines;
        std::string expected;
    };
    const Case cases[] = {
        {59, Lines("L", 1, 59)},
        {60, Lines("L", 1, 60)},
        {61, Lines("L", 1, 60) + kPagePadding + Lines("L", 61, 61)},
        {120, Lines("L", 1, 60) + kPagePadding + Lines("L", 61, 120)},
        {121, Lines("L", 1, 60) + kPagePadding + Lines("L", 61, 120) + kPagePadding + Lines("L", 121, 121)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        Start(66);
        Put(Lines("L", 1, c.lines));
        EXPECT_EQ(Finish(), Crlf(c.expected));
    }
}

TEST_F(ListingWriter, PaddingComesBeforeTheFirstCharacterOfTheNextPage) {
    Start(66);
    Put(Lines("L", 1, 60));
    Put("partial");
    EXPECT_EQ(Finish(), Crlf(Lines("L", 1, 60) + kPagePadding + "partial"));
}

TEST_F(ListingWriter, ALineEndAfterThePaddingIsTheNewPagesFirstLine) {
    Start(66);
    Put(Lines("L", 1, 60));
    Put("\n");               // page 2, line 1 (empty)
    Put(Lines("M", 2, 60));  // page 2, lines 2-60
    Put("X\n");
    EXPECT_EQ(Finish(), Crlf(Lines("L", 1, 60) + kPagePadding + "\n" + Lines("M", 2, 60) + kPagePadding + "X\n"));
}

TEST_F(ListingWriter, StartConversionRestartsTheLineCount) {
    Start(66);
    Put(Lines("A", 1, 50));
    StartQuietly();
    Put(Lines("B", 1, 20));
    EXPECT_EQ(Finish(), Crlf(Lines("A", 1, 50) + Lines("B", 1, 20))) << "70 lines, but only 20 on the new count";
}

TEST_F(ListingWriter, FinishPageWritesTheRestOfThePageUncounted) {
    Start(66);
    Put(Lines("L", 1, 10));
    EXPECT_EQ(FinishPage(), 0);
    EXPECT_EQ(listing.lineCount, 0);
    Put(Lines("M", 1, 60));
    Put("Z");
    EXPECT_EQ(Finish(), Crlf(Lines("L", 1, 10) + std::string(56, '\n') + Lines("M", 1, 60) + kPagePadding + "Z"));
}

TEST_F(ListingWriter, FinishPageWithoutPagingWritesNothing) {
    Start(0);
    Put(Lines("L", 1, 3));
    EXPECT_EQ(FinishPage(), 0);
    EXPECT_EQ(listing.lineCount, 0);
    EXPECT_EQ(Finish(), Crlf(Lines("L", 1, 3)));
}

TEST_F(ListingWriter, PutCharReturnsTheCharacterWritten) {
    Start(0);
    EXPECT_EQ(PutChar('A'), 'A');
    EXPECT_EQ(PutChar(0xE9), 0xE9);
    EXPECT_EQ(PutChar(0xFF), 0xFF) << "a high byte is not mistaken for a failure";
    EXPECT_EQ(PutChar('\n'), '\n');
    EXPECT_EQ(PutRaw('\n'), '\n');
    EXPECT_EQ(listing.lineCount, 1) << "PutRaw does not count";
    EXPECT_EQ(Finish(), "A\xE9\xFF\r\n\r\n");
}

TEST_F(ListingWriter, PutFormatWritesWholeTextAndReturnsItsLength) {
    listingSettings.columns = 40;
    Start(0);
    EXPECT_EQ(PutFormat("%02X %02X|%-6s|%6s|\n", 0x0A, 0xFF, "ON", "9600"), 21);
    const std::string longest(254, 'x');
    EXPECT_EQ(PutFormat("%s\n", longest.c_str()), 255) << "never split, whatever the columns";
    EXPECT_EQ(PutFormat("%s", ""), 0);
    EXPECT_EQ(Finish(), Crlf("0A FF|ON    |  9600|\n" + longest + "\n"));
}

TEST_F(ListingWriter, PutLineWritesWholeLinesOfEachWidthPagedAsPutCharWould) {
    for (const int width : {40, 80, 136}) {
        for (const int linesPerPage : {0, 66}) {
            for (const bool crlf : {false, true}) {
                SCOPED_TRACE(::testing::Message() << width << " columns, " << linesPerPage << " lines, CR LF " << crlf);
                Start(linesPerPage, crlf);
                // 121 lines numbered at their start, filled to the width; the
                // 61st is empty and, when paged, the first of page 2.
                std::string expected;
                for (int i = 1; i <= 121; ++i) {
                    const std::string line =
                        i == 61 ? "" : (std::to_string(i) + std::string(width, '.')).substr(0, width);
                    ASSERT_EQ(PutLine(line.data(), line.size()), 0);
                    if (linesPerPage != 0 && (i == 61 || i == 121)) expected += kPagePadding;
                    expected += line + "\n";
                }
                EXPECT_EQ(Finish(), crlf ? Crlf(expected) : expected);
            }
        }
    }
    testing_support::FailingListing full(true);
    EXPECT_EQ(PutLine("text", 4), -1);
}

TEST_F(ListingWriter, StandardOutputGetsPlainLineEndsInOrderWithConsoleMessages) {
    listingSettings.linesPerPage = 0;
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(listing.destination, nullptr);
    EXPECT_EQ(StartConversion(), 1);
    EXPECT_EQ(listing.destination, stdout);
    Put("line 1\nline 2\n");
    std::printf("Complete.\n");
    EXPECT_EQ(CloseListingDestination(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "line 1\nline 2\nComplete.\n");
}

TEST_F(ListingWriter, WriteFailuresAreReportedAsMinusOne) {
    testing_support::FailingListing full(true);
    listingSettings.linesPerPage = 66;
    StartQuietly();
    EXPECT_EQ(PutRaw('x'), -1);
    EXPECT_EQ(PutRaw('\n'), -1);
    EXPECT_EQ(PutChar('x'), -1);
    EXPECT_EQ(PutChar(0xFF), -1);
    EXPECT_EQ(PutText("text\n"), -1);
    EXPECT_EQ(PutFormat("%s", "text"), -1);
    listing.lineCount = 10;
    EXPECT_EQ(FinishPage(), -1);
    EXPECT_EQ(listing.lineCount, 0);
    listing.lineCount = 60;
    EXPECT_EQ(PutChar('x'), -1) << "the page's empty lines fail first, the character's own write decides";
    EXPECT_EQ(listing.lineCount, 0);
}

TEST_F(ListingWriter, ABufferedFailureShowsOnAWriteOrAtTheClose) {
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    SetListingDestination(full, true);
    int result = 0;
    for (long i = 0; i < 1'000'000 && result >= 0; ++i) result = PutChar(i % 50 == 49 ? '\n' : 'x');
    EXPECT_EQ(result, -1);
    PutText("more text\n");
    EXPECT_EQ(CloseListingDestination(), -1);
}

TEST_F(ListingWriter, AFailedWriteIsReportedAtTheCloseEvenWhenTheFinalFlushSucceeds) {
    // A stream that refuses every write keeps nothing buffered, so its final
    // flush has nothing to write and succeeds: only its error mark tells.
    TempDir dir;
    testing_support::WriteFileBytes(dir.File("listing.txt"), "");
    std::FILE* readOnly = std::fopen(dir.File("listing.txt").c_str(), "r");
    ASSERT_NE(readOnly, nullptr);
    SetListingDestination(readOnly, true);
    EXPECT_EQ(PutChar('x'), -1);
    EXPECT_EQ(CloseListingDestination(), -1);
    EXPECT_EQ(listing.destination, nullptr);
}

}  // namespace
