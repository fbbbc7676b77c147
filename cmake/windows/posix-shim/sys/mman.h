// Scaffolding (see posix_shim.h): a read-only view of a whole file through
// a file mapping object, as the Win32 capture file code will make it.
#pragma once

#include <errno.h>
#include <io.h>
#include <stddef.h>
#include <windows.h>

#define PROT_READ 1
#define MAP_PRIVATE 2
#define MAP_FAILED ((void*)-1)
#define MADV_RANDOM 1

inline void* mmap(void*, size_t length, int, int, int fd, long long) {
    HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping == nullptr) {
        errno = EACCES;
        return MAP_FAILED;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, length);
    CloseHandle(mapping);  // the view keeps the mapping alive
    if (view == nullptr) {
        errno = ENOMEM;
        return MAP_FAILED;
    }
    return view;
}
inline int munmap(void* view, size_t) { return UnmapViewOfFile(view) ? 0 : -1; }
inline int madvise(void*, size_t, int) { return 0; }
