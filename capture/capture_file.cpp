#include "capture/capture_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "capture/options.h"

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

}  // namespace

CMonData::CMonData(const char* fileName) {
    // Not blocking: a named pipe must not hold the converter at the open.
    fd_ = open(fileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        openFailure_ = {DataFileFailure::openRefused, errno};
        return;
    }
    // Exclusive use of the file while the converter reads it; a file system
    // without locks is read without one.
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
        openFailure_ = {errno == EWOULDBLOCK ? DataFileFailure::heldByAnother : DataFileFailure::openRefused, errno};
        close(fd_);
        fd_ = -1;
        return;
    }
    struct stat st;
    if (fstat(fd_, &st) != 0) {
        openFailure_ = {DataFileFailure::statFailed, errno};
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        // A folder, pipe or device opens for reading here, but it is no data file.
        openFailure_ = {S_ISDIR(st.st_mode) ? DataFileFailure::isDirectory : DataFileFailure::notRegularFile, 0};
        close(fd_);
        fd_ = -1;
        return;
    }
    if (st.st_size <= 0) {  // nothing to map
        openFailure_ = {DataFileFailure::empty, 0};
        return;
    }
    mapped_ = true;
    size_ = static_cast<std::size_t>(st.st_size);
    void* view = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
    if (view == MAP_FAILED) {
        openFailure_ = {DataFileFailure::mapFailed, errno};
        return;
    }
    view_ = static_cast<const std::uint8_t*>(view);
    madvise(view, size_, MADV_RANDOM);
    if (size_ >= kIdentLength && std::memcmp(view_, kIdentText, kIdentLength) == 0) {
        version_ = ParseVersion(view_ + kVersionOffset, size_ - kVersionOffset);
    }
}

CMonData::~CMonData() {
    if (view_ != nullptr) {
        munmap(const_cast<std::uint8_t*>(view_), size_);
        view_ = nullptr;
    }
    mapped_ = false;
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

int CMonData::Status() const {
    if (fd_ < 0) return 1;
    if (!mapped_) return 2;
    if (view_ == nullptr) return 3;
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
    return view_ != nullptr && at < size_ ? view_[at] : 0;
}

bool CMonData::IsDataFile(const char* name) const {
    struct stat named;
    struct stat held;
    if (fd_ < 0 || stat(name, &named) != 0 || fstat(fd_, &held) != 0) return false;
    return named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

int CMonData::LoadSettings(CaptureSettings& settings) const {
    if (static_cast<std::uint32_t>(version_) > 1) return 0;
    // A file too short for its settings block has no settings to load.
    if (view_ == nullptr || size_ < kRecordAreaOffset) return 0;
    settings = CaptureSettings{};
    std::memcpy(settings.block, view_ + kSettingsOffset, kSettingsSize);
    // The record area is what the file holds of it: a length reaching past
    // the end of the file keeps the whole records that are present.
    std::uint32_t length = settings.recordAreaLength();
    const std::size_t available = size_ - kRecordAreaOffset;
    if (length > available) length = static_cast<std::uint32_t>(available);
    SetupRecordWindow(settings.window, view_ + kRecordAreaOffset, length);
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

int OpenDataFile() {
    if (monData != nullptr) return 1;
    monData = new (std::nothrow) CMonData(options.dataFileName);
    if (monData == nullptr) {
        std::printf("Not engouth memory.\n");  // the program's own spelling
        return 0;
    }
    const int status = monData->Status();
    if (status == 0) return 1;
    const std::string_view message = DataFileStatusMessage(status);
    std::printf("%.*s\n", static_cast<int>(message.size()), message.data());
    return 0;
}

void ReleaseDataFile() {
    delete monData;
    monData = nullptr;
}
