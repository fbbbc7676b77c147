// A file opened for this program alone and mapped read-only as a whole: the
// capture data file. Another program holding the file keeps it from being
// opened; the view stays valid until UnmapFile. Nothing here prints: each
// step reports what went wrong and the system's error code.
#pragma once

#include <cstddef>
#include <cstdint>

enum class MapFailure {
    none,
    openRefused,     // the open failed (error holds why)
    heldByAnother,   // another program holds the file
    isDirectory,     // a folder opens for reading here, but it is no file
    notRegularFile,  // a pipe, device or socket
    statFailed,      // its size could not be had
    empty,           // nothing to map
    mapFailed,       // the view could not be made
};
struct MapReport {
    MapFailure failure;
    int error;  // the system's error code, 0 when it gave none
};

struct MappedFile {
    std::intptr_t handle = -1;   // the open file; -1 when none
    std::intptr_t mapping = -1;  // the mapping object where the system has one
    const std::uint8_t* view = nullptr;
    std::size_t size = 0;
};

// Opens `name` exclusively and maps it whole into *file. On failure nothing
// stays open and *file holds no view.
MapReport MapFileExclusively(const char* name, MappedFile* file);
// Unmaps the view and closes the file; a file never mapped is left as it is.
void UnmapFile(MappedFile* file);
// True when `name` names the mapped file itself (the same file under any name).
bool IsSameFile(const MappedFile& file, const char* name);
