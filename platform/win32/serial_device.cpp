// The serial device on the Win32 communications calls: the port opened
// alone (no sharing), driver queues of 4096 bytes, the whole line in the DCB
// (8N1, RTS/CTS handshake, no XON/XOFF), fixed time-outs (a one-byte read
// gives up after 110 ms, a write of n bytes after 10 n + 1000 ms), DTR and
// RTS raised. All I/O is synchronous on the calling thread.
#include "platform/serial_device.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kQueueSize = 4096;  // input and output queue of the driver
constexpr DWORD kReadPerByteMs = 10;
constexpr DWORD kReadConstantMs = 100;
constexpr DWORD kWritePerByteMs = 10;
constexpr DWORD kWriteConstantMs = 1000;

PortReport Report(PortFailure failure, int error) { return {failure, error}; }
int LastError() { return static_cast<int>(GetLastError()); }
HANDLE Handle(SerialHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// The read time-out the port holds now (one port per program): a read asking
// for another one sets it first.
int readTimeoutMs = static_cast<int>(kReadPerByteMs + kReadConstantMs);

bool SetTimeouts(HANDLE h, int oneByteReadMs) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 0;
    timeouts.ReadTotalTimeoutMultiplier = kReadPerByteMs;
    timeouts.ReadTotalTimeoutConstant =
        oneByteReadMs > static_cast<int>(kReadPerByteMs) ? static_cast<DWORD>(oneByteReadMs) - kReadPerByteMs : 0;
    timeouts.WriteTotalTimeoutMultiplier = kWritePerByteMs;
    timeouts.WriteTotalTimeoutConstant = kWriteConstantMs;
    if (!SetCommTimeouts(h, &timeouts)) return false;
    readTimeoutMs = oneByteReadMs;
    return true;
}

// The line as the tools need it; the special characters, fErrorChar and the
// reserved fields stay as the driver reported them.
PortReport ConfigureLine(HANDLE h, int speed) {
    bool offered = false;
    for (int s : kOfferedSpeeds) offered = offered || s == speed;
    if (!offered) return Report(PortFailure::lineSettings, ERROR_INVALID_PARAMETER);
    // A character device with no serial driver (NUL, CON) refuses the queue sizes.
    if (!SetupComm(h, kQueueSize, kQueueSize)) {
        const int error = LastError();
        const bool serial =
            error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_HANDLE;
        return Report(serial ? PortFailure::lineSettings : PortFailure::notSerial, error);
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) return Report(PortFailure::lineSettings, LastError());
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(speed);
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = TRUE;  // output waits for CTS
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = 3072;
    dcb.XoffLim = 3840;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(h, &dcb)) return Report(PortFailure::lineSettings, LastError());
    if (!SetTimeouts(h, static_cast<int>(kReadPerByteMs + kReadConstantMs)))
        return Report(PortFailure::lineSettings, LastError());
    return Report(PortFailure::none, 0);
}

// Errors of a port whose device went away (an unplugged USB adapter).
bool IsGone(DWORD error) {
    return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_BAD_COMMAND || error == ERROR_GEN_FAILURE ||
           error == ERROR_ACCESS_DENIED || error == ERROR_OPERATION_ABORTED || error == ERROR_DEV_NOT_EXIST ||
           error == ERROR_NOT_READY;
}

}  // namespace

int ComDevicePath(const char* portName, char* path, std::size_t size) {
    // "COMn" with n = 1, 2, ... written without leading zeros: \\.\COMn, the
    // form Windows takes for every port (and requires from COM10 on).
    constexpr int kMaxDigits = 6;
    int digits = 0;
    if (std::strncmp(portName, "COM", 3) == 0 && portName[3] >= '1' && portName[3] <= '9') {
        while (portName[3 + digits] >= '0' && portName[3 + digits] <= '9' && digits <= kMaxDigits) ++digits;
        if (portName[3 + digits] != '\0' || digits > kMaxDigits) digits = 0;
    }
    const int needed =
        digits > 0 ? std::snprintf(path, size, "\\\\.\\%s", portName) : std::snprintf(path, size, "%s", portName);
    return needed >= 0 && static_cast<std::size_t>(needed) < size ? 1 : 0;
}

PortReport OpenSerialDevice(const char* path, int speed, SerialHandle* handle) {
    *handle = kNoSerialDevice;
    const HANDLE h =
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        // A port open in another program refuses every other open: access
        // denied for a device, a sharing violation for a file.
        const DWORD error = GetLastError();
        const bool device = std::strncmp(path, "\\\\.\\", 4) == 0;
        const bool held = error == ERROR_SHARING_VIOLATION || (device && error == ERROR_ACCESS_DENIED);
        return Report(held ? PortFailure::heldByAnother : PortFailure::openRefused, static_cast<int>(error));
    }
    if (GetFileType(h) != FILE_TYPE_CHAR) {
        CloseHandle(h);
        return Report(PortFailure::notSerial, 0);
    }
    const PortReport configured = ConfigureLine(h, speed);
    if (configured.failure != PortFailure::none) {
        ReleaseSerialDevice(reinterpret_cast<SerialHandle>(h));
        return configured;
    }
    // A port without modem lines refuses these; the line works without them.
    EscapeCommFunction(h, SETDTR);
    EscapeCommFunction(h, SETRTS);
    *handle = reinterpret_cast<SerialHandle>(h);
    return Report(PortFailure::none, 0);
}

int ReadSerialDevice(SerialHandle handle, unsigned char* buffer, int size, int timeoutMs, PortReport* failure) {
    const HANDLE h = Handle(handle);
    if (size <= 0) return 0;
    if (timeoutMs != readTimeoutMs && !SetTimeouts(h, timeoutMs)) {
        *failure = Report(PortFailure::readFailed, LastError());
        return -1;
    }
    // One byte within the time-out, then what the driver holds besides.
    DWORD got = 0;
    if (!ReadFile(h, buffer, 1, &got, nullptr)) {
        const DWORD error = GetLastError();
        *failure = Report(IsGone(error) ? PortFailure::disconnected : PortFailure::readFailed, static_cast<int>(error));
        return -1;
    }
    DWORD errors = 0;
    COMSTAT status{};
    if (got == 0) {
        // Nothing came: a time-out, unless the device has gone (some
        // drivers of USB adapters then answer every read at once with nothing).
        if (ClearCommError(h, &errors, &status)) return 0;
        const DWORD error = GetLastError();
        *failure = Report(IsGone(error) ? PortFailure::disconnected : PortFailure::readFailed, static_cast<int>(error));
        return -1;
    }
    if (size == 1 || !ClearCommError(h, &errors, &status) || status.cbInQue == 0) return 1;
    const DWORD more = status.cbInQue < static_cast<DWORD>(size - 1) ? status.cbInQue : static_cast<DWORD>(size - 1);
    DWORD gotMore = 0;
    // The bytes are queued already: this read returns at once.
    if (!ReadFile(h, buffer + 1, more, &gotMore, nullptr)) return 1;  // the next read reports the failure
    return static_cast<int>(1 + gotMore);
}

int WriteSerialDevice(SerialHandle handle, const char* data, int length, int timeoutMs, PortReport* failure) {
    // The port's write time-out (10 ms per byte + 1000 ms) is timeoutMs as the callers compute it.
    (void)timeoutMs;
    DWORD written = 0;
    if (!WriteFile(Handle(handle), data, static_cast<DWORD>(length), &written, nullptr)) {
        const DWORD error = GetLastError();
        *failure =
            Report(IsGone(error) ? PortFailure::disconnected : PortFailure::writeFailed, static_cast<int>(error));
        return -1;
    }
    return static_cast<int>(written);  // fewer than length: the write time-out
}

void ReleaseSerialDevice(SerialHandle handle) {
    const HANDLE h = Handle(handle);
    EscapeCommFunction(h, CLRRTS);
    EscapeCommFunction(h, CLRDTR);
    CloseHandle(h);
}
