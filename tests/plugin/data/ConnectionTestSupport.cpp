#include "ConnectionTestSupport.h"

#include <httplib.h>
#include <strings.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <xercesc/util/PlatformUtils.hpp>

#include "TSConnection.h"
#include "TSStartupShutdown.h"
#include "Transcript.h"

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

}  // namespace

const Headers& ExpectedHeaders() {
    static const Headers headers = {
        {"OS", "MacBookPro18,3"}, {"ScreenResolution", "Not able to detect the screen resolution"},
        {"UserName", "Zo\xc3\xab \xc3\x85ngstr\xc3\xb6m"}, {"WorkStation", "proof-lab-7"},
        {"CPUDetails",
         "Unable to determine the processor name, No. of Processors = 8, Speed = speed can't be detected"},
        {"RAM", "16 GB"}, {"CSType", "CS3"}, {"InDesignVersion", "5.0.4"}};
    return headers;
}

Proofd::Proofd() {
    nlohmann::json users = {{"users",
                             {{{"name", "demo"}, {"password", "demo"}, {"rights", true}},
                              {{"name", "viewer"}, {"password", "viewer"}, {"rights", false}},
                              {{"name", kSpecialName}, {"password", kSpecialPassword}, {"rights", true}}}}};
    WriteFile(fDir / "users.json", users.dump());
    std::string error;
    bool started = fProcess.Start({"--port", "0", "--projects", std::string(TS_SOURCE_DIR) + "/samples/projects.xml",
                                   "--users", fDir / "users.json", "--uploads", fDir / "uploads", "--log",
                                   fDir / "requests.log"},
                                  error);
    EXPECT_TRUE(started) << error;
    if (started) fPort = fProcess.Port();
}

void Proofd::Control(const nlohmann::json& plan) {
    httplib::Client client("127.0.0.1", fPort);
    httplib::Result answer = client.Post("/_control", plan.dump(), "application/json");
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->status, 200) << answer->body;
}

std::vector<nlohmann::json> Proofd::Requests() const {
    std::vector<nlohmann::json> requests;
    std::ifstream log(fDir / "requests.log");
    for (std::string line; std::getline(log, line);) {
        nlohmann::json request = nlohmann::json::parse(line, nullptr, false);
        if (!request.is_discarded() && request.value("path", "") != "/_control") requests.push_back(request);
    }
    return requests;
}

std::string QueryValue(const nlohmann::json& request, const std::string& key) {
    for (const auto& [name, value] : request.at("query").get<Headers>())
        if (name == key) return value;
    return "<none>";
}

Headers CustomHeaders(const nlohmann::json& request) {
    Headers found;
    for (const auto& header : request.at("headers"))
        for (const auto& expected : ExpectedHeaders())
            if (expected.first == header.at(0)) found.emplace_back(expected.first, header.at(1).get<std::string>());
    return found;
}

bool HasHeader(const nlohmann::json& request, const std::string& name) {
    for (const auto& header : request.at("headers"))
        if (strcasecmp(header.at(0).get<std::string>().c_str(), name.c_str()) == 0) return true;
    return false;
}

}  // namespace tsconntest
