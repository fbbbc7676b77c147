// Transmission-control converters: one state machine per direction that turns
// the character stream of a BSC-style link into its line-control events.
#pragma once

#include <cstdint>

#include "decode/record_stream.h"

using EmitFunction = void (*)(std::uint32_t cell);

// Chooses the converter pair for the capture's mode and code and resets both.
void InstallConverters(int mode, int code);
// Sets where each direction's converted cells go.
void SetEmitFunctions(EmitFunction sdEmit, EmitFunction rdEmit);
// Feeds one unit to the SD / RD converter.
void ConvertSdUnit(DataUnit unit);
void ConvertRdUnit(DataUnit unit);
