#include "translate/line_fields.h"

#include <cstdio>

#include "decode/code_tables.h"
#include "decode/decode_settings.h"
#include "listing/conditions_header.h"
#include "listing/listing_writer.h"

UnitReader unitReader;
FrameFields frameFields;
LineBuilder lineBuilder;

// ---- Reading the frame's bytes ------------------------------------------------

void SetupUnitReader(const AssembledFrame& frame) {
    std::int32_t count = frame.count;
    // The buffer holds at most 64 units; never read past it whatever count says.
    if (count < 0) count = 0;
    if (count > kFrameUnitsMax) count = kFrameUnitsMax;
    unitReader.next = frame.units;
    unitReader.left = count;
}

int NextByte() {
    while (unitReader.left > 0) {
        const DataUnit u = *unitReader.next++;
        --unitReader.left;
        // Status markers kept among the data by the PPP assembly are not bytes.
        const std::uint8_t code = UnitCode(u);
        if (code == kUnitStatus1 || code == kUnitStatus2) continue;
        return DataByte(u);
    }
    return -1;
}

int NextPppByte() {
    const int b = NextByte();
    if (b != kPppEscape) return b;
    const int escaped = NextByte();
    return escaped < 0 ? -1 : escaped ^ kPppEscapeXor;
}

// ---- Decoded frame fields -----------------------------------------------------------

void ResetFrameFields() { frameFields = FrameFields{}; }

bool SetupFrame(const AssembledFrame& frame, bool withStatus) {
    ResetFrameFields();
    switch (frame.direction & 0x7F) {
        case kFrameSd: frameFields.side = 0; break;
        case kFrameRd: frameFields.side = 1; break;
        default: return false;
    }
    if (frame.timestamp != 0) {
        // Bit 15 (the line of the timestamp record) is not part of the time.
        frameFields.time[0] = TimeByte0(frame.timestamp);
        frameFields.time[1] = TimeByte1(frame.timestamp);
        frameFields.time[2] = TimeByte2(frame.timestamp);
    }
    if (withStatus) frameFields.endStatus = frame.status;
    SetupUnitReader(frame);
    return true;
}

// ---- The line under construction ---------------------------------------------------

namespace {

// Appends one character; the last place of the buffer is kept for the NUL.
inline void Append(char c) {
    if (lineBuilder.position < kLineBufferSize - 1) lineBuilder.text[lineBuilder.position++] = c;
}

// Appends a number formatted with `format` (a single int conversion).
void AppendNumber(const char* format, int v) {
    char digits[16];
    const int n = std::snprintf(digits, sizeof digits, format, v);
    for (int i = 0; i < n && i < static_cast<int>(sizeof digits) - 1; ++i) Append(digits[i]);
}

}  // namespace

void StartLine() { lineBuilder.position = 0; }

int FinishLine() {
    lineBuilder.text[lineBuilder.position] = '\0';
    return PutText(lineBuilder.text) < 0 ? -1 : 0;
}

bool StartFrameLine() {
    StartLine();
    if (frameFields.side < 0) return false;
    PutDirection();
    PutTime();
    PutSpaces(1);
    return true;
}

// ---- Formatters --------------------------------------------------------------------

void PutSpaces(int count) {
    for (int i = 0; i < count; ++i) Append(' ');
}

void PutLiteral(std::string_view text) {
    for (char c : text) Append(c);
}

void PutDirection() {
    if (frameFields.side == 0) PutLiteral("SD:");
    else if (frameFields.side == 1) PutLiteral("RD:");
}

void PutTime() {
    if (frameFields.time[0] == kNoTimeByte) {
        PutSpaces(6);
        return;
    }
    for (std::uint8_t b : frameFields.time) PutHex2(b);
}

void PutDec2(int v) { AppendNumber("%2d", v); }

void PutDec3(int v) { AppendNumber("%3d", v); }

void PutHex2(int v) {
    Append(HexDigit(static_cast<unsigned>(v) >> 4));
    Append(HexDigit(static_cast<unsigned>(v)));
}

void PutName(std::string_view name, std::int32_t value, int width) {
    const int start = lineBuilder.position;
    if (value < 0) {
        // The octet the name comes from was never read.
    } else if (!name.empty()) {
        PutLiteral(name.substr(0, static_cast<std::size_t>(width)));
    } else if (width >= 4) {
        Append('(');
        PutHex2(value);
        Append(')');
    }
    PutSpaces(width - (lineBuilder.position - start));
}

void PutFrameSeq(int v) {
    if (v < 0) {
        PutSpaces(3);
    } else if (frameFields.extended == 0) {
        Append(' ');
        Append(static_cast<char>('0' + (v & 7)));
        Append(' ');
    } else {
        PutDec3(v);
    }
}

void PutBit(int v) {
    if (v < 0) Append(' ');
    else AppendNumber("%d", v);
}

void PutCheck() {
    const std::string_view mark = FrameStatusMark(frameFields.endStatus);
    PutSpaces(2 - static_cast<int>(mark.size()));
    PutLiteral(mark);
}

// ---- DATA column --------------------------------------------------------------------

namespace {

// The byte limits of each layout's DATA column for the three columns settings.
struct DataLimits {
    DataLayout layout;
    int startColumn;  // where DATA begins (columns counted from 0)
    int narrow;       // columns below 80
    int standard;     // 80 to 135
    int wide;         // 136 or more
};

constexpr DataLimits kDataLimits[] = {
    {DataLayout::kHdlcFrame, 31, 4, 24, 52}, {DataLayout::kLapdFrame, 36, 1, 21, 49},
    {DataLayout::kX25Packet, 40, 0, 19, 47}, {DataLayout::kLapdMessage, 33, 3, 23, 51},
    {DataLayout::kPppLine, 32, 3, 23, 51},   {DataLayout::kPppDump, 10, 14, 34, 62},
};

// Rows are indexed by the layout, and each limit keeps the line within its width.
constexpr bool LimitsFit() {
    int row = 0;
    for (const DataLimits& d : kDataLimits) {
        if (static_cast<int>(d.layout) != row++) return false;
        if (d.startColumn + 2 * d.narrow > 40) return false;
        if (d.startColumn + 2 * d.standard > 80) return false;
        if (d.startColumn + 2 * d.wide > 136 || d.startColumn + 2 * d.wide > kLongestLine) return false;
    }
    return true;
}
static_assert(LimitsFit());

const DataLimits& LimitsOf(DataLayout layout) { return kDataLimits[static_cast<int>(layout)]; }

}  // namespace

int DataLimit(DataLayout layout) {
    const DataLimits& d = LimitsOf(layout);
    if (listingSettings.columns < 80) return d.narrow;
    if (listingSettings.columns < 136) return d.standard;
    return d.wide;
}

int DataColumn(DataLayout layout) { return LimitsOf(layout).startColumn; }

void PutData(int limit, ByteSource source) {
    for (int shown = 0; shown < limit; ++shown) {
        const int b = source == ByteSource::kPpp ? NextPppByte() : NextByte();
        if (b < 0) return;
        PutHex2(b);
    }
}

// ---- The translation run --------------------------------------------------------------

int RunTranslation(const char* title, const char* heading, FrameLineOperation perFrame, FrameAssembly assembly) {
    if (StartConversion() == 0) return 0;
    if (PutText(title) < 0) return 0;
    if (WriteConditionsHeader(0) < 0) return 0;
    if (PutText(heading) < 0) return 0;

    const long frameLimit = 5L * listingSettings.lineBudget;
    long framesWritten = 0;
    StartFrameWalk(assembly);
    while (framesWritten < frameLimit) {
        const AssembledFrame* frame = NextWalkedFrame();
        if (frame == nullptr) break;
        if (perFrame(*frame) < 0) return 0;
        if (PutChar('\n') < 0) return 0;
        ++framesWritten;
    }
    FinishListing();
    return 1;
}
