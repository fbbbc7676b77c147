// The serial port on POSIX termios. The descriptor is opened non-blocking so
// the open itself cannot wait for a carrier, taken exclusively (TIOCEXCL and
// flock), then switched back to blocking. Reads wait with poll for at most
// 110 ms and then take whatever the driver holds into the read buffer; a
// hang-up or EIO is a read failure, never a time-out, so a vanished adapter
// ends the caller instead of leaving it waiting.
#include "serial/com_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

char comPortName[kComPortNameSize] = "COM1";
int comSpeed = 115200;
bool comEofMode = false;

namespace {

constexpr int kReadTimeoutMs = 110;  // one byte: 10 ms per byte + 100 ms
constexpr int kWriteTimeoutPerByteMs = 10;
constexpr int kWriteTimeoutConstantMs = 1000;
constexpr int kSendBufferSize = 4096;  // the LF-expanded copy of one text
constexpr int kReadBufferSize = 4096;  // the driver's input queue
constexpr int kNoPort = -1;

struct SpeedCode {
    int bitsPerSecond;
    speed_t code;
};

// The line speeds the programs offer.
constexpr SpeedCode kSpeeds[] = {
    {9600, B9600}, {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

// The descriptor is read by the signal handler, hence atomic.
std::atomic<int> portFd{kNoPort};
static_assert(std::atomic<int>::is_always_lock_free);

bool pendingCr = false;      // the last character delivered was a CR turned into LF
bool endOfTextSeen = false;  // end-of-text mode: 0x1A has arrived
char sendBuffer[kSendBufferSize];

// Received bytes not yet handed out: readBuffer[readNext .. readEnd).
unsigned char readBuffer[kReadBufferSize];
int readNext = 0;
int readEnd = 0;

ComFailureReport lastFailure{ComFailure::none, 0};

// Notes a failure and its system error number; returns 0 for the caller's result.
int Fail(ComFailure failure, int error) {
    lastFailure = {failure, error};
    return 0;
}

// The offered line speed of that many bits per second, or nullptr.
const SpeedCode* FindSpeed(long bitsPerSecond) {
    for (const SpeedCode& s : kSpeeds) {
        if (s.bitsPerSecond == bitsPerSecond) return &s;
    }
    return nullptr;
}

int RetryIoctl(int fd, unsigned long request, const void* arg) {
    int r;
    do {
        r = ioctl(fd, request, arg);
    } while (r < 0 && errno == EINTR);
    return r;
}

void SetModemLine(int fd, unsigned long request, int line) { RetryIoctl(fd, request, &line); }

// Takes the port for this program alone: no other program holding a lock on
// it can be sharing it, and no later open of the device succeeds (TIOCEXCL).
// The lock comes first: the exclusive mode belongs to the device, not to this
// descriptor, so setting it on a port another program holds would shut others
// out of that program's port after our open had failed.
bool TakeExclusively(int fd) {
    int r;
    do {
        r = flock(fd, LOCK_EX | LOCK_NB);
    } while (r < 0 && errno == EINTR);
    if (r != 0 && errno != ENOLCK && errno != EOPNOTSUPP) return false;  // no locks here: go without one
    return RetryIoctl(fd, TIOCEXCL, nullptr) == 0;
}

bool ClearNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Raw 8N1 with RTS/CTS handshake and no XON/XOFF. tcsetattr succeeds when any
// of the changes took, so the settings are read back and the essential ones
// compared.
bool ConfigureLine(int fd) {
    const SpeedCode* offered = FindSpeed(comSpeed);
    if (offered == nullptr) return Fail(ComFailure::lineSettings, EINVAL);
    const speed_t speed = offered->code;
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return Fail(errno == ENOTTY ? ComFailure::notSerial : ComFailure::lineSettings, errno);
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNCR | ICRNL | INLCR);
    tio.c_iflag |= IGNBRK;
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    tio.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL | ISIG | IEXTEN);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD | CRTSCTS;
    tio.c_cc[VMIN] = 1;  // a read after poll said readable returns at once
    tio.c_cc[VTIME] = 0;
    if (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0) return Fail(ComFailure::lineSettings, errno);
    int r;
    do {
        r = tcsetattr(fd, TCSANOW, &tio);
    } while (r < 0 && errno == EINTR);
    if (r != 0) return Fail(ComFailure::lineSettings, errno);

    termios back{};
    if (tcgetattr(fd, &back) != 0) return Fail(ComFailure::lineSettings, errno);
    constexpr tcflag_t kFrameBits = CSIZE | PARENB | CSTOPB;
    constexpr tcflag_t kLocalBits = ICANON | ECHO | ISIG;
    const bool took = cfgetispeed(&back) == speed && cfgetospeed(&back) == speed &&
                      (back.c_cflag & kFrameBits) == CS8 && (back.c_lflag & kLocalBits) == 0 &&
                      (back.c_iflag & (IXON | IXOFF)) == 0;
    return took || Fail(ComFailure::lineSettings, 0);
}

long long NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Writes length bytes within the write time-out (10 ms per byte + 1000 ms);
// returns what was written, or -1 on a write failure before anything went out
// (noted in lastFailure). The descriptor is non-blocking meanwhile, so no
// write waits past the time-out.
int WriteWithTimeout(int fd, const char* data, int length) {
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        Fail(ComFailure::writeFailed, errno);
        return -1;
    }
    const long long deadline =
        NowMs() + kWriteTimeoutPerByteMs * static_cast<long long>(length) + kWriteTimeoutConstantMs;
    int written = 0;
    bool failed = false;
    while (written < length) {
        long long left = deadline - NowMs();
        if (left <= 0) break;
        pollfd p{fd, POLLOUT, 0};
        int ready = poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            failed = true;
            Fail(ready < 0 ? ComFailure::writeFailed : ComFailure::disconnected, ready < 0 ? errno : 0);
            break;
        }
        if (ready == 0) break;
        ssize_t w = write(fd, data + written, static_cast<std::size_t>(length - written));
        if (w > 0) {
            written += static_cast<int>(w);
        } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
            failed = true;
            Fail(errno == EIO ? ComFailure::disconnected : ComFailure::writeFailed, errno);
            break;
        }
    }
    fcntl(fd, F_SETFL, flags);
    if (failed && written == 0) return -1;
    return written;
}

// Releases the port: lowers RTS, then DTR, gives up the exclusive hold and
// closes. Only async-signal-safe calls, so the signal handler can use it.
void ReleasePort(int fd) {
    int rts = TIOCM_RTS;
    int dtr = TIOCM_DTR;
    ioctl(fd, TIOCMBIC, &rts);
    ioctl(fd, TIOCMBIC, &dtr);
    ioctl(fd, TIOCNXCL);
    close(fd);
}

int ReadFailure(ComFailure failure, int error) {
    Fail(failure, error);
    return kComReadFailure;
}

// Takes what the driver holds into the read buffer, waiting at most the read
// time-out for the first byte: 1 when bytes came, else kComNoChar or
// kComReadFailure.
int FillReadBuffer(int fd) {
    pollfd p{fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&p, 1, kReadTimeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return ReadFailure(ComFailure::readFailed, errno);
    if (ready == 0) return kComNoChar;
    // A hang-up or error with nothing to read.
    if ((p.revents & POLLIN) == 0) return ReadFailure(ComFailure::disconnected, 0);
    ssize_t r;
    do {
        r = read(fd, readBuffer, sizeof readBuffer);
    } while (r < 0 && errno == EINTR);
    if (r < 0 && errno == EAGAIN) return kComNoChar;
    // End of file on a hung-up line, or EIO from a vanished device.
    if (r == 0 || (r < 0 && errno == EIO)) return ReadFailure(ComFailure::disconnected, r < 0 ? EIO : 0);
    if (r < 0) return ReadFailure(ComFailure::readFailed, errno);
    readNext = 0;
    readEnd = static_cast<int>(r);
    return 1;
}

long long MsSince(long long startMs) { return NowMs() - startMs; }

}  // namespace

ComFailureReport ComLastFailure() { return lastFailure; }

int ParseComSpeed(const char* text, int* speed) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || FindSpeed(value) == nullptr) return 0;
    *speed = static_cast<int>(value);
    return 1;
}

int ComDevicePath(const char* portName, char* path, std::size_t size) {
    // "COMn" with n = 1, 2, ... written without leading zeros.
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

int ComOpen() {
    pendingCr = false;
    endOfTextSeen = false;
    if (portFd.load() != kNoPort) return 1;

    lastFailure = {ComFailure::none, 0};
    char path[kComPortNameSize + 16];
    if (!ComDevicePath(comPortName, path, sizeof path)) return Fail(ComFailure::nameTooLong, 0);
    int fd;
    do {
        fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    // A port in exclusive use by another program refuses the open with EBUSY.
    if (fd < 0) return Fail(errno == EBUSY ? ComFailure::heldByAnother : ComFailure::openRefused, errno);
    struct stat st {};
    bool serial = fstat(fd, &st) == 0 && S_ISCHR(st.st_mode);
    if (!serial || !TakeExclusively(fd)) {
        // A character device without terminal control (ENOTTY) is no serial port either.
        const int error = serial ? errno : 0;
        close(fd);
        return Fail(serial && error != ENOTTY ? ComFailure::heldByAnother : ComFailure::notSerial, error);
    }
    readNext = readEnd = 0;
    portFd.store(fd);
    const bool configured = ClearNonBlocking(fd) ? ConfigureLine(fd) : Fail(ComFailure::lineSettings, errno);
    if (!configured) {
        ComClose();  // keeps the failure noted
        return 0;
    }
    SetModemLine(fd, TIOCMBIS, TIOCM_DTR);  // a pseudo-terminal has no modem lines:
    SetModemLine(fd, TIOCMBIS, TIOCM_RTS);  // the results do not matter
    return 1;
}

void ComReleaseAtSignal() {
    int fd = portFd.exchange(kNoPort);
    if (fd != kNoPort) ReleasePort(fd);
}

int ComClose() {
    ComReleaseAtSignal();
    readNext = readEnd = 0;  // what was not handed out goes with the port
    return 1;
}

int ComReadByte() {
    if (comEofMode && endOfTextSeen) return kEndOfText;
    if (readNext == readEnd) {
        int fd = portFd.load();
        if (fd == kNoPort) return kComReadFailure;  // closed: waiting would never end
        int filled = FillReadBuffer(fd);
        if (filled != 1) return filled;
    }
    const unsigned char byte = readBuffer[readNext++];
    if (comEofMode && byte == kEndOfText) endOfTextSeen = true;
    return byte;
}

int ComGetChar() {
    int c = ComReadByte();
    if (c < 0) return c;  // a time-out keeps pendingCr: CR, pause, LF is one line end
    if (c == '\r') {
        pendingCr = true;
        return '\n';
    }
    if (c == '\n' && pendingCr) {
        pendingCr = false;
        return kComNoChar;
    }
    pendingCr = false;
    return c;
}

char* ComGetLine(char* buffer, int size, int* length, int quietMs, bool* quiet) {
    if (size <= 0) return nullptr;
    if (quiet != nullptr) *quiet = false;
    int n = 0;
    long long lastByteMs = quietMs > 0 ? NowMs() : 0;
    while (n < size - 1) {
        int c = ComGetChar();
        if (c == kComReadFailure) return nullptr;
        if (c == kComNoChar) {
            // Without a quiet limit the line takes as long as it takes.
            if (quietMs > 0 && MsSince(lastByteMs) >= quietMs) {
                if (quiet != nullptr) *quiet = true;
                break;
            }
            continue;
        }
        if (quietMs > 0) lastByteMs = NowMs();
        buffer[n++] = static_cast<char>(c);
        if (c == '\n' || (comEofMode && c == kEndOfText)) break;
    }
    buffer[n] = '\0';
    if (length != nullptr) *length = n;
    return buffer;
}

int ComPutText(const char* text) {
    // A text longer than the buffer after expansion goes out in buffer-fulls.
    int fd = portFd.load();
    int total = 0;
    const char* p = text;
    while (*p != '\0') {
        int n = 0;
        while (*p != '\0' && n <= kSendBufferSize - 2) {  // room for CR LF
            if (*p == '\n') sendBuffer[n++] = '\r';
            sendBuffer[n++] = *p++;
        }
        int written = WriteWithTimeout(fd, sendBuffer, n);
        if (written < 0) return 0;
        total += written;
        if (written < n) break;  // write time-out: report what went out
    }
    if (total == 0 && *text != '\0') Fail(ComFailure::writeTimedOut, 0);
    return total;
}
