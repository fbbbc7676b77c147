// The serial port of the serial tools: one port per program, kept at module
// level. ComOpen takes the port named by comPortName exclusively and sets it
// to raw 8N1 with RTS/CTS handshake at comSpeed; ComReadByte reads one byte
// with a 110 ms time-out; ComGetChar folds CR, LF and CR LF into one LF;
// ComGetLine assembles lines; ComPutText sends text with every LF expanded to
// CR LF; ComClose lowers RTS and DTR and releases the port.
//
// Bytes are taken from the driver a queue-full at a time (up to 4096) and
// handed out one by one, so a fast line costs one system call per burst,
// not per byte.
//
// In end-of-text mode (the print data receiver) the byte 0x1A ends the data:
// once it has arrived every further read yields 0x1A again without touching
// the port, until the next ComOpen.
//
// Results of the reading operations: a byte as 0 to 255, kComNoChar (-1) when
// nothing is there yet (time-out, or the LF of a CR LF pair), kComReadFailure
// (-2) when the port failed or hung up. The module prints nothing: after a
// failure ComLastFailure tells what went wrong and the system's error number.
// The console side of both tools is in serial/console.h.
#pragma once

#include <cstddef>

#include "platform/serial_device.h"

inline constexpr int kComPortNameSize = 260;  // 259 characters and the terminator
inline constexpr int kComNoChar = -1;
inline constexpr int kComReadFailure = -2;
inline constexpr int kEndOfText = 0x1A;  // Ctrl-Z

// Settings, written before ComOpen. "COMn" names the n-th serial device of
// the system; any other name is a device path used unchanged.
extern char comPortName[kComPortNameSize];
extern int comSpeed;     // 9600, 19200, 38400, 57600, 115200 or 230400
extern bool comEofMode;  // byte 0x1A ends the data

// What the last failing operation ran into, and the system's error code.
using ComFailure = PortFailure;
using ComFailureReport = PortReport;
ComFailureReport ComLastFailure();

// Opens and configures the port; 1 on success (also when already open), 0 on failure.
int ComOpen();
// Lowers RTS and DTR and closes the port if it is open; always 1.
int ComClose();
// Releases the port as ComClose does, with async-signal-safe calls only (for
// a signal handler that ends the program).
void ComReleaseAtSignal();
// One received byte (0-255), kComNoChar or kComReadFailure.
int ComReadByte();
// As ComReadByte, with CR turned into LF and the LF right after such a CR
// reported as kComNoChar.
int ComGetChar();
// Reads one line into buffer (size counts the terminator, as for fgets),
// waiting through time-outs. The line ends with its LF (or, in end-of-text
// mode, with 0x1A) unless it filled the buffer. Returns buffer, or nullptr on
// a read failure or a size below 1. When length is given it receives the
// number of bytes stored, so lines holding NUL bytes can be used whole.
// With quietMs above 0 the wait also ends once no byte has come for that many
// milliseconds: the line then holds what came before and *quiet is set.
char* ComGetLine(char* buffer, int size, int* length = nullptr, int quietMs = 0, bool* quiet = nullptr);
// Sends text with every LF expanded to CR LF; returns the number of bytes
// written (CR insertions included; fewer after a write time-out) or 0 on failure.
int ComPutText(const char* text);

// Reads a speed option's value: a decimal number in full (leading blanks and
// a sign allowed, nothing after the digits) that is an offered line speed.
// 1 and the speed in *speed, or 0.
int ParseComSpeed(const char* text, int* speed);

// ComDevicePath (platform/serial_device.h) gives the device path ComOpen uses for a port name.
