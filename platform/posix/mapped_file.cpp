// The capture file on POSIX: open without blocking (a named pipe must not
// hold the program at the open), flock for exclusive use in place of a share
// mode, fstat for the size, one private read-only mmap of the whole file.
#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/retry.h"

namespace {
MapReport Refuse(MappedFile* file, int fd, MapFailure failure, int error) {
    close(fd);
    *file = MappedFile{};
    return {failure, error};
}
}  // namespace

MapReport MapFileExclusively(const char* name, MappedFile* file) {
    *file = MappedFile{};
    const int fd = RetryOnInterrupt([&] { return open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) return {MapFailure::openRefused, errno};
    // A file system without locks is read without one.
    if (RetryOnInterrupt([&] { return flock(fd, LOCK_EX | LOCK_NB); }) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
        const int error = errno;
        return Refuse(file, fd, error == EWOULDBLOCK ? MapFailure::heldByAnother : MapFailure::openRefused, error);
    }
    struct stat st;
    if (fstat(fd, &st) != 0) return Refuse(file, fd, MapFailure::statFailed, errno);
    if (!S_ISREG(st.st_mode)) {
        return Refuse(file, fd, S_ISDIR(st.st_mode) ? MapFailure::isDirectory : MapFailure::notRegularFile, 0);
    }
    if (st.st_size <= 0) return Refuse(file, fd, MapFailure::empty, 0);
    const auto size = static_cast<std::size_t>(st.st_size);
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (view == MAP_FAILED) return Refuse(file, fd, MapFailure::mapFailed, errno);
    madvise(view, size, MADV_RANDOM);  // the listings walk the records back and forth
    file->handle = fd;
    file->view = static_cast<const std::uint8_t*>(view);
    file->size = size;
    return {MapFailure::none, 0};
}

void UnmapFile(MappedFile* file) {
    if (file->view != nullptr) munmap(const_cast<std::uint8_t*>(file->view), file->size);
    if (file->handle >= 0) close(static_cast<int>(file->handle));
    *file = MappedFile{};
}

bool IsSameFile(const MappedFile& file, const char* name) {
    struct stat named;
    struct stat held;
    if (file.handle < 0 || stat(name, &named) != 0 || fstat(static_cast<int>(file.handle), &held) != 0) return false;
    return named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}
