// The one retry of a system call that a signal interrupted (EINTR), for the
// POSIX side of the platform layer.
#pragma once

#include <cerrno>

template <typename Call>
auto RetryOnInterrupt(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result < 0 && errno == EINTR);
    return result;
}
