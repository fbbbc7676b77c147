// Transmission-control converters.
//
// Each direction has its own converter: the family's control characters, the
// current state, the dash-pending flag and the emit function. The current
// state is the handler that takes the next character unit; a handler moves
// the machine on by installing the next handler. The six states are idle,
// text (inside a normal block), after STX, after DLE, transparent text and
// transparent text after DLE. `dashPending` is set by every control character
// or status marker inside a block, so the next stretch of ordinary characters
// shows as one text cell.
#include "decode/converters.h"

#include "capture/capture_file.h"
#include "decode/code_tables.h"

namespace {

// ---- Control characters per family -------------------------------------------------

inline constexpr int kNotRecognised = -1;  // never equals a data byte

struct ControlChars {
    int soh, stx, etx, eot, enq, ack, dle, nak, etb, itb;
    int ack0, ack1, wack, rvi;  // second character after DLE
};

//                                    SOH   STX   ETX   EOT   ENQ   ACK             DLE   NAK   ETB   ITB   ACK0  ACK1  WACK  RVI
constexpr ControlChars kAsciiChars = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x10,
                                      0x15, 0x17, 0x1F, 0x30, 0x31, 0x3B, 0x3C};
constexpr ControlChars kEbcdicChars = {0x01, 0x02, 0x03, 0x37, 0x2D, 0x2E, 0x10,
                                       0x3D, 0x26, 0x1F, 0x70, 0x61, 0x6B, 0x7C};
constexpr ControlChars kTranscChars = {0x00, 0x0A, 0x2E, 0x1E, 0x2D, kNotRecognised, 0x1F,
                                       0x3D, 0x0F, 0x1D, 0x20, 0x23, 0x26,           0x32};

// ---- Cells (EBCDIC code points) ----------------------------------------------------

inline constexpr std::uint8_t kCellSoh = 0x01;
inline constexpr std::uint8_t kCellStx = 0x02;
inline constexpr std::uint8_t kCellEtx = 0x03;
inline constexpr std::uint8_t kCellDle = 0x10;
inline constexpr std::uint8_t kCellItb = 0x1F;
inline constexpr std::uint8_t kCellEtb = 0x26;
inline constexpr std::uint8_t kCellEnq = 0x2D;
inline constexpr std::uint8_t kCellAck = 0x2E;
inline constexpr std::uint8_t kCellEot = 0x37;
inline constexpr std::uint8_t kCellNak = 0x3D;
inline constexpr std::uint8_t kCellText = 0x60;  // "-"
inline constexpr std::uint8_t kCellZero = 0xF0;
inline constexpr std::uint8_t kCellOne = 0xF1;
inline constexpr std::uint8_t kCellW = 0xE6;
inline constexpr std::uint8_t kCellR = 0xD9;
inline constexpr std::uint8_t kCellV = 0xE5;
inline constexpr std::uint8_t kCellT = 0xE3;
inline constexpr std::uint8_t kCellD = 0xC4;

// ---- Converter ---------------------------------------------------------------------

struct Converter;
using StateHandler = void (*)(Converter& cv, DataUnit unit);

struct Converter {
    const ControlChars* chars = nullptr;  // nullptr: this code has no converter
    StateHandler state = nullptr;
    bool dashPending = false;
    EmitFunction emit = nullptr;
};

Converter sdConverter;
Converter rdConverter;

// Unit codes 2 and 3 are status markers; codes 8 and above are not characters.
inline constexpr std::uint8_t kFirstIgnoredUnitCode = 8;

bool IsMarker(DataUnit unit) { return UnitCode(unit) == kUnitStatus1 || UnitCode(unit) == kUnitStatus2; }

void EmitUnit(Converter& cv, DataUnit unit) {
    if (cv.emit != nullptr) cv.emit(unit);
}
void EmitCell(Converter& cv, std::uint8_t codePoint) { EmitUnit(cv, ConvertedCell(codePoint)); }
void EmitCells(Converter& cv, std::uint8_t first, std::uint8_t second) {
    EmitCell(cv, first);
    EmitCell(cv, second);
}

// One text cell for a stretch of ordinary characters.
void EmitTextOnce(Converter& cv) {
    if (cv.dashPending) {
        cv.dashPending = false;
        EmitCell(cv, kCellText);
    }
}

void Idle(Converter& cv, DataUnit unit);
void Text(Converter& cv, DataUnit unit);
void AfterStx(Converter& cv, DataUnit unit);
void AfterDle(Converter& cv, DataUnit unit);
void Transparent(Converter& cv, DataUnit unit);
void TransparentDle(Converter& cv, DataUnit unit);

void Idle(Converter& cv, DataUnit unit) {
    if (IsMarker(unit)) {
        EmitUnit(cv, unit);
        return;
    }
    const int c = DataByte(unit);
    const ControlChars& k = *cv.chars;
    if (c == k.soh) {
        cv.dashPending = true;
        EmitCell(cv, kCellSoh);
        cv.state = Text;
    } else if (c == k.stx) {
        cv.state = AfterStx;
    } else if (c == k.dle) {
        cv.state = AfterDle;
    } else if (c == k.eot) {
        EmitCell(cv, kCellEot);
    } else if (c == k.enq) {
        EmitCell(cv, kCellEnq);
    } else if (c == k.ack) {
        EmitCell(cv, kCellAck);
    } else if (c == k.nak) {
        EmitCell(cv, kCellNak);
    }
}

// A unit inside a block, normal or transparent: a status marker re-arms the
// text cell; STX and ITB go on with the block, ETX and ETB end it; any other
// character is text. In transparent text the controls come after a DLE and
// are shown with it, and a doubled DLE is a data byte of the text.
void BlockUnit(Converter& cv, DataUnit unit, bool transparent) {
    if (IsMarker(unit)) {
        cv.dashPending = true;
        EmitUnit(cv, unit);
        return;
    }
    const int c = DataByte(unit);
    const ControlChars& k = *cv.chars;
    std::uint8_t cell = 0;
    bool endsBlock = false;
    if (c == k.stx) {
        cell = kCellStx;
    } else if (c == k.itb) {
        cell = kCellItb;
    } else if (c == k.etx) {
        cell = kCellEtx;
        endsBlock = true;
    } else if (c == k.etb) {
        cell = kCellEtb;
        endsBlock = true;
    } else {
        EmitTextOnce(cv);
        return;
    }
    cv.dashPending = !endsBlock;
    if (transparent) EmitCell(cv, kCellDle);
    EmitCell(cv, cell);
    if (endsBlock) cv.state = Idle;
}

void Text(Converter& cv, DataUnit unit) { BlockUnit(cv, unit, false); }

void AfterStx(Converter& cv, DataUnit unit) {
    cv.dashPending = true;
    if (IsMarker(unit)) {
        EmitCell(cv, kCellStx);
        EmitUnit(cv, unit);
        cv.state = Text;
        return;
    }
    if (DataByte(unit) == cv.chars->enq) {
        // STX ENQ is the temporary text delay (TTD) reply.
        cv.dashPending = false;
        EmitCells(cv, kCellT, kCellD);
        cv.state = Idle;
        return;
    }
    // The block has begun without a header: the character belongs to it.
    EmitCell(cv, kCellStx);
    cv.state = Text;
    Text(cv, unit);
}

void AfterDle(Converter& cv, DataUnit unit) {
    cv.state = Idle;
    if (IsMarker(unit)) {
        EmitUnit(cv, unit);
        return;
    }
    const int c = DataByte(unit);
    const ControlChars& k = *cv.chars;
    if (c == k.soh) {
        cv.dashPending = true;
        EmitCells(cv, kCellDle, kCellSoh);
        cv.state = Transparent;
    } else if (c == k.stx) {
        cv.dashPending = true;
        EmitCells(cv, kCellDle, kCellStx);
        cv.state = Transparent;
    } else if (c == k.eot) {
        EmitCells(cv, kCellDle, kCellEot);
    } else if (c == k.ack0) {
        EmitCells(cv, kCellAck, kCellZero);
    } else if (c == k.ack1) {
        EmitCells(cv, kCellAck, kCellOne);
    } else if (c == k.wack) {
        EmitCells(cv, kCellW, kCellAck);
    } else if (c == k.rvi) {
        EmitCells(cv, kCellR, kCellV);
    }
}

void Transparent(Converter& cv, DataUnit unit) {
    if (IsMarker(unit)) {
        cv.dashPending = true;
        EmitUnit(cv, unit);
    } else if (DataByte(unit) == cv.chars->dle) {
        cv.state = TransparentDle;
    } else {
        EmitTextOnce(cv);
    }
}

void TransparentDle(Converter& cv, DataUnit unit) {
    cv.state = Transparent;
    BlockUnit(cv, unit, true);
}

// The family of a code: ASCII and the JIS codes, EBCDIC and EBCDIK, TRANSC;
// the other codes have no converter.
const ControlChars* FamilyOfCode(int code) {
    switch (code) {
        case kCodeAscii:
        case kCodeJis7:
        case kCodeJis8: return &kAsciiChars;
        case kCodeEbcdic:
        case kCodeEbcdik: return &kEbcdicChars;
        case kCodeTransc: return &kTranscChars;
        default: return nullptr;
    }
}

void Reset(Converter& cv, const ControlChars* chars) {
    cv.chars = chars;
    cv.state = Idle;
    cv.dashPending = false;
}

void Convert(Converter& cv, DataUnit unit) {
    if (cv.chars == nullptr || cv.state == nullptr) return;  // no converter for this code
    if (UnitCode(unit) >= kFirstIgnoredUnitCode) return;     // frame markers, empty direction
    cv.state(cv, unit);
}

}  // namespace

// Asynchronous and synchronous captures are converted by their code; every
// other mode uses the ASCII characters.
void InstallConverters(int mode, int code) {
    const ControlChars* chars = (mode == kModeAsync || mode == kModeSync) ? FamilyOfCode(code) : &kAsciiChars;
    Reset(sdConverter, chars);
    Reset(rdConverter, chars);
}

void SetEmitFunctions(EmitFunction sdEmit, EmitFunction rdEmit) {
    sdConverter.emit = sdEmit;
    rdConverter.emit = rdEmit;
}

void ConvertSdUnit(DataUnit unit) { Convert(sdConverter, unit); }
void ConvertRdUnit(DataUnit unit) { Convert(rdConverter, unit); }
