#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <windows.h>

#include "platform/process.h"

void OpenClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        // A program started without a console or with a handle closed has no
        // handle behind the descriptor. The null device takes its place,
        // open for the other direction only, so that every use fails as it would have.
        const intptr_t held = _get_osfhandle(fd);
        if (held != -1 && held != -2) continue;
        const int opened = _open("NUL", (fd == 0 ? _O_WRONLY : _O_RDONLY) | _O_BINARY);
        if (opened < 0) ExitProcess(1);
        if (opened != fd) {
            if (_dup2(opened, fd) != 0) ExitProcess(1);
            _close(opened);
        }
    }
}
