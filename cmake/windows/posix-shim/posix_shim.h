// Scaffolding of the Windows cross build until platform/ has its Win32 side:
// just enough of the POSIX calls the capture file code makes, so that the
// OS-free libraries and their unit tests build and run under Wine. Forced into
// the scaffold's own targets only (cmake/Windows.cmake); delete with it.
#pragma once

#include <fcntl.h>
#include <stdio.h>

#ifndef O_CLOEXEC
#define O_CLOEXEC 0  // no inheritance of C descriptors across CreateProcess anyway
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef putc_unlocked
#define putc_unlocked _putc_nolock
#endif
