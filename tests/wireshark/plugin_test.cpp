// The modulo 128 plugin in tshark on vx5pcap's exports: frame by frame its line, frame type, N(S), P/F and
// N(R) are vx5cvt's frame listing's, the X.25 packet type the packet listing's; without it tshark reads them.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>
#include <sstream>

#include "tests/support/capture_writer.h"
#include "tests/support/run_program.h"

namespace {

// The lines a shell command prints, the frame lines only with `frames`; it must end with status 0.
std::vector<std::string> Shell(const std::string& command, bool frames = false) {
    const auto r = testing_support::RunProgram("/bin/sh", {"-c", command + " 2>/dev/null"});
    EXPECT_EQ(r.exitCode, 0) << command;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string l; std::getline(in, l);) {
        if (!frames || (l.size() > 27 && l[2] == ':')) lines.push_back(l);
    }
    return lines;
}
// A listing column without its blanks.
std::string Cut(std::string l, std::size_t at, std::size_t n) { return std::erase(l = l.substr(at, n), ' '), l; }
// clang-format off
const std::map<std::string, std::string> kX25Types = {  // the packet listing's names, tshark's x25.type
    {"", ""}, {"DT", "0x00"}, {"RR", "0x01"}, {"RNR", "0x05"}, {"CR", "0x0b"}, {"IC", "0x0b"}, {"CQ", "0x13"},
    {"CI", "0x13"}, {"RQ", "0x1b"}, {"RI", "0x1b"}, {"DIAG", "0xf1"}, {"SQ", "0xfb"}, {"SI", "0xfb"}};
const std::vector<std::uint8_t> kPackets[] = {  // X.25, modulo 8 and 128
    {0x10, 0x01, 0x0B, 0x44, 0x12, 0x34, 0x56, 0x78, 0x00}, {0x20, 0x05, 0x06, 0x0B, 'D'}, {0x10, 0x01, 0x41},
    {0x20, 0x01, 0x05, 0x0A}, {0x10, 0x00, 0xFB, 0x00, 0x00}, {0x10, 0x01, 0x13, 0x00, 0x00},
    {0x10, 0x01, 0x1B, 0x00, 0x00}, {0x10, 0x00, 0xF1, 0x20}};
// clang-format on

// First every U octet, every S function and S octets with bits 4-7 set, I frames with X.25, frames cut short
// (none, address, first control octet, no information), on both lines, one in seven with FC=E; then 3000
// frames of these kinds with random octets.
void WriteCapture(const std::string& path) {
    capture::CaptureBuilder b;
    b.Mode(2).SendSpeed(640000).ReceiveSpeed(640000).CharBits(3).Check(1);
    std::mt19937 rng(22);
    for (int i = 0; i < 3160; ++i) {
        const bool random = i >= 160, rd = random ? rng() & 1 : i >= 80;
        const int k = random ? static_cast<int>(rng() % 80) : i % 80;
        const auto c = static_cast<std::uint8_t>(random ? rng() : 0);
        const auto& x25 = kPackets[rng() % std::size(kPackets)];
        std::vector<std::uint8_t> f = {0x7E, static_cast<std::uint8_t>(rd ? 0x01 : 0x03)};
        if (k < 64) f.push_back(static_cast<std::uint8_t>(k * 4 + 3 + (c & 0x10)));
        else if (k < 72) f.insert(f.end(), {static_cast<std::uint8_t>(k % 4 * 4 + 1 + (k - 64) / 4 * 0x10), c});
        else if (k < 76) f.insert(f.end(), {static_cast<std::uint8_t>(c & 0xFE), static_cast<std::uint8_t>(rng())});
        else f.resize(static_cast<std::size_t>(k - 75), c & 0xFE);
        if (k >= 72 && k < 76) f.insert(f.end(), x25.begin(), x25.end());
        for (std::size_t j = 0; j < f.size(); ++j) rd ? b.Rd(f[j], j ? 0 : 10) : b.Sd(f[j], j ? 0 : 10);
        rd ? b.Rd(0, k % 7 ? 2 : 3).Rd(0x7E, 11) : b.Sd(0, k % 7 ? 2 : 3).Sd(0x7E, 11);
    }
    b.Write(path);
}

TEST(WiresharkPlugin, FieldsEqualTheListings) {
    if (Shell("command -v tshark").empty()) GTEST_SKIP() << "tshark is not installed";
    testing_support::TempDir dir;
    const std::string cap = " " + dir.File("c.dt") + " ", out = dir.File("c.pcapng"), list = dir.File("list");
    WriteCapture(dir.File("c.dt"));
    for (const std::string p : {"1sdlc128", "3lapb128"}) {
        Shell(VX5PCAP_PATH " -f" + p.substr(0, 1) + cap + out);
        std::string fields;
        for (const char* f : {"line", "type", "ns", "pf", "nr"}) fields += " -e " + p.substr(1) + "." + f;
        const auto shark = Shell("tshark -X lua_script:" VX_SOURCE_DIR "/wireshark/vx5200_mod128.lua -T fields -r " +
                                 out + " -E separator='|'" + fields + " -e x25.type");
        auto listing = [&](const std::string& f) {
            return Shell(VX5CVT_PATH " -f" + f + cap + list + ">/dev/null; cat " + list, true);
        };
        const auto frames = listing(p.substr(0, 1)), packets = listing(p.substr(0, 1) + "0");
        ASSERT_TRUE(shark.size() == frames.size() && packets.size() == frames.size()) << p;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            std::string row = frames[i].substr(0, 2);  // line, type (SREJ unnamed in the listing), N(S), P/F, N(R)
            for (auto [at, n] : {std::pair(13, 5), {18, 3}, {22, 1}, {24, 3}}) row += "|" + Cut(frames[i], at, n);
            const bool x25 = p[0] == '3' && packets[i][10] != '[';
            EXPECT_EQ(shark[i], std::regex_replace(row, std::regex("\\(0D\\)"), "SREJ") + "|" +
                                    kX25Types.at(x25 ? Cut(packets[i], 18, 4) : ""))
                << p << " frame " << i;
        }
        Shell("tshark -r " + out);  // without the plugin
    }
}

}  // namespace
