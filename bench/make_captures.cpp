// Writes the large captures the benchmarks convert, sized to the listing limits:
//   async.dt  ASYNC text with idle and timestamp records, both directions, about
//             8.4 million records (the 80-column normal dump's 299,997 blocks of 28)
//   hdlc.dt   HDLC X.25 (LAPB) frames carrying packets and LAPD frames carrying
//             call-control messages, both directions, 500,000 frames
//   ppp.dt    PPP frames with frame timestamps (LCP, IPCP, IP), both directions,
//             500,000 frames
//   rdrun.dt  HDLC: 20,000 RD frames, then one SD frame (-d1 -f2 lists the SD
//             frame only; stepping over each RD frame must not walk to it anew)
//   lsonce.dt ASYNC: one line-state change, then 200,000 data records (the -l
//             chart asks the line state at every block; must not walk back each time)
//   lapb128.dt HDLC X.25 on LAPB modulo 128: I frames with data packets and call
//             requests, RR and UA frames, both directions, 500,000 frames (the
//             Wireshark plugin's benchmark)
// Usage: make_captures <folder>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/capture_writer.h"

namespace {

constexpr std::size_t kDumpRecords = 299997u * 28u;
constexpr int kFrames = 500000;
constexpr int kOtherLineFrames = 20000;
constexpr int kRecordsAfterChange = 200000;

void MakeAsync(const std::string& path) {
    capture::CaptureBuilder b;
    b.Mode(0).SendSpeed(96000).ReceiveSpeed(96000).CharBits(3).Code(0).LineStateRecorded(true);
    const std::string sd =
        "\x01"
        "HDR"
        "\x02"
        "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789"
        "\x03"
        "L";
    const std::string rd =
        "\x06\x10"
        "0"
        "\x04";
    std::size_t n = 0;
    std::uint8_t tick = 0;
    std::uint8_t lines = 0x1B;
    while (n < kDumpRecords) {
        b.Timestamp(0x12, tick, static_cast<std::uint8_t>(tick * 7), false);
        for (unsigned char c : sd) b.Sd(c);
        b.Idle(static_cast<std::uint16_t>(tick * 40));
        b.Timestamp(0x12, tick, static_cast<std::uint8_t>(tick * 7 + 1), true);
        for (unsigned char c : rd) b.Rd(c);
        b.LineState(lines, static_cast<std::uint8_t>(lines ^ 0x02));
        lines ^= 0x02;
        ++tick;
        n += 4 + sd.size() + rd.size();
    }
    b.Write(path);
}

void MakeHdlc(const std::string& path) {
    capture::CaptureBuilder b;
    b.Mode(2).SendSpeed(640000).ReceiveSpeed(640000).CharBits(3).Check(1).SdAddress(0x01).RdAddress(0x03);
    for (int i = 0; i < kFrames; ++i) {
        const auto ns = static_cast<std::uint8_t>((i & 7) << 1);
        b.Timestamp(0x01, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), (i & 1) != 0);
        switch (i % 4) {
            case 0:  // LAPB I frame with an X.25 data packet
                b.SdFrame(
                    {0x01, ns, 0x10, 0x01, static_cast<std::uint8_t>(ns << 4), 'D', 'A', 'T', 'A', '1', '2', '3'});
                break;
            case 1:  // LAPB RR
                b.RdFrame({0x01, static_cast<std::uint8_t>(0x01 | (ns << 4))});
                break;
            case 2:  // X.25 call request
                b.SdFrame({0x03, ns, 0x10, 0x01, 0x0B, 0x44, 0x12, 0x34, 0x56, 0x78, 0x00});
                break;
            default:  // LAPD I frame with a SETUP message
                b.RdFrame({0x00, 0x01, ns, 0x00, 0x08, 0x01, 0x05, 0x05, 0x04, 0x03, 0x80, 0x90, 0xA2});
                break;
        }
    }
    b.Write(path);
}

void MakePpp(const std::string& path) {
    capture::CaptureBuilder b;
    b.Mode(3).SendSpeed(1152000).ReceiveSpeed(1152000).CharBits(3);
    const std::vector<std::vector<std::uint8_t>> frames = {
        {0xFF, 0x03, 0xC0, 0x21, 0x01, 0x01, 0x00, 0x0A, 0x05, 0x06, 0x12, 0x34, 0x56, 0x78},
        {0xFF, 0x7D, 0x23, 0x80, 0x21, 0x02, 0x01, 0x00, 0x0A, 0x03, 0x06, 0xC0, 0xA8, 0x00, 0x01},
        {0xFF, 0x03, 0x00, 0x21, 0x45, 0x00, 0x00, 0x54, 0x12, 0x34, 0x40, 0x00,
         0x40, 0x01, 0x7D, 0x5E, 0xC0, 0xA8, 0x00, 0x01, 0xC0, 0xA8, 0x00, 0x02},
    };
    for (int i = 0; i < kFrames; ++i) {
        const bool rd = (i & 1) != 0;
        b.Timestamp(0x02, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), rd, true);
        const auto& f = frames[static_cast<std::size_t>(i) % frames.size()];
        for (auto byte : f) rd ? b.Rd(byte) : b.Sd(byte);
        rd ? b.Rd(0x7E) : b.Sd(0x7E);
    }
    b.Write(path);
}

void MakeLapb128(const std::string& path) {
    capture::CaptureBuilder b;
    b.Mode(2).SendSpeed(640000).ReceiveSpeed(640000).CharBits(3).Check(1).SdAddress(0x01).RdAddress(0x03);
    for (int i = 0; i < kFrames; ++i) {
        const auto seq = static_cast<std::uint8_t>((i & 0x7F) << 1);  // N(S), N(R), P(S) in bits 1-7
        b.Timestamp(0x01, static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i), (i & 1) != 0);
        switch (i % 4) {
            case 0:  // I frame with a modulo 128 X.25 data packet
                b.SdFrame({0x01, seq, seq, 0x20, 0x01, seq, seq, 'D', 'A', 'T', 'A', '1', '2', '3'});
                break;
            case 1:  // RR with F
                b.RdFrame({0x01, 0x01, static_cast<std::uint8_t>(seq | 1)});
                break;
            case 2:  // I frame with an X.25 call request
                b.SdFrame({0x03, seq, seq, 0x20, 0x01, 0x0B, 0x44, 0x12, 0x34, 0x56, 0x78, 0x00});
                break;
            default:  // UA
                b.RdFrame({0x03, 0x73});
                break;
        }
    }
    b.Write(path);
}

void MakeRdRun(const std::string& path) {
    capture::CaptureBuilder b;
    b.Mode(2).SendSpeed(640000).ReceiveSpeed(640000).CharBits(3).Check(1);
    for (int i = 0; i < kOtherLineFrames; ++i) b.RdFrame({0x01, static_cast<std::uint8_t>(0x01 | ((i & 7) << 5))});
    b.SdFrame({0x03, 0x00, 'S', 'D'});
    b.Write(path);
}

void MakeLineStateOnce(const std::string& path) {
    capture::CaptureBuilder b;
    b.Mode(0).SendSpeed(96000).ReceiveSpeed(96000).CharBits(3).Code(0).LineStateRecorded(true);
    b.LineState(0x00, 0x1B);
    for (int i = 0; i < kRecordsAfterChange; ++i) (i & 1) != 0 ? b.Rd('B') : b.Sd('A');
    b.Write(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_captures <folder>\n");
        return 1;
    }
    const std::string folder = argv[1];
    MakeAsync(folder + "/async.dt");
    MakeHdlc(folder + "/hdlc.dt");
    MakePpp(folder + "/ppp.dt");
    MakeRdRun(folder + "/rdrun.dt");
    MakeLineStateOnce(folder + "/lsonce.dt");
    MakeLapb128(folder + "/lapb128.dt");
    return 0;
}
