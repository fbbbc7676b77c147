// PPP translation and PPP frame dump: one line per PPP frame.
//
// The translation names a frame's protocol field and shows, from the first
// octets of its information field, a code, an identifier and the rest of the
// data; the frame dump shows the frame's octets in hexadecimal. Both read the
// frame with PPP transparency removed (0x7D x stands for x XOR 0x20), so an
// escaped octet is shown as the octet it stands for. Frames are the PPP frames
// of the capture, delimited by frame timestamps and 0x7E flags.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "decode/frame_assembly.h"

// Width of the PROTOCOL and CODE columns of the translation.
inline constexpr int kPppNameWidth = 8;

// The two listings; 1 when the listing was written, 0 when a write failed.
int RunPppTranslation();
int RunPppDump();

// The name of a PPP protocol number, or none when the table lacks it.
std::optional<std::string_view> LookupPppProtocol(std::int32_t number);
// The name of a PPP code octet (1 to 15), or none.
std::optional<std::string_view> LookupPppCode(std::int32_t code);

// Decodes address, control, protocol, code and identifier of a frame into the
// frame fields; the reader is left on the first octet after them.
void DecodePppFrame(const AssembledFrame& frame);
// Build the translation line / dump line from the frame fields and the reader
// and write it; the result of the text write (-1 on failure).
int FormatPppLine();
int FormatPppDumpLine();
