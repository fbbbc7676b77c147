// Runs a built program as a child process and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ProgramResult {
    int exitCode = -1;  // exit status, or 128 + signal
    std::string out;    // standard output
    std::string err;    // standard error
};

// Starts `program` with `args` in `workDir` (empty: the current folder), its
// standard input on the pipe end returned in `inFd`, its standard output on
// `outFd` and its standard error on `*errFd` (on `outFd` too when errFd is
// null). Returns the child's process id, or -1 when it cannot start.
int StartProgram(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                 int& inFd, int& outFd, int* errFd = nullptr);

// Runs `program` with `args` in `workDir` (empty: the current folder), feeding
// `input` on standard input (then end of input).
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = "", const std::string& workDir = "");

// A fresh empty folder below the system's temporary folder, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Turns every LF into CR LF (for writing expected listing files readably).
std::string Crlf(const std::string& text);

}  // namespace testing_support
