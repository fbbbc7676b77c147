// The file system and error texts on Win32. Names may use either slash as the
// folder separator; files are written in binary, with the line ends the
// programs write themselves.
#include "platform/files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {
// The folder part of `name` (up to and with its last separator or drive colon).
int FolderLength(const char* name) {
    int folder = 0;
    for (int i = 0; name[i] != '\0'; ++i) {
        if (name[i] == '/' || name[i] == '\\' || (i == 1 && name[i] == ':')) folder = i + 1;
    }
    return folder;
}

std::time_t FromFileTime(const FILETIME& t) {
    // 100 ns steps since 1601-01-01; the calendar counts seconds since 1970-01-01.
    constexpr unsigned long long kStepsPerSecond = 10000000ULL;
    constexpr unsigned long long kSecondsTo1970 = 11644473600ULL;
    const unsigned long long steps = (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<std::time_t>(steps / kStepsPerSecond) - static_cast<std::time_t>(kSecondsTo1970);
}
}  // namespace

FileKind KindOfFile(const char* name) {
    // A device name (NUL, CON, COM1) or a pipe is no file of the disk.
    const HANDLE h = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        const DWORD type = GetFileType(h);
        CloseHandle(h);
        if (type != FILE_TYPE_DISK) return FileKind::other;
    }
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // A device under its full name (\\.\COM12) held by another program opens for no one.
        const bool device = std::strncmp(name, "\\\\.\\", 4) == 0 || std::strncmp(name, "//./", 4) == 0;
        return h != INVALID_HANDLE_VALUE || device ? FileKind::other : FileKind::missing;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileKind::directory;
    return (attributes & FILE_ATTRIBUTE_DEVICE) ? FileKind::other : FileKind::regular;
}

bool FileModificationTime(const char* name, std::time_t* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return false;
    *time = FromFileTime(data.ftLastWriteTime);
    return true;
}

std::FILE* CreateFileBeside(const char* name, const char* stem, char* tempName, std::size_t size, int* error) {
    const int folder = FolderLength(name);
    // Six characters of our own after the stem, tried until a name is free.
    constexpr int kTries = 100;
    unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 20);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const unsigned suffix = static_cast<unsigned>(seed >> 40) & 0xFFFFFFu;
        const int needed = std::snprintf(tempName, size, "%.*s%s.%06x", folder, name, stem, suffix);
        if (needed < 0 || static_cast<std::size_t>(needed) >= size) {
            tempName[0] = '\0';
            *error = ERROR_FILENAME_EXCED_RANGE;
            return nullptr;
        }
        const HANDLE h = CreateFileA(tempName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            *error = static_cast<int>(GetLastError());
            if (*error == ERROR_FILE_EXISTS || *error == ERROR_ALREADY_EXISTS) continue;
            tempName[0] = '\0';
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(h), _O_BINARY | _O_WRONLY);
        std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
        if (file == nullptr) {
            *error = ERROR_TOO_MANY_OPEN_FILES;
            if (fd >= 0) {
                _close(fd);
            } else {
                CloseHandle(h);
            }
            DeleteFileA(tempName);
            tempName[0] = '\0';
        }
        return file;
    }
    *error = ERROR_FILE_EXISTS;
    tempName[0] = '\0';
    return nullptr;
}

bool ReplaceFileWith(const char* to, const char* from, int* error) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
    *error = static_cast<int>(GetLastError());
    return false;
}

void RemoveFile(const char* name) { DeleteFileA(name); }

void SetStandardOutputBinary() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

const char* SystemErrorText(int error) {
    // One line: the system's text without its line end and final period.
    static char text[512];
    const DWORD n =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(error),
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    if (n == 0) {
        std::snprintf(text, sizeof text, "system error %d", error);
        return text;
    }
    std::size_t length = n;
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ' ||
                          text[length - 1] == '.')) {
        --length;
    }
    text[length] = '\0';
    for (char* p = text; *p != '\0'; ++p) {
        if (*p == '\r' || *p == '\n') *p = ' ';
    }
    return text;
}

bool IsAccessDenied(int error) { return error == ERROR_ACCESS_DENIED; }
