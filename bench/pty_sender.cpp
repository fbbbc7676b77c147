// Plays the analyzer for vxprtin as fast as a pseudo-terminal goes: starts
// the receiver on the slave side, sends LINES lines of 80 bytes (78 letters,
// CR, LF) and the closing 0x1A, and reports the receiver's CPU time, the
// throughput, and whether the file holds byte for byte what was sent.
//   pty_sender <vxprtin> <output file> [LINES]
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr int kLineBytes = 80;

std::string MakePrintOut(long lines) {
    std::string text;
    text.reserve(static_cast<std::size_t>(lines) * kLineBytes);
    for (long i = 0; i < lines; ++i) {
        for (int j = 0; j < kLineBytes - 2; ++j) text.push_back(static_cast<char>('A' + (i + j) % 26));
        text += "\r\n";
    }
    return text;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: pty_sender <vxprtin> <output file> [LINES]\n");
        return 2;
    }
    const long lines = argc > 3 ? std::atol(argv[3]) : 100000;
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("posix_openpt");
        return 2;
    }
    const std::string slave = ptsname(master);
    // Held open in raw mode, so nothing sent before the receiver sets the line is changed.
    int slaveFd = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    tcgetattr(slaveFd, &raw);
    cfmakeraw(&raw);
    tcsetattr(slaveFd, TCSANOW, &raw);

    const std::string sent = MakePrintOut(lines);
    const pid_t pid = fork();
    if (pid == 0) {
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        const std::string port = "-p" + slave;
        execl(argv[1], argv[1], port.c_str(), argv[2], static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto start = std::chrono::steady_clock::now();
    std::size_t done = 0;
    const std::string all = sent + "\x1A";
    while (done < all.size()) {
        pollfd p{master, POLLOUT, 0};
        if (poll(&p, 1, 10000) <= 0) {
            std::fprintf(stderr, "the receiver stopped taking bytes\n");
            break;
        }
        ssize_t w = write(master, all.data() + done, all.size() - done);
        if (w > 0) done += static_cast<std::size_t>(w);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::ifstream f(argv[2], std::ios::binary);
    const std::string stored((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::printf("lines %ld, bytes %zu\n", lines, sent.size());
    std::printf("receiver CPU %.2f s (user %.2f, system %.2f), wall %.2f s, %.0f kB/s\n",
                Seconds(usage.ru_utime) + Seconds(usage.ru_stime), Seconds(usage.ru_utime), Seconds(usage.ru_stime),
                wall, static_cast<double>(sent.size()) / 1000.0 / wall);
    std::printf("exit status %d, file %s\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                stored == sent ? "byte for byte what was sent" : "DIFFERS from what was sent");
    close(slaveFd);
    return stored == sent && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
