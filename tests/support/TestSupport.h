// Helpers every test program links: a temporary folder, whole-file reads and writes, and
// the one way a test runs a built program such as tessaron-host (argv without a shell).
// One thread per object.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tstest {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return fPath; }
    std::string operator/(const std::string& name) const { return fPath + "/" + name; }

private:
    std::string fPath;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// A program or library of the build (TS_BIN, else the build's output folder).
std::string Bin(const std::string& name);

// A running program: its standard input fed by the test, its standard output and error read
// as they come (error joined to output when `joinErrors`, so their order is kept). A program
// still running when the object goes is killed with SIGKILL.
class Process {
public:
    struct Options {
        std::string workingDir = {};  // empty: the test's
        bool joinErrors = false;
    };
    explicit Process(std::vector<std::string> argv, Options options);
    explicit Process(std::vector<std::string> argv) : Process(std::move(argv), Options{}) {}
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Running() const { return fPid > 0; }
    pid_t Pid() const { return fPid; }
    // Writes `text` to the standard input, reading output meanwhile.
    void Send(const std::string& text);
    // Reads until the output holds `text`; false when it ends first or after 60 s.
    bool Read(const std::string& text);
    // Ends the input, reads to the end and waits: the exit code, or 128 + the signal that
    // ended the program (which is killed after 60 s).
    int Finish();
    // Sends `signal` and waits as Finish does.
    int Stop(int signal = SIGKILL);

    const std::string& Out() const { return fOut; }
    const std::string& Err() const { return fErr; }

private:
    // Moves input and output until `done` holds, all output ended, or the deadline passed.
    template <class Done>
    bool Pump(const std::string& input, Done done);
    int Wait();

    pid_t fPid = -1;
    int fIn = -1, fOutFd = -1, fErrFd = -1;
    std::string fOut, fErr;
};

struct Finished {
    int status = -1;
    std::string out, err;
};

// Runs `argv` to its end with `input` on its standard input.
Finished Run(std::vector<std::string> argv, const std::string& input = "", Process::Options options = {});

// The argv of tessaron-host keeping every file of its run in `home`, then `args`.
std::vector<std::string> HostArgs(const std::string& home, const std::vector<std::string>& args);

}  // namespace tstest
