// Shared helpers of the host tests: a temporary folder removed afterwards, and a capture of
// the host's diagnostics (with its transcript silenced) while a test runs.
// The test's own thread only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Transcript.h"

namespace tstest {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tshost-test-XXXXXX").string();
        fPath = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(fPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return fPath; }
    std::string operator/(const std::string& name) const { return fPath + "/" + name; }

private:
    std::string fPath;
};

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

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tstest
