// Test helpers for the serial tools: a pseudo-terminal pair whose master side
// the test drives as the analyzer, and a child-process runner that lets the
// test talk to the port while the program runs. Every wait is bounded.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/run_program.h"

namespace serial_testing {

inline constexpr int kWaitMs = 5000;  // longest wait for anything the peer expects

inline long long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count();
}

// A pseudo-terminal pair. The test keeps the slave side open (in raw mode, so
// bytes sent before the program configures the port arrive unchanged) and
// plays the peer on the master side.
class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            ADD_FAILURE() << "openpty failed";
            return;
        }
        fcntl(master_, F_SETFD, FD_CLOEXEC);
        fcntl(slave_, F_SETFD, FD_CLOEXEC);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
        slavePath_ = name;
    }
    ~PtyPair() {
        CloseMaster();
        if (slave_ >= 0) close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int SlaveFd() const { return slave_; }

    // Sends bytes to the program as the peer.
    void Send(std::string_view bytes) {
        std::size_t done = 0;
        auto start = std::chrono::steady_clock::now();
        while (done < bytes.size() && ElapsedMs(start) < kWaitMs) {
            ssize_t w = write(master_, bytes.data() + done, bytes.size() - done);
            if (w > 0) {
                done += static_cast<std::size_t>(w);
            } else {
                pollfd p{master_, POLLOUT, 0};
                poll(&p, 1, 50);
            }
        }
        ASSERT_EQ(done, bytes.size()) << "the port did not take the bytes";
    }

    // Sends bytes and waits until they stand in the slave's input queue, for a
    // reader in this thread whose reads time out (the pty hands bytes over
    // asynchronously).
    void SendQueued(std::string_view bytes) {
        const int before = Queued();
        Send(bytes);
        auto start = std::chrono::steady_clock::now();
        while (Queued() < before + static_cast<int>(bytes.size()) && ElapsedMs(start) < kWaitMs) {
            poll(nullptr, 0, 1);
        }
    }

    // Waits until the program on the slave side has read every byte sent so
    // far; true if it did in time. A poll of the slave first hands over the
    // bytes still in transit inside the pty, so an empty queue means "read".
    bool WaitUntilTaken(int timeoutMs = kWaitMs) {
        auto start = std::chrono::steady_clock::now();
        for (;;) {
            pollfd p{slave_, POLLIN, 0};
            poll(&p, 1, 0);
            if (Queued() == 0) return true;
            if (ElapsedMs(start) >= timeoutMs) return false;
            poll(nullptr, 0, 1);
        }
    }

    // Reads what the program sent until `count` bytes have come or `timeoutMs` has passed.
    std::string Receive(std::size_t count, int timeoutMs = kWaitMs) {
        std::string got;
        ReadWhile([&] { return got.size() < count; }, got, count, timeoutMs);
        return got;
    }

    // Reads what the program sent until it ends with `terminator`.
    std::string ReceiveUntil(std::string_view terminator, int timeoutMs = kWaitMs) {
        std::string got;
        ReadWhile([&] { return !std::string_view(got).ends_with(terminator); }, got, SIZE_MAX, timeoutMs);
        return got;
    }

    // Everything the program sent within `timeoutMs` (used to show that nothing came).
    std::string ReceiveAll(int timeoutMs) {
        std::string got;
        ReadWhile([] { return true; }, got, SIZE_MAX, timeoutMs);
        return got;
    }

    // Hangs the line up, as an unplugged adapter does.
    void CloseMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

private:
    int Queued() const {
        int queued = 0;
        return ioctl(slave_, FIONREAD, &queued) == 0 ? queued : 0;
    }

    template <typename Wanted>
    void ReadWhile(Wanted more, std::string& got, std::size_t limit, int timeoutMs) {
        auto start = std::chrono::steady_clock::now();
        while (more()) {
            long long left = timeoutMs - ElapsedMs(start);
            if (left <= 0) return;
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
            char c;
            ssize_t r = read(master_, &c, 1);
            if (r == 1) {
                got.push_back(c);
                if (got.size() >= limit) return;
            } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
                return;
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// A built program running as a child while the test plays its peer. Its
// console input is given whole at the start (then end of input).
class ChildProgram {
public:
    ChildProgram(const std::string& program, const std::vector<std::string>& args, const std::string& input = "",
                 const std::string& workDir = "") {
        int in = -1;
        pid_ = testing_support::StartProgram(program, args, workDir, in, out_, &err_);
        if (pid_ < 0) {
            ADD_FAILURE() << "cannot start " << program;
            return;
        }
        fcntl(out_, F_SETFL, O_NONBLOCK);
        fcntl(err_, F_SETFL, O_NONBLOCK);
        // Console answers are short: the pipe takes them whole, unless the
        // program has already ended and closed it (EPIPE).
        if (!input.empty() && write(in, input.data(), input.size()) != static_cast<ssize_t>(input.size()) &&
            errno != EPIPE) {
            ADD_FAILURE() << "console input not taken";
        }
        close(in);
    }
    ~ChildProgram() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // Waits until the console output holds `text`; true if it came in time.
    bool WaitForOutput(std::string_view text, int timeoutMs = kWaitMs) {
        auto start = std::chrono::steady_clock::now();
        while (outText_.find(text) == std::string::npos) {
            long long left = timeoutMs - ElapsedMs(start);
            if (left <= 0 || !ReadOutput(static_cast<int>(left))) return false;
        }
        return true;
    }

    void Signal(int signalNumber) { kill(pid_, signalNumber); }

    // Waits for the program to end (killing it after `timeoutMs`) and returns
    // its exit status and whole console output.
    testing_support::ProgramResult Finish(int timeoutMs = kWaitMs) {
        auto start = std::chrono::steady_clock::now();
        while (ElapsedMs(start) < timeoutMs && ReadOutput(static_cast<int>(timeoutMs - ElapsedMs(start)))) {}
        testing_support::ProgramResult result;
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(pid_, &status, WNOHANG)) == 0 && ElapsedMs(start) < timeoutMs) {
            poll(nullptr, 0, 5);
        }
        if (ended == 0) {
            ADD_FAILURE() << "program did not end in time";
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
        result.out = outText_;
        result.err = errText_;
        return result;
    }

    const std::string& OutputSoFar() const { return outText_; }

private:
    // Reads standard output and error for up to timeoutMs; false once both have ended.
    bool ReadOutput(int timeoutMs) {
        if (out_ < 0 && err_ < 0) return false;
        pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};  // an ended one (-1) is left out
        int n = poll(p, 2, timeoutMs);
        if (n <= 0) return n == 0 || errno == EINTR;
        for (int i = 0; i < 2; ++i) {
            if (p[i].revents == 0) continue;
            int& fd = i == 0 ? out_ : err_;
            char buffer[4096];
            ssize_t r = read(fd, buffer, sizeof buffer);
            if (r > 0) {
                (i == 0 ? outText_ : errText_).append(buffer, static_cast<std::size_t>(r));
            } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
                close(fd);
                fd = -1;
            }
        }
        return out_ >= 0 || err_ >= 0;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outText_;
    std::string errText_;
};

// Waits until the file holds exactly `bytes`; true if it did in time.
inline bool WaitForFile(const std::string& path, const std::string& bytes, int timeoutMs = kWaitMs) {
    auto start = std::chrono::steady_clock::now();
    while (testing_support::ReadFileBytes(path) != bytes) {
        if (ElapsedMs(start) >= timeoutMs) return false;
        poll(nullptr, 0, 10);
    }
    return true;
}

}  // namespace serial_testing
