// Display tables of the ten character codes.
//
// Every table is built at compile time from runs written in the notation of
// the code charts: a run of characters (each shown after a blank), a run of
// two-letter control names, or a run of JIS X 0201 katakana bytes. Bytes that
// no run covers show as two blanks. A code that shares part of its chart with
// another code (JIS 7 and JIS 8 with ASCII, EBCDIK with EBCDIC, the two halves
// of EBCD and BAUDOT) lays its own runs over the shared ones, so every run is
// written once.
#include "decode/code_tables.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace {

using Entry = std::array<char, 2>;

enum class RunKind : std::uint8_t { kChars, kNames, kKana };

struct Run {
    std::uint8_t first;  // byte value of the run's first entry
    RunKind kind;
    std::string_view text;   // kChars: one character per byte; kNames: names separated by one blank
    std::uint8_t kanaFirst;  // kKana: the katakana byte shown for `first`
    std::uint8_t kanaLast;   // kKana: the katakana byte shown for the run's last byte
};

constexpr Run Chars(std::uint8_t first, std::string_view chars) { return {first, RunKind::kChars, chars, 0, 0}; }
constexpr Run Names(std::uint8_t first, std::string_view names) { return {first, RunKind::kNames, names, 0, 0}; }
constexpr Run Kana(std::uint8_t first, std::uint8_t kanaFirst, std::uint8_t kanaLast) {
    return {first, RunKind::kKana, {}, kanaFirst, kanaLast};
}

// JIS X 0201 half-width katakana, the only bytes above 0x7E that a table shows.
inline constexpr std::uint8_t kKanaLow = 0xA1;
inline constexpr std::uint8_t kKanaHigh = 0xDF;

constexpr std::size_t RunLength(const Run& run) {
    switch (run.kind) {
        case RunKind::kChars: return run.text.size();
        case RunKind::kNames: return (run.text.size() + 1) / 3;
        case RunKind::kKana: return static_cast<std::size_t>(run.kanaLast - run.kanaFirst + 1);
    }
    return 0;
}

constexpr bool IsNameChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// A run's text is well formed: printable non-blank characters, names of two
// capitals or digits separated by single blanks, katakana inside its range.
constexpr bool RunTextValid(const Run& run) {
    switch (run.kind) {
        case RunKind::kChars:
            if (run.text.empty()) return false;
            for (char c : run.text) {
                if (c <= ' ' || c > '~') return false;
            }
            return true;
        case RunKind::kNames:
            if (run.text.size() % 3 != 2) return false;
            for (std::size_t i = 0; i < run.text.size(); ++i) {
                const bool separator = i % 3 == 2;
                if (separator ? run.text[i] != ' ' : !IsNameChar(run.text[i])) return false;
            }
            return true;
        case RunKind::kKana:
            return run.kanaFirst >= kKanaLow && run.kanaLast <= kKanaHigh && run.kanaFirst <= run.kanaLast;
    }
    return false;
}

// Runs of one list are well formed, in ascending byte order, do not overlap
// and fit a table of `size` entries.
constexpr bool RunsValid(std::span<const Run> runs, std::size_t size) {
    std::size_t next = 0;
    for (const Run& run : runs) {
        if (!RunTextValid(run) || run.first < next) return false;
        next = run.first + RunLength(run);
        if (next > size) return false;
    }
    return true;
}

template <std::size_t N>
constexpr void ApplyRuns(std::array<Entry, N>& table, std::span<const Run> runs) {
    for (const Run& run : runs) {
        for (std::size_t i = 0; i < RunLength(run); ++i) {
            Entry& e = table[run.first + i];
            switch (run.kind) {
                case RunKind::kChars: e = {' ', run.text[i]}; break;
                case RunKind::kNames: e = {run.text[3 * i], run.text[3 * i + 1]}; break;
                case RunKind::kKana: e = {' ', static_cast<char>(run.kanaFirst + i)}; break;
            }
        }
    }
}

// A table of N entries: two blanks, then each list of runs laid over the last.
template <std::size_t N, std::size_t... M>
constexpr std::array<Entry, N> BuildTable(const Run (&... layers)[M]) {
    std::array<Entry, N> table{};
    for (Entry& e : table) e = {' ', ' '};
    (ApplyRuns(table, std::span<const Run>(layers)), ...);
    return table;
}

// ---- ASCII and the JIS codes ---------------------------------------------------

constexpr Run kAsciiControls[] = {
    Names(0x00, "NU SH SX EX ET EQ AK BL BS HT LF VT FF CR SO SI"),
    Names(0x10, "DL D1 D2 D3 D4 NK SY EB CN EM SB EC FS GS RS US"),
    Names(0x7F, "DT"),
};
constexpr Run kAsciiPrintables[] = {
    Chars(0x21, R"(!"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\]^_`abcdefghijklmnopqrstuvwxyz{|}~)"),
};
// JIS 8: the katakana in the upper half.
constexpr Run kJis8Katakana[] = {
    Kana(0xA1, 0xA1, 0xDF),
};
// JIS 7 shifted half: the katakana at 0x21-0x5F (byte + 0x80).
constexpr Run kJis7Katakana[] = {
    Kana(0x21, 0xA1, 0xDF),
};

static_assert(RunsValid(kAsciiControls, 256));
static_assert(RunsValid(kAsciiPrintables, 256));
static_assert(RunsValid(kJis8Katakana, 256));
static_assert(RunsValid(kJis7Katakana, 256));

constexpr auto kAscii = BuildTable<256>(kAsciiControls, kAsciiPrintables);
constexpr auto kJis8 = BuildTable<256>(kAsciiControls, kAsciiPrintables, kJis8Katakana);
constexpr auto kJis7Kana = BuildTable<256>(kAsciiControls, kJis7Katakana);

// ---- EBCDIC and EBCDIK -----------------------------------------------------------

// The runs stand one per line; clang-format leaves them so.
// clang-format off
constexpr Run kEbcdicRuns[] = {
    Names(0x00, "NU SH SX EX PF HT LC DT GE S1 RT VT FF CR SO SI"),
    Names(0x10, "DL D1 D2 D3 RE NL BS PC CN EM US C1 IF IG RS IB"),
    Names(0x20, "DS SS FS WS BP LF EB EC SA SE SM CP MA EQ AK BL"),
    Names(0x32, "SY IR PN TN NS ET S2 IT RF C3 D4 NK"),
    Names(0x3F, "SB"),
    Chars(0x4B, ".<(+|&"),
    Chars(0x5A, "!$*);"),
    Chars(0x60, "-/"),
    Chars(0x6B, ",%_>?"),
    Chars(0x7A, R"(:#@'=")"),
    Chars(0x81, "abcdefghi"),
    Chars(0x91, "jklmnopqr"),
    Chars(0xA1, "~stuvwxyz"),
    Chars(0xC0, "{ABCDEFGHI"),
    Chars(0xD0, "}JKLMNOPQR"),
    Chars(0xE2, "STUVWXYZ"),
    Chars(0xF0, "0123456789"),
};
// EBCDIK replaces the dollar sign and every lower-case letter.
constexpr Run kEbcdikRuns[] = {
    Chars(0x5B, "\\"),
    Kana(0x81, 0xB1, 0xBA),
    Kana(0x8C, 0xBB, 0xC9),
    Kana(0x9D, 0xCA, 0xCB),
    Kana(0xA2, 0xCD, 0xD5),
    Kana(0xAC, 0xD6, 0xD9),
    Kana(0xBA, 0xDA, 0xDE),
};

static_assert(RunsValid(kEbcdicRuns, 256));
static_assert(RunsValid(kEbcdikRuns, 256));

constexpr auto kEbcdic = BuildTable<256>(kEbcdicRuns);
constexpr auto kEbcdik = BuildTable<256>(kEbcdicRuns, kEbcdikRuns);

// ---- Six-bit codes -----------------------------------------------------------------

constexpr Run kEbcdControls[] = {
    Names(0x15, "VT FF"),
    Names(0x1C, "SO BS EB SI"),
    Names(0x2C, "RS CR LF HT"),
    Names(0x3C, "ET SY EC DT"),
};
constexpr Run kEbcdLowerCase[] = {
    Chars(0x01, "-@&8qyh4mud"),
    Chars(0x10, "2ksb0"),
    Chars(0x18, "6owf"),
    Chars(0x20, "1j/a9rzi5nve"),
    Chars(0x30, "3ltc#$,.7pxg"),
};
constexpr Run kEbcdUpperCase[] = {
    Chars(0x01, "_"),
    Chars(0x03, "+*QYH:MUD"),
    Chars(0x10, "<KSB)"),
    Chars(0x18, ",OWF"),
    Chars(0x20, "=J?A(RZI%NVE"),
    Chars(0x30, R"(;LTC"!,.>PXG)"),
};
constexpr Run kTranscRuns[] = {
    Names(0x00, "SH"),
    Chars(0x01, "ABCDEFGHI"),
    Names(0x0A, "SX"),
    Chars(0x0B, ".<"),
    Names(0x0D, "BL SB EB"),
    Chars(0x10, "&JKLMNOPQR"),
    Chars(0x1B, "$*"),
    Names(0x1D, "US ET DL"),
    Chars(0x20, "_/STUVWXYZ"),
    Names(0x2A, "EC"),
    Chars(0x2B, ",%"),
    Names(0x2D, "EQ EX HT"),
    Chars(0x30, "0123456789"),
    Names(0x3A, "SY"),
    Chars(0x3B, "#@"),
    Names(0x3D, "NK EM DT"),
};
constexpr Run kIparsRuns[] = {
    Chars(0x01, "1234567890*"),
    Names(0x0C, "CR EI"),
    Chars(0x0E, "="),
    Chars(0x11, "/STUVWXYZ-#"),
    Names(0x1D, "EC"),
    Chars(0x1E, "[,@JKLMNOPQR:<+"),
    Names(0x2D, "EU"),
    Chars(0x2E, ")($ABCDEFGHI?.%"),
    Names(0x3D, "EP S2 S1"),
};

static_assert(RunsValid(kEbcdControls, 64));
static_assert(RunsValid(kEbcdLowerCase, 64));
static_assert(RunsValid(kEbcdUpperCase, 64));
static_assert(RunsValid(kTranscRuns, 64));
static_assert(RunsValid(kIparsRuns, 64));

constexpr auto kEbcdLower = BuildTable<64>(kEbcdControls, kEbcdLowerCase);
constexpr auto kEbcdUpper = BuildTable<64>(kEbcdControls, kEbcdUpperCase);
constexpr auto kTransc = BuildTable<64>(kTranscRuns);
constexpr auto kIpars = BuildTable<64>(kIparsRuns);

// ---- BAUDOT ----------------------------------------------------------------------

constexpr Run kBaudotControls[] = {
    Names(0x00, "NU"),
    Names(0x02, "LF"),
    Names(0x08, "CR"),
    Names(0x1B, "SO"),
    Names(0x1F, "SI"),
};
constexpr Run kBaudotLetters[] = {
    Chars(0x01, "E"),
    Chars(0x03, "A"),
    Chars(0x05, "SIU"),
    Chars(0x09, "DRJNFCKTZLWHYPQOBG"),
    Chars(0x1C, "MXV"),
};
constexpr Run kBaudotFigures[] = {
    Chars(0x01, "3"),
    Chars(0x03, "-"),
    Chars(0x05, "'87"),
    Chars(0x09, "$4"),
    Names(0x0B, "BL"),
    Chars(0x0C, ",!:(5\")2#6019?&"),
    Chars(0x1C, "./;"),
};
// clang-format on

static_assert(RunsValid(kBaudotControls, 32));
static_assert(RunsValid(kBaudotLetters, 32));
static_assert(RunsValid(kBaudotFigures, 32));

constexpr auto kBaudotLetterTable = BuildTable<32>(kBaudotControls, kBaudotLetters);
constexpr auto kBaudotFigureTable = BuildTable<32>(kBaudotControls, kBaudotFigures);

// ---- Table sets per code ---------------------------------------------------------

struct TableRef {
    const Entry* entries;  // nullptr for the code shown in hexadecimal
    std::size_t size;
};

template <std::size_t N>
constexpr TableRef Ref(const std::array<Entry, N>& table) {
    return {table.data(), N};
}
constexpr TableRef kNoTable = {nullptr, 0};

// Indexed by code: 0 ASCII, 1 EBCDIC, 2 EBCDIK, 3 JIS 7, 4 JIS 8, 5 HEX,
// 6 EBCD, 7 TRANSC, 8 IPARS, 9 BAUDOT.
constexpr TableRef kSetA[kCharCodeCount] = {
    Ref(kAscii), Ref(kEbcdic),    Ref(kEbcdik), Ref(kAscii), Ref(kJis8),
    kNoTable,    Ref(kEbcdLower), Ref(kTransc), Ref(kIpars), Ref(kBaudotLetterTable),
};
constexpr TableRef kSetB[kCharCodeCount] = {
    Ref(kAscii), Ref(kEbcdic),    Ref(kEbcdik), Ref(kJis7Kana), Ref(kJis8),
    kNoTable,    Ref(kEbcdUpper), Ref(kTransc), Ref(kIpars),    Ref(kBaudotFigureTable),
};
constexpr std::uint8_t kHighestValidByte[kCharCodeCount] = {
    127, 255, 255, 127, 255, 255, 63, 63, 63, 31,
};

// Every byte up to a code's highest valid byte has an entry in both its sets.
constexpr bool HighestBytesFitTables() {
    for (int code = 0; code < kCharCodeCount; ++code) {
        if (code == kCodeHex) continue;
        if (kHighestValidByte[code] >= kSetA[code].size) return false;
        if (kHighestValidByte[code] >= kSetB[code].size) return false;
    }
    return kSetA[kCodeHex].entries == nullptr && kSetB[kCodeHex].entries == nullptr;
}
static_assert(HighestBytesFitTables());

}  // namespace

void CharCell(int code, TableSet set, std::uint8_t byte, char out[2]) {
    // HEX, and a code byte that names no table, show the byte itself.
    if (code < 0 || code >= kCharCodeCount || code == kCodeHex) {
        out[0] = HexDigit(byte >> 4);
        out[1] = HexDigit(byte);
        return;
    }
    if (byte > kHighestValidByte[code]) {
        out[0] = ' ';
        out[1] = ' ';
        return;
    }
    const TableRef& table = (set == TableSet::kB ? kSetB : kSetA)[code];
    const Entry& entry = table.entries[byte];
    out[0] = entry[0];
    out[1] = entry[1];
}
