// The vx5cvt program entry: command line, usage text, messages, exit statuses
// and the console dialogue.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "apps/vx5cvt/options.h"
#include "apps/vx5cvt/program.h"
#include "capture/capture_file.h"
#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/run_program.h"

using testing_support::RunProgram;
using testing_support::TempDir;

namespace {

const std::string& kBanner = testing_support::kVx5cvtBanner;

const std::string kUsage =
    "Illegal arguments.\n"
    "Usage : vx5cvt [OPTIONS] <DATA-FILENAME> [<SAVE-FILENAME>]\n"
    " OPTIONS:\n"
    "   -d<DATALINENAME>  - - - - Select data line.\n"
    "      0:SD and RD (default)\n"
    "      1:SD only\n"
    "      2:RD only\n"
    "   -l[<LINENAME>..]  - - - - Line state format.\n"
    "      0:RS, 1:CS, 2:DR, 3:CD, 4:ER, 5:SQ, 6:CI, 7:EX (default = 0134)\n"
    "   -f[<FRAME>[<PACKET>]]   - Translate format.\n"
    "      <FRAME>  0:SDLC mod8\n"
    "               1:SDLC mod128\n"
    "               2:X.25(LAPB) mod8 (default)\n"
    "               3:X.25(LAPB) mod128\n"
    "               4:LAPD\n"
    "      <PACKET> None:Frame translate (default)\n"
    "               0:X.25\n"
    "               1:LAPD\n"
    "           Ignore <FRAME>,<PACKET> for ASYNC/SYNC\n"
    "   -c<CODE>  - - - - - - - - Code filter.\n"
    "      0:Code and Hex. (default)\n"
    "      1:Code only\n"
    "      2:Hex. only\n"
    "   -C<COLIMNS>   - - - - - - Columns per lines.\n"
    "      40, 80 or 136 (default = 80)\n"
    "   -L<LINES>   - - - - - - - Lines per page.\n"
    "      0:infinite (default) \n"
    "      66\n"
    "   -i  - - - - - - - - - - - No Idle/Timestamp.\n"
    "   -n  - - - - - - - - - - - No guide.\n";

// Parses a command line in-process and reports whether it was accepted.
bool Parse(std::vector<std::string> args) {
    ResetOptions();
    std::vector<char*> argv;
    static char program[] = "vx5cvt";
    argv.push_back(program);
    for (auto& a : args) argv.push_back(a.data());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data()) == 1;
}

std::string LineStates() {
    std::string s;
    for (auto v : options.lineStates) {
        if (v == kNoLineState) break;
        s += static_cast<char>('0' + v);
    }
    return s;
}

capture::CaptureBuilder AsyncCapture() { return capture::Async9600().SdText("AB").RdText("C"); }

// The title and heading of each translation.
const std::string kFramesTop = "        ** FRAME CONVERSION **\n     TM   AD TYPE  NS PF NR FC DATA\n";
const std::string kLapdFramesTop = "        ** FRAME CONVERSION **\n     TM  SAP TE CR TYPE  NS PF NR FC DA\n";
const std::string kX25Top = "        ** PACKET CONVERSION **\n     TM   GN  CN P-TYPE PS  PR M Q D FC\n";
const std::string kPppTop = "        ** PPP CONVERSION **\n     TM   PROTOCOL CODE      ID DATA\n";

struct ModeCase {
    std::int8_t mode;
    std::vector<std::string> options;
    std::string listing;
};

// Converts a capture in each case's mode, with line states recorded and the
// records `fill` adds, with `common` and then the case's options.
void ExpectListingsByMode(const std::vector<ModeCase>& cases, void (*fill)(capture::CaptureBuilder&),
                          const std::vector<std::string>& common) {
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int{c.mode} << " " << ::testing::PrintToString(c.options));
        capture::CaptureBuilder b;
        fill(b.Mode(c.mode).LineStateRecorded(true));
        std::vector<std::string> options = common;
        options.insert(options.end(), c.options.begin(), c.options.end());
        EXPECT_EQ(testing_support::ConvertToListing(b, options), testing_support::Crlf(c.listing));
    }
}

}  // namespace

TEST(CommandLine, RejectedFormsPrintUsage) {
    const std::vector<std::vector<std::string>> rejected = {
        {"-x"},   {"-"},     {"-d3"}, {"-d1x"}, {"-d-1"},  {"-l8"}, {"-l012345670"}, {"-l01a"},       {"-f5"},
        {"-f12"}, {"-f210"}, {"-fx"}, {"-c3"},  {"-C100"}, {"-C"},  {"-L60"},        {"a", "b", "c"}, {"-C 80x"},
    };
    for (const auto& args : rejected) {
        SCOPED_TRACE(args[0]);
        EXPECT_FALSE(Parse(args));
    }
    auto r = RunProgram(VX5CVT_PATH, {"a", "b", "c"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, kBanner + kUsage);
}

TEST(CommandLine, AcceptedFormsSetOptions) {
    ASSERT_TRUE(Parse({"-d1"}));
    EXPECT_EQ(decodeSettings.dataLine, 1);
    EXPECT_STREQ(options.dataFileName, "");  // the default name is set by the program entry

    ASSERT_TRUE(Parse({"-d", "x.dt", "-d 2"}));  // empty value reads 0, leading blank accepted, last wins
    EXPECT_EQ(decodeSettings.dataLine, 2);
    EXPECT_STREQ(options.dataFileName, "x.dt");

    ASSERT_TRUE(Parse({"-l"}));
    EXPECT_EQ(LineStates(), "0134");
    ASSERT_TRUE(Parse({"-l70"}));
    EXPECT_EQ(LineStates(), "70");
    ASSERT_TRUE(Parse({"-l01234567"}));
    EXPECT_EQ(LineStates(), "01234567");

    ASSERT_TRUE(Parse({"-f"}));
    EXPECT_EQ(options.frameFormat, 2);
    EXPECT_EQ(options.packetFormat, -1);
    ASSERT_TRUE(Parse({"-f41"}));
    EXPECT_EQ(options.frameFormat, 4);
    EXPECT_EQ(options.packetFormat, 1);
    ASSERT_TRUE(Parse({"-f30", "-f1"}));  // a packet digit stays in force
    EXPECT_EQ(options.frameFormat, 1);
    EXPECT_EQ(options.packetFormat, 0);

    ASSERT_TRUE(Parse({"-c2", "-C136", "-L66", "-ixyz", "-nabc", "in", "out"}));
    EXPECT_EQ(listingSettings.codeFilter, 2);
    EXPECT_EQ(listingSettings.columns, 136);
    EXPECT_EQ(listingSettings.linesPerPage, 66);
    EXPECT_TRUE(decodeSettings.skipIdleTimestamp);
    EXPECT_TRUE(listingSettings.noGuide);
    EXPECT_STREQ(options.dataFileName, "in");
    EXPECT_STREQ(options.saveFileName, "out");

    ASSERT_TRUE(Parse({"-L", "-C+40"}));
    EXPECT_EQ(listingSettings.linesPerPage, 0);
    EXPECT_EQ(listingSettings.columns, 40);
}

TEST(CommandLine, OverlongFileNameIsRejected) {
    EXPECT_TRUE(Parse({std::string(260, 'a')}));
    EXPECT_FALSE(Parse({std::string(261, 'a')}));
    EXPECT_FALSE(Parse({"in", std::string(300, 'b')}));
}

TEST(Program, DefaultDataFileName) {
    TempDir dir;
    auto missing = RunProgram(VX5CVT_PATH, {"-d1"}, "", dir.Path());
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, kBanner + "Can't open data file.\n");

    AsyncCapture().Write(dir.File("VX5200.DT"));
    auto r = RunProgram(VX5CVT_PATH, {"-d1"}, "", dir.Path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("Complete.\n"), r.out.size() - 10);
}

TEST(Program, DataFileMessages) {
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const std::string good = AsyncCapture().Bytes();
    const std::vector<Case> cases = {
        {"empty", "", "Can't create mapping object."},
        {"ident", capture::CaptureBuilder().Ident("VX-5200  data     ").Bytes(), "Unknown data file."},
        {"version2", capture::CaptureBuilder().Version("00002").Bytes(), "Unknown data file."},
        {"type2", capture::CaptureBuilder().DataType(2).Bytes(), "Unsuported data."},
        {"short", good.substr(0, 100), "Data file error."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::WriteFileBytes(dir.File(c.name), c.bytes);
        auto r = RunProgram(VX5CVT_PATH, {dir.File(c.name)});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, kBanner + c.message + "\n");
    }
    auto r = RunProgram(VX5CVT_PATH, {dir.File("nothing-here")});
    EXPECT_EQ(r.out, kBanner + "Can't open data file.\n");
}

TEST(Program, ListingFileCannotBeCreated) {
    TempDir dir;
    AsyncCapture().Write(dir.File("a.dt"));
    auto r = RunProgram(VX5CVT_PATH, {dir.File("a.dt"), dir.File("no/such/folder/out.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, kBanner + "Can't create print data file.\n");
}

TEST(Program, TheDataFileIsNeverReplacedByTheListing) {
    TempDir dir;
    AsyncCapture().Write(dir.File("a.dt"));
    const std::string capture = testing_support::ReadFileBytes(dir.File("a.dt"));
    ASSERT_EQ(symlink(dir.File("a.dt").c_str(), dir.File("link.txt").c_str()), 0);
    ASSERT_EQ(link(dir.File("a.dt").c_str(), dir.File("hard.txt").c_str()), 0);
    for (const std::string& save :
         {dir.File("a.dt"), dir.Path() + "/./a.dt", dir.File("link.txt"), dir.File("hard.txt")}) {
        SCOPED_TRACE(save);
        auto r = RunProgram(VX5CVT_PATH, {dir.File("a.dt"), save});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, kBanner + "Can't create print data file.\n");
        EXPECT_EQ(testing_support::ReadFileBytes(dir.File("a.dt")), capture);
    }
}

TEST(Program, LineStateChartNeedsRecordedLineStates) {
    TempDir dir;
    AsyncCapture().Write(dir.File("a.dt"));
    testing_support::WriteFileBytes(dir.File("out.txt"), "kept\r\n");
    for (const char* second : {"-l", "-f"}) {  // the chart alone, or asked for with a translation
        SCOPED_TRACE(second);
        auto r = RunProgram(VX5CVT_PATH, {"-l", second, dir.File("a.dt"), dir.File("out.txt")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, kBanner + "Line state not recorded.\n");
        EXPECT_EQ(testing_support::ReadFileBytes(dir.File("out.txt")), "kept\r\n") << "decided before it is opened";
    }
}

// Each failure message on standard output has its reason on standard error.
TEST(Program, FailuresSayWhatAndWhy) {
    TempDir dir;
    const std::string good = AsyncCapture().Bytes();
    testing_support::WriteFileBytes(dir.File("good.dt"), good);
    testing_support::WriteFileBytes(dir.File("empty.dt"), "");
    AsyncCapture().Ident("VX-5200  DATA    x").Write(dir.File("ident.dt"));
    AsyncCapture().Version("00002").Write(dir.File("v2.dt"));
    AsyncCapture().DataType(2).Write(dir.File("type2.dt"));
    AsyncCapture().WriteTruncated(dir.File("short.dt"), 1200);
    const std::string cut = dir.File("cut.dt");
    AsyncCapture().RecordAreaLength(5000 * 4).Write(cut);
    const std::string d = dir.Path() + "/";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string out;  // after the banner
        std::string err;
    };
    // clang-format off
    const Case cases[] = {
        {{d + "none.dt"}, 1, "Can't open data file.\n", d + "none.dt: No such file or directory"},
        {{dir.Path()}, 1, "Can't open data file.\n", dir.Path() + ": is a directory"},
        {{d + "empty.dt"}, 1, "Can't create mapping object.\n", d + "empty.dt: the file is empty"},
        {{d + "ident.dt"}, 1, "Unknown data file.\n",
         d + "ident.dt: not a capture data file (identification text differs)"},
        {{d + "v2.dt"}, 1, "Unknown data file.\n", d + "v2.dt: format version 2 is not supported"},
        {{d + "type2.dt"}, 1, "Unsuported data.\n", d + "type2.dt: data type 2 is not supported"},
        {{d + "short.dt"}, 1, "Data file error.\n",
         d + "short.dt: the file ends inside its settings block (1200 of 1762 bytes)"},
        {{d + "good.dt", d + "good.dt"}, 1, "Can't create print data file.\n", d + "good.dt: is the data file itself"},
        {{d + "good.dt", d + "no/out.txt"}, 1, "Can't create print data file.\n",
         d + "no/out.txt: No such file or directory"},
        {{d + "good.dt", "/dev/full"}, 1, "Convert start.\nCan't write print data file.\n",
         "/dev/full: No space left on device"},
        // A warning only: the listing of what is there is made as before.
        {{cut, d + "out.txt"}, 0, "Convert start.\nComplete.\n",
         cut + ": the record area reaches past the end of the file: listing the 3 whole records present of 5000"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        auto r = RunProgram(VX5CVT_PATH, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.out, kBanner + c.out);
        EXPECT_EQ(r.err, "vx5cvt: " + c.err + "\n");
    }
    // Held by another program: this test takes the lock.
    const int held = open(dir.File("good.dt").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    auto r = RunProgram(VX5CVT_PATH, {dir.File("good.dt")});
    close(held);
    EXPECT_EQ(r.out, kBanner + "Can't open data file.\n");
    EXPECT_EQ(r.err, "vx5cvt: " + dir.File("good.dt") + ": held by another program\n");
}

TEST(Program, ListingThatCannotBeWrittenIsAFailure) {
    TempDir dir;
    AsyncCapture().Write(dir.File("a.dt"));
    auto r = RunProgram(VX5CVT_PATH, {dir.File("a.dt"), "/dev/full"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, kBanner + "Convert start.\nCan't write print data file.\n");
}

// ---- Dialogue ---------------------------------------------------------------------

// Whole dialogues: every question asked, in order, then the conversion.
TEST(Dialogue, WholeDialogues) {
    TempDir dir;
    AsyncCapture().Write(dir.File("a.dt"));
    capture::CaptureBuilder().Mode(2).LineStateRecorded(true).Write(dir.File("h.dt"));
    capture::CaptureBuilder().Mode(0).LineStateRecorded(true).LineState(0, 1).Write(dir.File("l.dt"));
    const std::string lineState = "Select line state (0:RS,1:CS,2:DR,3:CD,4:ER,5:SQ,6:CI,7:EX) ? ";
    const std::string dataLine = "Select data line (1:SD & RD, 2:SD, 3:RD) ? ";
    const std::string tail =
        "Select code (1:Char. & Hex., 2:Char., 3:Hex.) ? Skip IDLE/TMSP (1:No, 2:Yes) ? "
        "Skip guide (1:No, 2:Yes) ? ";
    const std::pair<std::string, std::string> cases[] = {
        // An empty name repeats the prompt; "x" counts as 0 and repeats the numeric prompt.
        {"\na.dt\n\nout.txt\nx\n2\n4\n1\n1\n2\n1\n",
         "Data filename ? Data filename ? Save filename ? Save filename ? \n"
         "Print format (1:Normal, 2:Translate) ? Print format (1:Normal, 2:Translate) ? " +
             dataLine + dataLine + tail},
        // HDLC packet translation asks every level.
        {"h.dt\nout.txt\n3\n2\n2\n2\n2\n1\n",
         "Data filename ? Save filename ? \nPrint format (1:Normal, 2:Line state, 3:Translate) ? " + dataLine +
             "Translate level (1:Frame, 2:Packet) ? Frame type (1:SDLC, 2:X.25(LAPB), 3:LAPD) ? "
             "Modulo (1:mod 8, 2:mod128) ? Packet type (1:X.25, 2:LAPD) ? "},
        // The line-state answer is checked whole: "8", nine digits, "01a" and an
        // answer without digits are asked again.
        {"l.dt\nout.txt\n2\n1\n8\n012345670\n01a\n\n70\n1\n1\n1\n",
         "Data filename ? Save filename ? \nPrint format (1:Normal, 2:Line state, 3:Translate) ? " + dataLine +
             lineState + lineState + lineState + lineState + lineState + tail},
    };
    for (const auto& [input, prompts] : cases) {
        SCOPED_TRACE(input);
        auto r = RunProgram(VX5CVT_PATH, {}, input, dir.Path());
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, kBanner + prompts + "Convert start.\nComplete.\n");
    }
}

namespace {
// Runs the dialogue in-process with `input` on standard input.
bool DialogueWith(const std::string& input, const std::string& dataFile) {
    TempDir dir;
    const std::string inputFile = dir.File("input.txt");
    testing_support::WriteFileBytes(inputFile, dataFile + "\nout.txt\n" + input);
    ResetOptions();
    ReleaseDataFile();
    EXPECT_NE(std::freopen(inputFile.c_str(), "r", stdin), nullptr);
    const bool ok = RunDialogue() == 1;
    ReleaseDataFile();
    return ok;
}
}  // namespace

TEST(Dialogue, AnswersSetTheOptions) {
    TempDir dir;
    const std::string hdlc = dir.File("h.dt");
    capture::CaptureBuilder().Mode(2).Write(hdlc);
    const std::string ppp = dir.File("p.dt");
    capture::CaptureBuilder().Mode(3).Write(ppp);
    const std::string async = dir.File("a.dt");
    capture::CaptureBuilder().Mode(0).Write(async);

    struct Case {
        std::string file, input;
        int frameFormat, packetFormat, dataLine;
    };
    const std::vector<Case> cases = {
        {hdlc, "2\n3\n1\n1\n1\n", 0, -1, 2},    // SDLC mod 8 frames, RD only
        {hdlc, "2\n1\n1\n1\n2\n", 1, -1, 0},    // SDLC mod 128
        {hdlc, "2\n2\n2\n2\n1\n1\n", 2, 0, 1},  // X.25 mod 8 frames with X.25 packets
        {hdlc, "2\n1\n1\n2\n2\n", 3, -1, 0},    // X.25 mod 128
        {hdlc, "2\n1\n2\n3\n2\n", 4, 1, 0},     // LAPD: no modulo question
        {ppp, "2\n1\n2\n", 6, -1, 0},           // PPP frame dump
        {ppp, "2\n1\n1\n", 5, -1, 0},           // PPP translation
        {async, "2\n1\n1\n1\n1\n", 2, -1, 0},   // translate without a question
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        ASSERT_TRUE(DialogueWith(c.input, c.file));
        EXPECT_EQ(options.frameFormat, c.frameFormat);
        EXPECT_EQ(options.packetFormat, c.packetFormat);
        EXPECT_EQ(decodeSettings.dataLine, c.dataLine);
    }

    ASSERT_TRUE(DialogueWith("1\n1\n3\n2\n2\n", async));
    EXPECT_EQ(options.frameFormat, -1);
    EXPECT_EQ(listingSettings.codeFilter, 2);
    EXPECT_TRUE(decodeSettings.skipIdleTimestamp);
    EXPECT_TRUE(listingSettings.noGuide);
}

// ---- Driver choice, long answers, a listing cut short ----------------------------

// The driver is chosen by the options and the capture's mode, line-state chart
// first. One ENQ on SD tells the dumps apart: the normal dump and the chart show
// its hexadecimal digits, the translate-format dump only its converted cell.
TEST(Program, DriverChoiceByOptionsAndMode) {
    const std::string blanks26(26, ' ');
    const std::string normalDump = "05" + blanks26 + "\nEQ" + blanks26 + "\n";
    const std::string translateDump = std::string(28, ' ') + "\nEQ" + blanks26 + "\n";
    const std::string messages = "        ** PACKET CONVERSION **\n     TM   PD  MESSAGE CRF CR  FC DATA\n";
    ExpectListingsByMode(
        {
            {kModeAsync, {}, normalDump},
            {kModeAsync, {"-f"}, translateDump},
            {kModeSync, {"-f41"}, translateDump},
            {4, {"-f"}, translateDump},
            {-1, {"-f20"}, translateDump},
            {kModeHdlc, {}, normalDump},
            {kModeHdlc, {"-f", "-l0"}, normalDump + "11" + blanks26 + "\n"},  // the chart wins
            {kModeHdlc, {"-f"}, kFramesTop},
            {kModeHdlc, {"-f4"}, kLapdFramesTop},
            {kModeHdlc, {"-f20"}, kX25Top},
            {kModeHdlc, {"-f41"}, messages},
            {kModePpp, {}, normalDump},
            {kModePpp, {"-f"}, kPppTop},
            {kModePpp, {"-f41"}, kPppTop},  // the command line cannot ask for the PPP frame dump
        },
        [](capture::CaptureBuilder& b) { b.Sd(0x05); }, {"-n", "-d1", "-C40"});
}

TEST(Dialogue, EndOfInputAtEveryPromptEndsTheProgram) {
    TempDir dir;
    AsyncCapture().Write(dir.File("n.dt"));
    capture::CaptureBuilder().Mode(kModeAsync).LineStateRecorded(true).Write(dir.File("a.dt"));
    capture::CaptureBuilder().Mode(kModeHdlc).Write(dir.File("h.dt"));
    capture::CaptureBuilder().Mode(kModePpp).Write(dir.File("p.dt"));
    const std::string head = "Data filename ? Save filename ? \n";
    const std::string withLineStates = "Print format (1:Normal, 2:Line state, 3:Translate) ? ";
    const std::string withoutLineStates = "Print format (1:Normal, 2:Translate) ? ";
    const std::string dataLine = "Select data line (1:SD & RD, 2:SD, 3:RD) ? ";
    const std::string code = "Select code (1:Char. & Hex., 2:Char., 3:Hex.) ? ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "Data filename ? "},
        {"missing.dt\n", "Data filename ? Can't open data file.\n"},
        {"n.dt\n", "Data filename ? Save filename ? "},
        {"n.dt\nout.txt\n", head + withoutLineStates},
        {"n.dt\nout.txt\n1\n7\n", head + withoutLineStates + dataLine + dataLine},
        {"a.dt\nout.txt\n2\n1\n",
         head + withLineStates + dataLine + "Select line state (0:RS,1:CS,2:DR,3:CD,4:ER,5:SQ,6:CI,7:EX) ? "},
        {"h.dt\nout.txt\n2\n1\n", head + withoutLineStates + dataLine + "Translate level (1:Frame, 2:Packet) ? "},
        {"h.dt\nout.txt\n2\n1\n1\n", head + withoutLineStates + dataLine + "Translate level (1:Frame, 2:Packet) ? " +
                                         "Frame type (1:SDLC, 2:X.25(LAPB), 3:LAPD) ? "},
        {"h.dt\nout.txt\n2\n1\n1\n1\n",
         head + withoutLineStates + dataLine + "Translate level (1:Frame, 2:Packet) ? " +
             "Frame type (1:SDLC, 2:X.25(LAPB), 3:LAPD) ? Modulo (1:mod 8, 2:mod128) ? "},
        {"h.dt\nout.txt\n2\n1\n2\n3\n",
         head + withoutLineStates + dataLine + "Translate level (1:Frame, 2:Packet) ? " +
             "Frame type (1:SDLC, 2:X.25(LAPB), 3:LAPD) ? Packet type (1:X.25, 2:LAPD) ? "},
        {"p.dt\nout.txt\n2\n1\n", head + withoutLineStates + dataLine + "Frame type (1:PPP translate, 2:Dump) ? "},
        {"a.dt\nout.txt\n1\n1\n", head + withLineStates + dataLine + code},
        {"a.dt\nout.txt\n1\n1\n1\n", head + withLineStates + dataLine + code + "Skip IDLE/TMSP (1:No, 2:Yes) ? "},
        {"a.dt\nout.txt\n1\n1\n1\n1\n",
         head + withLineStates + dataLine + code + "Skip IDLE/TMSP (1:No, 2:Yes) ? Skip guide (1:No, 2:Yes) ? "},
    };
    for (const auto& [input, prompts] : cases) {
        SCOPED_TRACE(input);
        auto r = RunProgram(VX5CVT_PATH, {}, input, dir.Path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, kBanner + prompts + (prompts.ends_with('\n') ? "" : "\n"));  // the prompt's line ended
        if (!prompts.ends_with('\n')) {  // the reason names the last prompt
            const std::size_t previous = prompts.rfind("? ", prompts.size() - 3);
            const std::size_t from =
                std::max(prompts.find_last_of('\n') + 1, previous == std::string::npos ? 0 : previous + 2);
            EXPECT_EQ(r.err, "vx5cvt: standard input: ended at \"" + prompts.substr(from) + "\"\n");
        }
        EXPECT_FALSE(std::ifstream(dir.File("out.txt")).good()) << "no listing is started";
    }
}

// An answer longer than 255 characters is one answer: what is past the 255th
// character is dropped with its line, never taken as the next answer.
TEST(Dialogue, LongAnswersAreOneAnswerEach) {
    TempDir dir;
    AsyncCapture().Write(dir.File("a.dt"));
    const std::string blanks(300, ' ');
    // A file name longer than 255 characters is asked again, never cut; 255 fit.
    auto longName =
        RunProgram(VX5CVT_PATH, {}, std::string(256, 'x') + "\n" + std::string(255, 'y') + "\n", dir.Path());
    EXPECT_EQ(longName.exitCode, 1);
    EXPECT_EQ(longName.out, kBanner + "Data filename ? Data filename ? Can't open data file.\n");
    auto longSave = RunProgram(VX5CVT_PATH, {}, "a.dt\n" + std::string(300, 'z') + "\n", dir.Path());
    EXPECT_EQ(longSave.exitCode, 1);
    EXPECT_EQ(longSave.out, kBanner + "Data filename ? Save filename ? Save filename ? \n");
    // Numeric answers padded with blanks past 255 characters.
    const std::string input = "a.dt\nout.txt\n1" + blanks + "\n2" + blanks + "9\n1\n1\n1\n";
    auto r = RunProgram(VX5CVT_PATH, {}, input, dir.Path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kBanner +
                         "Data filename ? Save filename ? \n"
                         "Print format (1:Normal, 2:Translate) ? "
                         "Select data line (1:SD & RD, 2:SD, 3:RD) ? "
                         "Select code (1:Char. & Hex., 2:Char., 3:Hex.) ? "
                         "Skip IDLE/TMSP (1:No, 2:Yes) ? "
                         "Skip guide (1:No, 2:Yes) ? "
                         "Convert start.\nComplete.\n");
    // SD only: the RD rows are left out.
    const std::string listingText = testing_support::ReadFileBytes(dir.File("out.txt"));
    EXPECT_NE(listingText.find("SD:"), std::string::npos);
    EXPECT_EQ(listingText.find("RD:"), std::string::npos);
}

// A listing file that fills up (here: the file size limit of the process)
// stops the listing: "Can't write print data file.", status 1, and the part
// written stays as it was written.
TEST(Program, ListingCutShortKeepsWhatWasWritten) {
    TempDir dir;
    capture::CaptureBuilder b = AsyncCapture();
    for (int i = 0; i < 4000; ++i) b.Sd(static_cast<std::uint8_t>('A' + i % 26));
    b.Write(dir.File("a.dt"));
    auto whole = RunProgram(VX5CVT_PATH, {dir.File("a.dt"), dir.File("whole.txt")});
    ASSERT_EQ(whole.exitCode, 0);
    const std::string wholeText = testing_support::ReadFileBytes(dir.File("whole.txt"));
    ASSERT_GT(wholeText.size(), 20000u);

    // The shell ignores SIGXFSZ so that a write past the limit fails (EFBIG).
    auto cut = RunProgram("/bin/sh", {"-c", "trap '' XFSZ; ulimit -f 8; exec \"$0\" \"$@\"", VX5CVT_PATH,
                                      dir.File("a.dt"), dir.File("cut.txt")});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.out, kBanner + "Convert start.\nCan't write print data file.\n");
    const std::string cutText = testing_support::ReadFileBytes(dir.File("cut.txt"));
    EXPECT_GT(cutText.size(), 0u);
    EXPECT_LT(cutText.size(), wholeText.size());
    EXPECT_EQ(cutText, wholeText.substr(0, cutText.size()));
}

// A capture made only of timestamps (frame timestamps of both lines and a plain
// one): the dumps show the three markers, the translations find no frame.
TEST(Program, EveryListingOfACaptureMadeOnlyOfTimestamps) {
    const std::string blanks(28, ' ');
    const std::string markers =
        "[ TMSP ][ TMSP ][ TMSP ]    \n"
        "[123456][010203][7FFFFF]    \n" +
        blanks + "\n" + blanks + "\n";
    ExpectListingsByMode(
        {
            {kModeAsync, {}, markers},
            {kModeAsync, {"-f"}, markers},
            {kModeAsync, {"-l0"}, markers + std::string(24, '1') + "    \n"},
            {kModeHdlc, {"-f"}, kFramesTop},
            {kModeHdlc, {"-f4"}, kLapdFramesTop},
            {kModeHdlc, {"-f20"}, kX25Top},
            {kModePpp, {"-f"}, kPppTop},
        },
        [](capture::CaptureBuilder& b) {
            b.FrameTimestamp(true).Timestamp(0x12, 0x34, 0x56, false, true).Timestamp(0x01, 0x02, 0x03, true, true);
            b.Timestamp(0x7F, 0xFF, 0xFF);
        },
        {"-n", "-C40"});
}
