// Shared pieces of the connection tests: a running tessaron-proofd with its request log and
// control endpoint, and known system-information header lines.
// The XML and HTTP libraries are set up once for the whole test program.
// Tests only: the helpers run on the test's main thread.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "ServerProcess.h"
#include "TestSupport.h"

namespace tsconntest {

// Accounts the server knows: demo/demo with rights, viewer/viewer without, and one whose name
// and password hold every character a query string treats specially.
inline constexpr const char* kSpecialName = "ana maria&co=1+x";
inline constexpr const char* kSpecialPassword = "p&ss=w?rd#%2B+/ \xc3\xa9";

using Headers = std::vector<std::pair<std::string, std::string>>;
// The eight header lines the tests install, in the order they must be sent.
const Headers& ExpectedHeaders();

class Proofd {
public:
    // Starts the server on a free port with the sample project list; fails the test when it
    // cannot.
    Proofd();
    bool Running() const { return fPort > 0; }
    int Port() const { return fPort; }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(fPort); }
    // Replaces the fault plan through the control endpoint.
    void Control(const nlohmann::json& plan);
    // The logged requests other than control requests, oldest first.
    std::vector<nlohmann::json> Requests() const;
    std::filesystem::path UploadsFolder() const { return fDir / "uploads"; }

private:
    tstest::TempDir fDir;
    proofd_test::ServerProcess fProcess;
    int fPort = 0;
};

// The value of the first query pair named `key` in a logged request, or "<none>".
std::string QueryValue(const nlohmann::json& request, const std::string& key);
// The custom header lines of a logged request (the eight names only), in arrival order.
Headers CustomHeaders(const nlohmann::json& request);
bool HasHeader(const nlohmann::json& request, const std::string& name);

using tstest::ReadFile;
using tstest::WriteFile;

}  // namespace tsconntest
