// What the programs ask of the file system beyond the C library's streams:
// what a name stands for, its modification time, a new file beside a name
// that replaces it at the end, the system's text for an error code, and
// standard output in binary. Nothing here prints.
#pragma once

#include <cstddef>
#include <cstdio>
#include <ctime>

inline constexpr int kFileNameMax = 260;  // characters of a file name

enum class FileKind { missing, regular, directory, other };

// What `name` is: no file, a regular file, a folder, or anything else (a
// device, a pipe or a socket, written in place rather than replaced).
FileKind KindOfFile(const char* name);
// The modification time of `name`; false when it cannot be had.
bool FileModificationTime(const char* name, std::time_t* time);

// Creates a new, empty file for binary writing in the folder of `name`, under
// a short name of its own made from `stem` (so that a long `name` still leaves
// room and the file is easy to recognise), and writes that name into tempName
// (size bytes with the terminator). nullptr and the system's error code in
// *error on failure, tempName then empty.
std::FILE* CreateFileBeside(const char* name, const char* stem, char* tempName, std::size_t size, int* error);
// Moves `from` over `to` in one step, replacing what `to` held; false and the
// error code in *error on failure.
bool ReplaceFileWith(const char* to, const char* from, int* error);
// Removes a file this program made; nothing is reported.
void RemoveFile(const char* name);

// Standard output carries binary data (the pcapng stream): no line end is translated.
void SetStandardOutputBinary();

// The system's own text for an error code reported by this layer or left by
// the C library (never null).
const char* SystemErrorText(int error);
// True when the error code means the user lacks the right to the device.
bool IsAccessDenied(int error);
