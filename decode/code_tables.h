// Display tables of the ten character codes and CharCell, the two-character
// display of a data byte in the dump's character row.
//
// Codes: 0 ASCII, 1 EBCDIC, 2 EBCDIK, 3 JIS 7, 4 JIS 8, 5 HEX, 6 EBCD,
// 7 TRANSC, 8 IPARS, 9 BAUDOT. Each code has two table sets: set A shows units
// of unit code 0, set B units of unit code 1 (the shifted half of a code that
// has two halves: JIS 7 katakana, EBCD upper case, BAUDOT figures). A byte
// above the code's highest valid byte shows as two blanks. Katakana entries are
// a blank and one JIS X 0201 byte (0xA1-0xDF), written to the listing as is.
#pragma once

#include <cstdint>

enum class TableSet : std::uint8_t { kA = 0, kB = 1 };

// The character codes (the capture's code setting).
inline constexpr int kCodeAscii = 0;
inline constexpr int kCodeEbcdic = 1;  // also shows the cells of the transmission-control converters
inline constexpr int kCodeEbcdik = 2;
inline constexpr int kCodeJis7 = 3;
inline constexpr int kCodeJis8 = 4;
inline constexpr int kCodeHex = 5;  // bytes shown in hexadecimal
inline constexpr int kCodeEbcd = 6;
inline constexpr int kCodeTransc = 7;
inline constexpr int kCodeIpars = 8;
inline constexpr int kCodeBaudot = 9;
// Number of character codes that have tables (0-9).
inline constexpr int kCharCodeCount = 10;

// The upper-case hexadecimal digit of the low four bits of `v`: every listing
// shows a byte as HexDigit(byte >> 4), HexDigit(byte).
constexpr char HexDigit(unsigned v) { return "0123456789ABCDEF"[v & 0x0F]; }

// Writes the two characters of `byte` for `code` and `set` into out[0], out[1].
// Code 5 (HEX), and any code outside 0-9, shows the byte as two hexadecimal
// digits; no table is read for them.
void CharCell(int code, TableSet set, std::uint8_t byte, char out[2]);
