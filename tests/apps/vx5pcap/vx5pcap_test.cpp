// vx5pcap end to end: the samples and captures made with the capture writer
// are exported, their block structure read back with the test's own reader,
// and their frames decoded by tshark.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
using namespace std::string_literals;
#include <vector>

#include "tests/apps/vx5pcap/pcapng_reader.h"
#include "tests/support/capture_writer.h"
#include "tests/support/run_program.h"

namespace {

using capture::CaptureBuilder;
using capture::Unit;
using testing_support::RunProgram;
using testing_support::TempDir;

const std::string kSamples = std::string(VX_SOURCE_DIR) + "/examples/";
constexpr const char* kFields =
    " -T fields -e frame.time -e _ws.col.Protocol -e _ws.col.Info -e _ws.col.Source -e _ws.col.Destination"
    " -e frame.packet_flags -e frame.comment";

bool HaveTshark() { return RunProgram("/bin/sh", {"-c", "command -v tshark"}).exitCode == 0; }

// tshark's field lines for the file, one per packet.
std::vector<std::string> TsharkLines(const std::string& file) {
    const auto r = RunProgram("/bin/sh", {"-c", "TZ=UTC tshark -r '" + file + "'" + kFields + " 2>/dev/null"});
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1) {
        lines.push_back(r.out.substr(at, end - at));
    }
    return lines;
}

// The error flags as tshark names them, "crc,short" per packet: read from
// Wireshark's own fields, so that a flag on the wrong bit shows (newer tshark
// prints True and False).
std::string TsharkErrorFlags(const std::string& file) {
    return RunProgram("/bin/sh", {"-c", "tshark -r '" + file +
                                            "' -T fields -E separator=, -e frame.packet_flags_crc_error"
                                            " -e frame.packet_flags_packet_too_short_error 2>/dev/null"
                                            " | sed 's/True/1/g; s/False/0/g'"})
        .out;
}

// Runs vx5pcap with `args` and the two names; expects status 0 and `summary`
// on standard error, nothing on standard output.
pcapng_check::File Export(const std::string& data, std::vector<std::string> args, const std::string& out,
                          const std::string& summary) {
    args.push_back(data);
    args.push_back(out);
    const auto r = RunProgram(VX5PCAP_PATH, args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, summary + "\n");
    pcapng_check::File f = pcapng_check::Read(testing_support::ReadFileBytes(out));
    EXPECT_EQ(f.error, "");
    EXPECT_EQ(f.application, "vx5pcap " VX_PROJECT_VERSION);
    return f;
}

struct SampleCase {
    const char* args;  // options, then the sample's name
    std::uint16_t linkType;
    const char* mode;  // as the interface description names it
    const char* summary;
    std::size_t line;  // tshark's line to compare
    const char* expected;
};

// Protocol, command or response, direction, time and comment per kind.
constexpr SampleCase kSampleCases[] = {
    {"HDLC.DT", 252, "HDLC LAPB mod 8", "12 frames: SD 6, RD 6", 0,
     "Mar  4, 2026 09:15:00.000000000 UTC\tLAPB\tU P, func=SABM\tDCE\tDTE\t0x00000001\tSD TM=091500"},
    {"HDLC.DT", 252, "HDLC LAPB mod 8", "12 frames: SD 6, RD 6", 1,
     "Mar  4, 2026 09:15:00.000000000 UTC\tLAPB\tU F, func=UA\tDTE\tDCE\t0x00000002\tRD TM=091500"},
    {"HDLC.DT", 252, "HDLC LAPB mod 8", "12 frames: SD 6, RD 6", 2,
     "Mar  4, 2026 09:15:02.000000000 UTC\tX.25\tCall req. VC:1\t5678\t1234\t0x00000001\tSD TM=091502"},
    {"-f31 HDLC.DT", 252, "HDLC LAPB mod 128", "12 frames: SD 6, RD 6", 4,
     "Mar  4, 2026 09:15:03.000000000 UTC\tExported PDU\t\t\t\t0x00000002\tRD TM=091503 mod 128 for plugin lapb128"},
    {"-f0 HDLC.DT", 252, "HDLC SDLC mod 8", "12 frames: SD 6, RD 6", 0,
     "Mar  4, 2026 09:15:00.000000000 UTC\tSDLC\tU P, func=SABM\tDTE\tDCE\t0x00000002\tSD TM=091500"},
    {"-f4 LAPD.DT", 203, "HDLC LAPD", "18 frames: SD 8, RD 10", 4,
     "Mar  4, 2026 14:30:02.000000000 UTC\tQ.931\tTEI:64 I, N(R)=0, N(S)=0 | SETUP\tUser\tNetwork\t0x00000002\t"
     "SD TM=143002"},
    {"-f4 -u LAPD.DT", 203, "HDLC LAPD", "18 frames: SD 8, RD 10", 4,
     "Mar  4, 2026 14:30:02.000000000 UTC\tQ.931\tTEI:64 I, N(R)=0, N(S)=0 | SETUP\tNetwork\tUser\t0x00000001\t"
     "SD TM=143002"},
    {"-d2 -f4 LAPD.DT", 203, "HDLC LAPD", "10 frames: SD 0, RD 10", 0,
     "Mar  4, 2026 14:30:00.000000000 UTC\tTEI\tTEI:127 U, func=UI | Identity Assigned\tNetwork\tUser\t0x00000001\t"
     "RD TM=143000"},
    {"PPP.DT", 204, "PPP", "10 frames: SD 5, RD 5", 0,
     "Mar  4, 2026 11:00:01.000000000 UTC\tPPP LCP\tConfiguration Request\tDTE\tDCE\t0x00000002\t"
     "SD TM=110001 FCS-16 stripped"},
    {"PPP.DT", 204, "PPP", "10 frames: SD 5, RD 5", 5,
     "Mar  4, 2026 11:00:03.000000000 UTC\tICMP\tEcho (ping) reply    id=0x0001, seq=1/256, ttl=64 (request in 5)\t"
     "10.0.0.2\t10.0.0.1\t0x00000001\tRD TM=110003 FCS-16 stripped"},
    {"ASYNC.DT", 250, "ASYNC", "16 packets: SD 4, RD 4, line state 8", 1,
     "Mar  4, 2026 00:00:00.000000000 UTC\tRTAC Serial\tSTATUS_CHANGE         ( /CTS, DCD, /DSR, /RTS, DTR, /RING, "
     "/MBOK )\t\t\t\tTM=------ line state CD ER"},
    {"ASYNC.DT", 250, "ASYNC", "16 packets: SD 4, RD 4, line state 8", 4,
     "Mar  4, 2026 10:25:30.000000000 UTC\tRTAC Serial\tDATA_TX_START         ( CTS, DCD, /DSR, RTS, DTR, /RING, "
     "/MBOK )\t\t\t0x00000002\tSD TM=102530"},
    {"SYNC.DT", 250, "SYNC", "4 packets: SD 2, RD 2, line state 0", 1,
     "Mar  4, 2026 08:00:01.000000000 UTC\tRTAC Serial\tDATA_RX_START         ( /CTS, /DCD, /DSR, /RTS, /DTR, "
     "/RING, /MBOK )\t\t\t0x00000001\tRD TM=------"},
};

TEST(Vx5pcap, SamplesDecodeInTshark) {
    if (!HaveTshark()) GTEST_SKIP() << "tshark is not installed";
    TempDir dir;
    std::string exported;  // the arguments of the last export
    std::vector<std::string> lines;
    for (const SampleCase& c : kSampleCases) {
        std::vector<std::string> args{"-D2026-03-04"};
        std::string text = c.args;
        for (std::size_t blank; (blank = text.find(' ')) != std::string::npos; text.erase(0, blank + 1)) {
            args.push_back(text.substr(0, blank));
        }
        if (exported != c.args) {
            exported = c.args;
            const pcapng_check::File f = Export(kSamples + text, args, dir.File("out.pcapng"), c.summary);
            EXPECT_EQ(f.linkType, c.linkType) << c.args;
            EXPECT_EQ(f.description, kSamples + text + ", " + c.mode) << c.args;
            lines = TsharkLines(dir.File("out.pcapng"));
            ASSERT_EQ(lines.size(), f.packets.size()) << c.args;
        }
        EXPECT_EQ(lines[c.line], c.expected) << c.args;
    }
}

// Frame marks, an empty frame, a frame beyond the store, and times: an
// unreadable mark keeps the time before it, and midnight adds a day.
TEST(Vx5pcap, FrameMarksTimesAndLengths) {
    CaptureBuilder b;
    b.Mode(2).FrameTimestamp(true);
    const std::uint8_t kCodeGood = 2, kCodeBad = 3, kCodeAbort = 9, kCodeShort = 12;
    auto sdStamp = [&b](std::uint8_t h, std::uint8_t m, std::uint8_t s) -> CaptureBuilder& {
        return b.Timestamp(h, m, s, false, true);
    };
    auto rdStamp = [&b]() -> CaptureBuilder& { return b.Timestamp(0x0A, 0x1B, 0x2C, true, true); };
    sdStamp(0x23, 0x59, 0x58).Sd(0x7E, 10).Sd(0x01).Sd(0x3F).Sd(0, kCodeGood).Sd(0x7E, 11);
    rdStamp().Rd(0x7E, 10).Rd(0x03).Rd(0, kCodeBad).Rd(0x7E, 11);
    sdStamp(0x00, 0x00, 0x01).Sd(0x7E, 10).Sd(0x01).Sd(0, kCodeShort);
    rdStamp().Rd(0x7E, 10).Rd(0x03).Rd(0x01).Rd(0, kCodeAbort);
    sdStamp(0x00, 0x00, 0x01).SdFrame(std::vector<std::uint8_t>{});
    rdStamp().RdFrame(std::vector<std::uint8_t>(70000, 0x55));
    TempDir dir;
    b.Write(dir.File("c.dt"));
    const pcapng_check::File f =
        Export(dir.File("c.dt"), {"-D2026-03-04"}, dir.File("c.pcapng"), "6 frames: SD 3, RD 3");
    ASSERT_EQ(f.packets.size(), 6u);
    constexpr std::uint64_t kDay = 1772582400;  // 2026-03-04 00:00:00 UTC
    struct Expected {
        std::uint64_t seconds;
        std::uint32_t direction, length, originalLength;
        const char* comment;
    };
    constexpr Expected kExpected[] = {
        {kDay + 86398, 0x00000002, 2, 2, "SD TM=235958 FC=G"},
        {kDay + 86398, 0x00000001, 1, 1, "RD TM=0A1B2C FC=E"},
        {kDay + 86401, 0x00000002, 1, 1, "SD TM=000001 FC=SF"},
        {kDay + 86401, 0x00000001, 2, 2, "RD TM=0A1B2C FC=A"},
        {kDay + 86401, 0x00000002, 0, 0, "SD TM=000001 empty"},
        {kDay + 86401, 0x00000001, 65535, 70000, "RD TM=0A1B2C cut at 65535 of 70000 bytes"},
    };
    for (std::size_t i = 0; i < 6; ++i) {
        const pcapng_check::Packet& p = f.packets[i];
        const std::size_t header = 20;  // the LAPB tags: name, direction, end
        EXPECT_EQ(p.seconds, kExpected[i].seconds) << i;
        EXPECT_EQ(p.flags & 0x3, kExpected[i].direction) << i;
        EXPECT_EQ(p.data.size(), header + kExpected[i].length) << i;
        EXPECT_EQ(p.originalLength, header + kExpected[i].originalLength) << i;
        EXPECT_EQ(p.comment, kExpected[i].comment) << i;
    }
    EXPECT_EQ(f.packets[0].data.substr(20), "\x01\x3F");
    if (HaveTshark()) {
        EXPECT_EQ(TsharkErrorFlags(dir.File("c.pcapng")), "0,0\n1,0\n0,1\n0,0\n0,0\n0,0\n");
    }
}

// The FCS-32 of the bytes, sent low byte first.
std::vector<std::uint8_t> WithFcs32(std::vector<std::uint8_t> bytes) {
    std::uint32_t fcs = 0xFFFFFFFF;
    for (std::uint8_t c : bytes) {
        fcs ^= c;
        for (int i = 0; i < 8; ++i) fcs = (fcs & 1) ? (fcs >> 1) ^ 0xEDB88320 : fcs >> 1;
    }
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(~fcs >> (8 * i)));
    return bytes;
}

TEST(Vx5pcap, PppFrameChecks) {
    CaptureBuilder b;
    b.Mode(3);
    b.Timestamp(0x11, 0x00, 0x01, false, true).Sd(0x7E);
    for (std::uint8_t c : WithFcs32({0xFF, 0x03, 0xC0, 0x21, 0x09, 0x7E})) {
        if (c == 0x7E || c == 0x7D) b.Sd(0x7D).Sd(static_cast<std::uint8_t>(c ^ 0x20));
        else b.Sd(c);
    }
    b.Sd(0x7E).Timestamp(0x11, 0x00, 0x02, true, true).Rd(0xFF).Rd(0x03).Rd(0x12).Rd(0x34).Rd(0x7E);
    TempDir dir;
    b.Write(dir.File("p.dt"));
    const pcapng_check::File f = Export(dir.File("p.dt"), {}, dir.File("p.pcapng"), "2 frames: SD 1, RD 1");
    ASSERT_EQ(f.packets.size(), 2u);
    EXPECT_EQ(f.packets[0].data, std::string("\x01\xFF\x03\xC0\x21\x09\x7E", 7));
    EXPECT_EQ(f.packets[0].comment, "SD TM=110001 FCS-32 stripped");
    EXPECT_EQ(f.packets[0].flags, 0x00000002u);
    EXPECT_EQ(f.packets[1].data, std::string("\x00\xFF\x03\x12\x34", 5));
    // The link carries FCS-32: the failed check shows the last four bytes.
    EXPECT_EQ(f.packets[1].comment, "RD TM=110002 FCS-32 bad (received FF 03 12 34)");
    EXPECT_EQ(f.packets[1].flags & 0x3, 0x1u);
    if (HaveTshark()) {
        EXPECT_EQ(TsharkErrorFlags(dir.File("p.pcapng")), "0,0\n1,0\n");
    }
}

TEST(Vx5pcap, SerialRunsEndAtRecordsAndAtTheLimit) {
    CaptureBuilder b;
    b.Mode(0).Timestamp(0x10, 0x00, 0x00, true);
    for (int i = 0; i < 65536; ++i) b.Rd(static_cast<std::uint8_t>(i));
    b.Data(Unit(0x41), Unit(0, 13)).Idle(5).Data(Unit(0x42), Unit(0x43)).LineState(0, 0xFF);
    TempDir dir;
    b.Write(dir.File("a.dt"));
    const pcapng_check::File f =
        Export(dir.File("a.dt"), {"-D2026-03-04"}, dir.File("a.pcapng"), "6 packets: SD 2, RD 3, line state 1");
    ASSERT_EQ(f.packets.size(), 6u);
    const std::size_t kSizes[] = {12 + 65535, 12 + 1, 12 + 1, 12 + 1, 12 + 1, 12};
    const char* kComments[] = {"RD TM=100000", "RD TM=100000", "SD TM=------",
                               "SD TM=------", "RD TM=100000", "TM=100000 line state RS CS DR CD ER SQ CI EX"};
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(f.packets[i].data.size(), kSizes[i]) << i;
        EXPECT_EQ(f.packets[i].comment, kComments[i]) << i;
    }
    EXPECT_EQ(f.packets[1].data.substr(12), "\xFF");
    EXPECT_EQ(f.packets[5].data.substr(8, 2), "\x00\x3F"s);
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;  // DIR stands for the test's folder
    const char* message;            // DIR likewise
};

TEST(Vx5pcap, FailuresSayWhatAndLeaveNoFile) {
    TempDir dir;
    CaptureBuilder().Mode(2).SdFrame({1, 2}).Write(dir.File("c.dt"));
    CaptureBuilder().Ident("VX-5200  DATA    X").Write(dir.File("bad.dt"));
    const std::string original = testing_support::ReadFileBytes(dir.File("c.dt"));
    const FailureCase kCases[] = {
        {"unknown", {"DIR/bad.dt", "DIR/o"}, "Unknown data file.\n"},
        {"missing", {"DIR/none.dt", "DIR/o"}, "Can't open data file.\n"},
        {"over the capture", {"DIR/c.dt", "DIR/c.dt"}, "Can't create pcapng file DIR/c.dt: it is the data file.\n"},
        {"no folder", {"DIR/c.dt", "DIR/no/o"}, "Can't create pcapng file DIR/no/o: No such file or directory\n"},
        {"full",
         {"-c", "exec " VX5PCAP_PATH " DIR/c.dt - >/dev/full"},
         "Can't write pcapng file -: No space left on device\n"},
        // A device is written in place, never replaced by a file.
        {"full device", {"DIR/c.dt", "/dev/full"}, "Can't write pcapng file /dev/full: No space left on device\n"},
        {"frame digit", {"-f5", "DIR/c.dt", "DIR/o"}, nullptr},
        {"one name", {"DIR/c.dt"}, nullptr},
        {"bad date", {"-D2026-02-29", "DIR/c.dt", "DIR/o"}, nullptr},
    };
    auto withDir = [&](std::string s) {
        for (std::size_t at; (at = s.find("DIR")) != std::string::npos;) s.replace(at, 3, dir.Path());
        return s;
    };
    for (const FailureCase& c : kCases) {
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(withDir(a));
        const bool shell = c.args[0] == "-c";
        const auto r = RunProgram(shell ? "/bin/sh" : VX5PCAP_PATH, args);
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_EQ(r.out, "") << c.name;
        if (c.message != nullptr) EXPECT_EQ(r.err, withDir(c.message)) << c.name;
        else EXPECT_EQ(r.err.rfind("Illegal arguments.\nUsage : vx5pcap", 0), 0u) << c.name << r.err;
    }
    EXPECT_EQ(testing_support::ReadFileBytes(dir.File("c.dt")), original);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    const auto listing = RunProgram("/bin/sh", {"-c", "ls " + dir.Path()});
    EXPECT_EQ(listing.out, "bad.dt\nc.dt\n");
}

// vx5pcap reads -d and -f as vx5cvt does: the same values are accepted, with
// the same lines and frame kind, and the same are refused.
TEST(Vx5pcap, SharedOptionsReadAsTheConverterReadsThem) {
    TempDir dir;
    CaptureBuilder().Mode(2).SdFrame({1, 0x3F}).RdFrame({3, 0x73}).Write(dir.File("c.dt"));
    const struct {
        const char* option;
        const char* kind;  // the export's kind and summary; nullptr: refused
    } kCases[] = {
        // The rows stand as laid out; clang-format leaves them so.
        // clang-format off
        {"-d", "LAPB mod 8: 2 frames: SD 1, RD 1"},    {"-d0", "LAPB mod 8: 2 frames: SD 1, RD 1"},
        {"-d1", "LAPB mod 8: 1 frames: SD 1, RD 0"},   {"-d+1", "LAPB mod 8: 1 frames: SD 1, RD 0"},
        {"-d 2", "LAPB mod 8: 1 frames: SD 0, RD 1"},  {"-d3", nullptr},
        {"-d-1", nullptr},                             {"-d1x", nullptr},
        {"-f", "LAPB mod 8: 2 frames: SD 1, RD 1"},    {"-f0", "SDLC mod 8: 2 frames: SD 1, RD 1"},
        {"-f1", "SDLC mod 128: 2 frames: SD 1, RD 1"}, {"-f31", "LAPB mod 128: 2 frames: SD 1, RD 1"},
        {"-f40", "LAPD: 2 frames: SD 1, RD 1"},        {"-f5", nullptr},
        {"-f+1", nullptr},                             {"-f22", nullptr},
        {"-f210", nullptr},
        // clang-format on
    };
    for (const auto& c : kCases) {
        const auto converted = RunProgram(VX5CVT_PATH, {c.option, "c.dt", "out.txt"}, "", dir.Path());
        const auto exported = RunProgram(VX5PCAP_PATH, {c.option, "c.dt", "out.pcapng"}, "", dir.Path());
        EXPECT_EQ(converted.exitCode, c.kind ? 0 : 1) << c.option;
        EXPECT_EQ(exported.exitCode, c.kind ? 0 : 1) << c.option;
        if (c.kind == nullptr) {
            EXPECT_NE(converted.out.find("Illegal arguments."), std::string::npos) << c.option;
            EXPECT_EQ(exported.err.rfind("Illegal arguments.", 0), 0u) << c.option;
            continue;
        }
        const std::string description =
            pcapng_check::Read(testing_support::ReadFileBytes(dir.File("out.pcapng"))).description;
        EXPECT_EQ(description.substr(description.find(", HDLC ") + 7) + ": " + exported.err, c.kind + "\n"s)
            << c.option;
    }
}

// The temporary file beside the output takes a short name of its own: an
// output name of 255 characters, the longest a folder holds, is written.
TEST(Vx5pcap, LongestOutputName) {
    TempDir dir;
    CaptureBuilder().Mode(2).SdFrame({1, 2}).Write(dir.File("c.dt"));
    const std::string name(255, 'n');  // in the working folder: a path is limited to 260 characters
    const auto r = RunProgram(VX5PCAP_PATH, {"c.dt", name}, "", dir.Path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "1 frames: SD 1, RD 0\n");
    EXPECT_EQ(RunProgram("/bin/sh", {"-c", "ls " + dir.Path()}).out, "c.dt\n" + name + "\n");
}

TEST(Vx5pcap, PipeToTshark) {
    if (!HaveTshark()) GTEST_SKIP() << "tshark is not installed";
    const auto r = RunProgram("/bin/sh", {"-c", std::string(VX5PCAP_PATH) + " -f4 " + kSamples +
                                                    "LAPD.DT - 2>/dev/null | tshark -r - -T fields -e lapd.sapi "
                                                    "2>/dev/null | sort | uniq -c | tr -s ' '"});
    EXPECT_EQ(r.out, " 16 0\n 2 63\n");
}

}  // namespace
