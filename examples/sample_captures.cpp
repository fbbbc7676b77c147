// The sample capture data files shipped in examples/:
//
//   ASYNC.DT  ASCII BSC exchange at 9600 bit/s with idle times, timestamps,
//             a character error and interface line changes (normal dump,
//             line-state chart with -l, translate-format dump with -f)
//   SYNC.DT   EBCDIC BSC exchange with headers and transparent text
//   HDLC.DT   X.25 over LAPB: link set-up, call, data and clearing
//   PPP.DT    LCP and IPCP negotiation, IP datagrams both ways (ICMP echo,
//             UDP with a flag and an escape octet in its data), termination
//   LAPD.DT   ISDN D channel: TEI assignment, link set-up, a call set up and
//             cleared with Q.931 messages, receive-ready acknowledgements
//
// The files are built the same way every time, so the committed samples can be
// checked against a fresh run (make_examples <folder>).
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "examples/sample_captures.h"
#include "tests/support/capture_writer.h"

namespace {

using capture::CaptureBuilder;
using capture::Unit;

// ASCII transmission-control characters.
constexpr std::uint8_t kSoh = 0x01, kStx = 0x02, kEtx = 0x03, kEot = 0x04, kEnq = 0x05;
constexpr std::uint8_t kDle = 0x10, kNak = 0x15, kEtb = 0x17;

// Interface lines as bits of a line-state byte.
constexpr std::uint8_t kRs = 0x01, kCs = 0x02, kCd = 0x08, kEr = 0x10;

// Unit code of a character received with a parity error ("??" in the dump).
constexpr std::uint8_t kCodeParityError = 3;

CaptureBuilder& AsciiBlock(CaptureBuilder& b, const std::string& header, const std::string& text, std::uint8_t end) {
    if (!header.empty()) b.Sd(kSoh).SdText(header);
    b.Sd(kStx).SdText(text).Sd(end);
    return b;
}

CaptureBuilder& RdReply(CaptureBuilder& b, char second) { return b.Rd(kDle).Rd(static_cast<std::uint8_t>(second)); }

CaptureBuilder Async() {
    CaptureBuilder b;
    b.Mode(0).SendSpeed(96000).ReceiveSpeed(96000).CharBits(3).Parity(0).StopBitsOrClock(0).Code(0).Check(0);
    b.LineStateRecorded(true);
    // The terminal raises ER, the modem answers with CD; RS and CS follow.
    b.LineState(0, kEr).LineState(kEr, kEr | kCd).LineState(kEr | kCd, kEr | kCd | kRs);
    b.LineState(kEr | kCd | kRs, kEr | kCd | kRs | kCs);
    b.Timestamp(0x10, 0x25, 0x30);
    b.Sd(kEnq).Idle(25);
    RdReply(b, '0').Idle(3);
    AsciiBlock(b, "", "ORDER 0042 QTY 12", kEtx).Idle(40);
    RdReply(b, '1');
    b.Timestamp(0x10, 0x25, 0x31);
    AsciiBlock(b, "HDR", "SHIP TODAY", kEtb);
    b.Rd(kNak).Idle(7);
    AsciiBlock(b, "HDR", "SHIP TODAY", kEtb);
    RdReply(b, '0');
    b.Rd('O').Rd('K').Rd('A', kCodeParityError).Rd('Y');
    b.Sd(kEot).Idle(12000);
    b.LineState(kEr | kCd | kRs | kCs, kEr | kCd | kRs).LineState(kEr | kCd | kRs, kEr | kCd);
    b.Timestamp(0x10, 0x25, 0x45).LineState(kEr | kCd, kEr).LineState(kEr, 0);
    return b;
}

CaptureBuilder Sync() {
    // EBCDIC: SOH 01, STX 02, ETX 03, DLE 10, ETB 26, ENQ 2D, EOT 37, ACK0 70, ACK1 61.
    CaptureBuilder b;
    b.Mode(1).SendSpeed(480000).ReceiveSpeed(480000).CharBits(3).Parity(0).StopBitsOrClock(0).Code(1).Check(3);
    b.Timestamp(0x08, 0x00, 0x01);
    b.Sd(0x2D).Rd(0x10).Rd(0x70);
    // SOH "AB" STX "HELLO" ETB in EBCDIC.
    b.Sd(0x01).Sd(0xC1).Sd(0xC2).Sd(0x02);
    for (std::uint8_t c : {0xC8, 0xC5, 0xD3, 0xD3, 0xD6}) b.Sd(c);
    b.Sd(0x26).Rd(0x10).Rd(0x61).Idle(9);
    // Transparent text with a doubled DLE: DLE STX 01 10 10 FF DLE ETX.
    b.Sd(0x10).Sd(0x02).Sd(0x01).Sd(0x10).Sd(0x10).Sd(0xFF).Sd(0x10).Sd(0x03);
    b.Rd(0x10).Rd(0x70).Sd(0x37);
    b.Timestamp(0x08, 0x00, 0x02);
    return b;
}

CaptureBuilder Hdlc() {
    CaptureBuilder b;
    b.Mode(2).SendSpeed(640000).ReceiveSpeed(640000).CharBits(3).Parity(0).StopBitsOrClock(0).Code(5).Check(1);
    b.SdAddress(0x01).RdAddress(0x03).FrameTimestamp(true);
    // Every frame opens with a frame timestamp of its direction.
    b.Timestamp(0x09, 0x15, 0x00, false, true).SdFrame({0x03, 0x3F});  // SABM P
    b.Timestamp(0x09, 0x15, 0x00, true, true).RdFrame({0x03, 0x73});   // UA F
    b.Timestamp(0x09, 0x15, 0x02, false, true)
        .SdFrame({0x01, 0x00, 0x10, 0x01, 0x0B, 0x44, 0x12, 0x34, 0x56, 0x78, 0x00});   // CALL REQ
    b.Timestamp(0x09, 0x15, 0x02, true, true).RdFrame({0x01, 0x21});                    // RR
    b.Timestamp(0x09, 0x15, 0x03, true, true).RdFrame({0x03, 0x20, 0x10, 0x01, 0x0F});  // CALL CONNECTED
    b.Timestamp(0x09, 0x15, 0x03, false, true).SdFrame({0x03, 0x21});                   // RR
    b.Timestamp(0x09, 0x15, 0x05, false, true)
        .SdFrame({0x01, 0x22, 0x10, 0x01, 0x00, 'H', 'E', 'L', 'L', 'O'});  // DATA
    b.Idle(150);
    b.Timestamp(0x09, 0x15, 0x05, true, true).RdFrame({0x01, 0x41});                                 // RR
    b.Timestamp(0x09, 0x15, 0x09, false, true).SdFrame({0x01, 0x44, 0x10, 0x01, 0x13, 0x00, 0x00});  // CLEAR REQ
    b.Timestamp(0x09, 0x15, 0x09, true, true).RdFrame({0x03, 0x42, 0x10, 0x01, 0x17});               // CLEAR CONF
    b.Timestamp(0x09, 0x15, 0x10, false, true).SdFrame({0x03, 0x53});                                // DISC P
    b.Timestamp(0x09, 0x15, 0x10, true, true).RdFrame({0x03, 0x73});                                 // UA F
    return b;
}

// The PPP frame check sequence (FCS-16 of RFC 1662) over the octets.
std::uint16_t PppFcs(const std::vector<std::uint8_t>& octets) {
    std::uint16_t fcs = 0xFFFF;
    for (std::uint8_t c : octets) {
        fcs ^= c;
        for (int bit = 0; bit < 8; ++bit) fcs = (fcs & 1) ? static_cast<std::uint16_t>((fcs >> 1) ^ 0x8408) : fcs >> 1;
    }
    return static_cast<std::uint16_t>(fcs ^ 0xFFFF);
}

// A PPP frame on the line: the opening flag, the frame timestamp that the
// analyzer stamps on it, the octets and their FCS with transparency applied
// (flag, escape and control characters), the closing flag.
void PppFrame(CaptureBuilder& b, bool rd, std::uint8_t second, std::vector<std::uint8_t> octets) {
    const std::uint16_t fcs = PppFcs(octets);
    octets.push_back(static_cast<std::uint8_t>(fcs & 0xFF));
    octets.push_back(static_cast<std::uint8_t>(fcs >> 8));
    auto put = [&](std::uint8_t c) { rd ? b.Rd(c) : b.Sd(c); };
    put(0x7E);
    b.Timestamp(0x11, 0x00, second, rd, true);
    for (std::uint8_t c : octets) {
        if (c == 0x7E || c == 0x7D || c < 0x20) {
            put(0x7D);
            put(static_cast<std::uint8_t>(c ^ 0x20));
        } else {
            put(c);
        }
    }
    put(0x7E);
}

CaptureBuilder Ppp() {
    CaptureBuilder b;
    b.Mode(3).SendSpeed(1152000).ReceiveSpeed(1152000).CharBits(3).Code(5);
    // LCP Configure-Request (MRU 1500, a magic number) and the peer's Ack.
    PppFrame(
        b, false, 0x01,
        {0xFF, 0x03, 0xC0, 0x21, 0x01, 0x01, 0x00, 0x0E, 0x01, 0x04, 0x05, 0xDC, 0x05, 0x06, 0x12, 0x34, 0x56, 0x78});
    PppFrame(
        b, true, 0x01,
        {0xFF, 0x03, 0xC0, 0x21, 0x02, 0x01, 0x00, 0x0E, 0x01, 0x04, 0x05, 0xDC, 0x05, 0x06, 0x12, 0x34, 0x56, 0x78});
    // IPCP Configure-Request for 10.0.0.1 and its Ack.
    PppFrame(b, false, 0x02, {0xFF, 0x03, 0x80, 0x21, 0x01, 0x02, 0x00, 0x0A, 0x03, 0x06, 0x0A, 0x00, 0x00, 0x01});
    PppFrame(b, true, 0x02, {0xFF, 0x03, 0x80, 0x21, 0x02, 0x02, 0x00, 0x0A, 0x03, 0x06, 0x0A, 0x00, 0x00, 0x01});
    // An IP datagram: ICMP echo request from 10.0.0.1 to 10.0.0.2.
    PppFrame(b, false, 0x03,
             {0xFF, 0x03, 0x00, 0x21, 0x45, 0x00, 0x00, 0x1C, 0x00, 0x01, 0x00, 0x00, 0x40, 0x01, 0x66, 0xDE,
              0x0A, 0x00, 0x00, 0x01, 0x0A, 0x00, 0x00, 0x02, 0x08, 0x00, 0xF7, 0xFD, 0x00, 0x01, 0x00, 0x01});
    // The echo reply from 10.0.0.2.
    PppFrame(b, true, 0x03,
             {0xFF, 0x03, 0x00, 0x21, 0x45, 0x00, 0x00, 0x1C, 0x2F, 0x01, 0x00, 0x00, 0x40, 0x01, 0x37, 0xDE,
              0x0A, 0x00, 0x00, 0x02, 0x0A, 0x00, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xFD, 0x00, 0x01, 0x00, 0x01});
    // A UDP datagram to the echo port and its echo; the data "PPP" 7E 7D goes
    // on the line escaped.
    PppFrame(b, false, 0x04, {0xFF, 0x03, 0x00, 0x21, 0x45, 0x00, 0x00, 0x21, 0x00, 0x02, 0x00, 0x00, 0x40,
                              0x11, 0x66, 0xC8, 0x0A, 0x00, 0x00, 0x01, 0x0A, 0x00, 0x00, 0x02, 0x04, 0x01,
                              0x00, 0x07, 0x00, 0x0D, 0xC9, 0xFA, 0x50, 0x50, 0x50, 0x7E, 0x7D});
    PppFrame(b, true, 0x04, {0xFF, 0x03, 0x00, 0x21, 0x45, 0x00, 0x00, 0x21, 0x2F, 0x02, 0x00, 0x00, 0x40,
                             0x11, 0x37, 0xC8, 0x0A, 0x00, 0x00, 0x02, 0x0A, 0x00, 0x00, 0x01, 0x00, 0x07,
                             0x04, 0x01, 0x00, 0x0D, 0xC9, 0xFA, 0x50, 0x50, 0x50, 0x7E, 0x7D});
    // LCP Terminate-Request and Terminate-Ack.
    PppFrame(b, false, 0x05, {0xFF, 0x03, 0xC0, 0x21, 0x05, 0x03, 0x00, 0x04});
    PppFrame(b, true, 0x05, {0xFF, 0x03, 0xC0, 0x21, 0x06, 0x03, 0x00, 0x04});
    return b;
}

// An ISDN basic-rate D channel (LAPD, Q.921 and Q.931): the terminal on SD,
// the network on RD. Address octets: SAPI and C/R (commands from the terminal
// carry C/R 0, from the network 1), then TEI and the extension bit.
CaptureBuilder Lapd() {
    CaptureBuilder b;
    b.Mode(2).SendSpeed(160000).ReceiveSpeed(160000).CharBits(3).Parity(0).StopBitsOrClock(0).Code(5).Check(1);
    b.FrameTimestamp(true);
    auto sd = [&b](std::uint8_t second, std::initializer_list<std::uint8_t> octets) {
        b.Timestamp(0x14, 0x30, second, false, true).SdFrame(octets);
    };
    auto rd = [&b](std::uint8_t second, std::initializer_list<std::uint8_t> octets) {
        b.Timestamp(0x14, 0x30, second, true, true).RdFrame(octets);
    };
    // TEI management on SAPI 63, broadcast TEI 127: identity request (Ri 1234)
    // and the network's assignment of TEI 64.
    sd(0x00, {0xFC, 0xFF, 0x03, 0x0F, 0x12, 0x34, 0x01, 0xFF});
    rd(0x00, {0xFE, 0xFF, 0x03, 0x0F, 0x12, 0x34, 0x02, 0x81});
    // Multiple-frame operation on SAPI 0, TEI 64: SABME P, UA F.
    sd(0x01, {0x00, 0x81, 0x7F});
    rd(0x01, {0x00, 0x81, 0x73});
    // SETUP: speech bearer, B1 channel, called number 1234.
    sd(0x02, {0x00, 0x81, 0x00, 0x00, 0x08, 0x01, 0x05, 0x05, 0x04, 0x03, 0x80, 0x90,
              0xA2, 0x18, 0x01, 0x89, 0x70, 0x05, 0x80, 0x31, 0x32, 0x33, 0x34});
    rd(0x02, {0x00, 0x81, 0x01, 0x02});                                            // RR N(R) 1
    rd(0x02, {0x02, 0x81, 0x00, 0x02, 0x08, 0x01, 0x85, 0x02, 0x18, 0x01, 0x89});  // CALL PROCEEDING
    sd(0x02, {0x02, 0x81, 0x01, 0x02});                                            // RR N(R) 1
    rd(0x05, {0x02, 0x81, 0x02, 0x02, 0x08, 0x01, 0x85, 0x01});                    // ALERTING
    sd(0x05, {0x02, 0x81, 0x01, 0x04});                                            // RR N(R) 2
    rd(0x09, {0x02, 0x81, 0x04, 0x02, 0x08, 0x01, 0x85, 0x07});                    // CONNECT
    sd(0x09, {0x00, 0x81, 0x02, 0x06, 0x08, 0x01, 0x05, 0x0F});                    // CONNECT ACKNOWLEDGE
    rd(0x09, {0x00, 0x81, 0x01, 0x04});                                            // RR N(R) 2
    // Clearing: DISCONNECT (normal call clearing), RELEASE, RELEASE COMPLETE.
    sd(0x40, {0x00, 0x81, 0x04, 0x06, 0x08, 0x01, 0x05, 0x45, 0x08, 0x02, 0x80, 0x90});
    rd(0x40, {0x00, 0x81, 0x01, 0x06});                          // RR N(R) 3
    rd(0x40, {0x02, 0x81, 0x06, 0x06, 0x08, 0x01, 0x85, 0x4D});  // RELEASE
    sd(0x40, {0x00, 0x81, 0x06, 0x08, 0x08, 0x01, 0x05, 0x5A});  // RELEASE COMPLETE
    rd(0x41, {0x00, 0x81, 0x01, 0x08});                          // RR N(R) 4
    return b;
}

struct Sample {
    const char* name;
    CaptureBuilder (*build)();
};
constexpr Sample kSamples[] = {
    {"ASYNC.DT", Async}, {"SYNC.DT", Sync}, {"HDLC.DT", Hdlc}, {"PPP.DT", Ppp}, {"LAPD.DT", Lapd},
};

bool WriteSample(const std::string& path, const CaptureBuilder& b) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const std::string bytes = b.Bytes();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}

}  // namespace

bool WriteSampleCaptures(const std::string& folder, std::string& failedPath) {
    for (const Sample& s : kSamples) {
        const std::string path = folder + "/" + s.name;
        if (!WriteSample(path, s.build())) {
            failedPath = path;
            return false;
        }
    }
    return true;
}
