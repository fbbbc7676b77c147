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

inline constexpr int kSupervisoryRows = 4;   // control bits 2-3
inline constexpr int kUnnumberedRows = 32;   // control bits 5-7 and 2-3, without P/F

// The supervisory and unnumbered frame names of one frame kind.
struct FrameNameTables {
    LineNames supervisory[kSupervisoryRows];
    LineNames unnumbered[kUnnumberedRows];
};

extern const FrameNameTables kSdlcNames;
extern const FrameNameTables kLapbNames;
extern const FrameNameTables kLapdNames;

inline constexpr std::string_view kInfoName = "INFO";

// The row of an unnumbered control octet: bits 5-7 to row bits 2-4, bits 2-3 to row bits 0-1.
constexpr int UnnumberedRow(int control) { return ((control >> 3) & 0x1C) | ((control >> 2) & 3); }
// The row of a supervisory control octet: bits 2-3.
constexpr int SupervisoryRow(int control) { return (control >> 2) & 3; }

// Fills FrameFields for SDLC or LAPB (modulo from options.modulo128) with `names`.
void DecodeHdlcFrame(const AssembledFrame& frame, const FrameNameTables& names);
// Fills FrameFields for LAPD (two-octet address, modulo 128).
void DecodeLapdFrame(const AssembledFrame& frame);
// Decodes the link level as options.frameKind says (1 SDLC, 3 LAPD, else LAPB),
// without writing anything.
void DecodeLinkLevel(const AssembledFrame& frame);

// Build and write the line of the decoded frame: 0, or -1 when the write failed.
int FormatHdlcLine();
int FormatLapdLine();

// The per-frame operation of the frame listing: reset, decode, write the line.
int TranslateFrame(const AssembledFrame& frame);

// The frame translation listing: 1 when written, 0 when a write failed.
int RunFrameTranslation();
