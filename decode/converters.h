// Transmission-control converters: one state machine per direction that turns
// the character stream of a BSC-style link into its line-control events.
//
// Each converter watches its direction for the block structure of binary
// synchronous line control (SOH, STX, ETX, ETB, ITB, the DLE sequences, ENQ,
// EOT, ACK, NAK and the two-character replies) and emits one or two cells per
// control event and a single text cell for each stretch of ordinary
// characters. A cell is a data unit of unit code 0 and flags 0xB whose data
// byte is an EBCDIC code point, so the dump shows every cell through the
// EBCDIC table whatever the capture's code. Status markers (unit codes 2 and 3)
// are emitted unchanged; units of code 8 and above are ignored.
//
// The state carries over from call to call until the next InstallConverters,
// so a block that runs past the end of one dump block is followed into the next.
#pragma once

#include <cstdint>

#include "capture/record_stream.h"

using EmitFunction = void (*)(std::uint32_t cell);

// Low byte of every converted cell: flags 0xB, unit code 0.
inline constexpr DataUnit kConvertedCellLow = 0xB0;

// The converted cell that shows an EBCDIC code point.
inline constexpr DataUnit ConvertedCell(std::uint8_t ebcdicCodePoint) {
    return static_cast<DataUnit>((ebcdicCodePoint << 8) | kConvertedCellLow);
}

// Chooses the converter pair for the capture's mode and code and resets both.
void InstallConverters(int mode, int code);
// Sets where each direction's converted cells go.
void SetEmitFunctions(EmitFunction sdEmit, EmitFunction rdEmit);
// Feeds one unit to the SD / RD converter.
void ConvertSdUnit(DataUnit unit);
void ConvertRdUnit(DataUnit unit);
