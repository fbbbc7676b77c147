// The serial device under the COM port module: open a port for this program
// alone, set its line (raw 8 data bits, no parity, 1 stop bit, RTS/CTS
// handshake, no XON/XOFF, at an offered speed) and raise DTR and RTS; read
// with a time-out; write with a time-out; release it (lower RTS and DTR,
// close). Nothing here prints: every failure comes back as a PortFailure and
// the system's error code, for the caller to put into words.
//
// A read tells a time-out (nothing came) from a failure: a hang-up, an I/O
// error or an end of data on a line that said it was readable is a failure,
// so that a vanished USB adapter ends the caller rather than leaving it
// waiting.
#pragma once

#include <cstddef>
#include <cstdint>

// The line speeds the serial tools offer, in bits per second.
inline constexpr int kOfferedSpeeds[] = {9600, 19200, 38400, 57600, 115200, 230400};

enum class PortFailure {
    none,
    nameTooLong,    // the device path for the port name does not fit
    openRefused,    // the device could not be opened (error holds why)
    heldByAnother,  // another program holds the port
    notSerial,      // the name opens something that is no serial device
    lineSettings,   // the driver refused the line settings, or they did not take
    disconnected,   // hang-up: the device went away
    readFailed,     // any other read error
    writeFailed,    // a write error
    writeTimedOut,  // nothing could be sent within the write time-out
};
struct PortReport {
    PortFailure failure;
    int error;  // the system's error code, 0 when it gave none
};

using SerialHandle = std::intptr_t;
inline constexpr SerialHandle kNoSerialDevice = -1;

// The device path for a port name: "COMn" (n = 1, 2, ...) names the n-th
// serial device of the system; any other name is a path used as it is.
// Writes at most size bytes including the terminator; 1 if it fits, 0 if not.
int ComDevicePath(const char* portName, char* path, std::size_t size);

// Opens the device at `path` exclusively, sets its line at `speed` (one of
// kOfferedSpeeds) and raises DTR and RTS (their results are not looked at: a
// pseudo-terminal has no modem lines). On success *handle holds the port; on
// failure nothing stays open.
PortReport OpenSerialDevice(const char* path, int speed, SerialHandle* handle);
// Waits at most timeoutMs for the first byte, then takes what the driver
// holds, up to size bytes: the number of bytes, 0 after a time-out, or -1
// with *failure set.
int ReadSerialDevice(SerialHandle handle, unsigned char* buffer, int size, int timeoutMs, PortReport* failure);
// Writes length bytes within timeoutMs: the number of bytes written (fewer
// after the time-out), or -1 with *failure set when a write failed before
// anything went out.
int WriteSerialDevice(SerialHandle handle, const char* data, int length, int timeoutMs, PortReport* failure);
// Lowers RTS and DTR, gives the port up and closes it; async-signal-safe.
void ReleaseSerialDevice(SerialHandle handle);
