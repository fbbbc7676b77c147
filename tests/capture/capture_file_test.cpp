// The capture data file container: opening, validation, settings and the
// record window over the mapped file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "capture/capture_file.h"
#include "capture/record_stream.h"
#include "tests/support/capture_writer.h"
#include "tests/support/run_program.h"

namespace {

using capture::CaptureBuilder;
using testing_support::TempDir;

class CaptureFile : public ::testing::Test {
protected:
    void SetUp() override {
        ReleaseDataFile();
        captureSettings = CaptureSettings{};
    }
    void TearDown() override { ReleaseDataFile(); }

    std::string Write(const CaptureBuilder& b, const std::string& name = "capture.dt") {
        const std::string path = dir_.File(name);
        b.Write(path);
        return path;
    }
    std::string WriteBytes(const std::string& bytes, const std::string& name = "capture.dt") {
        const std::string path = dir_.File(name);
        testing_support::WriteFileBytes(path, bytes);
        return path;
    }
    int StatusOf(const std::string& path) { return CMonData(path.c_str()).Status(); }

    TempDir dir_;
};

TEST_F(CaptureFile, StatusOfFilesByIdentificationVersionAndDataType) {
    struct Case {
        const char* what;
        CaptureBuilder builder;
        int status;
    };
    Case cases[] = {
        {"valid", CaptureBuilder(), 0},
        {"version 1", CaptureBuilder().Version("00001"), 0},
        {"version 2", CaptureBuilder().Version("00002"), 4},
        {"version 99999", CaptureBuilder().Version("99999"), 4},
        {"version -0001", CaptureBuilder().Version("-0001"), 4},
        {"version with leading blanks", CaptureBuilder().Version("   +1"), 0},
        {"zeros then a letter", CaptureBuilder().Version("0000A"), 0},
        {"no digits", CaptureBuilder().Version("ABCDE"), 0},
        {"lower-case letter", CaptureBuilder().Ident("vX-5200  DATA     "), 4},
        {"last blank differs", CaptureBuilder().Ident("VX-5200  DATA    X"), 4},
        {"one blank short", CaptureBuilder().Ident("VX-5200 DATA      "), 4},
        {"other model", CaptureBuilder().Ident("VX-5300  DATA     "), 4},
        {"data type 0", CaptureBuilder().DataType(0), 0},
        {"data type 1", CaptureBuilder().DataType(1), 5},
        {"data type 2", CaptureBuilder().DataType(2), 5},
        {"data type 3", CaptureBuilder().DataType(3), 5},
        {"data type 4", CaptureBuilder().DataType(4), 0},
        {"data type 255", CaptureBuilder().DataType(255), 0},
        {"version checked before data type", CaptureBuilder().Version("00007").DataType(2), 4},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(StatusOf(Write(c.builder)), c.status);
    }
}

TEST_F(CaptureFile, StatusOfFilesThatCannotBeOpenedOrMapped) {
    EXPECT_EQ(StatusOf(dir_.File("missing.dt")), 1);
    EXPECT_EQ(StatusOf(dir_.Path()), 1) << "a folder is not a data file";
    EXPECT_EQ(StatusOf(WriteBytes("")), 2) << "an empty file cannot be mapped";
    EXPECT_EQ(StatusOf(WriteBytes("VX-5200  DATA")), 4) << "shorter than the identification text";
}

TEST_F(CaptureFile, AFileHeldByAnotherOpenerCannotBeOpenedUntilReleased) {
    const std::string path = Write(CaptureBuilder().SdText("A"));
    {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
        EXPECT_EQ(StatusOf(path), 1);
        close(fd);
    }
    {
        CMonData held(path.c_str());
        ASSERT_EQ(held.Status(), 0);
        EXPECT_EQ(StatusOf(path), 1) << "a second opener is refused while the first holds the file";
    }
    EXPECT_EQ(StatusOf(path), 0) << "the destructor releases the file";
}

TEST_F(CaptureFile, LoadSettingsCopiesTheBlockAndSetsUpTheWindow) {
    CaptureBuilder b;
    b.Mode(kModeHdlc).SendSpeed(96000).ReceiveSpeed(15440000).Code(10).CharBits(3).Parity(5);
    b.StopBitsOrClock(2).Check(-1).SdAddress(0x01).RdAddress(0xFE).FrameTimestamp(true).LineStateRecorded(true);
    b.SettingsByte(1731, 0x5C);  // an uninterpreted byte just before the length
    b.SdText("ABC").LineState(1, 2);
    const std::string path = Write(b);
    CMonData data(path.c_str());
    ASSERT_EQ(data.Status(), 0);
    EXPECT_EQ(data.SettingsByte(settings_field::kMode), kModeHdlc);
    EXPECT_EQ(data.SettingsByte(settings_field::kLineStateRecorded), 1);

    ASSERT_EQ(data.LoadSettings(captureSettings), 1);
    const CaptureSettings& s = captureSettings;
    EXPECT_EQ(std::memcmp(s.block, data.View() + 26, 1736), 0);
    EXPECT_EQ(s.mode(), kModeHdlc);
    EXPECT_EQ(s.sendSpeed(), 96000);
    EXPECT_EQ(s.receiveSpeed(), 15440000);
    EXPECT_EQ(s.code(), 10);
    EXPECT_EQ(s.charBits(), 3);
    EXPECT_EQ(s.parity(), 5);
    EXPECT_EQ(s.stopBitsOrClock(), 2);
    EXPECT_EQ(s.check(), -1);
    EXPECT_EQ(s.sdAddressSet(), 1);
    EXPECT_EQ(s.sdAddress(), 0x01);
    EXPECT_EQ(s.rdAddressSet(), 1);
    EXPECT_EQ(s.rdAddress(), 0xFE);
    EXPECT_EQ(s.frameTimestamp(), 1);
    EXPECT_EQ(s.lineStateRecorded(), 1);
    EXPECT_EQ(s.block[1731], 0x5C);
    EXPECT_EQ(s.recordAreaLength(), 16u);

    const RecordWindow& w = s.window;
    EXPECT_EQ(w.areaStart, data.View() + 1762);
    EXPECT_EQ(w.areaEnd, data.View() + 1762 + 16);
    EXPECT_EQ(w.windowFirst, w.areaStart);
    EXPECT_EQ(w.windowEnd, w.areaStart);
    EXPECT_EQ(w.home.position, w.areaStart);
    EXPECT_EQ(w.home.quarter, 0);
    EXPECT_FALSE(w.home.secondDirection);
    EXPECT_EQ(RecordAt(w.areaStart), b.Records()[0]);
    EXPECT_EQ(RecordAt(w.areaEnd - 4), b.Records()[3]);
}

TEST_F(CaptureFile, LoadSettingsRefusesUnknownVersionsAndShortFiles) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::string valid = CaptureBuilder().Bytes();
    const Case cases[] = {
        {"version 2", CaptureBuilder().Version("00002").Bytes()},
        {"identification differs", CaptureBuilder().Ident("VX-5200  data     ").Bytes()},
        {"ends inside the version", valid.substr(0, 20)},
        {"ends inside the settings", valid.substr(0, 1000)},
        {"one byte short of the settings", valid.substr(0, 1761)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CMonData data(WriteBytes(c.bytes).c_str());
        EXPECT_EQ(data.LoadSettings(captureSettings), 0);
    }
}

TEST_F(CaptureFile, RecordAreaKeepsOnlyWholeRecordsInsideTheFile) {
    struct Case {
        const char* what;
        int records;             // records written after the settings
        std::size_t extraBytes;  // bytes after them
        std::uint32_t length;    // the length the settings claim
        std::size_t areaLength;  // what the window spans
    };
    const Case cases[] = {
        {"exact", 3, 0, 12, 12},
        {"zero length, no records", 0, 0, 0, 0},
        {"zero length with records present", 3, 0, 0, 0},
        {"shorter than the records present", 3, 0, 8, 8},
        {"not a multiple of 4", 3, 0, 10, 8},
        {"length 1", 3, 0, 1, 0},
        {"length 2", 3, 0, 2, 0},
        {"length 3", 3, 0, 3, 0},
        {"length 5", 3, 0, 5, 4},
        {"past the end of the file", 3, 0, 20, 12},
        {"past the end, partial record at the end", 3, 3, 20, 12},
        {"largest length", 3, 2, 0xFFFFFFFFu, 12},
        {"length ending in the partial record", 3, 2, 14, 12},
        {"no records, length claims some", 0, 0, 400, 0},
        {"no records, a partial one", 0, 3, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CaptureBuilder b;
        for (int i = 0; i < c.records; ++i) b.Sd(static_cast<std::uint8_t>('A' + i));
        b.RecordAreaLength(c.length);
        const std::string bytes = b.Bytes() + std::string(c.extraBytes, '\x3A');
        CMonData data(WriteBytes(bytes).c_str());
        ASSERT_EQ(data.Status(), 0);
        ASSERT_EQ(data.LoadSettings(captureSettings), 1);
        const RecordWindow& w = captureSettings.window;
        EXPECT_EQ(w.areaStart, data.View() + 1762);
        EXPECT_EQ(static_cast<std::size_t>(w.areaEnd - w.areaStart), c.areaLength);
        EXPECT_EQ(captureSettings.recordAreaLength(), c.length) << "the settings copy is kept as stored";
        // A whole walk stays inside the area and visits each record once.
        ResetWorkingCursor();
        int units = c.areaLength == 0 ? 0 : 1;
        while (NextUnit()) ++units;
        EXPECT_EQ(units, static_cast<int>(c.areaLength / 4));
    }
}

TEST_F(CaptureFile, HeaderAndSettingsWithoutRecordsIsAnEmptyCapture) {
    CMonData data(WriteBytes(CaptureBuilder().Bytes()).c_str());
    ASSERT_EQ(data.Status(), 0);
    ASSERT_EQ(data.Size(), 1762u);
    ASSERT_EQ(data.LoadSettings(captureSettings), 1);
    EXPECT_EQ(captureSettings.window.areaEnd, captureSettings.window.areaStart);
    ResetWorkingCursor();
    EXPECT_FALSE(NextUnit());
    EXPECT_FALSE(NextFrameStart());
    EXPECT_EQ(InitialLineState(), 0);
}

TEST_F(CaptureFile, SettingsByteBeyondTheEndOfAShortFileIsZero) {
    const std::string bytes = CaptureBuilder().Mode(kModePpp).LineStateRecorded(true).Bytes();
    CMonData whole(WriteBytes(bytes, "whole.dt").c_str());
    EXPECT_EQ(whole.SettingsByte(settings_field::kMode), kModePpp);
    CMonData cut(WriteBytes(bytes.substr(0, 27), "cut.dt").c_str());
    ASSERT_EQ(cut.Status(), 0) << "ident and version are present, the data type reads as 0";
    EXPECT_EQ(cut.SettingsByte(settings_field::kDataType), 0);
    EXPECT_EQ(cut.SettingsByte(settings_field::kMode), 0);
    EXPECT_EQ(cut.SettingsByte(settings_field::kLineStateRecorded), 0);
}

TEST_F(CaptureFile, OpenDataFileGivesOneMessagePerStatus) {
    struct Case {
        const char* what;
        std::string path;
        int result;
        const char* message;
    };
    const Case cases[] = {
        {"valid", Write(CaptureBuilder().SdText("A"), "ok.dt"), 1, ""},
        {"missing", dir_.File("missing.dt"), 0, "Can't open data file."},
        {"empty", WriteBytes("", "empty.dt"), 0, "Can't create mapping object."},
        {"identification", Write(CaptureBuilder().Ident("VX-5200  DATA    _"), "ident.dt"), 0, "Unknown data file."},
        {"version", Write(CaptureBuilder().Version("00002"), "v2.dt"), 0, "Unknown data file."},
        {"data type", Write(CaptureBuilder().DataType(2), "type2.dt"), 0, "Unsuported data."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReleaseDataFile();
        EXPECT_EQ(OpenDataFile(c.path.c_str()), c.result);
        EXPECT_EQ(c.result == 1 ? "" : DataFileFailureMessage(), c.message);
        EXPECT_NE(monData, nullptr) << "the object stays referenced until the exit clean-up";
    }
}

TEST_F(CaptureFile, OpenDataFileOpensOnlyOnce) {
    const std::string name = Write(CaptureBuilder().Mode(kModeSync));
    ASSERT_EQ(OpenDataFile(name.c_str()), 1);
    CMonData* first = monData;
    EXPECT_EQ(OpenDataFile(dir_.File("missing.dt").c_str()), 1);
    EXPECT_EQ(monData, first);
    ReleaseDataFile();
    EXPECT_EQ(monData, nullptr);
}

// The program reports a file too short for its settings as a data file error.
TEST_F(CaptureFile, ConverterReportsAShortFileAsDataFileError) {
    const std::string path = WriteBytes(CaptureBuilder().Bytes().substr(0, 100));
    const auto r = testing_support::RunProgram(VX5CVT_PATH, {path, dir_.File("out.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("\nData file error.\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("Convert start."), std::string::npos) << r.out;
}

TEST_F(CaptureFile, ConverterReportsUnknownAndUnsupportedFiles) {
    struct Case {
        CaptureBuilder builder;
        const char* message;
    };
    Case cases[] = {
        {CaptureBuilder().Ident("VX-5200  DATA     ").Version("00003"), "\nUnknown data file.\n"},
        {CaptureBuilder().DataType(3), "\nUnsuported data.\n"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.message);
        const auto r = testing_support::RunProgram(VX5CVT_PATH, {Write(c.builder)});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
    }
}

}  // namespace

TEST(CaptureFileKinds, NamedPipeIsNotOpened) {
    testing_support::TempDir dir;
    const std::string fifo = dir.File("pipe.dt");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    CMonData data(fifo.c_str());  // must not wait for a writer
    EXPECT_EQ(data.Status(), 1);
}
