// The serial device on POSIX termios. The device is opened non-blocking so
// the open itself cannot wait for a carrier, taken exclusively (flock, then
// TIOCEXCL), set to raw 8N1 with RTS/CTS handshake and switched back to
// blocking. Reads wait with poll; writes are non-blocking under poll so that
// no write waits past its time-out.
#include "platform/serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "platform/posix/retry.h"
#include "platform/process.h"

namespace {

struct SpeedCode {
    int bitsPerSecond;
    speed_t code;
};
constexpr SpeedCode kSpeedCodes[] = {
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};
static_assert(std::size(kSpeedCodes) == std::size(kOfferedSpeeds));

PortReport Report(PortFailure failure, int error) { return {failure, error}; }

int Fd(SerialHandle handle) { return static_cast<int>(handle); }

// Takes the port for this program alone: no other program holding a lock on
// it can be sharing it, and no later open of the device succeeds (TIOCEXCL).
// The lock comes first: the exclusive mode belongs to the device, not to this
// descriptor, so setting it on a port another program holds would shut others
// out of that program's port after our open had failed.
bool TakeExclusively(int fd) {
    if (RetryOnInterrupt([&] { return flock(fd, LOCK_EX | LOCK_NB); }) != 0 && errno != ENOLCK && errno != EOPNOTSUPP)
        return false;  // no locks on this file system: go without one
    return RetryOnInterrupt([&] { return ioctl(fd, TIOCEXCL, nullptr); }) == 0;
}

// Raw 8N1 with RTS/CTS handshake and no XON/XOFF, every flag set explicitly.
// tcsetattr succeeds when any of the changes took, so the whole setting is
// read back and compared: the four flag words and both speeds.
PortReport ConfigureLine(int fd, int speed) {
    const SpeedCode* offered = nullptr;
    for (const SpeedCode& s : kSpeedCodes) {
        if (s.bitsPerSecond == speed) offered = &s;
    }
    if (offered == nullptr) return Report(PortFailure::lineSettings, EINVAL);
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return Report(errno == ENOTTY ? PortFailure::notSerial : PortFailure::lineSettings, errno);
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNCR | ICRNL | INLCR);
    tio.c_iflag |= IGNBRK;
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD | CRTSCTS;
    tio.c_cc[VMIN] = 1;  // a read after poll said readable returns at once
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, offered->code) != 0 || cfsetospeed(&tio, offered->code) != 0)
        return Report(PortFailure::lineSettings, errno);
    if (RetryOnInterrupt([&] { return tcsetattr(fd, TCSANOW, &tio); }) != 0)
        return Report(PortFailure::lineSettings, errno);

    termios back{};
    if (tcgetattr(fd, &back) != 0) return Report(PortFailure::lineSettings, errno);
    const bool took = back.c_iflag == tio.c_iflag && back.c_oflag == tio.c_oflag && back.c_cflag == tio.c_cflag &&
                      back.c_lflag == tio.c_lflag && cfgetispeed(&back) == offered->code &&
                      cfgetospeed(&back) == offered->code;
    return took ? Report(PortFailure::none, 0) : Report(PortFailure::lineSettings, 0);
}

void SetModemLine(int fd, unsigned long request, int line) {
    RetryOnInterrupt([&] { return ioctl(fd, request, &line); });
}

}  // namespace

int ComDevicePath(const char* portName, char* path, std::size_t size) {
    // "COMn" with n = 1, 2, ... written without leading zeros: /dev/ttyS(n-1).
    constexpr int kMaxDigits = 6;
    int digits = 0;
    long n = 0;
    if (std::strncmp(portName, "COM", 3) == 0 && portName[3] >= '1' && portName[3] <= '9') {
        for (const char* p = portName + 3; *p >= '0' && *p <= '9' && digits <= kMaxDigits; ++p, ++digits) {
            n = n * 10 + (*p - '0');
        }
        if (portName[3 + digits] != '\0' || digits > kMaxDigits) digits = 0;
    }
    int needed =
        digits > 0 ? std::snprintf(path, size, "/dev/ttyS%ld", n - 1) : std::snprintf(path, size, "%s", portName);
    return needed >= 0 && static_cast<std::size_t>(needed) < size ? 1 : 0;
}

PortReport OpenSerialDevice(const char* path, int speed, SerialHandle* handle) {
    *handle = kNoSerialDevice;
    const int fd = RetryOnInterrupt([&] { return open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    // A port in exclusive use by another program refuses the open with EBUSY.
    if (fd < 0) return Report(errno == EBUSY ? PortFailure::heldByAnother : PortFailure::openRefused, errno);
    struct stat st {};
    const bool serial = fstat(fd, &st) == 0 && S_ISCHR(st.st_mode);
    if (!serial || !TakeExclusively(fd)) {
        // A character device without terminal control (ENOTTY) is no serial port either.
        const int error = serial ? errno : 0;
        close(fd);
        return Report(serial && error != ENOTTY ? PortFailure::heldByAnother : PortFailure::notSerial, error);
    }
    const int flags = fcntl(fd, F_GETFL);
    PortReport configured = flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0
                                ? ConfigureLine(fd, speed)
                                : Report(PortFailure::lineSettings, errno);
    if (configured.failure != PortFailure::none) {
        ReleaseSerialDevice(fd);
        return configured;
    }
    SetModemLine(fd, TIOCMBIS, TIOCM_DTR);
    SetModemLine(fd, TIOCMBIS, TIOCM_RTS);
    *handle = fd;
    return Report(PortFailure::none, 0);
}

int ReadSerialDevice(SerialHandle handle, unsigned char* buffer, int size, int timeoutMs, PortReport* failure) {
    const int fd = Fd(handle);
    pollfd p{fd, POLLIN, 0};
    const int ready = RetryOnInterrupt([&] { return poll(&p, 1, timeoutMs); });
    if (ready < 0) return *failure = Report(PortFailure::readFailed, errno), -1;
    if (ready == 0) return 0;
    // A hang-up or error with nothing to read.
    if ((p.revents & POLLIN) == 0) return *failure = Report(PortFailure::disconnected, 0), -1;
    const ssize_t r = RetryOnInterrupt([&] { return read(fd, buffer, static_cast<std::size_t>(size)); });
    if (r < 0 && errno == EAGAIN) return 0;
    // End of file on a hung-up line, or EIO from a vanished device.
    if (r == 0 || (r < 0 && errno == EIO)) return *failure = Report(PortFailure::disconnected, r < 0 ? EIO : 0), -1;
    if (r < 0) return *failure = Report(PortFailure::readFailed, errno), -1;
    return static_cast<int>(r);
}

int WriteSerialDevice(SerialHandle handle, const char* data, int length, int timeoutMs, PortReport* failure) {
    const int fd = Fd(handle);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        *failure = Report(PortFailure::writeFailed, errno);
        return -1;
    }
    const long long deadline = MonotonicMs() + timeoutMs;
    int written = 0;
    bool failed = false;
    while (written < length) {
        const long long left = deadline - MonotonicMs();
        if (left <= 0) break;
        pollfd p{fd, POLLOUT, 0};
        const int ready = poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            failed = true;
            *failure = Report(ready < 0 ? PortFailure::writeFailed : PortFailure::disconnected, ready < 0 ? errno : 0);
            break;
        }
        if (ready == 0) break;
        const ssize_t w = write(fd, data + written, static_cast<std::size_t>(length - written));
        if (w > 0) {
            written += static_cast<int>(w);
        } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
            failed = true;
            *failure = Report(errno == EIO ? PortFailure::disconnected : PortFailure::writeFailed, errno);
            break;
        }
    }
    fcntl(fd, F_SETFL, flags);
    return failed && written == 0 ? -1 : written;
}

void ReleaseSerialDevice(SerialHandle handle) {
    const int fd = Fd(handle);
    int rts = TIOCM_RTS;
    int dtr = TIOCM_DTR;
    ioctl(fd, TIOCMBIC, &rts);
    ioctl(fd, TIOCMBIC, &dtr);
    ioctl(fd, TIOCNXCL);
    close(fd);
}
