#include "capture/capture_file.h"

#include <cstring>
#include <new>
#include <string_view>

CaptureSettings captureSettings;
CMonData* monData = nullptr;

namespace {
// Reads the version digits as a decimal number: leading blanks and a sign are
// accepted, the number ends at the first non-digit (or at the end of the file).
std::int32_t ParseVersion(const std::uint8_t* text, std::size_t available) {
    std::size_t i = 0;
    while (i < available && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < available && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t value = 0;
    while (i < available && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;  // far outside the accepted versions
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

// The platform's reason for a file it could not open or map, as the container names it.
DataFileFailure ToDataFileFailure(MapFailure failure) {
    switch (failure) {
        case MapFailure::none: return DataFileFailure::none;
        case MapFailure::openRefused: return DataFileFailure::openRefused;
        case MapFailure::heldByAnother: return DataFileFailure::heldByAnother;
        case MapFailure::isDirectory: return DataFileFailure::isDirectory;
        case MapFailure::notRegularFile: return DataFileFailure::notRegularFile;
        case MapFailure::statFailed: return DataFileFailure::statFailed;
        case MapFailure::empty: return DataFileFailure::empty;
        case MapFailure::mapFailed: return DataFileFailure::mapFailed;
    }
    return DataFileFailure::openRefused;
}

}  // namespace

CMonData::CMonData(const char* fileName) {
    const MapReport report = MapFileExclusively(fileName, &file_);
    openFailure_ = {ToDataFileFailure(report.failure), report.error};
    if (file_.view != nullptr && file_.size >= kIdentLength && std::memcmp(file_.view, kIdentText, kIdentLength) == 0) {
        version_ = ParseVersion(file_.view + kVersionOffset, file_.size - kVersionOffset);
    }
}

CMonData::~CMonData() { UnmapFile(&file_); }

int CMonData::Status() const {
    switch (openFailure_.failure) {
        case DataFileFailure::openRefused:
        case DataFileFailure::heldByAnother:
        case DataFileFailure::isDirectory:
        case DataFileFailure::notRegularFile: return 1;
        case DataFileFailure::statFailed:
        case DataFileFailure::empty: return 2;
        case DataFileFailure::mapFailed: return 3;
        default: break;
    }
    if (version_ != 0 && version_ != 1) return 4;
    const std::uint8_t dataType = SettingsByte(settings_field::kDataType);
    if (dataType >= 1 && dataType <= 3) return 5;
    return 0;
}

DataFileReport CMonData::Failure() const {
    switch (Status()) {
        case 0: return {DataFileFailure::none, 0};
        case 4: return {version_ < 0 ? DataFileFailure::identDiffers : DataFileFailure::versionUnsupported, 0};
        case 5: return {DataFileFailure::dataTypeUnsupported, 0};
        default: return openFailure_;
    }
}

std::uint8_t CMonData::SettingsByte(std::size_t fieldOffset) const {
    const std::size_t at = kSettingsOffset + fieldOffset;
    return file_.view != nullptr && at < file_.size ? file_.view[at] : 0;
}

bool CMonData::IsDataFile(const char* name) const { return IsSameFile(file_, name); }

int CMonData::LoadSettings(CaptureSettings& settings) const {
    if (static_cast<std::uint32_t>(version_) > 1) return 0;
    // A file too short for its settings block has no settings to load.
    if (file_.view == nullptr || file_.size < kRecordAreaOffset) return 0;
    settings = CaptureSettings{};
    std::memcpy(settings.block, file_.view + kSettingsOffset, kSettingsSize);
    // The record area is what the file holds of it: a length reaching past
    // the end of the file keeps the whole records that are present.
    std::uint32_t length = settings.recordAreaLength();
    const std::size_t available = file_.size - kRecordAreaOffset;
    if (length > available) length = static_cast<std::uint32_t>(available);
    SetupRecordWindow(settings.window, file_.view + kRecordAreaOffset, length);
    return 1;
}

std::string_view DataFileStatusMessage(int status) {
    switch (status) {
        case 1: return "Can't open data file.";
        case 2: return "Can't create mapping object.";
        case 3: return "Can't map view of file.";
        case 4: return "Unknown data file.";
        case 5: return "Unsuported data.";  // the program's own spelling
        default: return "";
    }
}

int OpenDataFile(const char* fileName) {
    if (monData != nullptr) return 1;
    monData = new (std::nothrow) CMonData(fileName);
    return monData != nullptr && monData->Status() == 0 ? 1 : 0;
}

std::string_view DataFileFailureMessage() {
    if (monData == nullptr) return "Not engouth memory.";  // the program's own spelling
    return DataFileStatusMessage(monData->Status());
}

void ReleaseDataFile() {
    delete monData;
    monData = nullptr;
}
