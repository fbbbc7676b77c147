// The capture file on Win32: opened with share mode 0, so that no other
// program opens it while it is read (and none holding it lets us in), one
// read-only mapping object of the file's size and one view of the whole file.
#include "platform/mapped_file.h"

#include <windows.h>

namespace {
HANDLE Handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

MapReport Refuse(MappedFile* file, HANDLE h, MapFailure failure, int error) {
    CloseHandle(h);
    *file = MappedFile{};
    return {failure, error};
}

int LastError() { return static_cast<int>(GetLastError()); }
}  // namespace

MapReport MapFileExclusively(const char* name, MappedFile* file) {
    *file = MappedFile{};
    // A folder is told first: the exclusive open of a folder fails as soon as
    // any program has it open (as its current folder, say).
    const DWORD attributes = GetFileAttributesA(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return {MapFailure::isDirectory, 0};
    }
    // Backup semantics lets a folder open, so that it is told apart from a missing file.
    const HANDLE h = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const int error = LastError();
        return {error == ERROR_SHARING_VIOLATION ? MapFailure::heldByAnother : MapFailure::openRefused, error};
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK) return Refuse(file, h, MapFailure::notRegularFile, 0);
    if (!GetFileInformationByHandle(h, &info)) return Refuse(file, h, MapFailure::statFailed, LastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Refuse(file, h, MapFailure::isDirectory, 0);
    const unsigned long long size = (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size == 0) return Refuse(file, h, MapFailure::empty, 0);
    const HANDLE mapping = CreateFileMappingA(h, nullptr, PAGE_READONLY | SEC_COMMIT, 0, 0, nullptr);
    if (mapping == nullptr) return Refuse(file, h, MapFailure::mapFailed, LastError());
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) {
        const int error = LastError();
        CloseHandle(mapping);
        return Refuse(file, h, MapFailure::mapFailed, error);
    }
    file->handle = reinterpret_cast<std::intptr_t>(h);
    file->mapping = reinterpret_cast<std::intptr_t>(mapping);
    file->view = static_cast<const std::uint8_t*>(view);
    file->size = static_cast<std::size_t>(size);
    return {MapFailure::none, 0};
}

void UnmapFile(MappedFile* file) {
    if (file->view != nullptr) UnmapViewOfFile(file->view);
    if (file->mapping != -1) CloseHandle(Handle(file->mapping));
    if (file->handle != -1) CloseHandle(Handle(file->handle));
    *file = MappedFile{};
}

bool IsSameFile(const MappedFile& file, const char* name) {
    if (file.handle == -1) return false;
    // The named file is opened without access, which the exclusive open allows.
    const HANDLE named = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    const bool known = GetFileInformationByHandle(named, &a) && GetFileInformationByHandle(Handle(file.handle), &b);
    CloseHandle(named);
    return known && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}
