// The capture data file: identification header, settings block, record area.
//
// CMonData opens the file exclusively, maps it read-only as a whole and reads
// its format version; LoadSettings copies the 1736-byte settings block into the
// one CaptureSettings record and sets up the record window over the records.
// The file is never written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "capture/record_window.h"
#include "platform/mapped_file.h"

inline constexpr char kIdentText[] = "VX-5200  DATA     ";  // 18 characters
inline constexpr std::size_t kIdentLength = 18;
inline constexpr std::size_t kVersionOffset = 18;
inline constexpr std::size_t kSettingsOffset = 26;
inline constexpr std::size_t kSettingsSize = 1736;
inline constexpr std::size_t kRecordAreaOffset = kSettingsOffset + kSettingsSize;  // 1762

// Byte offsets of the interpreted fields within the settings block.
namespace settings_field {
inline constexpr std::size_t kDataType = 0;
inline constexpr std::size_t kMode = 1;
inline constexpr std::size_t kSendSpeed = 4;
inline constexpr std::size_t kReceiveSpeed = 8;
inline constexpr std::size_t kCode = 12;
inline constexpr std::size_t kCharBits = 13;
inline constexpr std::size_t kParity = 14;
inline constexpr std::size_t kStopBitsOrClock = 15;
inline constexpr std::size_t kCheck = 25;
inline constexpr std::size_t kSdAddressSet = 26;
inline constexpr std::size_t kSdAddress = 27;
inline constexpr std::size_t kRdAddressSet = 28;
inline constexpr std::size_t kRdAddress = 29;
inline constexpr std::size_t kFrameTimestamp = 41;
inline constexpr std::size_t kLineStateRecorded = 43;
inline constexpr std::size_t kRecordAreaLength = 1732;
}  // namespace settings_field

enum CaptureMode : std::int8_t { kModeAsync = 0, kModeSync = 1, kModeHdlc = 2, kModePpp = 3 };

struct CaptureSettings {
    std::uint8_t block[kSettingsSize];
    RecordWindow window;

    std::uint8_t dataType() const { return block[settings_field::kDataType]; }
    std::int8_t mode() const { return static_cast<std::int8_t>(block[settings_field::kMode]); }
    std::int32_t sendSpeed() const { return static_cast<std::int32_t>(Le32(settings_field::kSendSpeed)); }
    std::int32_t receiveSpeed() const { return static_cast<std::int32_t>(Le32(settings_field::kReceiveSpeed)); }
    std::int8_t code() const { return static_cast<std::int8_t>(block[settings_field::kCode]); }
    std::int8_t charBits() const { return static_cast<std::int8_t>(block[settings_field::kCharBits]); }
    std::int8_t parity() const { return static_cast<std::int8_t>(block[settings_field::kParity]); }
    std::int8_t stopBitsOrClock() const { return static_cast<std::int8_t>(block[settings_field::kStopBitsOrClock]); }
    std::int8_t check() const { return static_cast<std::int8_t>(block[settings_field::kCheck]); }
    std::uint8_t sdAddressSet() const { return block[settings_field::kSdAddressSet]; }
    std::uint8_t sdAddress() const { return block[settings_field::kSdAddress]; }
    std::uint8_t rdAddressSet() const { return block[settings_field::kRdAddressSet]; }
    std::uint8_t rdAddress() const { return block[settings_field::kRdAddress]; }
    std::uint8_t frameTimestamp() const { return block[settings_field::kFrameTimestamp]; }
    std::uint8_t lineStateRecorded() const { return block[settings_field::kLineStateRecorded]; }
    std::uint32_t recordAreaLength() const { return Le32(settings_field::kRecordAreaLength); }

    std::uint32_t Le32(std::size_t at) const {
        return static_cast<std::uint32_t>(block[at]) | (static_cast<std::uint32_t>(block[at + 1]) << 8) |
               (static_cast<std::uint32_t>(block[at + 2]) << 16) | (static_cast<std::uint32_t>(block[at + 3]) << 24);
    }
};

extern CaptureSettings captureSettings;

// Why the data file could not be opened, mapped or validated.
enum class DataFileFailure {
    none,
    openRefused,    // open failed (error holds why)
    heldByAnother,  // another program holds the lock
    isDirectory,
    notRegularFile,  // a pipe, device or socket
    statFailed,
    empty,  // nothing to map
    mapFailed,
    identDiffers,  // no identification text (also a file shorter than it)
    versionUnsupported,
    dataTypeUnsupported,
};
struct DataFileReport {
    DataFileFailure failure;
    int error;  // the saved errno, 0 when the system gave none
};

class CMonData {
public:
    explicit CMonData(const char* fileName);
    ~CMonData();
    CMonData(const CMonData&) = delete;
    CMonData& operator=(const CMonData&) = delete;

    // 1 not open, 2 no mapping, 3 no view, 4 unknown version, 5 unsupported
    // data type, 0 valid.
    int Status() const;
    // What Status reports, with its reason.
    DataFileReport Failure() const;
    // 1 on success, 0 when the version is not 0 or 1 or the file is too short
    // for its settings block.
    int LoadSettings(CaptureSettings& settings) const;

    // The mapped file (null when not mapped) and its size.
    const std::uint8_t* View() const { return file_.view; }
    std::size_t Size() const { return file_.size; }
    // A settings byte read straight from the mapping (0 when the file is too short).
    std::uint8_t SettingsByte(std::size_t fieldOffset) const;
    // True when `name` names the open data file (the same file under any name).
    bool IsDataFile(const char* name) const;
    // The format version read from the identification header (-1 without one).
    std::int32_t Version() const { return version_; }

private:
    MappedFile file_;
    std::int32_t version_ = -1;
    DataFileReport openFailure_{DataFileFailure::none, 0};  // of opening and mapping
};

extern CMonData* monData;

// The message for a CMonData status other than 0.
std::string_view DataFileStatusMessage(int status);
// Creates the one CMonData object for fileName (once) and validates the file:
// 1 when it is open and valid, else 0 and DataFileFailureMessage tells why.
int OpenDataFile(const char* fileName);
// The message for a failed OpenDataFile: the allocation failure or the status message.
std::string_view DataFileFailureMessage();
// Releases the CMonData object (exit clean-up).
void ReleaseDataFile();
