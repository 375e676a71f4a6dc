#include "ConnectionTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <strings.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <curl/curl.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <xercesc/util/PlatformUtils.hpp>

#include "Alerts.h"
#include "ProgressBars.h"
#include "StringTable.h"
#include "TSConnection.h"
#include "TSStartupShutdown.h"
#include "Transcript.h"
#include "platform/Overrides.h"

namespace tsconntest {

namespace {

class ConnectionEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        xercesc::XMLPlatformUtils::Initialize();
        TSConnection::InitializeLibrary();
        tshost::SetTranscriptSink([](std::string_view) {});
        char* const buffers[] = {g_OSInfo, g_ScrnResolution, g_UserName, g_WorkStation,
                                 g_CPUDetails, g_RAMInfo, g_CSType, g_IDVersion};
        std::size_t i = 0;
        for (const auto& [name, value] : ExpectedHeaders())
            std::snprintf(buffers[i++], kSystemInfoSize, "%s: %s", name.c_str(), value.c_str());
    }
    void TearDown() override { xercesc::XMLPlatformUtils::Terminate(); }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ConnectionEnvironment);

size_t Collect(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& ExpectedHeaders() {
    static const std::vector<std::pair<std::string, std::string>> headers = {
        {"OS", "MacBookPro18,3"},
        {"ScreenResolution", "Not able to detect the screen resolution"},
        {"UserName", "Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m"},
        {"WorkStation", "proof-lab-7"},
        {"CPUDetails", "Unable to determine the processor name, No. of Processors = 8, Speed = speed can't be detected"},
        {"RAM", "16 GB"},
        {"CSType", "CS3"},
        {"InDesignVersion", "5.0.4"},
    };
    return headers;
}

Proofd::Proofd() {
    nlohmann::json users = {{"users",
                             {{{"name", "demo"}, {"password", "demo"}, {"rights", true}},
                              {{"name", "viewer"}, {"password", "viewer"}, {"rights", false}},
                              {{"name", kSpecialName}, {"password", kSpecialPassword}, {"rights", true}}}}};
    std::string usersPath = fDir.File("users.json", users.dump());
    std::string error;
    bool started = fProcess.Start({"--port", "0", "--projects", std::string(TS_SOURCE_DIR) + "/samples/projects.xml",
                                   "--users", usersPath, "--uploads", fDir.path() + "/uploads", "--log",
                                   fDir.path() + "/requests.log"},
                                  error);
    EXPECT_TRUE(started) << error;
    if (started) fPort = fProcess.Port();
}

std::string Proofd::Url() const { return "http://127.0.0.1:" + std::to_string(fPort); }

void Proofd::Control(const nlohmann::json& plan) {
    CURL* handle = curl_easy_init();
    ASSERT_NE(handle, nullptr);
    std::string url = Url() + "/_control", body = plan.dump(), answer;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &answer);
    CURLcode code = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    ASSERT_EQ(code, CURLE_OK);
    ASSERT_EQ(status, 200) << answer;
}

std::vector<nlohmann::json> Proofd::Requests() const {
    std::vector<nlohmann::json> requests;
    std::ifstream log(fDir.path() + "/requests.log");
    for (std::string line; std::getline(log, line);) {
        nlohmann::json request = nlohmann::json::parse(line, nullptr, false);
        if (!request.is_discarded() && request.value("path", "") != "/_control") requests.push_back(request);
    }
    return requests;
}

Settings::Settings() : fRoot(fDir.path()) {
    tsplatform::Overrides overrides;
    overrides.applicationSupportRoot = fRoot.string();
    tsplatform::SetOverrides(overrides);
    std::filesystem::create_directories(Folder());
}

Settings::~Settings() { tsplatform::ClearOverrides(); }

int ClosedPort() {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(sock);
    return port;
}

std::string QueryValue(const nlohmann::json& request, const std::string& key) {
    for (const auto& pair : request.at("query"))
        if (pair.at(0) == key) return pair.at(1).get<std::string>();
    return "<none>";
}

std::vector<std::pair<std::string, std::string>> CustomHeaders(const nlohmann::json& request) {
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& header : request.at("headers")) {
        std::string name = header.at(0).get<std::string>();
        for (const auto& expected : ExpectedHeaders())
            if (expected.first == name) found.emplace_back(name, header.at(1).get<std::string>());
    }
    return found;
}

bool HasHeader(const nlohmann::json& request, const std::string& name) {
    for (const auto& header : request.at("headers"))
        if (strcasecmp(header.at(0).get<std::string>().c_str(), name.c_str()) == 0) return true;
    return false;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void ClearHostLogs() {
    tshost::AlertLog::Get().Clear();
    tshost::ProgressLog::Get().Clear();
}

}  // namespace tsconntest
