// The standard descriptors at start-up on POSIX.
#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/retry.h"

void OpenClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is taken, which is `fd` itself: those
        // below it are open by now. Reads from 0 and writes to 1 and 2 fail.
        const int opened = RetryOnInterrupt([&] { return open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY); });
        if (opened < 0) _exit(1);
        if (opened != fd) {
            if (dup2(opened, fd) < 0) _exit(1);
            close(opened);
        }
    }
}
