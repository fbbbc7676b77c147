#include "decode/code_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

constexpr std::uint8_t kHighest[kCharCodeCount] = {127, 255, 255, 127, 255, 255, 63, 63, 63, 31};

std::string Cell(int code, TableSet set, std::uint8_t byte) {
    char out[2] = {'x', 'x'};
    CharCell(code, set, byte, out);
    return std::string(out, 2);
}

constexpr TableSet A = TableSet::kA;
constexpr TableSet B = TableSet::kB;

struct CellCase {
    int code;
    TableSet set;
    std::uint8_t byte;
    const char* shown;  // exactly two characters
};

// The cases stand as laid out; clang-format leaves them so.
// clang-format off
const CellCase kCellCases[] = {
    // ASCII: names, printable characters, DT at the highest byte, blank above.
    {0, A, 0x00, "NU"}, {0, A, 0x1B, "EC"}, {0, A, 0x1F, "US"}, {0, A, 0x20, "  "},
    {0, A, 0x21, " !"}, {0, A, 0x41, " A"}, {0, B, 0x7A, " z"}, {0, A, 0x7E, " ~"},
    {0, A, 0x7F, "DT"}, {0, A, 0x80, "  "}, {0, B, 0xB1, "  "}, {0, A, 0xFF, "  "},
    // EBCDIC.
    {1, A, 0x00, "NU"}, {1, A, 0x1F, "IB"}, {1, A, 0x26, "EB"}, {1, A, 0x2F, "BL"},
    {1, A, 0x30, "  "}, {1, A, 0x37, "ET"}, {1, A, 0x3D, "NK"}, {1, A, 0x3F, "SB"},
    {1, A, 0x40, "  "}, {1, A, 0x4F, " |"}, {1, A, 0x5B, " $"}, {1, A, 0x60, " -"},
    {1, A, 0x7F, " \""}, {1, A, 0x81, " a"}, {1, B, 0x99, " r"}, {1, A, 0xA1, " ~"},
    {1, A, 0xA2, " s"}, {1, A, 0xC0, " {"}, {1, A, 0xC4, " D"}, {1, A, 0xD9, " R"},
    {1, A, 0xE5, " V"}, {1, A, 0xE6, " W"}, {1, A, 0xF1, " 1"}, {1, A, 0xFF, "  "},
    // EBCDIK: katakana in place of the lower-case letters, backslash for $.
    {2, A, 0x5B, " \\"}, {2, A, 0x81, " \xB1"}, {2, A, 0x8A, " \xBA"}, {2, A, 0x8B, "  "},
    {2, A, 0x8C, " \xBB"}, {2, B, 0x9A, " \xC9"}, {2, A, 0x9D, " \xCA"}, {2, A, 0x9E, " \xCB"},
    {2, A, 0xA1, " ~"}, {2, A, 0xA2, " \xCD"}, {2, A, 0xAA, " \xD5"}, {2, A, 0xAC, " \xD6"},
    {2, A, 0xAF, " \xD9"}, {2, A, 0xBA, " \xDA"}, {2, A, 0xBE, " \xDE"}, {2, A, 0xC1, " A"},
    {2, A, 0x37, "ET"}, {2, A, 0x5A, " !"},
    // JIS 7: ASCII in set A, katakana at 0x21-0x5F in set B.
    {3, A, 0x31, " 1"}, {3, B, 0x31, " \xB1"}, {3, B, 0x21, " \xA1"}, {3, B, 0x5F, " \xDF"},
    {3, B, 0x20, "  "}, {3, B, 0x60, "  "}, {3, B, 0x0D, "CR"}, {3, B, 0x7F, "DT"},
    {3, A, 0x80, "  "}, {3, B, 0xB1, "  "},
    // JIS 8: ASCII and the katakana bytes themselves.
    {4, A, 0x41, " A"}, {4, B, 0x03, "EX"}, {4, A, 0xA0, "  "}, {4, A, 0xA1, " \xA1"},
    {4, B, 0xC8, " \xC8"}, {4, A, 0xDF, " \xDF"}, {4, A, 0xE0, "  "}, {4, A, 0x80, "  "},
    // HEX.
    {5, A, 0x00, "00"}, {5, B, 0x0F, "0F"}, {5, A, 0x80, "80"}, {5, A, 0xAB, "AB"},
    {5, B, 0xFF, "FF"},
    // EBCD lower case (set A) against upper case (set B).
    {6, A, 0x00, "  "}, {6, A, 0x01, " -"}, {6, B, 0x01, " _"}, {6, A, 0x02, " @"},
    {6, B, 0x02, "  "}, {6, A, 0x05, " q"}, {6, B, 0x05, " Q"}, {6, A, 0x14, " 0"},
    {6, B, 0x14, " )"}, {6, A, 0x15, "VT"}, {6, B, 0x16, "FF"}, {6, A, 0x17, "  "},
    {6, B, 0x1D, "BS"}, {6, A, 0x22, " /"}, {6, B, 0x22, " ?"}, {6, A, 0x2E, "LF"},
    {6, A, 0x34, " #"}, {6, B, 0x34, " \""}, {6, A, 0x3F, "DT"}, {6, B, 0x3F, "DT"},
    {6, A, 0x40, "  "},
    // TRANSC.
    {7, A, 0x00, "SH"}, {7, A, 0x01, " A"}, {7, A, 0x0A, "SX"}, {7, A, 0x0F, "EB"},
    {7, A, 0x10, " &"}, {7, A, 0x1A, "  "}, {7, B, 0x1F, "DL"}, {7, A, 0x21, " /"},
    {7, A, 0x29, " Z"}, {7, A, 0x2A, "EC"}, {7, A, 0x2E, "EX"}, {7, A, 0x39, " 9"},
    {7, A, 0x3A, "SY"}, {7, A, 0x3F, "DT"}, {7, A, 0x40, "  "},
    // IPARS.
    {8, A, 0x00, "  "}, {8, A, 0x0A, " 0"}, {8, A, 0x0B, " *"}, {8, A, 0x0C, "CR"},
    {8, A, 0x0E, " ="}, {8, A, 0x0F, "  "}, {8, A, 0x12, " S"}, {8, A, 0x1A, " -"},
    {8, B, 0x1B, " #"}, {8, A, 0x1D, "EC"}, {8, A, 0x1E, " ["}, {8, A, 0x2C, " +"},
    {8, A, 0x2D, "EU"}, {8, A, 0x2E, " )"}, {8, A, 0x31, " A"}, {8, A, 0x3C, " %"},
    {8, A, 0x3F, "S1"}, {8, A, 0x40, "  "},
    // BAUDOT letters (set A) against figures (set B).
    {9, A, 0x00, "NU"}, {9, B, 0x00, "NU"}, {9, A, 0x01, " E"}, {9, B, 0x01, " 3"},
    {9, A, 0x03, " A"}, {9, B, 0x03, " -"}, {9, A, 0x04, "  "}, {9, B, 0x04, "  "},
    {9, A, 0x05, " S"}, {9, B, 0x05, " '"}, {9, A, 0x0B, " J"}, {9, B, 0x0B, "BL"},
    {9, A, 0x10, " T"}, {9, B, 0x10, " 5"}, {9, A, 0x11, " Z"}, {9, B, 0x11, " \""},
    {9, A, 0x1A, " G"}, {9, B, 0x1A, " &"}, {9, A, 0x1B, "SO"}, {9, A, 0x1E, " V"},
    {9, B, 0x1E, " ;"}, {9, B, 0x1F, "SI"}, {9, A, 0x20, "  "}, {9, B, 0x20, "  "},
};
// clang-format on

TEST(CodeTables, CharacteristicBytes) {
    for (const CellCase& c : kCellCases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " set " << (c.set == A ? 'A' : 'B') << " byte 0x"
                                        << std::hex << int{c.byte});
        EXPECT_EQ(Cell(c.code, c.set, c.byte), std::string(c.shown, 2));
    }
}

// Every byte above a code's highest valid byte shows as two blanks, in both
// sets, whatever the table holds.
TEST(CodeTables, AboveHighestValidByteIsBlank) {
    for (int code = 0; code < kCharCodeCount; ++code) {
        if (code == kCodeHex) continue;
        for (int byte = kHighest[code] + 1; byte <= 0xFF; ++byte) {
            SCOPED_TRACE(testing::Message() << "code " << code << " byte " << byte);
            EXPECT_EQ(Cell(code, A, static_cast<std::uint8_t>(byte)), "  ");
            EXPECT_EQ(Cell(code, B, static_cast<std::uint8_t>(byte)), "  ");
        }
    }
}

// Every entry is two blanks, a blank and one printable character or katakana
// byte, or a two-letter name; katakana appear only in EBCDIK, JIS 7's shifted
// half and JIS 8.
TEST(CodeTables, EveryEntryIsWellFormed) {
    auto isName = [](char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'); };
    for (int code = 0; code < kCharCodeCount; ++code) {
        if (code == kCodeHex) continue;
        for (TableSet set : {A, B}) {
            const bool kanaAllowed = code == 2 || code == 4 || (code == 3 && set == B);
            for (int byte = 0; byte <= kHighest[code]; ++byte) {
                const std::string s = Cell(code, set, static_cast<std::uint8_t>(byte));
                SCOPED_TRACE(testing::Message() << "code " << code << " byte " << byte);
                const auto second = static_cast<unsigned char>(s[1]);
                if (s[0] == ' ') {
                    const bool kana = second >= 0xA1 && second <= 0xDF;
                    EXPECT_TRUE(s[1] == ' ' || (second > 0x20 && second < 0x7F) || (kana && kanaAllowed));
                } else {
                    EXPECT_TRUE(isName(s[0]) && isName(s[1]));
                }
            }
        }
    }
}

TEST(CodeTables, EbcdikHasNoLowerCaseLetters) {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const std::string s = Cell(2, A, static_cast<std::uint8_t>(byte));
        EXPECT_FALSE(s[1] >= 'a' && s[1] <= 'z') << "byte " << byte;
    }
}

// A code byte that names no table is shown in hexadecimal, like HEX.
TEST(CodeTables, CodesOutsideTheTenShowHex) {
    for (int code : {10, 11, 127, 255, -1, -128}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(Cell(code, A, 0x41), "41");
        EXPECT_EQ(Cell(code, B, 0xFF), "FF");
        EXPECT_EQ(Cell(code, A, 0x00), "00");
    }
}

}  // namespace
