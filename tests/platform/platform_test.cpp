// The platform layer reports why, and prints nothing: the capture file's
// open and mapping, the serial device's open, read and hang-up. (The file
// beside a long name that replaces it is tested through vx5pcap.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "platform/mapped_file.h"
#include "platform/serial_device.h"
#include "tests/support/pty_peer.h"
#include "tests/support/run_program.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFileBytes;

TEST(Platform, MapFileExclusivelyNamesEachFailure) {
    TempDir dir;
    WriteFileBytes(dir.File("capture.dt"), "VX");
    WriteFileBytes(dir.File("empty.dt"), "");
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    struct Case {
        std::string name;
        MapFailure failure;
        int error;
    };
    const Case cases[] = {
        {dir.File("capture.dt"), MapFailure::none, 0}, {dir.File("missing.dt"), MapFailure::openRefused, ENOENT},
        {dir.File(""), MapFailure::isDirectory, 0},    {dir.File("pipe"), MapFailure::notRegularFile, 0},
        {dir.File("empty.dt"), MapFailure::empty, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MappedFile file;
        const MapReport report = MapFileExclusively(c.name.c_str(), &file);
        EXPECT_EQ(report.failure, c.failure);
        EXPECT_EQ(report.error, c.error);
        EXPECT_EQ(file.view != nullptr, c.failure == MapFailure::none);
        if (file.view != nullptr) {
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.view), file.size), "VX");
            EXPECT_TRUE(IsSameFile(file, c.name.c_str()));
            MappedFile second;
            EXPECT_EQ(MapFileExclusively(c.name.c_str(), &second).failure, MapFailure::heldByAnother);
        }
        UnmapFile(&file);
    }
}

TEST(Platform, SerialDeviceTellsATimeOutFromAHangUp) {
    TempDir dir;
    WriteFileBytes(dir.File("plain"), "x");
    SerialHandle port = kNoSerialDevice;
    EXPECT_EQ(OpenSerialDevice(dir.File("plain").c_str(), 9600, &port).failure, PortFailure::notSerial);
    EXPECT_EQ(OpenSerialDevice(dir.File("none").c_str(), 9600, &port).failure, PortFailure::openRefused);
    EXPECT_EQ(port, kNoSerialDevice);

    serial_testing::PtyPair pty;
    ASSERT_EQ(OpenSerialDevice(pty.SlavePath().c_str(), 115200, &port).failure, PortFailure::none);
    unsigned char buffer[8];
    PortReport failure{};
    EXPECT_EQ(ReadSerialDevice(port, buffer, sizeof buffer, 20, &failure), 0) << "nothing came: a time-out";
    pty.SendQueued("AB");
    EXPECT_EQ(ReadSerialDevice(port, buffer, sizeof buffer, 1000, &failure), 2);
    EXPECT_EQ(WriteSerialDevice(port, "xyz", 3, 1000, &failure), 3);
    EXPECT_EQ(pty.Receive(3), "xyz");
    pty.CloseMaster();
    EXPECT_EQ(ReadSerialDevice(port, buffer, sizeof buffer, 1000, &failure), -1);
    EXPECT_EQ(failure.failure, PortFailure::disconnected);
    ReleaseSerialDevice(port);
}

}  // namespace
