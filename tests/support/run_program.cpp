#include "tests/support/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace {

// A child that ends before it has read all its input closes the pipe; the
// test then gets EPIPE from its write instead of being killed by SIGPIPE.
const bool sigpipeIgnored = [] {
    signal(SIGPIPE, SIG_IGN);
    return true;
}();

}  // namespace

int StartProgram(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                 int& inFd, int& outFd, int* errFd) {
    int inPipe[2];
    int outPipe[2];
    int errPipe[2] = {-1, -1};
    if (pipe2(inPipe, O_CLOEXEC) != 0) return -1;
    if (pipe2(outPipe, O_CLOEXEC) != 0 || (errFd != nullptr && pipe2(errPipe, O_CLOEXEC) != 0)) {
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1]}) close(fd);
        return -1;
    }
    if (errFd == nullptr) errPipe[1] = outPipe[1];
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);  // the program gets the disposition it would have from a shell
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    if (errFd != nullptr) close(errPipe[1]);
    if (pid < 0) {
        close(inPipe[1]);
        close(outPipe[0]);
        if (errFd != nullptr) close(errPipe[0]);
        return -1;
    }
    inFd = inPipe[1];
    outFd = outPipe[0];
    if (errFd != nullptr) *errFd = errPipe[0];
    return pid;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& input,
                         const std::string& workDir) {
    int inWrite = -1;
    int outRead = -1;
    int errRead = -1;
    const pid_t pid = StartProgram(program, args, workDir, inWrite, outRead, &errRead);
    if (pid < 0) throw std::runtime_error("cannot start " + program);
    fcntl(inWrite, F_SETFL, O_NONBLOCK);

    ProgramResult result;
    std::size_t written = 0;
    int inFd = inWrite;
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    char buffer[65536];
    while (outRead >= 0 || errRead >= 0) {
        // A negative descriptor is left out of the poll.
        pollfd fds[3] = {{outRead, POLLIN, 0}, {errRead, POLLIN, 0}, {inFd, POLLOUT, 0}};
        int n = poll(fds, 3, 60000);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {  // a minute without progress: the child hangs, end it
            kill(pid, SIGKILL);
            break;
        }
        if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t w = write(inFd, input.data() + written, input.size() - written);
            if (w > 0) written += static_cast<std::size_t>(w);
            // EPIPE: the child closed its input (it ended or stopped reading).
            if ((w < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                close(inFd);
                inFd = -1;
            }
        }
        for (int i = 0; i < 2; ++i) {
            if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            int& fd = i == 0 ? outRead : errRead;
            ssize_t r = read(fd, buffer, sizeof buffer);
            if (r <= 0) {
                close(fd);
                fd = -1;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(r));
            }
        }
    }
    if (inFd >= 0) close(inFd);
    if (outRead >= 0) close(outRead);
    if (errRead >= 0) close(errRead);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
    return result;
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vx5test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

}  // namespace testing_support
