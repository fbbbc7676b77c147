#include "pcap/export_run.h"

#include <algorithm>

#include "capture/capture_file.h"
#include "decode/code_tables.h"
#include "decode/decode_settings.h"
#include "decode/frame_assembly.h"
#include "decode/frame_walk.h"
#include "pcap/packet_times.h"
#include "pcap/pcapng_writer.h"

namespace {

constexpr std::size_t kPacketBytesMax = 65535;

DataUnit frameStore[kPacketBytesMax + 1];  // the assembly's units of one frame
std::uint8_t packetBuffer[kFrameHeaderMax + kPacketBytesMax];
// One data run per direction, each after room for its serial-line header.
std::uint8_t runBuffer[2][kSerialHeaderSize + kPacketBytesMax];
char comment[kCommentMax];
std::size_t commentUsed = 0;

ExportSettings settings;
ExportCounts* counts = nullptr;

void AddText(std::string_view text) {
    for (char c : text) {
        if (commentUsed == kCommentMax) break;
        comment[commentUsed++] = c;
    }
}

void AddHex(std::uint8_t b) {
    const char digits[2] = {HexDigit(b >> 4), HexDigit(b)};
    AddText(std::string_view(digits, 2));
}

// Starts a packet's comment with its line ("SD ", "RD " or none) and its time
// mark as the listing shows it.
void StartComment(std::string_view line, CaptureRecord timestamp) {
    commentUsed = 0;
    AddText(line);
    AddText("TM=");
    if (timestamp == 0) {
        AddText("------");
    } else {
        AddHex(TimeByte0(timestamp));
        AddHex(TimeByte1(timestamp));
        AddHex(TimeByte2(timestamp));
    }
}

bool Write(const std::uint8_t* data, std::size_t length, std::size_t originalLength, std::uint64_t time,
           std::uint32_t flags) {
    PcapngPacket packet;
    packet.seconds = time;
    packet.data = data;
    packet.length = static_cast<std::uint32_t>(length);
    packet.originalLength = static_cast<std::uint32_t>(originalLength);
    packet.flags = flags;
    packet.comment = std::string_view(comment, commentUsed);
    return PcapngWritePacket(packet);
}

void CountSide(bool sd) { ++(sd ? counts->sd : counts->rd); }

// ---- Frames ---------------------------------------------------------------------

// The frame's bytes as the listing reads them: units of codes 2 and 3 mark the
// frame check and carry no byte. PPP frames also lose their leading flags and
// their transparency. Returns the number of bytes written to `out`.
std::size_t FrameBytes(const AssembledFrame& frame, bool ppp, std::uint8_t* out) {
    std::size_t n = 0;
    bool escaped = false;
    const DataUnit* units = FrameUnits();
    for (std::int32_t i = 0; i < frame.count; ++i) {
        const DataUnit unit = units[i];
        const std::uint8_t code = UnitCode(unit);
        if (code == kUnitStatus1 || code == kUnitStatus2) continue;
        std::uint8_t byte = DataByte(unit);
        if (ppp) {
            if (n == 0 && !escaped && byte == kPppFlag) continue;
            if (escaped) {
                byte ^= kPppEscapeXor;
                escaped = false;
            } else if (byte == kPppEscape) {
                escaped = true;
                continue;
            }
        }
        out[n++] = byte;
    }
    return n;
}

// The FCS the link's good PPP frames carry; a frame whose check fails is
// reported with that kind (FCS-16 until an FCS-32 frame has been seen).
PppFcs linkFcs = PppFcs::kFcs16;

bool ExportFrame(const AssembledFrame& frame) {
    const bool sd = (frame.direction & 0x7F) == kFrameSd;
    const PacketSide side{sd, settings.sdIsNetwork};
    const bool ppp = settings.kind == ExportKind::kPpp;
    const std::size_t header = WriteFrameHeader(settings.kind, side, packetBuffer, settings.modulo128);
    std::size_t n = FrameBytes(frame, ppp, packetBuffer + header);
    // Units beyond the store were seen on the line but not kept.
    const std::size_t dropped = frame.seen > frame.count ? static_cast<std::size_t>(frame.seen - frame.count) : 0;
    std::uint32_t flags = DirectionFlags(settings.kind, side);

    StartComment(sd ? "SD " : "RD ", frame.timestamp);
    if (!ppp && frame.status != FrameStatus::none) {
        AddText(" FC=");
        AddText(FrameStatusMark(frame.status));
    }
    if (frame.status == FrameStatus::checkError && !ppp) flags |= epb_flag::kCrcError;
    if (frame.status == FrameStatus::shortFrame && !ppp) flags |= epb_flag::kPacketTooShort;
    if (settings.modulo128) {
        AddText(" mod 128 for plugin ");
        AddText(Modulo128Protocol(settings.kind));
    }
    if (dropped > 0) {
        char cut[48];
        AddText(std::string_view(
            cut, static_cast<std::size_t>(std::snprintf(cut, sizeof cut, " cut at %zu of %zu bytes", n, n + dropped))));
    } else if (ppp && n > 0) {
        const std::uint8_t* bytes = packetBuffer + header;
        switch (CheckPppFcs(bytes, n)) {
            case PppFcs::kFcs16:
                n -= 2;
                linkFcs = PppFcs::kFcs16;
                AddText(" FCS-16 stripped");
                break;
            case PppFcs::kFcs32:
                n -= 4;
                linkFcs = PppFcs::kFcs32;
                AddText(" FCS-32 stripped");
                break;
            case PppFcs::kBad: {
                flags |= epb_flag::kCrcError;
                const std::size_t fcsBytes = std::min<std::size_t>(linkFcs == PppFcs::kFcs32 ? 4 : 2, n);
                AddText(linkFcs == PppFcs::kFcs32 ? " FCS-32 bad (received" : " FCS-16 bad (received");
                for (std::size_t i = n - fcsBytes; i < n; ++i) {
                    AddText(" ");
                    AddHex(bytes[i]);
                }
                AddText(")");
                break;
            }
        }
    }
    if (n == 0) AddText(" empty");
    CountSide(sd);
    return Write(packetBuffer, header + n, header + n + dropped, PacketTime(frame.timestamp), flags);
}

bool ExportFrames() {
    const bool ppp = settings.kind == ExportKind::kPpp;
    SetFrameUnitStore(frameStore, static_cast<std::int32_t>(kPacketBytesMax));
    linkFcs = PppFcs::kFcs16;
    StartFrameWalk(ppp ? FrameAssembly::kPpp : FrameAssembly::kHdlc);
    bool written = true;
    while (const AssembledFrame* frame = NextWalkedFrame()) {
        if (!ExportFrame(*frame)) {
            written = false;
            break;
        }
    }
    SetFrameUnitStore(nullptr, 0);
    return written;
}

// ---- Serial data runs ------------------------------------------------------------

struct DataRun {
    std::size_t length = 0;       // data bytes so far; 0: no run open
    std::uint64_t order = 0;      // record number of the first byte
    CaptureRecord timestamp = 0;  // the last timestamp of its direction before it
};
DataRun runs[2];
CaptureRecord lastTimestamp[2] = {0, 0};
CaptureRecord lastAnyTimestamp = 0;
std::uint8_t lineState = 0;  // the interface lines in force

bool EmitRun(int side) {
    DataRun& run = runs[side];
    if (run.length == 0) return true;
    const bool sd = side == 0;
    const std::uint64_t time = PacketTime(run.timestamp);
    WriteSerialHeader(time, sd ? SerialEvent::kDataSent : SerialEvent::kDataReceived, lineState, runBuffer[side]);
    StartComment(sd ? "SD " : "RD ", run.timestamp);
    CountSide(sd);
    const std::size_t length = kSerialHeaderSize + run.length;
    run.length = 0;
    return Write(runBuffer[side], length, length, time, DirectionFlags(ExportKind::kSerial, PacketSide{sd, false}));
}

// Ends both runs, the one begun first written first.
bool EndRuns() {
    const int first = runs[1].length > 0 && (runs[0].length == 0 || runs[1].order < runs[0].order) ? 1 : 0;
    return EmitRun(first) && EmitRun(1 - first);
}

bool EmitLineState(CaptureRecord w) {
    const std::uint8_t after = StateAfter(w);
    lineState = after;
    const std::uint64_t time = PacketTime(lastAnyTimestamp);
    WriteSerialHeader(time, SerialEvent::kStatusChange, after, packetBuffer);
    StartComment("", lastAnyTimestamp);
    AddText(" line state");
    for (int line = 0; line < 8; ++line) {
        if (after & (1u << line)) {
            AddText(" ");
            AddText(kLineStateNames[line]);
        }
    }
    if (after == 0) AddText(" -");
    ++counts->lineStates;
    return Write(packetBuffer, kSerialHeaderSize, kSerialHeaderSize, time, 0);
}

bool AddRunByte(int side, std::uint8_t byte, std::uint64_t order) {
    DataRun& run = runs[side];
    if (run.length == 0) {
        run.order = order;
        run.timestamp = lastTimestamp[side];
    }
    runBuffer[side][kSerialHeaderSize + run.length++] = byte;
    return run.length < kPacketBytesMax || EmitRun(side);
}

bool ExportDataRuns() {
    runs[0] = runs[1] = DataRun{};
    lastTimestamp[0] = lastTimestamp[1] = lastAnyTimestamp = 0;
    if (RecordAreaEmpty()) return true;
    ResetWorkingCursor();
    lineState = InitialLineState();
    RecordPos p = captureSettings.window.home.position;
    std::uint64_t order = 0;
    do {
        const CaptureRecord w = RecordAt(p);
        ++order;
        if (IsDataRecord(w)) {
            const DataUnit units[2] = {SdUnit(w), RdUnit(w)};
            for (int side = 0; side < 2; ++side) {
                const std::uint8_t code = UnitCode(units[side]);
                if (code == kUnitBlank || code == kUnitNone) continue;
                if (!LineSelected(side == 1)) continue;
                if (!AddRunByte(side, DataByte(units[side]), order)) return false;
            }
        } else if (IsTimestampRecord(w) || IsIdleRecord(w) || IsLineStateRecord(w)) {
            if (!EndRuns()) return false;
            if (IsTimestampRecord(w)) {
                lastTimestamp[TimestampIsRd(w) ? 1 : 0] = w;
                lastAnyTimestamp = w;
            } else if (IsLineStateRecord(w) && !EmitLineState(w)) {
                return false;
            }
        }
    } while (NextRecord(p));
    return EndRuns();
}

}  // namespace

bool ExportCapture(std::FILE* out, const ExportSettings& exportSettings, std::string_view description,
                   ExportCounts& exportCounts) {
    settings = exportSettings;
    counts = &exportCounts;
    exportCounts = ExportCounts{};
    StartPacketClock(settings.date);
    if (!PcapngBegin(out, kExporterName, LinkTypeOf(settings.kind), description)) return false;
    const bool written = settings.kind == ExportKind::kSerial ? ExportDataRuns() : ExportFrames();
    return PcapngFinish() && written;
}
