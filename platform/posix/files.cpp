// The file system and error texts on POSIX.
#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/posix/retry.h"

FileKind KindOfFile(const char* name) {
    struct stat st;
    if (stat(name, &st) != 0) return FileKind::missing;
    if (S_ISREG(st.st_mode)) return FileKind::regular;
    return S_ISDIR(st.st_mode) ? FileKind::directory : FileKind::other;
}

bool FileModificationTime(const char* name, std::time_t* time) {
    struct stat st;
    if (stat(name, &st) != 0) return false;
    *time = st.st_mtime;
    return true;
}

std::FILE* CreateFileBeside(const char* name, const char* stem, char* tempName, std::size_t size, int* error) {
    // The folder part of the name, then a short name of our own in it.
    const char* slash = std::strrchr(name, '/');
    const int folder = slash != nullptr ? static_cast<int>(slash - name + 1) : 0;
    const int needed = std::snprintf(tempName, size, "%.*s%s.XXXXXX", folder, name, stem);
    if (needed < 0 || static_cast<std::size_t>(needed) >= size) {
        tempName[0] = '\0';
        *error = ENAMETOOLONG;
        return nullptr;
    }
    const int fd = mkostemp(tempName, O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        tempName[0] = '\0';
        return nullptr;
    }
    // mkstemp makes the file for its owner alone; the export gets the mode
    // any new file of the user gets.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        *error = errno;
        close(fd);
        unlink(tempName);
        tempName[0] = '\0';
    }
    return file;
}

bool ReplaceFileWith(const char* to, const char* from, int* error) {
    if (std::rename(from, to) == 0) return true;
    *error = errno;
    return false;
}

void RemoveFile(const char* name) { unlink(name); }

void SetStandardOutputBinary() {}  // no text mode here

const char* SystemErrorText(int error) { return std::strerror(error); }

bool IsAccessDenied(int error) { return error == EACCES || error == EPERM; }
