// The serial port over the platform's serial device: the settings, the read
// buffer, the CR LF folding, lines and end-of-text mode. Reads wait at most
// 110 ms for a byte and then take whatever the driver holds into the read
// buffer; a hang-up is a read failure, never a time-out, so a vanished adapter
// ends the caller instead of leaving it waiting.
#include "serial/com_port.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "platform/process.h"

char comPortName[kComPortNameSize] = "COM1";
int comSpeed = 115200;
bool comEofMode = false;

namespace {

constexpr int kReadTimeoutMs = 110;  // one byte: 10 ms per byte + 100 ms
constexpr int kWriteTimeoutPerByteMs = 10;
constexpr int kWriteTimeoutConstantMs = 1000;
constexpr int kSendBufferSize = 4096;  // the LF-expanded copy of one text
constexpr int kReadBufferSize = 4096;  // the driver's input queue

// The port is read by the signal handler, hence atomic.
std::atomic<SerialHandle> port{kNoSerialDevice};
static_assert(std::atomic<SerialHandle>::is_always_lock_free);

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

int ReadFailure(ComFailure failure, int error) {
    Fail(failure, error);
    return kComReadFailure;
}

// Takes what the driver holds into the read buffer, waiting at most the read
// time-out for the first byte: 1 when bytes came, else kComNoChar or
// kComReadFailure.
int FillReadBuffer(SerialHandle handle) {
    PortReport failure{};
    const int r = ReadSerialDevice(handle, readBuffer, sizeof readBuffer, kReadTimeoutMs, &failure);
    if (r < 0) return ReadFailure(failure.failure, failure.error);
    if (r == 0) return kComNoChar;
    readNext = 0;
    readEnd = r;
    return 1;
}

long long MsSince(long long startMs) { return MonotonicMs() - startMs; }

}  // namespace

ComFailureReport ComLastFailure() { return lastFailure; }

int ParseComSpeed(const char* text, int* speed) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') return 0;
    bool offered = false;
    for (int bitsPerSecond : kOfferedSpeeds) offered = offered || bitsPerSecond == value;
    if (!offered) return 0;
    *speed = static_cast<int>(value);
    return 1;
}

int ComOpen() {
    pendingCr = false;
    endOfTextSeen = false;
    if (port.load() != kNoSerialDevice) return 1;

    lastFailure = {ComFailure::none, 0};
    char path[kComPortNameSize + 16];
    if (!ComDevicePath(comPortName, path, sizeof path)) return Fail(ComFailure::nameTooLong, 0);
    SerialHandle opened = kNoSerialDevice;
    const PortReport report = OpenSerialDevice(path, comSpeed, &opened);
    if (report.failure != PortFailure::none) return Fail(report.failure, report.error);
    readNext = readEnd = 0;
    port.store(opened);
    return 1;
}

void ComReleaseAtSignal() {
    const SerialHandle held = port.exchange(kNoSerialDevice);
    if (held != kNoSerialDevice) ReleaseSerialDevice(held);
}

int ComClose() {
    ComReleaseAtSignal();
    readNext = readEnd = 0;  // what was not handed out goes with the port
    return 1;
}

int ComReadByte() {
    if (comEofMode && endOfTextSeen) return kEndOfText;
    if (readNext == readEnd) {
        const SerialHandle held = port.load();
        if (held == kNoSerialDevice) return kComReadFailure;  // closed: waiting would never end
        int filled = FillReadBuffer(held);
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
    long long lastByteMs = quietMs > 0 ? MonotonicMs() : 0;
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
        if (quietMs > 0) lastByteMs = MonotonicMs();
        buffer[n++] = static_cast<char>(c);
        if (c == '\n' || (comEofMode && c == kEndOfText)) break;
    }
    buffer[n] = '\0';
    if (length != nullptr) *length = n;
    return buffer;
}

int ComPutText(const char* text) {
    // A text longer than the buffer after expansion goes out in buffer-fulls.
    const SerialHandle held = port.load();
    int total = 0;
    const char* p = text;
    while (*p != '\0') {
        int n = 0;
        while (*p != '\0' && n <= kSendBufferSize - 2) {  // room for CR LF
            if (*p == '\n') sendBuffer[n++] = '\r';
            sendBuffer[n++] = *p++;
        }
        PortReport failure{};
        const int timeoutMs = kWriteTimeoutPerByteMs * n + kWriteTimeoutConstantMs;
        int written = held == kNoSerialDevice ? -1 : WriteSerialDevice(held, sendBuffer, n, timeoutMs, &failure);
        if (written < 0) {
            if (held == kNoSerialDevice) failure = {ComFailure::writeFailed, EBADF};
            Fail(failure.failure, failure.error);
            return 0;
        }
        total += written;
        if (written < n) break;  // write time-out: report what went out
    }
    if (total == 0 && *text != '\0') Fail(ComFailure::writeTimedOut, 0);
    return total;
}
