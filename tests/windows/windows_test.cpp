// The Windows programs under Wine, driven from Linux: each .exe of the cross
// build runs through scripts/wine-run.sh in the build's own Wine prefix, on
// files in a folder of the test's own named relatively (the programs see
// Windows names only). Console output passes the C runtime's text mode, so
// the console's line end there is CR LF; files and exports are compared byte
// for byte with what the Linux programs write.
//
// What Wine cannot show on a pseudo-terminal, and so is not tested here:
// - exclusive use: the refusal of a capture file or a port that another
//   program holds (share mode 0) needs a second Windows program holding it;
// - modem lines: EscapeCommFunction fails on a pty (no DTR, RTS, CTS), so
//   the raising and lowering of DTR and RTS cannot be observed;
// - the CTS handshake and a write held by CTS low: a pty has no CTS, so a
//   write never waits and the write time-out is never reached;
// - the driver's queue sizes (SetupComm) and the line speed;
// - console control events (Ctrl-C, Ctrl-Break, closing the window): Wine
//   delivers none to a program whose console is a pipe.
// A hang-up of the pty is shown: Wine's reads then bring nothing, and the
// port's error check after a read that brought nothing fails ("not ready").
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/pty_peer.h"
#include "tests/support/run_program.h"

namespace {

using serial_testing::ChildProgram;
using serial_testing::PtyPair;
using testing_support::ProgramResult;
using testing_support::ReadFileBytes;
using testing_support::RunProgram;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

const std::string kExamples = std::string(VX_SOURCE_DIR) + "/examples/";

// The arguments that run `program` (vx5cvt, ...) of the Windows build under Wine.
std::vector<std::string> UnderWine(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> all{"--prefix", WINE_PREFIX, std::string(WINDOWS_BUILD_DIR) + "/" + program + ".exe"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

ProgramResult RunWindows(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "", const std::string& workDir = "") {
    return RunProgram(WINE_RUN, UnderWine(program, args), input, workDir);
}

// Console text as a Windows console program writes it: every LF as CR LF.
std::string Console(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// A folder holding a copy of a sample under its own name.
struct SampleFolder {
    explicit SampleFolder(const std::string& sample) {
        std::filesystem::copy_file(kExamples + sample, dir.File(sample));
    }
    TempDir dir;
};

struct Listing {
    const char* capture;
    std::vector<std::string> options;
    std::string answers;  // dialogue answers after the two names; none: the command line
    const char* expected;
};

TEST(Vx5cvtOnWindows, SamplesGiveTheirListings) {
    const Listing listings[] = {
        {"ASYNC.DT", {}, "", "ASYNC.TXT"},     {"SYNC.DT", {"-f"}, "", "SYNC.TXT"},
        {"PPP.DT", {"-f"}, "", "PPP.TXT"},     {"PPP.DT", {}, "2\n1\n2\n", "PPPDUMP.TXT"},
        {"HDLC.DT", {"-f20"}, "", "HDLC.TXT"}, {"HDLC.DT", {"-f2"}, "", "HDLCFRM.TXT"},
        {"LAPD.DT", {"-f41"}, "", "LAPD.TXT"}, {"LAPD.DT", {"-f4"}, "", "LAPDFRM.TXT"},
    };
    for (const Listing& l : listings) {
        SCOPED_TRACE(l.expected);
        SampleFolder f(l.capture);
        std::vector<std::string> args = l.options;
        ProgramResult r;
        if (l.answers.empty()) {
            args.insert(args.end(), {l.capture, "out.txt"});
            r = RunWindows("vx5cvt", args, "", f.dir.Path());
        } else {
            r = RunWindows("vx5cvt", {}, std::string(l.capture) + "\nout.txt\n" + l.answers, f.dir.Path());
        }
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_TRUE(r.out.ends_with(Console("Convert start.\nComplete.\n"))) << r.out;
        EXPECT_EQ(ReadFileBytes(f.dir.File("out.txt")), ReadFileBytes(kExamples + l.expected));
    }
}

// Every kind of listing of every sample, in a file and on standard output,
// as the Linux vx5cvt writes it.
TEST(Vx5cvtOnWindows, EveryListingKindAsOnLinux) {
    const std::vector<std::vector<std::string>> kinds = {
        {},
        {"-c1"},
        {"-c2", "-C40"},
        {"-C136", "-L66"},
        {"-i", "-n"},
        {"-d1"},
        {"-d2", "-f"},
        {"-l"},
        {"-l01234567"},
        {"-f"},
        {"-f0"},
        {"-f1"},
        {"-f2"},
        {"-f3"},
        {"-f20"},
        {"-f4"},
        {"-f41"},
        {"-f41", "-n", "-C136"},
    };
    for (const char* sample : {"ASYNC.DT", "SYNC.DT", "PPP.DT", "HDLC.DT", "LAPD.DT"}) {
        SampleFolder f(sample);
        for (const auto& kind : kinds) {
            std::string name;
            for (const auto& o : kind) name += o;
            SCOPED_TRACE(std::string(sample) + " " + name);
            std::vector<std::string> args = kind;
            args.insert(args.end(), {sample, "windows.txt"});
            const ProgramResult windows = RunWindows("vx5cvt", args, "", f.dir.Path());
            args.back() = "linux.txt";
            const ProgramResult linux = RunProgram(LINUX_VX5CVT, args, "", f.dir.Path());
            EXPECT_EQ(windows.exitCode, linux.exitCode);
            EXPECT_EQ(windows.out, Console(linux.out));
            EXPECT_EQ(ReadFileBytes(f.dir.File("windows.txt")), ReadFileBytes(f.dir.File("linux.txt")));
        }
        // On standard output: the console's line ends.
        const ProgramResult windows = RunWindows("vx5cvt", {"-f", sample}, "", f.dir.Path());
        const ProgramResult linux = RunProgram(LINUX_VX5CVT, {"-f", sample}, "", f.dir.Path());
        EXPECT_EQ(windows.out, Console(linux.out)) << sample;
    }
}

// The console says what Linux says; standard error names the file and why.
TEST(Vx5cvtOnWindows, FailureMessages) {
    TempDir dir;
    std::filesystem::copy_file(kExamples + "HDLC.DT", dir.File("good.dt"));
    WriteFileBytes(dir.File("empty.dt"), "");
    WriteFileBytes(dir.File("text.dt"), "not a capture of the analyzer, only some text\r\n");
    std::filesystem::create_directory(dir.File("folder"));
    struct Case {
        std::vector<std::string> args;
        std::string named;  // in the system's reason on standard error; empty: the Linux reason
    };
    const Case cases[] = {
        {{"none.dt"}, "none.dt"},
        {{"folder"}, ""},
        {{"."}, ""},
        {{"empty.dt"}, ""},
        {{"text.dt"}, ""},
        {{"good.dt", "good.dt"}, ""},
        {{"good.dt", ".\\GOOD.DT"}, ".\\GOOD.DT"},  // the same file under another name
        {{"good.dt", "no\\out.txt"}, "no\\out.txt"},
        {{"-x", "good.dt"}, ""},
        {{"-f9", "good.dt"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ProgramResult windows = RunWindows("vx5cvt", c.args, "", dir.Path());
        std::vector<std::string> linuxArgs = c.args;
        if (c.args.back() == ".\\GOOD.DT") linuxArgs.back() = "./good.dt";
        if (c.args.back() == "no\\out.txt") linuxArgs.back() = "no/out.txt";
        const ProgramResult linux = RunProgram(LINUX_VX5CVT, linuxArgs, "", dir.Path());
        EXPECT_NE(windows.exitCode, 0);
        EXPECT_EQ(windows.exitCode, linux.exitCode);
        EXPECT_EQ(windows.out, Console(linux.out));
        if (c.named.empty()) {
            EXPECT_EQ(windows.err, Console(linux.err));
        } else {
            EXPECT_TRUE(windows.err.starts_with("vx5cvt: " + c.named + ": ")) << windows.err;
            EXPECT_EQ(windows.err.find('\r'), windows.err.size() - 2) << "one line: " << windows.err;
        }
    }
}

TEST(Vx5pcapOnWindows, ExportsAreTheLinuxBytes) {
    const bool haveTshark = RunProgram("/bin/sh", {"-c", "command -v tshark"}).exitCode == 0;
    const std::vector<std::vector<std::string>> kinds = {{}, {"-f3"}, {"-f0"}, {"-f4"}, {"-d1"}};
    for (const char* sample : {"ASYNC.DT", "SYNC.DT", "PPP.DT", "HDLC.DT", "LAPD.DT"}) {
        SampleFolder f(sample);
        for (const auto& kind : kinds) {
            SCOPED_TRACE(std::string(sample) + (kind.empty() ? "" : " " + kind[0]));
            std::vector<std::string> args = kind;
            args.insert(args.end(), {"-D2026-03-04", sample, "out.pcapng"});
            const ProgramResult linux = RunProgram(LINUX_VX5PCAP, args, "", f.dir.Path());
            const std::string expected = ReadFileBytes(f.dir.File("out.pcapng"));
            std::filesystem::remove(f.dir.File("out.pcapng"));
            const ProgramResult windows = RunWindows("vx5pcap", args, "", f.dir.Path());
            EXPECT_EQ(windows.exitCode, linux.exitCode) << windows.err;
            EXPECT_EQ(windows.err, Console(linux.err));
            EXPECT_EQ(ReadFileBytes(f.dir.File("out.pcapng")), expected);
            if (haveTshark && linux.exitCode == 0) {
                const auto read = RunProgram("/bin/sh", {"-c", "tshark -r out.pcapng | wc -l"}, "", f.dir.Path());
                EXPECT_EQ(read.exitCode, 0);
                EXPECT_GT(std::stoi(read.out), 0) << read.out;
            }
            // Made again over the first: the file is replaced, no temporary file stays.
            const ProgramResult again = RunWindows("vx5pcap", args, "", f.dir.Path());
            EXPECT_EQ(again.exitCode, linux.exitCode);
            EXPECT_EQ(ReadFileBytes(f.dir.File("out.pcapng")), expected);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(f.dir.Path()), {}), 2);
        }
    }
}

TEST(Vx5pcapOnWindows, StandardOutputCarriesTheExportUnchanged) {
    SampleFolder f("LAPD.DT");
    RunProgram(LINUX_VX5PCAP, {"-f4", "-D2026-03-01", "LAPD.DT", "linux.pcapng"}, "", f.dir.Path());
    const ProgramResult windows = RunWindows("vx5pcap", {"-f4", "-D2026-03-01", "LAPD.DT", "-"}, "", f.dir.Path());
    EXPECT_EQ(windows.exitCode, 0) << windows.err;
    EXPECT_EQ(windows.out, ReadFileBytes(f.dir.File("linux.pcapng")));
}

TEST(Vx5pcapOnWindows, TheDataFileIsNeverTheExport) {
    SampleFolder f("HDLC.DT");
    const ProgramResult r = RunWindows("vx5pcap", {"HDLC.DT", ".\\hdlc.dt"}, "", f.dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, Console("Can't create pcapng file .\\hdlc.dt: it is the data file.\n"));
    EXPECT_EQ(ReadFileBytes(f.dir.File("HDLC.DT")), ReadFileBytes(kExamples + "HDLC.DT"));
}

// A pseudo-terminal named COM<number> in the Wine prefix.
struct MappedPort {
    explicit MappedPort(int number) : name("COM" + std::to_string(number)) {
        const ProgramResult r =
            RunProgram(WINE_RUN, {"--prefix", WINE_PREFIX, "--map-com", std::to_string(number), pty.SlavePath()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    PtyPair pty;
    std::string name;
};

TEST(SerialToolsOnWindows, VxprtinStoresAPrintOut) {
    MappedPort port(51);
    TempDir dir;
    ChildProgram program(WINE_RUN, UnderWine("vxprtin", {"-p" + port.name, "out.txt"}), "", dir.Path());
    ASSERT_TRUE(program.WaitForOutput("Please start print out.\r\n", 20000)) << program.OutputSoFar();
    port.pty.Send("first line\r\nsecond\rthird\n\xFE\xFF\r\n\x1A");
    const ProgramResult r = program.Finish(20000);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with(Console("Complete.\n"))) << r.out;
    EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), "first line\r\nsecond\r\nthird\r\n\xFE\xFF\r\n");
}

// An unplugged adapter: the lines received are kept, the read error ends the program.
TEST(SerialToolsOnWindows, VxprtinHangUpKeepsTheLines) {
    MappedPort port(54);
    TempDir dir;
    ChildProgram program(WINE_RUN, UnderWine("vxprtin", {"-p" + port.name, "out.txt"}), "", dir.Path());
    ASSERT_TRUE(program.WaitForOutput("Please start print out.\r\n", 20000)) << program.OutputSoFar();
    port.pty.Send("one\r\ntwo\r\n");
    ASSERT_TRUE(serial_testing::WaitForFile(dir.File("out.txt"), "one\r\ntwo\r\n"));
    port.pty.CloseMaster();
    const ProgramResult r = program.Finish(20000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.ends_with(Console("\nCOM port read error.\n"))) << r.out;
    EXPECT_EQ(r.err, Console("vxprtin: " + port.name + " (\\\\.\\" + port.name + "): the device was disconnected\n"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.txt")), "one\r\ntwo\r\n");
}

TEST(SerialToolsOnWindows, Vx5firmLoadsAnImage) {
    MappedPort port(52);
    TempDir dir;
    WriteFileBytes(dir.File("image.fw"),
                   "S0 first\r\nS1 second\r\nS9 end\n\x1A"
                   "after the end\r\n");
    ChildProgram program(WINE_RUN, UnderWine("vx5firm", {"-p" + port.name, "-f", "image.fw"}), "", dir.Path());
    PtyPair& pty = port.pty;
    ASSERT_EQ(pty.Receive(1, 20000), "\r");
    pty.Send("VX-5200 Loader\r\nReady. \r\nReady.\n");
    ASSERT_EQ(pty.ReceiveUntil("\r\n"), "S0 first\r\n");
    pty.Send("3/10\r");
    ASSERT_EQ(pty.ReceiveUntil("\r\n"), "S1 second\r\n");
    pty.Send("3\r");
    ASSERT_EQ(pty.ReceiveUntil("\r\n"), "S9 end\r\n");
    pty.Send("10/10\r");
    pty.Send("11\r");
    pty.Send("Load OK.\r\n");
    pty.Send("R");
    EXPECT_EQ(pty.Receive(1), "Y");
    pty.Send("Boot block replaced.\r\nE\r\nErase check\r\nProgram\r\nVerify\r\nEnd\r\n");
    const ProgramResult r = program.Finish(20000);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(
        r.out.ends_with(Console("Erase .... OK.\nErase Check .... OK.\nProgram .... OK.\nVerify .... OK.\n"
                                "Complete.\n")))
        << r.out;
}

// A name that is no serial device, or no device at all: the open error, and why on standard error.
TEST(SerialToolsOnWindows, PortsThatCannotBeOpenedSayWhy) {
    TempDir dir;
    WriteFileBytes(dir.File("plain.txt"), "a file");
    for (const std::string port : {"NUL", "plain.txt", "COM59"}) {
        SCOPED_TRACE(port);
        const ProgramResult r = RunWindows("vxprtin", {"-p" + port, "out.txt"}, "", dir.Path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.out.find(Console("COM port open error.\n")), std::string::npos) << r.out;
        EXPECT_TRUE(r.err.starts_with("vxprtin: " + port)) << r.err;
    }
}

}  // namespace
