// The serial port module driven through a pseudo-terminal: the test is the
// peer on the master side, the module opens the slave by its path.
#include "serial/com_port.h"

#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/pty_peer.h"
#include "tests/support/run_program.h"

namespace {

using serial_testing::PtyPair;

class ComPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.SlavePath().empty());
        std::snprintf(comPortName, sizeof comPortName, "%s", pty.SlavePath().c_str());
        comSpeed = 115200;
        comEofMode = false;
        ASSERT_EQ(ComOpen(), 1);
    }
    void TearDown() override {
        ComClose();
        comEofMode = false;
        std::strcpy(comPortName, "COM1");
        comSpeed = 115200;
    }

    // Reads one line through the module and returns it with its exact length.
    static std::string GetLine(int size = 1024) {
        std::vector<char> buffer(static_cast<std::size_t>(size) + 1, '#');
        int length = -1;
        if (ComGetLine(buffer.data(), size, &length) == nullptr) return "<failed>";
        EXPECT_EQ(buffer[static_cast<std::size_t>(length)], '\0');
        return std::string(buffer.data(), static_cast<std::size_t>(length));
    }

    PtyPair pty;
};

TEST_F(ComPortTest, LineEndsFoldIntoOneLf) {
    struct Case {
        const char* name;
        std::string input;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CR LF", "one\r\ntwo\r\n", {"one\n", "two\n"}},
        {"lone CR", "one\rtwo\r", {"one\n", "two\n"}},
        {"lone LF", "one\ntwo\n", {"one\n", "two\n"}},
        {"CR LF A CR CR LF", "\r\nA\r\r\n", {"\n", "A\n", "\n"}},
        {"LF CR", "\n\r", {"\n", "\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ComOpen(), 1);  // clears the pending CR of the case before
        pty.SendQueued(c.input);
        for (const std::string& line : c.lines) EXPECT_EQ(GetLine(), line);
        EXPECT_EQ(ComGetChar(), kComNoChar) << "more lines than line ends";
    }
}

TEST_F(ComPortTest, CrThenTimeOutThenLfIsOneLineEnd) {
    pty.SendQueued("\r");
    EXPECT_EQ(ComGetChar(), '\n');
    EXPECT_EQ(ComGetChar(), kComNoChar);  // nothing sent: the read times out
    pty.SendQueued("\nB");
    EXPECT_EQ(ComGetChar(), kComNoChar);  // the LF of the pair is swallowed
    EXPECT_EQ(ComGetChar(), 'B');
}

TEST_F(ComPortTest, LongLineComesInPiecesOfSizeLessOne) {
    pty.SendQueued("xxxxxxxxxx\n");
    EXPECT_EQ(GetLine(5), "xxxx");
    EXPECT_EQ(GetLine(5), "xxxx");
    EXPECT_EQ(GetLine(5), "xx\n");
}

TEST_F(ComPortTest, LineSizeBelowTwoStoresNothing) {
    char buffer[4] = "abc";
    EXPECT_EQ(ComGetLine(buffer, 0), nullptr);
    EXPECT_EQ(ComGetLine(buffer, -1), nullptr);
    int length = -1;
    EXPECT_EQ(ComGetLine(buffer, 1, &length), buffer);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(ComPortTest, HighBytesAndNulAreData) {
    pty.SendQueued(std::string("\xFE\xFF", 2));
    EXPECT_EQ(ComReadByte(), 254);
    EXPECT_EQ(ComReadByte(), 255);
    pty.SendQueued(std::string("a\0\xFF\n", 4));
    EXPECT_EQ(GetLine(), std::string("a\0\xFF\n", 4));
}

TEST_F(ComPortTest, EndOfTextEndsTheDataAndLatches) {
    comEofMode = true;
    pty.SendQueued(
        "abc\x1A"
        "def\n");
    EXPECT_EQ(GetLine(), "abc\x1A");
    EXPECT_EQ(GetLine(), "\x1A");
    EXPECT_EQ(ComReadByte(), kEndOfText);
    // The latch kept the port untouched: the bytes after 0x1A are still
    // there once ComOpen has cleared it.
    ASSERT_EQ(ComOpen(), 1);
    EXPECT_EQ(GetLine(), "def\n");
}

TEST_F(ComPortTest, WithoutEndOfTextModeCtrlZIsData) {
    pty.SendQueued(
        "a\x1A"
        "b\n");
    EXPECT_EQ(GetLine(),
              "a\x1A"
              "b\n");
    EXPECT_EQ(ComReadByte(), kComNoChar);
}

TEST_F(ComPortTest, PutTextExpandsLfToCrLf) {
    EXPECT_EQ(ComPutText("A\nB\n"), 6);
    EXPECT_EQ(pty.Receive(6), "A\r\nB\r\n");
    EXPECT_EQ(ComPutText("\r"), 1);
    EXPECT_EQ(pty.Receive(1), "\r");
}

TEST_F(ComPortTest, PutTextLongerThanTheSendBufferIsSentWhole) {
    // 3000 LFs expand to 6000 bytes, more than the 4096-byte send buffer.
    std::string text(3000, '\n');
    std::string expected;
    for (int i = 0; i < 3000; ++i) expected += "\r\n";
    EXPECT_EQ(ComPutText(text.c_str()), 6000);
    EXPECT_EQ(pty.Receive(6000), expected);
}

TEST_F(ComPortTest, LineIsRawEightBitsNoParityOneStopWithHandshake) {
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(tio.c_cflag & (CRTSCTS | CLOCAL | CREAD), static_cast<tcflag_t>(CRTSCTS | CLOCAL | CREAD));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
}

TEST_F(ComPortTest, EveryOfferedSpeedIsSetAndOthersRefused) {
    const struct {
        int bitsPerSecond;
        speed_t code;
    } speeds[] = {{9600, B9600},   {19200, B19200},   {38400, B38400},
                  {57600, B57600}, {115200, B115200}, {230400, B230400}};
    for (const auto& s : speeds) {
        SCOPED_TRACE(s.bitsPerSecond);
        ComClose();
        comSpeed = s.bitsPerSecond;
        ASSERT_EQ(ComOpen(), 1);
        termios tio{};
        ASSERT_EQ(tcgetattr(pty.SlaveFd(), &tio), 0);
        EXPECT_EQ(cfgetispeed(&tio), s.code);
        EXPECT_EQ(cfgetospeed(&tio), s.code);
    }
    ComClose();
    comSpeed = 4800;
    EXPECT_EQ(ComOpen(), 0);
}

TEST_F(ComPortTest, OpenWhileOpenKeepsThePortButClearsPendingCr) {
    pty.SendQueued("\r");
    EXPECT_EQ(ComGetChar(), '\n');
    comSpeed = 9600;  // must not be applied: the port is not reopened
    ASSERT_EQ(ComOpen(), 1);
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B115200));
    pty.SendQueued("\n");
    EXPECT_EQ(ComGetChar(), '\n');  // no pending CR any more: the LF is a line end
}

TEST_F(ComPortTest, PortIsHeldExclusivelyUntilClosed) {
    int other = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_NE(flock(other, LOCK_EX | LOCK_NB), 0);
    ComClose();
    EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    close(other);
}

TEST_F(ComPortTest, PortLockedByAnotherProgramIsRefusedAndLeftAsItWas) {
    ComClose();
    int other = open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(ComOpen(), 0);
    // The failed open must not have put the other program's port into
    // exclusive mode, which would keep everyone else out of it.
    int exclusive = -1;
    ASSERT_EQ(ioctl(pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    close(other);
    ASSERT_EQ(ComOpen(), 1);
    ASSERT_EQ(ioctl(pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    ComClose();
    ASSERT_EQ(ioctl(pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0) << "the exclusive mode ends with the port";
}

TEST_F(ComPortTest, OpenRefusesWhatIsNoSerialPort) {
    ComClose();
    testing_support::TempDir dir;
    testing_support::WriteFileBytes(dir.File("plain"), "data\n");
    const std::string names[] = {dir.File("plain"), dir.File("missing"), "/dev/null", ""};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::snprintf(comPortName, sizeof comPortName, "%s", name.c_str());
        EXPECT_EQ(ComOpen(), 0);
    }
    // The port stayed closed: the next open really opens the pseudo-terminal.
    std::snprintf(comPortName, sizeof comPortName, "%s", pty.SlavePath().c_str());
    ASSERT_EQ(ComOpen(), 1);
    pty.SendQueued("ok\n");
    EXPECT_EQ(GetLine(), "ok\n");
}

TEST_F(ComPortTest, HangUpIsAReadFailureNotATimeOut) {
    pty.SendQueued("par");
    pty.CloseMaster();
    // What was still buffered may come first; then the hang-up must show as a
    // failure. A time-out here would leave a reader waiting for ever.
    int c = 0;
    for (int i = 0; i < 8 && c != kComReadFailure; ++i) {
        c = ComReadByte();
        ASSERT_NE(c, kComNoChar) << "hang-up taken for a time-out";
    }
    ASSERT_EQ(c, kComReadFailure);
    char buffer[64];
    EXPECT_EQ(ComGetLine(buffer, sizeof buffer), nullptr);
    EXPECT_EQ(ComPutText("x\n"), 0);
}

TEST(ComDevicePathTest, ComNamesTheSerialDevices) {
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"COM10", "/dev/ttyS9"},
        {"COM0", "COM0"},
        {"COM01", "COM01"},
        {"COM", "COM"},
        {"COM1x", "COM1x"},
        {"com1", "com1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"COM1234567", "COM1234567"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char path[kComPortNameSize + 16];
        ASSERT_EQ(ComDevicePath(c.name, path, sizeof path), 1);
        EXPECT_STREQ(path, c.path);
    }
}

TEST(ComSpeedTest, SpeedTextMustBeAnOfferedSpeedInFull) {
    const struct {
        const char* text;
        int speed;  // 0: refused
    } cases[] = {
        {"9600", 9600}, {"230400", 230400}, {" 19200", 19200}, {"+38400", 38400}, {"9600x", 0},
        {"", 0},        {"4800", 0},        {"-9600", 0},      {"9600 ", 0},      {"99999999999999999999", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int speed = -1;
        EXPECT_EQ(ParseComSpeed(c.text, &speed), c.speed != 0 ? 1 : 0);
        EXPECT_EQ(speed, c.speed != 0 ? c.speed : -1);  // untouched when refused
    }
}

}  // namespace
