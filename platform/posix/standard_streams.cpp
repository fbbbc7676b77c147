#include "platform/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void OpenClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is taken, which is `fd` itself: those
        // below it are open by now.
        int opened;
        do {
            opened = open("/dev/null", O_RDWR);
        } while (opened < 0 && errno == EINTR);
        if (opened < 0) _exit(1);
        if (opened != fd) {
            if (dup2(opened, fd) < 0) _exit(1);
            close(opened);
        }
    }
}
