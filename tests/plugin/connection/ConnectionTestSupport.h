// Shared pieces of the connection tests: a running tessaron-proofd with its request log and
// control endpoint, a scratch settings folder the plug-in finds through the platform
// overrides, known system-information header lines, and the alerts the host recorded.
// The XML and HTTP libraries are set up once for the whole test program.
// Tests only: the helpers run on the test's main thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "ServerProcess.h"

namespace tsconntest {

// Accounts the server knows: demo/demo with rights, viewer/viewer without, and one whose name
// and password hold every character a query string treats specially.
inline constexpr const char* kSpecialName = "ana maria&co=1+x";
inline constexpr const char* kSpecialPassword = "p&ss=w?rd#%2B+/ \xc3\xa9";

// The eight header lines the tests install, in the order they must be sent.
const std::vector<std::pair<std::string, std::string>>& ExpectedHeaders();

class Proofd {
public:
    // Starts the server on a free port with the sample project list; fails the test when it
    // cannot.
    Proofd();
    Proofd(const Proofd&) = delete;
    Proofd& operator=(const Proofd&) = delete;

    bool Running() const { return fPort > 0; }
    int Port() const { return fPort; }
    // "http://127.0.0.1:PORT", used as the server URL.
    std::string Url() const;
    // Replaces the fault plan through the control endpoint.
    void Control(const nlohmann::json& plan);
    // The logged requests other than control requests, oldest first.
    std::vector<nlohmann::json> Requests() const;
    std::filesystem::path UploadsFolder() const { return fDir.path() + "/uploads"; }

private:
    proofd_test::TempDir fDir;
    proofd_test::ServerProcess fProcess;
    int fPort = 0;
};

// A fresh application-support folder for the plug-in while it lives; the settings folder is
// Root()/Tessaron.
class Settings {
public:
    Settings();
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    const std::filesystem::path& Root() const { return fRoot; }
    std::filesystem::path Folder() const { return fRoot / "Tessaron"; }
    std::filesystem::path ProjectsFile() const { return Folder() / "projects.xml"; }
    std::filesystem::path TempFile() const { return Folder() / "temp.xml"; }

private:
    proofd_test::TempDir fDir;
    std::filesystem::path fRoot;
};

// A port on 127.0.0.1 that nothing listens on.
int ClosedPort();

// The value of the first query pair named `key` in a logged request, or "<none>".
std::string QueryValue(const nlohmann::json& request, const std::string& key);
// The custom header lines of a logged request (the eight names only), in arrival order.
std::vector<std::pair<std::string, std::string>> CustomHeaders(const nlohmann::json& request);
bool HasHeader(const nlohmann::json& request, const std::string& name);

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);

// Forgets every alert and progress bar recorded so far.
void ClearHostLogs();

}  // namespace tsconntest
