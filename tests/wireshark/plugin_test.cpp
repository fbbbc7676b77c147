// The modulo 128 plugin in tshark on vx5pcap's exports: frame by frame its line,
// frame type, N(S), P/F and N(R) are those of vx5cvt's frame listing, and the
// X.25 packet type inside is the packet listing's; without the plugin tshark
// still reads the exports.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

#include "tests/support/capture_writer.h"
#include "tests/support/run_program.h"

namespace {

using testing_support::TempDir;

std::vector<std::string> Shell(const std::string& command) {
    const auto r = testing_support::RunProgram("/bin/sh", {"-c", command + " 2>/dev/null"});
    EXPECT_EQ(r.exitCode, 0) << command;
    std::vector<std::string> lines;
    std::istringstream in(r.out);
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, l.find('\r')));
    return lines;
}
// A listing column without its blanks.
std::string Cut(const std::string& l, std::size_t at, std::size_t n) {
    std::string s = l.substr(at, n);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s.substr(std::min(s.size(), s.find_first_not_of(' ')));
}
// The type octets of the packet listing's X.25 names.
const std::map<std::string, int> kX25Types = {
    {"DT", 0x00},   {"RR", 0x01},   {"RNR", 0x05},  {"REJ", 0x09}, {"CR", 0x0B}, {"IC", 0x0B}, {"CA", 0x0F},
    {"CC", 0x0F},   {"CQ", 0x13},   {"CI", 0x13},   {"CF", 0x17},  {"RQ", 0x1B}, {"RI", 0x1B}, {"RF", 0x1F},
    {"IT", 0x23},   {"IF", 0x27},   {"DIAG", 0xF1}, {"SQ", 0xFB},  {"SI", 0xFB}, {"SF", 0xFF}};

// Every frame kind on both lines (I with P/F 0 and 1, every S function and S
// octets with bits 4-7 set, every U octet, short frames, FC=E), or `random` frames.
void WriteCapture(const std::string& path, int random) {
    capture::CaptureBuilder b;
    b.Mode(2).SendSpeed(640000).ReceiveSpeed(640000).CharBits(3).Check(1);
    std::mt19937 rng(22);
    auto frame = [&b](bool rd, std::vector<std::uint8_t> bytes, std::uint8_t status = 2) {
        bytes.insert(bytes.begin(), 0x7E);
        for (std::size_t i = 0; i < bytes.size(); ++i) rd ? b.Rd(bytes[i], i ? 0 : 10) : b.Sd(bytes[i], i ? 0 : 10);
        rd ? b.Rd(0, status).Rd(0x7E, 11) : b.Sd(0, status).Sd(0x7E, 11);
    };
    static const std::vector<std::vector<std::uint8_t>> kPackets = {  // X.25 after the control field
        {0x10, 0x01, 0x0B, 0x44, 0x12, 0x34, 0x56, 0x78, 0x00}, {0x20, 0x05, 0x06, 0x0B, 'D'}, {0x10, 0x01, 0x41},
        {0x20, 0x01, 0x05, 0x0A}, {0x10, 0x00, 0xFB, 0x00, 0x00}, {0x10, 0x01, 0x13, 0x00, 0x00}, {0x10, 0x01, 0x27},
        {0x10, 0x01, 0x1B, 0x00, 0x00}, {0x10, 0x00, 0xF1, 0x20}, {0x10, 0x01, 0x17}, {0x10, 0x01, 0x0F}};
    for (int i = 0; i < (random ? random : 2 * 80); ++i) {
        const bool rd = random ? rng() & 1 : i >= 80;
        const int k = random ? static_cast<int>(rng() % 80) : i % 80;
        const auto c = static_cast<std::uint8_t>(random ? rng() : 0);
        std::vector<std::uint8_t> f = {static_cast<std::uint8_t>(rd ? 0x01 : 0x03)};
        if (k < 64) f.push_back(static_cast<std::uint8_t>(k * 4 + 3 + (c & 0x10)));  // U
        else if (k < 72) f.insert(f.end(), {static_cast<std::uint8_t>(k % 4 * 4 + 1 + (k - 64) / 4 * 0x10), c});  // S
        else if (k < 76) {  // I carrying an X.25 packet
            f.insert(f.end(), {static_cast<std::uint8_t>(c & 0xFE), static_cast<std::uint8_t>(rng() | (k & 1))});
            const auto& p = kPackets[rng() % kPackets.size()];
            f.insert(f.end(), p.begin(), p.end());
        } else f.resize(static_cast<std::size_t>(k - 76), c & 0xFE);  // short: none, address, I cut after its first octet
        frame(rd, f, (k % 7) ? 2 : 3);
    }
    b.Write(path);
}

TEST(WiresharkPlugin, FieldsEqualTheListings) {
    if (Shell("command -v tshark").empty()) GTEST_SKIP() << "tshark is not installed";
    TempDir dir;
    const std::string cap = dir.File("c.dt"), out = dir.File("c.pcapng");
    for (int random : {0, 3000}) {
        WriteCapture(cap, random);
        for (const char* kind : {"1", "3"}) {
            const std::string p = kind[0] == '1' ? "sdlc128." : "lapb128.";
            Shell(std::string(VX5PCAP_PATH) + " -f" + kind + " " + cap + " " + out);
            const auto shark = Shell("tshark -X lua_script:" VX_SOURCE_DIR "/wireshark/vx5200_mod128.lua -r " + out +
                                   " -T fields -E separator='|' -e " + p + "line -e " + p + "type -e " + p + "ns -e " +
                                   p + "pf -e " + p + "nr -e x25.type");
            const auto frames = Shell(std::string(VX5CVT_PATH) + " -f" + kind + " " + cap + " " + dir.File("f.txt") +
                                    " >/dev/null; cat " + dir.File("f.txt"));
            const auto packets = Shell(std::string(VX5CVT_PATH) + " -f" + kind + "0 " + cap + " " +
                                     dir.File("p.txt") + " >/dev/null; cat " + dir.File("p.txt"));
            std::vector<std::string> listed;
            for (std::size_t i = 0, j = 0; i < frames.size(); ++i) {
                const std::string& l = frames[i];
                if (l.size() < 27 || l[2] != ':') continue;
                while (packets[j].size() < 10 || packets[j][2] != ':') ++j;
                const std::string& q = packets[j++];
                const std::string x25 = q[10] == '[' || p[0] == 's' || Cut(q, 18, 4).empty() ? "" : Cut(q, 18, 4);
                char type[8] = "";
                if (!x25.empty()) std::snprintf(type, sizeof type, "0x%02x", kX25Types.at(x25));
                const std::string name = Cut(l, 13, 5) == "(0D)" ? "SREJ" : Cut(l, 13, 5);  // unnamed in the listing
                listed.push_back(l.substr(0, 2) + "|" + name + "|" + Cut(l, 18, 3) + "|" + Cut(l, 22, 1) + "|" +
                                 Cut(l, 24, 3) + "|" + type);
            }
            ASSERT_EQ(shark.size(), listed.size()) << kind << random;
            for (std::size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(shark[i], listed[i]) << kind << random << i;
            Shell("tshark -r " + out);  // without the plugin: status 0
        }
    }
}

}  // namespace
