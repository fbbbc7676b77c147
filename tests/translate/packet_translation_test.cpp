// X.25 packet and LAPD message translation: the header decoders and line
// layouts on frames filled in by hand, then whole listings written by vx5cvt
// from captures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "decode/decode_settings.h"
#include "decode/frame_assembly.h"
#include "listing/listing_writer.h"
#include "tests/support/capture_writer.h"
#include "tests/support/listings.h"
#include "tests/support/run_program.h"
#include "tests/translate/translation_test_support.h"
#include "translate/line_fields.h"
#include "translate/packet_translation.h"

namespace {

using testing_support::ConvertToListing;
using testing_support::Crlf;
using translation_test::HexRun;
using translation_test::kStamp;

// ---- Lines from frames filled in by hand ----------------------------------------------

struct PacketCase {
    const char* what;
    std::uint8_t direction;
    std::vector<int> bytes;  // the whole frame, link header included
    std::string expected;
};

class PacketLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        translation_test::ResetSettings();
        decodeSettings.frameKind = kFrameLapb;
        decodeSettings.modulo128 = 0;
        translateSettings.packetKind = kPacketX25;
    }
    void UseLapd() {
        decodeSettings.frameKind = kFrameLapd;
        decodeSettings.modulo128 = 1;
        translateSettings.packetKind = kPacketLapd;
    }
    // The line that TranslatePacket writes for a frame of `bytes` (status 1, time 0A1B2C).
    std::string Translate(std::uint8_t direction, const std::vector<int>& bytes, std::uint8_t status = 1) {
        const AssembledFrame& frame = translation_test::LoadFrame(direction, status, kStamp, bytes);
        EXPECT_EQ(TranslatePacket(frame), 0);
        return out_.Take();
    }
    void Check(std::initializer_list<PacketCase> cases) {
        for (const PacketCase& c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(Translate(c.direction, c.bytes), c.expected);
        }
    }

    testing_support::ListingCapture out_;
};

// `packet` behind the link header of an I frame.
std::vector<int> Behind(std::initializer_list<int> header, std::initializer_list<int> packet) {
    std::vector<int> frame(header);
    frame.insert(frame.end(), packet);
    return frame;
}
// LAPB modulo 8: address 01, N(S) 0, N(R) 0.
std::vector<int> LapbI(std::initializer_list<int> packet) { return Behind({0x01, 0x00}, packet); }
// LAPD: SAPI 0, TEI 0, N(S) 0, N(R) 1.
std::vector<int> LapdI(std::initializer_list<int> packet) { return Behind({0x00, 0x01, 0x00, 0x02}, packet); }

TEST_F(PacketLineTest, DataPacketsModulo8) {
    Check({
        // Q, D and M set, group 5, channel 255, P(S) 7, P(R) 7: right-aligned sequence numbers.
        {"all bits set", kFrameSd, LapbI({0xD5, 0xFF, 0xFE}), "SD:0A1B2C  5 255  DT     7   7 1 1 1  G "},
        {"all clear", kFrameRd, LapbI({0x10, 0x00, 0x00, 0xAA, 0xBB}), "RD:0A1B2C  0   0  DT     0   0 0 0 0  G AABB"},
        {"P(S) 3 P(R) 5", kFrameSd, LapbI({0x1F, 0x80, 0xA6}), "SD:0A1B2C 15 128  DT     3   5 0 0 0  G "},
    });
}

TEST_F(PacketLineTest, DataPacketsModulo128) {
    Check({
        // P(S) from the type octet, M and P(R) from the octet after it.
        {"P(S) 127 P(R) 125 M 1", kFrameSd, LapbI({0x23, 0x10, 0xFE, 0xFB, 0x41}),
         "SD:0A1B2C  3  16  DT   127 125 1 0 0  G 41"},
        {"Q set", kFrameSd, LapbI({0xA0, 0x01, 0x40, 0x15}), "SD:0A1B2C  0   1  DT    32  10 1 1 0  G "},
        // The frame ends before the P(R) octet: P(S), Q and D are known, M and P(R) blank.
        {"cut before P(R)", kFrameSd, LapbI({0x60, 0x01, 0x40}), "SD:0A1B2C  0   1  DT    32       0 1  G "},
    });
}

TEST_F(PacketLineTest, PacketHeaderFollowsAModulo128LinkHeader) {
    decodeSettings.modulo128 = 1;
    Check({{"I frame with two control octets",
            kFrameSd,
            {0x01, 0x02, 0x04, 0x10, 0x01, 0x22, 0x41, 0x42},
            "SD:0A1B2C  0   1  DT     1   1 0 0 0  G 4142"}});
}

TEST_F(PacketLineTest, FlowControlPackets) {
    Check({
        {"RR", kFrameSd, LapbI({0x10, 0x01, 0x21}), "SD:0A1B2C  0   1  RR         1        G "},
        {"RNR", kFrameRd, LapbI({0x10, 0x01, 0xE5}), "RD:0A1B2C  0   1  RNR        7        G "},
        {"REJ on SD", kFrameSd, LapbI({0x10, 0x01, 0x49}), "SD:0A1B2C  0   1  REJ        2        G "},
        // Unnamed: the octet in parentheses, P(R) blank, the rest is DATA.
        {"REJ octet on RD", kFrameRd, LapbI({0x10, 0x01, 0x09, 0x33}), "RD:0A1B2C  0   1  (09)                G 33"},
        {"row 3", kFrameSd, LapbI({0x10, 0x01, 0x0D}), "SD:0A1B2C  0   1  (0D)                G "},
        // Modulo 128: P(R) from the next octet.
        {"mod 128 RR", kFrameSd, LapbI({0x20, 0x01, 0x01, 0xFE, 0x99}), "SD:0A1B2C  0   1  RR       127        G 99"},
        {"mod 128 bits 5-7 set", kFrameSd, LapbI({0x20, 0x01, 0x21, 0x14}), "SD:0A1B2C  0   1  (21)      10        G "},
        {"mod 128 REJ on RD", kFrameRd, LapbI({0x20, 0x01, 0x09, 0x14}), "RD:0A1B2C  0   1  (09)                G 14"},
        {"mod 128 cut before P(R)", kFrameRd, LapbI({0x20, 0x01, 0x05}), "RD:0A1B2C  0   1  RNR                 G "},
    });
}

TEST_F(PacketLineTest, DiagnosticAndCallSetupPacketsShowOnlyTheirName) {
    Check({
        {"DIAG", kFrameRd, LapbI({0x10, 0x00, 0xF1, 0x41}), "RD:0A1B2C  0   0  DIAG                G 41"},
        {"bit 4 family, not DIAG", kFrameRd, LapbI({0x10, 0x00, 0xF5}), "RD:0A1B2C  0   0  (F5)                G "},
        // Q and D bits of a call request are not shown; its bytes after the type are DATA.
        {"call request", kFrameSd, LapbI({0xD2, 0x34, 0x0B, 0x05, 0x00}),
         "SD:0A1B2C  2  52  CR                  G 0500"},
        {"incoming call", kFrameRd, LapbI({0x10, 0x01, 0x0B}), "RD:0A1B2C  0   1  IC                  G "},
        {"clear confirmation", kFrameRd, LapbI({0x10, 0x01, 0x17}), "RD:0A1B2C  0   1  CF                  G "},
        {"registration request on SD", kFrameSd, LapbI({0x10, 0x01, 0xF3}), "SD:0A1B2C  0   1  REGQ                G "},
        {"registration request on RD", kFrameRd, LapbI({0x10, 0x01, 0xF3}), "RD:0A1B2C  0   1  (F3)                G "},
        {"registration confirmation on RD", kFrameRd, LapbI({0x10, 0x01, 0xF7}),
         "RD:0A1B2C  0   1  REGF                G "},
        {"registration confirmation on SD", kFrameSd, LapbI({0x10, 0x01, 0xF7}),
         "SD:0A1B2C  0   1  (F7)                G "},
        {"restart indication", kFrameRd, LapbI({0x10, 0x01, 0xFB}), "RD:0A1B2C  0   1  SI                  G "},
        {"unlisted", kFrameSd, LapbI({0x10, 0x01, 0x07}), "SD:0A1B2C  0   1  (07)                G "},
    });
}

TEST_F(PacketLineTest, InformationFieldEndingInsideThePacketHeader) {
    Check({
        {"empty", kFrameSd, LapbI({}), "SD:0A1B2C                             G "},
        {"first octet only", kFrameSd, LapbI({0x17}), "SD:0A1B2C  7                          G "},
        {"no type octet", kFrameSd, LapbI({0x17, 0x2A}), "SD:0A1B2C  7  42                      G "},
    });
}

TEST_F(PacketLineTest, LinkLinesPutTheFrameCheckMarkUnderFc) {
    Check({
        {"RR frame", kFrameRd, {0x01, 0x01}, "RD:0A1B2C [RR   ]                     G"},
        {"SABM", kFrameSd, {0x03, 0x3F}, "SD:0A1B2C [SABM ]                     G"},
        {"unnamed control", kFrameSd, {0x01, 0xE3}, "SD:0A1B2C [(E3) ]                     G"},
        {"address only", kFrameSd, {0x01}, "SD:0A1B2C [     ]                     G"},
        {"no line", 3, {0x01, 0x3F}, ""},
    });
    EXPECT_EQ(Translate(kFrameSd, {0x03, 0x3F}, 3), "SD:0A1B2C [SABM ]                    SF");
    EXPECT_EQ(Translate(kFrameSd, {0x03, 0x3F}, 0), "SD:0A1B2C [SABM ]                      ");
    UseLapd();
    Check({
        {"SABME", kFrameSd, {0x00, 0x01, 0x7F}, "SD:0A1B2C [SABME]              G"},
        // 03 is UI only on SD in LAPD, so on RD it is no message frame.
        {"03 on RD", kFrameRd, {0x02, 0x01, 0x03, 0x08, 0x00, 0x05}, "RD:0A1B2C [(03) ]              G"},
        {"RR with N(R)", kFrameRd, {0x02, 0x01, 0x01, 0x05}, "RD:0A1B2C [RR   ]              G"},
    });
}

TEST_F(PacketLineTest, UiFramesCarryPacketsToo) {
    decodeSettings.frameKind = kFrameSdlc;
    Check({
        {"SDLC UI on SD", kFrameSd, {0xC1, 0x03, 0x10, 0x01, 0x22, 0x41}, "SD:0A1B2C  0   1  DT     1   1 0 0 0  G 41"},
        {"SDLC UI with P on RD", kFrameRd, {0xC1, 0x13, 0x10, 0x01, 0x21}, "RD:0A1B2C  0   1  RR         1        G "},
        {"SDLC I", kFrameSd, {0xC1, 0x10, 0x10, 0x01, 0x0B}, "SD:0A1B2C  0   1  CR                  G "},
    });
    UseLapd();
    Check({{"LAPD UI on SD", kFrameSd, {0x00, 0x01, 0x03, 0x08, 0x00, 0x05}, "SD:0A1B2C 08 SETUP             G "}});
}

TEST_F(PacketLineTest, LapdCallReferences) {
    UseLapd();
    Check({
        {"length 0", kFrameSd, LapdI({0x08, 0x00, 0x05, 0xA1}), "SD:0A1B2C 08 SETUP             G A1"},
        {"length 1", kFrameSd, LapdI({0x08, 0x01, 0x01, 0x05, 0xA1}), "SD:0A1B2C 08 SETUP     0 01    G A1"},
        {"length 1, flag set", kFrameSd, LapdI({0x08, 0x01, 0xFF, 0x4D}), "SD:0A1B2C 08 REL       1 7F    G "},
        {"length 2", kFrameRd, LapdI({0x08, 0x02, 0x81, 0x23, 0x07}), "RD:0A1B2C 08 CONN      1 0123  G "},
        // The third octet is skipped; the message type follows it.
        {"length 3", kFrameSd, LapdI({0x08, 0x03, 0x81, 0x23, 0x45, 0x07, 0xA1}),
         "SD:0A1B2C 08 CONN      1 0123  G A1"},
        // Only the low four bits of the length octet count.
        {"length octet F1", kFrameSd, LapdI({0x08, 0xF1, 0x01, 0x05}), "SD:0A1B2C 08 SETUP     0 01    G "},
    });
}

TEST_F(PacketLineTest, LapdMessageTypes) {
    UseLapd();
    Check({
        {"bit 7 set", kFrameSd, LapdI({0x08, 0x01, 0x01, 0x85}), "SD:0A1B2C 08 (85)      0 01    G "},
        {"unlisted", kFrameSd, LapdI({0x08, 0x01, 0x01, 0x04}), "SD:0A1B2C 08 (04)      0 01    G "},
        {"escape", kFrameSd, LapdI({0x08, 0x00, 0x00}), "SD:0A1B2C 08 ESCAPE            G "},
        {"nine characters", kFrameSd, LapdI({0x08, 0x00, 0x75}), "SD:0A1B2C 08 STATUS EN         G "},
        {"other discriminator", kFrameRd, LapdI({0x41, 0x00, 0x7D}), "RD:0A1B2C 41 STATUS            G "},
    });
}

TEST_F(PacketLineTest, LapdInformationFieldEndingInsideTheHeader) {
    UseLapd();
    Check({
        {"empty", kFrameSd, LapdI({}), "SD:0A1B2C                      G "},
        {"discriminator only", kFrameSd, LapdI({0x08}), "SD:0A1B2C 08                   G "},
        {"no call reference", kFrameSd, LapdI({0x08, 0x02}), "SD:0A1B2C 08                   G "},
        {"one of two octets", kFrameSd, LapdI({0x08, 0x02, 0x81}), "SD:0A1B2C 08           1 01    G "},
        {"no message type", kFrameSd, LapdI({0x08, 0x02, 0x81, 0x23}), "SD:0A1B2C 08           1 0123  G "},
        {"third octet missing", kFrameSd, LapdI({0x08, 0x03, 0x81, 0x23}), "SD:0A1B2C 08           1 0123  G "},
        // The LAPD I frame itself is cut before its N(R) octet.
        {"link header cut", kFrameSd, {0x00, 0x01, 0x00}, "SD:0A1B2C                      G "},
    });
}

TEST_F(PacketLineTest, DataLimitsFollowTheColumns) {
    std::vector<int> x25 = LapbI({0x10, 0x01, 0x00});
    std::vector<int> lapd = LapdI({0x08, 0x00, 0x05});
    for (int i = 0; i < 60; ++i) {
        x25.push_back(i);
        lapd.push_back(i);
    }
    const std::string x25Head = "SD:0A1B2C  0   1  DT     0   0 0 0 0  G ";
    const std::string lapdHead = "SD:0A1B2C 08 SETUP             G ";
    struct Case {
        std::int32_t columns;
        int x25Bytes;
        int lapdBytes;
    };
    for (Case k : {Case{40, 0, 3}, Case{80, 19, 23}, Case{136, 47, 51}}) {
        SCOPED_TRACE(k.columns);
        listingSettings.columns = k.columns;
        decodeSettings.frameKind = kFrameLapb;
        decodeSettings.modulo128 = 0;
        translateSettings.packetKind = kPacketX25;
        const std::string x25Line = Translate(kFrameSd, x25);
        EXPECT_EQ(x25Line, x25Head + HexRun(0, k.x25Bytes));
        EXPECT_LE(x25Line.size(), static_cast<std::size_t>(k.columns));
        UseLapd();
        const std::string lapdLine = Translate(kFrameSd, lapd);
        EXPECT_EQ(lapdLine, lapdHead + HexRun(0, k.lapdBytes));
        EXPECT_LE(lapdLine.size(), static_cast<std::size_t>(k.columns));
    }
}

// The name tables against every octet: exactly the listed octets have names.
TEST(PacketNames, OnlyListedOctetsAreNamed) {
    struct Named {
        int type;
        const char* sd;
        const char* rd;
    };
    const Named x25[] = {
        {0x0B, "CR", "IC"}, {0x0F, "CA", "CC"}, {0x13, "CQ", "CI"}, {0x17, "CF", "CF"},
        {0x1B, "RQ", "RI"}, {0x1F, "RF", "RF"}, {0x23, "IT", "IT"}, {0x27, "IF", "IF"},
        {0xF3, "REGQ", ""}, {0xF7, "", "REGF"}, {0xFB, "SQ", "SI"}, {0xFF, "SF", "SF"},
    };
    for (int type = 0x03; type <= 0xFF; type += 4) {
        SCOPED_TRACE(type);
        std::string sd, rd;
        for (const Named& n : x25) {
            if (n.type == type) {
                sd = n.sd;
                rd = n.rd;
            }
        }
        EXPECT_EQ(X25PacketName(type, 0), sd);
        EXPECT_EQ(X25PacketName(type, 1), rd);
    }
    int lapdNamed = 0;
    for (int type = 0; type <= 0xFF; ++type) {
        if (!LapdMessageName(type).empty()) {
            ++lapdNamed;
            EXPECT_LT(type, 0x80);
        }
    }
    EXPECT_EQ(lapdNamed, 27);
    EXPECT_EQ(LapdMessageName(0x02), "CALL PROC");
    EXPECT_EQ(LapdMessageName(0x5A), "REL COMP");
    EXPECT_EQ(LapdMessageName(0x79), "CON CON");
    EXPECT_EQ(LapdMessageName(0x7B), "INFO");
}

// ---- Whole listings -----------------------------------------------------------------------

constexpr char kTitle[] = "        ** PACKET CONVERSION **\n";
constexpr char kX25Heading[] = "     TM   GN  CN P-TYPE PS  PR M Q D FC DATA\n";
constexpr char kLapdHeading[] = "     TM   PD  MESSAGE CRF CR  FC DATA\n";

class PacketListingTest : public ::testing::Test {
protected:
    // A frame opened by a frame timestamp 0A1B2C of its line, with status 1.
    static void Frame(capture::CaptureBuilder& b, bool rd, std::initializer_list<std::uint8_t> bytes) {
        b.Timestamp(0x0A, 0x1B, 0x2C, rd, true);
        translation_test::HdlcFrame(b, rd, bytes);
    }
    static capture::CaptureBuilder Hdlc() {
        capture::CaptureBuilder b;
        b.Mode(2).FrameTimestamp(true);
        return b;
    }
};

TEST_F(PacketListingTest, TheX25ExampleLines) {
    auto b = Hdlc();
    Frame(b, false, {0x01, 0x00, 0x10, 0x01, 0x22, 0x41, 0x42});
    Frame(b, false, {0x01, 0x02, 0x10, 0x01, 0x0B});
    Frame(b, true, {0x01, 0x01});
    EXPECT_EQ(ConvertToListing(b, {"-f20", "-n"}), Crlf(std::string(kTitle) + kX25Heading +
                                                        "SD:0A1B2C  0   1  DT     1   1 0 0 0  G 4142\n"
                                                        "SD:0A1B2C  0   1  CR                  G \n"
                                                        "RD:0A1B2C [RR   ]                     G\n"));
}

TEST_F(PacketListingTest, TheLapdExampleLines) {
    auto b = Hdlc();
    Frame(b, false, {0x00, 0x01, 0x7F});
    Frame(b, false, {0x00, 0x01, 0x00, 0x02, 0x08, 0x01, 0x01, 0x05, 0xA1});
    Frame(b, true, {0x02, 0x01, 0x02, 0x02, 0x08, 0x02, 0x81, 0x23, 0x07});
    const std::string lines =
        "SD:0A1B2C [SABME]              G\n"
        "SD:0A1B2C 08 SETUP     0 01    G A1\n"
        "RD:0A1B2C 08 CONN      1 0123  G \n";
    EXPECT_EQ(ConvertToListing(b, {"-f41", "-n"}), Crlf(std::string(kTitle) + kLapdHeading + lines));
    // The LAPD heading is the same for every width.
    EXPECT_EQ(ConvertToListing(b, {"-f41", "-n", "-C40"}), Crlf(std::string(kTitle) + kLapdHeading + lines));
}

TEST_F(PacketListingTest, X25HeadingAndDataFollowTheColumns) {
    auto b = Hdlc();
    Frame(b, false, {0x01, 0x00, 0x10, 0x01, 0x22, 0x41, 0x42});
    Frame(b, true, {0x01, 0x01});
    // At 40 columns neither the heading nor the line has DATA.
    EXPECT_EQ(ConvertToListing(b, {"-f20", "-n", "-C40"}),
              Crlf(std::string(kTitle) + "     TM   GN  CN P-TYPE PS  PR M Q D FC\n" +
                   "SD:0A1B2C  0   1  DT     1   1 0 0 0  G \n"
                   "RD:0A1B2C [RR   ]                     G\n"));
    EXPECT_EQ(ConvertToListing(b, {"-f20", "-n", "-C136"}), Crlf(std::string(kTitle) + kX25Heading +
                                                                 "SD:0A1B2C  0   1  DT     1   1 0 0 0  G 4142\n"
                                                                 "RD:0A1B2C [RR   ]                     G\n"));
}

TEST_F(PacketListingTest, SdlcUiFramesAndModulo128) {
    auto b = Hdlc();
    Frame(b, false, {0xC1, 0x03, 0x20, 0x05, 0x0A, 0x0C, 0x99});  // UI: mod 128 data packet
    Frame(b, true, {0xC1, 0x73});                                 // UA: link line
    EXPECT_EQ(ConvertToListing(b, {"-f00", "-n"}), Crlf(std::string(kTitle) + kX25Heading +
                                                        "SD:0A1B2C  0   5  DT     5   6 0 0 0  G 99\n"
                                                        "RD:0A1B2C [UA   ]                     G\n"));
    // LAPB modulo 128: the packet header follows the second control octet.
    auto m = Hdlc();
    Frame(m, false, {0x01, 0x02, 0x04, 0x10, 0x01, 0x22});
    EXPECT_EQ(ConvertToListing(m, {"-f30", "-n"}),
              Crlf(std::string(kTitle) + kX25Heading + "SD:0A1B2C  0   1  DT     1   1 0 0 0  G \n"));
}

}  // namespace
