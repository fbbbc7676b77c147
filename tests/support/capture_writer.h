// Builds capture data files for tests and samples from a readable description:
// the identification header, the settings block by field name, and records from
// small helpers (data units per direction, line-state, idle and timestamp
// records, whole frames).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace capture {

// Unit codes used by the helpers.
inline constexpr std::uint8_t kCodeData = 0;
inline constexpr std::uint8_t kCodeFrameStart = 10;
inline constexpr std::uint8_t kCodeFrameEnd = 11;
inline constexpr std::uint8_t kCodeNone = 15;

// Flags carried by every unit the writer makes; bits 4-5 of the SD unit mark a
// data record.
inline constexpr std::uint16_t kUnitFlags = 0x30;

// A 16-bit data unit: data byte, unit code and the usual flags.
constexpr std::uint16_t Unit(std::uint8_t byte, std::uint8_t code = kCodeData) {
    return static_cast<std::uint16_t>((byte << 8) | kUnitFlags | (code & 0x0F));
}
inline constexpr std::uint16_t kNoUnit = Unit(0, kCodeNone);

class CaptureBuilder {
public:
    CaptureBuilder();

    // Identification header.
    CaptureBuilder& Ident(const std::string& text);      // the 18-byte text
    CaptureBuilder& Version(const std::string& digits);  // the 5 version characters

    // Settings block fields (see the capture file layout).
    CaptureBuilder& DataType(std::uint8_t v);
    CaptureBuilder& Mode(std::int8_t v);  // 0 ASYNC, 1 SYNC, 2 HDLC, 3 PPP
    CaptureBuilder& SendSpeed(std::int32_t tenths);
    CaptureBuilder& ReceiveSpeed(std::int32_t tenths);
    CaptureBuilder& Code(std::int8_t v);
    CaptureBuilder& CharBits(std::int8_t v);  // 0-3 for 5-8 bits
    CaptureBuilder& Parity(std::int8_t v);
    CaptureBuilder& StopBitsOrClock(std::int8_t v);
    CaptureBuilder& Check(std::int8_t v);
    CaptureBuilder& SdAddress(std::uint8_t address);  // also sets sdAddressSet
    CaptureBuilder& RdAddress(std::uint8_t address);  // also sets rdAddressSet
    CaptureBuilder& FrameTimestamp(bool on);
    CaptureBuilder& LineStateRecorded(bool on);
    CaptureBuilder& SettingsByte(std::size_t offset, std::uint8_t v);
    // Writes this length instead of the true record area length.
    CaptureBuilder& RecordAreaLength(std::uint32_t length);

    // Records.
    CaptureBuilder& Record(std::uint32_t word);
    CaptureBuilder& Data(std::uint16_t sdUnit, std::uint16_t rdUnit);
    CaptureBuilder& Sd(std::uint8_t byte, std::uint8_t code = kCodeData);  // RD empty
    CaptureBuilder& Rd(std::uint8_t byte, std::uint8_t code = kCodeData);  // SD empty
    CaptureBuilder& SdText(const std::string& text);                       // one record per byte
    CaptureBuilder& RdText(const std::string& text);
    CaptureBuilder& LineState(std::uint8_t before, std::uint8_t after);
    CaptureBuilder& Idle(std::uint16_t count);
    // Timestamp with time bytes b0 (7 bits), b1, b2; rd sets bit 15; frame sets bit 7.
    CaptureBuilder& Timestamp(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, bool rd = false, bool frame = false);
    // A whole frame of one direction: a start unit (code 10, byte 0x7E), the
    // bytes as code-0 units, an end unit (code 11, byte 0x7E).
    CaptureBuilder& SdFrame(std::initializer_list<std::uint8_t> bytes);
    CaptureBuilder& RdFrame(std::initializer_list<std::uint8_t> bytes);
    CaptureBuilder& SdFrame(const std::vector<std::uint8_t>& bytes);
    CaptureBuilder& RdFrame(const std::vector<std::uint8_t>& bytes);

    const std::vector<std::uint32_t>& Records() const { return records_; }
    // The whole file; `truncateTo` cuts it (for files too short).
    std::string Bytes() const;
    void Write(const std::string& path) const;
    void WriteTruncated(const std::string& path, std::size_t size) const;

private:
    std::string ident_;
    std::string version_;
    std::array<std::uint8_t, 1736> settings_{};
    std::vector<std::uint32_t> records_;
    bool lengthOverridden_ = false;
    std::uint32_t lengthOverride_ = 0;
};

// An ASCII ASYNC capture at 9600 bit/s both ways, 8 bits, no parity, 1 stop bit.
inline CaptureBuilder Async9600() {
    CaptureBuilder b;
    b.Mode(0).SendSpeed(96000).ReceiveSpeed(96000).CharBits(3);
    return b;
}

}  // namespace capture
