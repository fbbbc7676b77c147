#include "fuzz/seed_captures.h"

#include <cstdint>

#include "tests/support/capture_writer.h"

namespace {

using capture::CaptureBuilder;
using capture::Unit;

constexpr std::size_t kHeaderBytes = 1762;  // identification and settings before the records
constexpr std::uint8_t kCodeGood = 2, kCodeBad = 3, kCodeAbort = 9, kCodeShort = 12, kCodeBlank = 13;

// A fixed pseudo-random sequence (xorshift), so that the seeds never change.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed | 1) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Next() >> 11); }

private:
    std::uint32_t state_;
};

// The PPP FCS-16 of the bytes, appended low byte first.
void AppendFcs16(std::vector<std::uint8_t>& bytes) {
    std::uint16_t fcs = 0xFFFF;
    for (std::uint8_t c : bytes) {
        fcs ^= c;
        for (int i = 0; i < 8; ++i) fcs = (fcs & 1) ? static_cast<std::uint16_t>((fcs >> 1) ^ 0x8408) : fcs >> 1;
    }
    fcs = static_cast<std::uint16_t>(~fcs);
    bytes.push_back(static_cast<std::uint8_t>(fcs));
    bytes.push_back(static_cast<std::uint8_t>(fcs >> 8));
}

// A frame length: empty and tiny, around the 64-unit store, long, or very long.
std::size_t FrameLength(Random& r) {
    switch (r.Below(8)) {
        case 0: return r.Below(4);
        case 1:
        case 2:
        case 3: return 60 + r.Below(9);
        case 4: return 100 + r.Below(300);
        case 5: return r.Below(20) == 0 ? 2000 + r.Below(3000) : 5 + r.Below(50);
        default: return 2 + r.Below(30);
    }
}

// A timestamp: mostly a readable time, otherwise bytes as they come.
void Stamp(CaptureBuilder& b, Random& r, bool rd, bool frame) {
    const bool valid = r.Below(4) != 0;
    const auto part = [&](std::uint32_t limit) {
        const std::uint32_t n = r.Below(limit);
        return valid ? static_cast<std::uint8_t>(n / 10 * 16 + n % 10) : r.Byte();
    };
    const std::uint8_t hours = part(24) & 0x7F, minutes = part(60), seconds = part(60);
    b.Timestamp(hours, minutes, seconds, rd, frame);
}

// Records that come between the data in every mode: idle times, timestamps
// (line and frame ones) and line-state changes.
void ControlRecord(CaptureBuilder& b, Random& r) {
    switch (r.Below(4)) {
        case 0: b.Idle(static_cast<std::uint16_t>(r.Below(3) == 0 ? r.Next() : r.Below(40))); break;
        case 1: {
            const std::uint8_t before = r.Byte();
            b.LineState(before, r.Byte());
            break;
        }
        default: {
            const bool rd = r.Below(2) == 1;
            Stamp(b, r, rd, r.Below(2) == 1);
        }
    }
}

// ASYNC and SYNC: runs of one line's characters, some very long, some with
// both lines at once, error and blank units among them.
void SerialElement(CaptureBuilder& b, Random& r, std::size_t room) {
    const std::size_t run = r.Below(40) == 0 ? 1000 + r.Below(5000) : 1 + r.Below(40);
    const int line = static_cast<int>(r.Below(3));  // SD, RD or both
    for (std::size_t i = 0; i < run && i < room; ++i) {
        const std::uint8_t code = r.Below(30) == 0 ? (r.Below(2) ? kCodeBad : kCodeBlank) : capture::kCodeData;
        const std::uint16_t unit = Unit(r.Byte(), code);
        const std::uint16_t other = Unit(r.Byte());
        b.Data(line == 1 ? capture::kNoUnit : unit, line == 0 ? capture::kNoUnit : other);
    }
}

// HDLC: a frame on one line, or frames on both at once, ended by its check
// mark, a short or aborted end, or no end at all; mostly after a frame
// timestamp when `stamps`.
void HdlcElement(CaptureBuilder& b, Random& r, std::size_t room, bool stamps) {
    const std::size_t length = FrameLength(r);
    if (length + 5 > room) return;
    const bool both = r.Below(4) == 0;
    const bool rd = r.Below(2) == 1;
    if (stamps && r.Below(8) != 0) Stamp(b, r, rd, true);
    auto put = [&](std::uint8_t byte, std::uint8_t code) {
        const std::uint16_t unit = Unit(byte, code);
        if (both) b.Data(unit, Unit(r.Byte(), code));
        else if (rd) b.Data(capture::kNoUnit, unit);
        else b.Data(unit, capture::kNoUnit);
    };
    put(0x7E, capture::kCodeFrameStart);
    for (std::size_t i = 0; i < length; ++i) put(r.Byte(), capture::kCodeData);
    switch (r.Below(6)) {
        case 0: put(0, kCodeBad); break;
        case 1: put(0, kCodeShort); return;
        case 2: put(0, kCodeAbort); return;
        case 3: return;  // no end: the next frame start ends it
        default: put(0, kCodeGood); break;
    }
    put(0x7E, capture::kCodeFrameEnd);
}

// PPP: flag-delimited frames with escapes and a good FCS-16, or arbitrary
// bytes; mostly after a frame timestamp when `stamps`.
void PppElement(CaptureBuilder& b, Random& r, std::size_t room, bool stamps) {
    std::vector<std::uint8_t> frame = {0xFF, 0x03};
    const std::size_t length = FrameLength(r);
    for (std::size_t i = 0; i < length; ++i) frame.push_back(r.Below(8) == 0 ? 0x7E : r.Byte());
    if (r.Below(3) != 0) AppendFcs16(frame);
    if (2 * frame.size() + 3 > room) return;
    const bool rd = r.Below(2) == 1;
    if (stamps && r.Below(8) != 0) Stamp(b, r, rd, true);
    auto put = [&](std::uint8_t byte) { rd ? b.Rd(byte) : b.Sd(byte); };
    put(0x7E);
    for (std::uint8_t c : frame) {
        if (c == 0x7E || c == 0x7D) {
            put(0x7D);
            put(static_cast<std::uint8_t>(c ^ 0x20));
        } else {
            put(c);
        }
    }
    if (r.Below(5) != 0) put(0x7E);
}

std::string Seed(std::int8_t mode, int variant, std::size_t bytes) {
    Random r(static_cast<std::uint32_t>(0x9E3779B9u * (4 * variant + mode + 1)));
    CaptureBuilder b;
    b.Mode(mode).SendSpeed(96000).ReceiveSpeed(96000).CharBits(3).Code(static_cast<std::int8_t>(variant % 7));
    const bool stamps = variant != 1;
    b.FrameTimestamp(stamps).LineStateRecorded(variant != 2);
    if (variant == 0) b.SdAddress(0x01).RdAddress(0x03);
    const std::size_t records = (bytes - kHeaderBytes) / 4;
    while (b.Records().size() + 8 < records) {
        const std::size_t room = records - b.Records().size() - 1;
        if (r.Below(4) == 0) ControlRecord(b, r);
        else if (mode == 2) HdlcElement(b, r, room, stamps);
        else if (mode == 3) PppElement(b, r, room, stamps);
        else SerialElement(b, r, room);
    }
    // The last records start a frame that the area's end leaves open: the
    // walks carry it on from the area's start.
    b.Sd(0x7E, mode == 2 ? capture::kCodeFrameStart : capture::kCodeData);
    while (b.Records().size() < records) b.Sd(r.Byte());
    return b.Bytes();
}

}  // namespace

std::vector<SeedCapture> MakeSeedCaptures() {
    static constexpr const char* kModeNames[] = {"async", "sync", "hdlc", "ppp"};
    static constexpr std::size_t kSizes[] = {2048, 12000, kFuzzInputMax};
    std::vector<SeedCapture> seeds;
    for (std::int8_t mode = 0; mode < 4; ++mode) {
        for (int variant = 0; variant < 3; ++variant) {
            seeds.push_back({std::string(kModeNames[mode]) + "-" + std::to_string(variant) + ".dt",
                             Seed(mode, variant, kSizes[variant])});
        }
    }
    return seeds;
}
