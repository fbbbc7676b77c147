// HDLC-family frame translation (SDLC, X.25 LAPB, LAPD): one line per frame
// that names the frame and spells out its link header (address, type, N(S),
// P/F, N(R), frame check mark) followed by its first data bytes.
//
// The decoders fill FrameFields from an AssembledFrame and leave the
// UnitReader on the first byte after the link header, so the packet
// translation continues from there into the information field.
#pragma once

#include <string_view>

#include "decode/frame_assembly.h"

// One name per line: the command name on SD, the response name on RD.
// An empty view means the line has no name for the octet.
struct LineNames {
    std::string_view sd{};
    std::string_view rd{};
};

// The name for a frame seen on `side` (0 SD, 1 RD).
constexpr std::string_view NameOnLine(const LineNames& names, int side) { return side == 0 ? names.sd : names.rd; }

inline constexpr std::string_view kInfoName = "INFO";

// Decodes the link level as decodeSettings.frameKind says (1 SDLC, 3 LAPD, else LAPB),
// without writing anything.
void DecodeLinkLevel(const AssembledFrame& frame);

// The per-frame operation of the frame listing: decode, write the line.
int TranslateFrame(const AssembledFrame& frame);

// The frame translation listing: 1 when written, 0 when a write failed.
int RunFrameTranslation();
