// Scaffolding (see posix_shim.h): no advisory locks, reported as a file
// system without them, so the capture is read without a lock.
#pragma once

#include <errno.h>

#define LOCK_EX 2
#define LOCK_NB 4

inline int flock(int, int) {
    errno = EOPNOTSUPP;
    return -1;
}
