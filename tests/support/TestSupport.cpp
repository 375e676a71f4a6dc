#include "TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace tstest {

namespace {

using Clock = std::chrono::steady_clock;

// Long enough for a sanitizer build on a loaded machine; only a hung program waits it out.
constexpr auto kPatience = std::chrono::seconds(60);

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tstest-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder: " + pattern);
    fPath = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(fPath, ec);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Bin(const std::string& name) {
    const char* bin = std::getenv("TS_BIN");
    return std::string(bin ? bin : TS_BIN_DIR) + "/" + name;
}

Process::Process(std::vector<std::string> argv, Options options) {
    // Input written after the program quit must fail as an error, not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2] = {-1, -1};
    if (::pipe2(in, O_CLOEXEC) != 0) return;
    if (::pipe2(out, O_CLOEXEC) != 0 || (!options.joinErrors && ::pipe2(err, O_CLOEXEC) != 0)) {
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            if (fd >= 0) ::close(fd);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, options.joinErrors ? out[1] : err[1], STDERR_FILENO);
    if (!options.workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.workingDir.c_str());
    std::vector<char*> raw;
    for (std::string& arg : argv) raw.push_back(arg.data());
    raw.push_back(nullptr);
    if (posix_spawn(&fPid, raw[0], &actions, nullptr, raw.data(), environ) != 0) fPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {in[0], out[1], err[1]})
        if (fd >= 0) ::close(fd);
    fIn = in[1];
    fOutFd = out[0];
    fErrFd = err[0];
}

Process::~Process() {
    if (fPid > 0) {
        ::kill(fPid, SIGKILL);
        ::waitpid(fPid, nullptr, 0);
    }
    CloseFd(fIn);
    CloseFd(fOutFd);
    CloseFd(fErrFd);
}

template <class Done>
bool Process::Pump(const std::string& input, Done done) {
    const auto deadline = Clock::now() + kPatience;
    std::size_t sent = 0;
    char buffer[4096];
    while (!done(sent)) {
        std::vector<pollfd> fds;
        if (fIn >= 0 && sent < input.size()) fds.push_back({fIn, POLLOUT, 0});
        for (int fd : {fOutFd, fErrFd})
            if (fd >= 0) fds.push_back({fd, POLLIN, 0});
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (fds.empty() || left <= 0) return false;
        const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        for (const pollfd& p : fds) {
            if (!p.revents) continue;
            if (p.fd == fIn) {
                const ssize_t n = ::write(fIn, input.data() + sent, input.size() - sent);
                if (n < 0) CloseFd(fIn);
                else sent += static_cast<std::size_t>(n);
                continue;
            }
            int& fd = p.fd == fOutFd ? fOutFd : fErrFd;
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) CloseFd(fd);
            else (&fd == &fOutFd ? fOut : fErr).append(buffer, static_cast<std::size_t>(n));
        }
    }
    return true;
}

void Process::Send(const std::string& text) {
    Pump(text, [&](std::size_t sent) { return sent == text.size() || fIn < 0; });
}

bool Process::Read(const std::string& text) {
    return Pump({}, [&](std::size_t) { return fOut.find(text) != std::string::npos; });
}

int Process::Finish() {
    CloseFd(fIn);
    Pump({}, [](std::size_t) { return false; });
    // Output still open after the wait: the program hangs.
    if (fPid > 0 && (fOutFd >= 0 || fErrFd >= 0)) ::kill(fPid, SIGKILL);
    return Wait();
}

int Process::Stop(int signal) {
    if (fPid > 0) ::kill(fPid, signal);
    return Finish();
}

int Process::Wait() {
    if (fPid <= 0) return -1;
    const auto deadline = Clock::now() + kPatience;
    int status = 0;
    while (::waitpid(fPid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(fPid, SIGKILL);
            ::waitpid(fPid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    fPid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

Finished Run(std::vector<std::string> argv, const std::string& input, Process::Options options) {
    Process process(std::move(argv), std::move(options));
    process.Send(input);
    const int status = process.Finish();
    return {status, process.Out(), process.Err()};
}

std::vector<std::string> HostArgs(const std::string& home, const std::vector<std::string>& args) {
    std::vector<std::string> argv{Bin("tessaron-host"), "--home", home};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

}  // namespace tstest
