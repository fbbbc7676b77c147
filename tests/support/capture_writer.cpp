#include "tests/support/capture_writer.h"

#include <fstream>
#include <stdexcept>

namespace capture {

namespace {
constexpr std::size_t kRecordAreaLengthField = 1732;

void PutLe32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
}  // namespace

CaptureBuilder::CaptureBuilder() : ident_("VX-5200  DATA     "), version_("00000") {}

CaptureBuilder& CaptureBuilder::Ident(const std::string& text) {
    ident_ = text;
    return *this;
}
CaptureBuilder& CaptureBuilder::Version(const std::string& digits) {
    version_ = digits;
    return *this;
}

CaptureBuilder& CaptureBuilder::SettingsByte(std::size_t offset, std::uint8_t v) {
    settings_.at(offset) = v;
    return *this;
}
CaptureBuilder& CaptureBuilder::DataType(std::uint8_t v) { return SettingsByte(0, v); }
CaptureBuilder& CaptureBuilder::Mode(std::int8_t v) { return SettingsByte(1, static_cast<std::uint8_t>(v)); }
CaptureBuilder& CaptureBuilder::SendSpeed(std::int32_t tenths) {
    for (int i = 0; i < 4; ++i)
        settings_[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(tenths) >> (8 * i));
    return *this;
}
CaptureBuilder& CaptureBuilder::ReceiveSpeed(std::int32_t tenths) {
    for (int i = 0; i < 4; ++i)
        settings_[8 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(tenths) >> (8 * i));
    return *this;
}
CaptureBuilder& CaptureBuilder::Code(std::int8_t v) { return SettingsByte(12, static_cast<std::uint8_t>(v)); }
CaptureBuilder& CaptureBuilder::CharBits(std::int8_t v) { return SettingsByte(13, static_cast<std::uint8_t>(v)); }
CaptureBuilder& CaptureBuilder::Parity(std::int8_t v) { return SettingsByte(14, static_cast<std::uint8_t>(v)); }
CaptureBuilder& CaptureBuilder::StopBitsOrClock(std::int8_t v) {
    return SettingsByte(15, static_cast<std::uint8_t>(v));
}
CaptureBuilder& CaptureBuilder::Check(std::int8_t v) { return SettingsByte(25, static_cast<std::uint8_t>(v)); }
CaptureBuilder& CaptureBuilder::SdAddress(std::uint8_t address) {
    SettingsByte(26, 1);
    return SettingsByte(27, address);
}
CaptureBuilder& CaptureBuilder::RdAddress(std::uint8_t address) {
    SettingsByte(28, 1);
    return SettingsByte(29, address);
}
CaptureBuilder& CaptureBuilder::FrameTimestamp(bool on) { return SettingsByte(41, on ? 1 : 0); }
CaptureBuilder& CaptureBuilder::LineStateRecorded(bool on) { return SettingsByte(43, on ? 1 : 0); }
CaptureBuilder& CaptureBuilder::RecordAreaLength(std::uint32_t length) {
    lengthOverridden_ = true;
    lengthOverride_ = length;
    return *this;
}

CaptureBuilder& CaptureBuilder::Record(std::uint32_t word) {
    records_.push_back(word);
    return *this;
}
CaptureBuilder& CaptureBuilder::Data(std::uint16_t sdUnit, std::uint16_t rdUnit) {
    // Bits 4-5 of the SD unit mark a data record.
    return Record(static_cast<std::uint32_t>(sdUnit | 0x30) | (static_cast<std::uint32_t>(rdUnit) << 16));
}
CaptureBuilder& CaptureBuilder::Sd(std::uint8_t byte, std::uint8_t code) { return Data(Unit(byte, code), kNoUnit); }
CaptureBuilder& CaptureBuilder::Rd(std::uint8_t byte, std::uint8_t code) { return Data(kNoUnit, Unit(byte, code)); }
CaptureBuilder& CaptureBuilder::SdText(const std::string& text) {
    for (unsigned char c : text) Sd(c);
    return *this;
}
CaptureBuilder& CaptureBuilder::RdText(const std::string& text) {
    for (unsigned char c : text) Rd(c);
    return *this;
}
CaptureBuilder& CaptureBuilder::LineState(std::uint8_t before, std::uint8_t after) {
    return Record(1u | (static_cast<std::uint32_t>(before) << 8) | (static_cast<std::uint32_t>(after) << 24));
}
CaptureBuilder& CaptureBuilder::Idle(std::uint16_t count) {
    return Record(2u | (static_cast<std::uint32_t>(count & 0xFF) << 8) |
                  (static_cast<std::uint32_t>(count >> 8) << 24));
}
CaptureBuilder& CaptureBuilder::Timestamp(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, bool rd, bool frame) {
    std::uint32_t w = 3u | (static_cast<std::uint32_t>(b0 & 0x7F) << 8) | (static_cast<std::uint32_t>(b1) << 16) |
                      (static_cast<std::uint32_t>(b2) << 24);
    if (rd) w |= 0x8000;
    if (frame) w |= 0x80;
    return Record(w);
}
CaptureBuilder& CaptureBuilder::SdFrame(const std::vector<std::uint8_t>& bytes) {
    Sd(0x7E, kCodeFrameStart);
    for (auto b : bytes) Sd(b);
    return Sd(0x7E, kCodeFrameEnd);
}
CaptureBuilder& CaptureBuilder::RdFrame(const std::vector<std::uint8_t>& bytes) {
    Rd(0x7E, kCodeFrameStart);
    for (auto b : bytes) Rd(b);
    return Rd(0x7E, kCodeFrameEnd);
}
CaptureBuilder& CaptureBuilder::SdFrame(std::initializer_list<std::uint8_t> bytes) {
    return SdFrame(std::vector<std::uint8_t>(bytes));
}
CaptureBuilder& CaptureBuilder::RdFrame(std::initializer_list<std::uint8_t> bytes) {
    return RdFrame(std::vector<std::uint8_t>(bytes));
}

std::string CaptureBuilder::Bytes() const {
    std::string out;
    out.reserve(1762 + 4 * records_.size());
    out += ident_;
    out += version_;
    out += "\r\n\x1a";
    std::array<std::uint8_t, 1736> block = settings_;
    std::uint32_t length = lengthOverridden_ ? lengthOverride_ : static_cast<std::uint32_t>(4 * records_.size());
    for (int i = 0; i < 4; ++i) block[kRecordAreaLengthField + i] = static_cast<std::uint8_t>(length >> (8 * i));
    out.append(reinterpret_cast<const char*>(block.data()), block.size());
    for (auto w : records_) PutLe32(out, w);
    return out;
}

void CaptureBuilder::Write(const std::string& path) const {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = Bytes();
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

void CaptureBuilder::WriteTruncated(const std::string& path, std::size_t size) const {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = Bytes().substr(0, size);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace capture
