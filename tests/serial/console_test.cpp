// The console helpers of the serial tools' program entries.
#include "serial/console.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "serial/com_port.h"
#include "tests/support/run_program.h"

namespace {

TEST(ReadNumberTest, ReadsOneAnswerPerLine) {
    testing_support::TempDir dir;
    // A line longer than 255 characters is read in pieces; the last counts:
    // 253 blanks and "12" fill the first piece, "345" is the second.
    const std::string longLine = std::string(253, ' ') + "12345\n";
    testing_support::WriteFileBytes(dir.File("in"), "12\n  -3\n9600abc\nabc\n" + longLine + "99999999999999999999\n42");
    ASSERT_NE(std::freopen(dir.File("in").c_str(), "r", stdin), nullptr);
    EXPECT_EQ(ReadNumber(), 12);
    EXPECT_EQ(ReadNumber(), -1);  // negative
    EXPECT_EQ(ReadNumber(), 9600);
    EXPECT_EQ(ReadNumber(), 0);  // no digits
    EXPECT_EQ(ReadNumber(), 345);
    EXPECT_EQ(ReadNumber(), 2147483647);  // too large for an int: never a valid answer
    EXPECT_EQ(ReadNumber(), 42);          // a last line without LF still counts
    EXPECT_FALSE(std::ferror(stdin));
    EXPECT_EQ(ReadNumber(), -1);
    EXPECT_TRUE(std::feof(stdin));
}

TEST(ReadConsoleAnswerTest, LinesUpTo255CharactersFit) {
    testing_support::TempDir dir;
    const std::string fits254(254, 'a');
    const std::string fits255(255, 'b');
    const std::string tooLong(256, 'c');
    testing_support::WriteFileBytes(dir.File("in"), fits254 + "\n" + fits255 + "\n" + tooLong + "\nnext\n\nlast");
    ASSERT_NE(std::freopen(dir.File("in").c_str(), "r", stdin), nullptr);
    const struct {
        std::string answer;
        bool fits;
    } expected[] = {{fits254, true}, {fits255, true}, {"", false}, {"next", true}, {"", true}, {"last", true}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.answer.size());
        bool fits = !e.fits;
        ASSERT_EQ(ReadAnswer(consoleLine, &fits), 1);
        EXPECT_EQ(fits, e.fits);
        if (e.fits) {
            EXPECT_EQ(consoleLine, e.answer);  // the LF removed
        }
    }
    bool fits = true;
    EXPECT_EQ(ReadAnswer(consoleLine, &fits), -1);
}

TEST(TakeArgumentTest, PortSpeedAndFileNameWithinTheirLimits) {
    const std::string port259 = "/" + std::string(258, 'p');
    const std::string name263(263, 'f');
    const struct {
        std::string arg;
        ArgumentUse use;
    } cases[] = {
        {"-p" + port259, ArgumentUse::taken},
        {"-p" + port259 + "p", ArgumentUse::illegal},
        {"-p", ArgumentUse::taken},
        {"-s57600", ArgumentUse::taken},
        {"-s57600 ", ArgumentUse::illegal},
        {"-f", ArgumentUse::otherOption},
        {"-", ArgumentUse::otherOption},
        {"-P", ArgumentUse::otherOption},
        {name263 + "f", ArgumentUse::illegal},
        {name263, ArgumentUse::taken},
        {"second", ArgumentUse::illegal},
    };
    char fileName[264] = {};
    bool haveFileName = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arg);
        std::strcpy(comPortName, "COM1");
        EXPECT_EQ(TakeArgument(c.arg.c_str(), fileName, sizeof fileName, &haveFileName), c.use);
    }
    EXPECT_EQ(std::string(fileName), name263);
    EXPECT_EQ(comSpeed, 57600);
    std::strcpy(comPortName, "COM1");
    comSpeed = 115200;
}

}  // namespace
