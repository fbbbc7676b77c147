// vx5firm end to end: the test plays the analyzer's firmware loader on a
// pseudo-terminal master, step by step, and checks every byte on the wire
// and every character on the console.
#include <signal.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/pty_peer.h"
#include "tests/support/run_program.h"

namespace {

using serial_testing::ChildProgram;
using serial_testing::PtyPair;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

const std::string kBanner = "===== VX-5200 Firmware Transfer Program =====\n Version 1.13\n\n";
const std::string kUsage =
    "Illegal arguments.\n"
    "Usage : vx5firm [-p<PORT>] [-s<SPEED>] [-f] [<FILENAME>]\n"
    "   -p : Port select \"COM1\", \"COM2\" or other.\n"
    "   -s : Speed select 9600,19200,38400,57600,115200 or 230400.\n"
    "   -f : Force Start And replace Boot block.\n";
const std::string kAddedUsage = "   -t<SECONDS> : Give up when the loader is not ready within <SECONDS>.\n";
const std::string kEnterWait = "Please start VX-5200 Firmware Loader,\n              And press [ENTER] key.\n";
const std::string kLoadOk = "\rLoad .... OK.                                     \n";
// Ended by a line end, so the shell prompt does not overwrite it.
const std::string kLoadError = "\r                                  Load .... Error.\r\n";
const std::string kBootQuestion = "Replace Boot block (1:YES, 2:NO) ? ";
const std::string kAllStepsOk = "Erase .... OK.\nErase Check .... OK.\nProgram .... OK.\nVerify .... OK.\n";
const std::string kStepLines = "E\r\nErase check\r\nProgram\r\nVerify\r\nEnd\r\n";

// The progress bar as drawn for a bar length: ">" for the length, "." up to 50.
std::string Bar(int length) {
    const int arrows = length < 0 ? 0 : length;
    return "\r" + std::string(static_cast<std::size_t>(arrows), '>') +
           std::string(static_cast<std::size_t>(arrows < 50 ? 50 - arrows : 0), '.');
}

// A loader session: the pseudo-terminal, the image file and the running
// program on the slave side, with the image's name last on its command line.
class LoaderSession {
public:
    LoaderSession(const std::string& image, std::vector<std::string> args, const std::string& input = "") {
        WriteFileBytes(dir.File("image.fw"), image);
        args.insert(args.begin(), "-p" + pty.SlavePath());
        args.push_back(dir.File("image.fw"));
        program = std::make_unique<ChildProgram>(VX5FIRM_PATH, args, input);
    }

    // The program's CR, then the loader's greeting and "Ready." (ended by a
    // lone LF: the LF of a CR LF would be read as a first, empty load reply).
    void Handshake() {
        ASSERT_EQ(pty.Receive(1), "\r");
        pty.Send("VX-5200 Loader\r\nReady. \r\nReady.\n");
    }

    // The image's one line "L1" loaded and acknowledged: the step phase begins.
    void LoadOneLine() {
        Handshake();
        ASSERT_EQ(pty.ReceiveUntil("\r\n"), "L1\r\n");
        pty.Send("Load OK.\r");
    }

    testing_support::ProgramResult Finish() { return program->Finish(); }

    PtyPair pty;
    TempDir dir;
    std::unique_ptr<ChildProgram> program;
};

TEST(Vx5firmTest, FullTransferWithBootBlockForced) {
    LoaderSession s(
        "S0 first\r\nS1 second\r\nS9 end\n\x1A"
        "after the end\r\n",
        {"-f"});
    s.Handshake();
    ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), "S0 first\r\n");
    s.pty.Send("3/10\r");
    ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), "S1 second\r\n");
    s.pty.Send("3\r");  // same length: nothing drawn
    ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), "S9 end\r\n");
    s.pty.Send("10/10\r");
    EXPECT_EQ(s.pty.ReceiveAll(150), "") << "the image ends at 0x1A";
    s.pty.Send("11\r");
    s.pty.Send("Load OK.\r\n");
    s.pty.Send("R");
    EXPECT_EQ(s.pty.Receive(1), "Y");
    s.pty.Send("Boot block replaced.\r\n" + kStepLines);
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kBanner + Bar(15) + Bar(50) + Bar(55) + kLoadOk + kAllStepsOk + "Complete.\n");
    EXPECT_EQ(s.pty.ReceiveAll(50), "");
}

TEST(Vx5firmTest, RepliesEndedByCrLfReleaseTwoLines) {
    LoaderSession s("A1\nA2\nA3\nA4\n", {"-f"});
    s.Handshake();
    ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), "A1\r\n");
    s.pty.Send("1/4\r\n");  // the report and an empty reply
    EXPECT_EQ(s.pty.Receive(8), "A2\r\nA3\r\n");
    s.pty.Send("3/4\r\n");
    EXPECT_EQ(s.pty.Receive(4), "A4\r\n");
    EXPECT_EQ(s.pty.ReceiveAll(150), "");
    s.pty.Send("Load OK.\r\n" + kStepLines);
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kBanner + Bar(12) + Bar(37) + kLoadOk + kAllStepsOk + "Complete.\n");
}

TEST(Vx5firmTest, LongImageLineGoesInPiecesAndAZeroTotalDrawsNothing) {
    const std::string longLine(1500, 'x');
    LoaderSession s(longLine + "\n", {"-f"});
    s.Handshake();
    ASSERT_EQ(s.pty.Receive(1023), longLine.substr(0, 1023));
    EXPECT_EQ(s.pty.ReceiveAll(150), "") << "each piece waits for its reply";
    s.pty.Send("7\r");  // no total known yet
    ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), longLine.substr(1023) + "\r\n");
    s.pty.Send("-1/2\r");
    s.pty.Send("Load OK.\r" + kStepLines);
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kBanner + Bar(-25) + kLoadOk + kAllStepsOk + "Complete.\n");
}

TEST(Vx5firmTest, ErrorDuringTheLoad) {
    for (const std::string reply : {"12/100 Error.", "Load OK. Error."}) {
        SCOPED_TRACE(reply);
        LoaderSession s("L1\nL2\n", {"-f"});
        ASSERT_EQ(s.pty.Receive(1), "\r");
        s.pty.Send("Ready.\n");
        ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), "L1\r\n");
        s.pty.Send(reply + "\r");
        auto result = s.Finish();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + kLoadError);
        EXPECT_EQ(result.err, "vx5firm: the loader answered firmware line 1 with \"" + reply + "\"\n");
        EXPECT_EQ(s.pty.ReceiveAll(50), "") << "nothing is sent after the error";
    }
}

TEST(Vx5firmTest, ErrorInAFlashStep) {
    const struct {
        std::string lines;
        std::string shown;
    } cases[] = {
        {"Erase Error.\r\n", "Erase .... Error.\n"},
        {"E"
         "rror.\r\n",
         "Erase .... Error.\n"},  // the letter begins "Error."
        {"E\r\nE Error.\r\n", "Erase .... OK.\nErase Check .... Error.\n"},
        {"E\r\nE\r\nP Error.\r\n", "Erase .... OK.\nErase Check .... OK.\nProgram .... Error.\n"},
        {"E\r\nE\r\nP\r\nVerify Error.\r\n",
         "Erase .... OK.\nErase Check .... OK.\nProgram .... OK.\nVerify .... Error.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        LoaderSession s("L1\n", {"-f"});
        s.LoadOneLine();
        s.pty.Send(c.lines);
        auto result = s.Finish();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + kLoadOk + c.shown);
    }
}

TEST(Vx5firmTest, BootBlockQuestionAnsweredYes) {
    // Enter first (text before it ignored), then two wrong answers and YES.
    LoaderSession s("L1\n", {}, "go\n3\nyes\n1\n");
    s.LoadOneLine();
    s.pty.Send("xR");
    EXPECT_EQ(s.pty.Receive(1), "Y");
    // The first character after the answer line is no question, even an "R".
    s.pty.Send("OK\r\nRE\r\nE\r\nP\r\nV\r\nEnd\r\n");
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kBanner + kEnterWait + kLoadOk + kBootQuestion + kBootQuestion + kBootQuestion + kAllStepsOk +
                              "Complete.\n");
    EXPECT_EQ(s.pty.ReceiveAll(50), "");
}

TEST(Vx5firmTest, BootBlockQuestionAnsweredNoOrNotAtAll) {
    // Enter, then NO or nothing more: either way "N" goes to the loader.
    for (const std::string input : {"\n2\n", "\n"}) {
        SCOPED_TRACE(input);
        LoaderSession s("L1\n", {}, input);
        s.LoadOneLine();
        s.pty.Send("R");
        EXPECT_EQ(s.pty.Receive(1), "N");
        s.pty.Send("Boot block kept.\r\n");
        auto result = s.Finish();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + kEnterWait + kLoadOk + kBootQuestion + "Aborted.\n");
    }
}

TEST(Vx5firmTest, RAfterTheFirstEraseIsNoQuestion) {
    LoaderSession s("L1\n", {"-f"});
    s.LoadOneLine();
    s.pty.Send("E\r\nRE\r\nP\r\nV\r\nEnd\r\n");
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, kBanner + kLoadOk + kAllStepsOk + "Complete.\n");
    EXPECT_EQ(s.pty.ReceiveAll(50), "") << "no answer may be sent";
}

TEST(Vx5firmTest, ReadyLimitGivesUpOnASilentLoader) {
    LoaderSession s("L1\n", {"-f", "-t1"});
    ASSERT_EQ(s.pty.Receive(1), "\r");
    s.pty.Send("VX-5200 Loader\r\n");  // and never "Ready."
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kBanner);  // the message is on standard error
    EXPECT_EQ(result.err, "vx5firm: no \"Ready.\" from the loader within 1 s\n");
    EXPECT_EQ(s.pty.ReceiveAll(50), "") << "no image line is sent";
}

TEST(Vx5firmTest, EndingSignalEndsTheProgressLine) {
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        LoaderSession s("L1\nL2\n", {"-f"});
        s.Handshake();
        ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), "L1\r\n");
        s.pty.Send("3/10\r");
        ASSERT_TRUE(s.program->WaitForOutput(Bar(15)));
        s.program->Signal(signalNumber);
        auto result = s.Finish();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + Bar(15) + "\n");
    }
}

TEST(Vx5firmTest, EndOfInputAtTheEnterWaitEndsBeforeThePortIsOpened) {
    LoaderSession s("L1\n", {}, "");
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kBanner + kEnterWait + "Aborted.\n");
    EXPECT_EQ(s.pty.ReceiveAll(50), "");
}

TEST(Vx5firmTest, HangUpInEveryPhaseIsAReadError) {
    const struct {
        const char* name;
        std::string loaderBefore;  // sent after the handshake's CR has come
        bool load;                 // hang up after the first image line went out
        std::string shown;
    } cases[] = {
        {"handshake", "VX-5200 Loader\r\n", false, "COM port read error.\n"},
        {"load", "Ready.\r\n", true, "\nCOM port read error.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderSession s("L1\n", {"-f"});
        ASSERT_EQ(s.pty.Receive(1), "\r");
        s.pty.Send(c.loaderBefore);
        if (c.load) {
            ASSERT_EQ(s.pty.ReceiveUntil("\r\n"), "L1\r\n");
        }
        ASSERT_TRUE(s.pty.WaitUntilTaken());
        s.pty.CloseMaster();
        auto result = s.Finish();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + c.shown);
    }
}

TEST(Vx5firmTest, HangUpInTheStepPhaseIsAReadError) {
    LoaderSession s("L1\n", {"-f"});
    s.LoadOneLine();
    s.pty.Send("E\r\n");
    ASSERT_TRUE(s.pty.WaitUntilTaken());  // a hang-up drops what the program has not read
    s.pty.CloseMaster();
    auto result = s.Finish();
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kBanner + kLoadOk + "Erase .... OK.\nCOM port read error.\n");
}

TEST(Vx5firmCommandLineTest, IllegalArgumentsPrintTheUsageLines) {
    // clang-format off
    const std::vector<std::vector<std::string>> cases = {
        {"-fx"}, {"-F"}, {"-s4800"}, {"-s"}, {"-x"}, {"-"}, {"one.fw", "two.fw"},
        {"-p" + std::string(260, 'p')}, {std::string(264, 'f')}, {"-t0"}, {"-t"}, {"-t-1"}, {"-T5"},
    };
    // clang-format on
    for (const auto& args : cases) {
        SCOPED_TRACE(args.front());
        auto result = RunProgram(VX5FIRM_PATH, args);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, kBanner + kUsage);
        EXPECT_EQ(result.err, kAddedUsage);
    }
}

TEST(Vx5firmCommandLineTest, MissingImageIsReportedBeforeAnyQuestion) {
    TempDir dir;
    auto defaulted = RunProgram(VX5FIRM_PATH, {}, "1\n\n", dir.Path());  // looks for VX5200.FW
    EXPECT_EQ(defaulted.exitCode, 1);
    EXPECT_EQ(defaulted.out, kBanner + "Can't open Firmware file.\n");
    auto named = RunProgram(VX5FIRM_PATH, {"-f", dir.File("none.fw")});
    EXPECT_EQ(named.exitCode, 1);
    EXPECT_EQ(named.out, kBanner + "Can't open Firmware file.\n");
    EXPECT_EQ(named.err, "vx5firm: " + dir.File("none.fw") + ": No such file or directory\n");
    auto folder = RunProgram(VX5FIRM_PATH, {"-f", dir.Path()});
    EXPECT_EQ(folder.exitCode, 1);
    EXPECT_EQ(folder.out, kBanner + "Can't open Firmware file.\n");
    EXPECT_EQ(folder.err, "vx5firm: " + dir.Path() + ": is a directory\n");
    // An empty name is a name: the default image beside it is not taken instead.
    WriteFileBytes(dir.File("VX5200.FW"), "L1\n");
    auto empty = RunProgram(VX5FIRM_PATH, {"-f", ""}, "", dir.Path());
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.out, kBanner + "Can't open Firmware file.\n");
}

TEST(Vx5firmCommandLineTest, PortQuestionWithoutArguments) {
    // Ended before the port is opened: COM1 and COM2 belong to the machine.
    TempDir dir;
    WriteFileBytes(dir.File("VX5200.FW"), "L1\n");
    const std::string question = "Select COM port (1:COM1, 2:COM2) ? ";
    auto none = RunProgram(VX5FIRM_PATH, {}, "", dir.Path());
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, kBanner + question + "Aborted.\n");
    auto answered = RunProgram(VX5FIRM_PATH, {}, "3\n0\n2\n", dir.Path());
    EXPECT_EQ(answered.exitCode, 1);
    EXPECT_EQ(answered.out, kBanner + question + question + question + "\n" + kEnterWait + "Aborted.\n");
}

}  // namespace
