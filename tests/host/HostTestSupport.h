// Helpers of the host tests beside those every test has: a capture of the host's diagnostics
// (with its transcript silenced) while a test runs, SQL run on a database file as another
// program would, and work run as a user whom permissions bind.
// The test's own thread only.
#pragma once

#include <grp.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "Transcript.h"

namespace tstest {

class Capture {
public:
    Capture() {
        tshost::SetTranscriptSink([](std::string_view) {});
        tshost::SetDiagnosticSink([this](std::string_view line) { diagnosed.emplace_back(line); });
    }
    ~Capture() {
        tshost::SetTranscriptSink({});
        tshost::SetDiagnosticSink({});
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    std::vector<std::string> diagnosed;
};

// Runs `sql` on the database file at `path`: the rows it gave, each value followed by ";", or
// "error: " and why it failed.
inline std::string Sql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string result;
    char* why = nullptr;
    auto row = [](void* out, int n, char** values, char**) {
        for (int i = 0; i < n; ++i) *static_cast<std::string*>(out) += std::string(values[i] ? values[i] : "NULL") + ";";
        return 0;
    };
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK || sqlite3_exec(db, sql.c_str(), row, &result, &why) != SQLITE_OK)
        result = "error: " + std::string(why ? why : sqlite3_errmsg(db));
    sqlite3_free(why);
    sqlite3_close(db);
    return result;
}

// The user that RunUnprivileged runs as when the tests run as root ("nobody").
constexpr uid_t kUnprivileged = 65534;

// Gives `path` and everything under it to that user, when the tests run as root.
inline void GiveToUnprivileged(const std::string& path) {
    if (::geteuid() != 0) return;
    ::lchown(path.c_str(), kUnprivileged, kUnprivileged);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ec))
            ::lchown(entry.path().c_str(), kUnprivileged, kUnprivileged);
}

// Runs `work` in a child process that permissions bind: as root (as CI runs the tests), the
// child drops to kUnprivileged with no groups first. Returns what `work` returned (empty when
// all went well), or why the child failed. `work` reports through its result, not through
// the test's assertions, which the child cannot hand back.
inline std::string RunUnprivileged(const std::function<std::string()>& work) {
    int pipe[2];
    if (::pipe(pipe) != 0) return "no pipe";
    pid_t child = ::fork();
    if (child < 0) return "no child process";
    if (child == 0) {
        ::close(pipe[0]);
        std::string result = "cannot become an unprivileged user";
        if (::geteuid() != 0 || (::setgroups(0, nullptr) == 0 && ::setresgid(kUnprivileged, kUnprivileged, kUnprivileged) == 0 &&
                                 ::setresuid(kUnprivileged, kUnprivileged, kUnprivileged) == 0))
            result = work();
        for (std::size_t sent = 0; sent < result.size();) {
            ssize_t n = ::write(pipe[1], result.data() + sent, result.size() - sent);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) result.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child process failed: " + result;
    return result;
}

}  // namespace tstest
