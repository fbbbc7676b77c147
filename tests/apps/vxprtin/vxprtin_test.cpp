// vxprtin end to end: the test plays the analyzer on a pseudo-terminal master
// and runs the built program on the slave.
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "serial/com_port.h"
#include "tests/support/pty_peer.h"
#include "tests/support/run_program.h"

namespace {

using serial_testing::ChildProgram;
using serial_testing::PtyPair;
using testing_support::ReadFileBytes;
using testing_support::RunProgram;
using testing_support::TempDir;

const std::string kBanner = "===== NORD ARC Print Data Receiver =====\n Version 1.13\n\n";
const std::string kUsage =
    "Illegal arguments.\n"
    "Usage : vxprtin [-p<PORT>] [-s<SPEED>] [<FILENAME>]\n"
    "   -p : Port select \"COM1\", \"COM2\" or other.\n"
    "   -s : Speed select 9600,19200,38400,57600,115200 or 230400.\n";
const std::string kAddedUsage =  // on standard error
    "   -a : Append to an existing file instead of replacing it.\n"
    "   -e<SECONDS> : End the reception after <SECONDS> without data.\n";

// The count display overwrites itself once a second; which displays appear
// depends on the clock, so those overwritten by a later one are dropped.
std::string DropOverwrittenCounts(const std::string& out) {
    static const std::string kCount = "\rRead lines : ";
    std::string kept;
    std::size_t i = 0;
    while (i < out.size()) {
        if (out.compare(i, kCount.size(), kCount) == 0) {
            std::size_t end = i + kCount.size();
            while (end < out.size() && out[end] >= '0' && out[end] <= '9') ++end;
            if (end < out.size() && out[end] == '\r') {
                i = end;
                continue;
            }
        }
        kept.push_back(out[i++]);
    }
    return kept;
}

// A reception under way: the program runs on the pseudo-terminal's slave and
// has said "Please start print out.".
struct ReceptionSession {
    ReceptionSession() : program(VXPRTIN_PATH, {"-p" + pty.SlavePath(), dir.File("out.txt")}) {
        started = program.WaitForOutput("Please start print out.\n");
    }
    // Sends bytes as the analyzer and waits until the file holds `stored`.
    bool SendAndWaitStored(std::string_view sent, const std::string& stored) {
        pty.Send(sent);
        return serial_testing::WaitForFile(dir.File("out.txt"), stored);
    }
    std::string Stored() const { return ReadFileBytes(dir.File("out.txt")); }

    PtyPair pty;
    TempDir dir;
    ChildProgram program;
    bool started = false;
};

std::string Finished(int count) {
    return kBanner + "Please start print out.\n\rRead lines : " + std::to_string(count) + "\nComplete.\n";
}

TEST(VxprtinTest, StoresEveryLineWithCrLf) {
    const std::string longLine(1500, 'x');
    struct Case {
        const char* name;
        std::string sent;
        std::string stored;
        int count;
    };
    const Case cases[] = {
        {"CR LF ends", "one\r\ntwo\r\n\x1A", "one\r\ntwo\r\n", 2},
        {"LF-only ends", "one\ntwo\n\n\x1A", "one\r\ntwo\r\n\r\n", 3},
        {"CR-only ends", "one\rtwo\r\x1A", "one\r\ntwo\r\n", 2},
        {"end of text first",
         "\x1A"
         "after\r\n",
         "", 0},
        {"end of text inside a line",
         "one\r\nab\x1A"
         "cd\r\n",
         "one\r\nab\x1A", 2},
        {"NUL and high bytes", std::string("a\0b\xFE\xFF\r\n\x1A", 8), std::string("a\0b\xFE\xFF\r\n", 7), 1},
        // 1023 characters, then 477 and the line end: two pieces, stored whole.
        {"line longer than 1023", longLine + "\r\n\x1A", longLine + "\r\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPair pty;
        TempDir dir;
        pty.Send(c.sent);
        auto result = RunProgram(VXPRTIN_PATH, {"-p" + pty.SlavePath(), dir.File("out.txt")});
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(DropOverwrittenCounts(result.out), Finished(c.count));
        EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), c.stored);
    }
}

TEST(VxprtinTest, IllegalArgumentsPrintTheUsageLines) {
    // clang-format off
    const std::vector<std::vector<std::string>> cases = {
        {"-s9600x"}, {"-s"}, {"-s4800"}, {"-s9600 "}, {"-x"}, {"-"}, {"-S9600"}, {"-P/dev/null"},
        {"first.txt", "second.txt"}, {"-p" + std::string(260, 'p')}, {std::string(264, 'f')},
        {"-s9600", "-s1", "-pCOM3"}, {"-e0"}, {"-e"}, {"-e 5"}, {"-e5x"}, {"-a1"}, {"-A"},
    };
    // clang-format on
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front());
        TempDir dir;
        auto result = RunProgram(VXPRTIN_PATH, args, "", dir.Path());
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + kUsage);
        EXPECT_EQ(result.err, kAddedUsage);
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "no file may be created";
    }
}

TEST(VxprtinTest, LongestNamesAndRepeatedOptionsAreTaken) {
    PtyPair pty;
    TempDir dir;
    pty.Send("line\r\n\x1A");
    // The later -p and -s replace the earlier ones; a 263-character file name fits.
    const std::string name = std::string(200, 'd') + "/" + std::string(62, 'n');
    ASSERT_EQ(name.size(), 263u);
    std::filesystem::create_directory(dir.File(std::string(200, 'd')));
    auto result =
        RunProgram(VXPRTIN_PATH, {"-pNOPORT", "-s 19200", "-p" + pty.SlavePath(), "-s+9600", name}, "", dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(DropOverwrittenCounts(result.out), Finished(1));
    EXPECT_EQ(ReadFileBytes(dir.File(name)), "line\r\n");
    termios tio{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
}

TEST(VxprtinTest, FileNameDefaultsToVxprtinTxt) {
    PtyPair pty;
    TempDir dir;
    pty.Send("x\r\n\x1A");
    auto result = RunProgram(VXPRTIN_PATH, {"-p" + pty.SlavePath()}, "", dir.Path());
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("VXPRTIN.TXT")), "x\r\n");
}

TEST(VxprtinTest, OutputFileThatCannotBeCreated) {
    PtyPair pty;
    TempDir dir;
    auto result = RunProgram(VXPRTIN_PATH, {"-p" + pty.SlavePath(), dir.File("missing/out.txt")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kBanner + "Can't create print data file.\n");
    EXPECT_EQ(result.err, "vxprtin: " + dir.File("missing/out.txt") + ": No such file or directory\n");
}

TEST(VxprtinTest, PortThatCannotBeOpenedSaysWhy) {
    TempDir dir;
    testing_support::WriteFileBytes(dir.File("plain"), "x");
    // A port that this test holds cannot be taken by the program.
    PtyPair pty;
    std::snprintf(comPortName, sizeof comPortName, "%s", pty.SlavePath().c_str());
    ASSERT_EQ(ComOpen(), 1);
    const struct {
        std::string port;
        std::string reason;
    } cases[] = {
        {dir.File("ttyNone"), dir.File("ttyNone") + ": No such file or directory"},
        {"COM99", "COM99 (/dev/ttyS98): No such file or directory"},
        {dir.File("plain"), dir.File("plain") + ": not a serial device"},
        {"/dev/null", "/dev/null: not a serial device"},
        {pty.SlavePath(), pty.SlavePath() + ": held by another program"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        auto result = RunProgram(VXPRTIN_PATH, {"-p" + c.port, dir.File("out.txt")});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + "COM port open error.\n");
        EXPECT_EQ(result.err, "vxprtin: " + c.reason + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.txt")));
    }
    ComClose();
}

TEST(VxprtinTest, HangUpMidReceptionKeepsTheLines) {
    ReceptionSession s;
    ASSERT_TRUE(s.started);
    ASSERT_TRUE(s.SendAndWaitStored("one\r\ntwo\r\n", "one\r\ntwo\r\n"));
    s.pty.CloseMaster();
    auto result = s.program.Finish();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.starts_with(kBanner + "Please start print out.\n")) << result.out;
    EXPECT_TRUE(result.out.ends_with("\nCOM port read error.\n")) << result.out;
    EXPECT_EQ(result.err, "vxprtin: " + s.pty.SlavePath() + ": the device was disconnected\n");
    EXPECT_EQ(s.Stored(), "one\r\ntwo\r\n");
}

TEST(VxprtinTest, EndingSignalKeepsTheLinesAndReleasesThePort) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        ReceptionSession s;
        ASSERT_TRUE(s.started);
        ASSERT_TRUE(s.SendAndWaitStored("one\r\ntwo\r\npart", "one\r\ntwo\r\n"));
        s.program.Signal(signalNumber);
        auto result = s.program.Finish();
        EXPECT_EQ(result.exitCode, 1) << "ended by the default action, not by the program";
        EXPECT_EQ(s.Stored(), "one\r\ntwo\r\n");
        // Released: the exclusive mode is off and the port opens again.
        int exclusive = -1;
        ASSERT_EQ(ioctl(s.pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
        std::snprintf(comPortName, sizeof comPortName, "%s", s.pty.SlavePath().c_str());
        EXPECT_EQ(ComOpen(), 1);
        ComClose();
    }
}

TEST(VxprtinTest, FileWriteErrorEndsTheReception) {
    PtyPair pty;
    pty.Send("one\r\ntwo\r\n\x1A");
    auto result = RunProgram(VXPRTIN_PATH, {"-p" + pty.SlavePath(), "/dev/full"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.starts_with(kBanner + "Please start print out.\n")) << result.out;
    EXPECT_TRUE(result.out.ends_with("\nFile write error.\n")) << result.out;
    EXPECT_EQ(result.out.find("Complete."), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "vxprtin: /dev/full: No space left on device\n");
}

TEST(VxprtinTest, AppendOptionKeepsTheFileBeforeTheNewLines) {
    PtyPair pty;
    TempDir dir;
    testing_support::WriteFileBytes(dir.File("out.txt"), "old\r\n");
    pty.Send("new\r\n\x1A");
    auto result = RunProgram(VXPRTIN_PATH, {"-a", "-p" + pty.SlavePath(), dir.File("out.txt")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(DropOverwrittenCounts(result.out), Finished(1));
    EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), "old\r\nnew\r\n");
}

TEST(VxprtinTest, QuietLimitEndsAPrintOutWithoutEndOfText) {
    for (const std::string& sent : {std::string("one\r\n"), std::string("one\r\npart")}) {
        SCOPED_TRACE(sent);
        PtyPair pty;
        TempDir dir;
        pty.Send(sent);
        ChildProgram program(VXPRTIN_PATH, {"-e1", "-p" + pty.SlavePath(), dir.File("out.txt")});
        auto result = program.Finish();
        const bool cut = sent.ends_with("part");
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(DropOverwrittenCounts(result.out), Finished(cut ? 2 : 1));
        EXPECT_EQ(result.err, "vxprtin: no data for 1 s: the reception ends as at 0x1A\n");
        EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), cut ? "one\r\npart" : "one\r\n");
    }
}

TEST(VxprtinTest, CountIsShownWhenASecondHasPassed) {
    ReceptionSession s;
    ASSERT_TRUE(s.started);
    ASSERT_TRUE(s.SendAndWaitStored("one\r\n", "one\r\n"));
    // Reception started before the first line was stored; one whole calendar
    // second after that the next line is due a display.
    std::time_t seen = std::time(nullptr);
    while (std::time(nullptr) < seen + 1) poll(nullptr, 0, 20);
    s.pty.Send("two\r\n\x1A");
    auto result = s.program.Finish();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.out.ends_with("\rRead lines : 2\rRead lines : 2\nComplete.\n")) << result.out;
}

TEST(VxprtinTest, DialogueAsksUntilAnAnswerFits) {
    struct Case {
        const char* name;
        std::string input;
        std::string shown;
    };
    const std::string port = "Select COM port (1:COM1, 2:COM2) ? ";
    const std::string speed = "Input COM speed (9600,19200,38400,57600,115200) ? ";
    const std::string file = "Save filename ? ";
    // The dialogue is ended at the file name each time: with a file name the
    // program would go on to open COM1 of the machine.
    const Case cases[] = {
        {"no input", "", port + "Aborted.\n"},
        {"wrong ports", "0\n3\n-1\nx\n2\n", port + port + port + port + port + speed + "Aborted.\n"},
        {"wrong speeds", "1\n4800\n0\n-9600\nfast\n9600abc\n",
         port + speed + speed + speed + speed + speed + file + "Aborted.\n"},
        {"230400 and empty names", "2\n230400\n\n\n", port + speed + file + file + file + "Aborted.\n"},
        {"name longer than 255", "1\n9600\n" + std::string(300, 'n') + "\n", port + speed + file + file + "Aborted.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto result = RunProgram(VXPRTIN_PATH, {}, c.input, dir.Path());
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + c.shown);
    }
}

}  // namespace
