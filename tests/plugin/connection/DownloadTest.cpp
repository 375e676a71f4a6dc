// The project-list download against a running tessaron-proofd: the request it sends, what
// it does with each kind of answer, and the files it leaves in the settings folder.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Alerts.h"
#include "ConnectionTestSupport.h"
#include "ProgressBars.h"
#include "StringTable.h"
#include "TSConnection.h"
#include "TSStartupShutdown.h"
#include "platform/Overrides.h"

using namespace tsconntest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kConnectionError = "Cannot reach the proofing server";
constexpr const char* kCachedList = "<tessaron authenticated=\"1\" type=\"TESSARON_UPDATE\"><cached/></tessaron>";

struct Outcome {
    bool16 result = kFalse;
    short status = 0;
    std::vector<tshost::AlertRecord> alerts;
};

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fServer.Running());
        g_ServerDetailChanged = kFalse;
        TSConnection::ResetTimeOuts();
        tshost::StringTable::Get().Add(tshost::StringTable::Get().Locale(), "0x61000kTSConnectionError",
                                       kConnectionError);
        ClearHostLogs();
    }
    void TearDown() override { TSConnection::ResetTimeOuts(); }

    Outcome Download(const PMString& user = PMString("demo"), const PMString& password = PMString("demo"),
                     std::string url = std::string()) {
        Outcome outcome;
        TSConnection connection;
        outcome.result = connection.GetProjectsData(user, password, PMString(url.empty() ? fServer.Url() : url),
                                                    outcome.status);
        outcome.alerts = tshost::AlertLog::Get().Records();
        ClearHostLogs();
        return outcome;
    }

    nlohmann::json LastRequest() {
        std::vector<nlohmann::json> requests = fServer.Requests();
        if (requests.empty()) return nlohmann::json::object();
        return requests.back();
    }

    Proofd fServer;
    Settings fSettings;
};

TEST_F(DownloadTest, WithoutCacheAsksForUpdateAndCachesIt) {
    Outcome outcome = Download();
    EXPECT_EQ(outcome.result, kTrue);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.alerts.empty());
    nlohmann::json request = LastRequest();
    EXPECT_EQ(request.value("path", ""), "/indd_xml.asp");
    EXPECT_EQ(QueryValue(request, "getupdate"), "1");
    std::string cached = ReadFile(fSettings.ProjectsFile());
    EXPECT_NE(cached.find("type=\"TESSARON_UPDATE\""), std::string::npos);
    EXPECT_NE(cached.find("Northwind Books"), std::string::npos);
    EXPECT_FALSE(fs::exists(fSettings.TempFile()));
}

TEST_F(DownloadTest, WithCacheAndNoChangeLeavesCacheAlone) {
    WriteFile(fSettings.ProjectsFile(), kCachedList);
    Outcome outcome = Download();
    EXPECT_EQ(outcome.result, kFalse);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.alerts.empty());
    EXPECT_EQ(QueryValue(LastRequest(), "getupdate"), "<none>");
    EXPECT_EQ(ReadFile(fSettings.ProjectsFile()), kCachedList);
    EXPECT_FALSE(fs::exists(fSettings.TempFile()));
}

TEST_F(DownloadTest, ChangedDetailsAskForUpdateOnceWhateverTheOutcome) {
    struct Case {
        const char* name;
        nlohmann::json fault;
        bool16 result;
    };
    const Case cases[] = {
        {"answered", nlohmann::json::object(), kTrue},
        {"failed", {{"fault", "status"}, {"status", 500}, {"count", 1}}, kFalse},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(fSettings.ProjectsFile(), kCachedList);
        fServer.Control(c.fault);
        g_ServerDetailChanged = kTrue;
        EXPECT_EQ(Download().result, c.result);
        EXPECT_EQ(QueryValue(LastRequest(), "getupdate"), "1");
        EXPECT_EQ(g_ServerDetailChanged, kFalse);
        EXPECT_EQ(ReadFile(fSettings.ProjectsFile()) != kCachedList, c.result == kTrue);

        WriteFile(fSettings.ProjectsFile(), kCachedList);
        Download();
        EXPECT_EQ(QueryValue(LastRequest(), "getupdate"), "<none>");
    }
}

TEST_F(DownloadTest, SendsTheEightHeaderLinesInOrder) {
    Download();
    nlohmann::json request = LastRequest();
    EXPECT_EQ(CustomHeaders(request), ExpectedHeaders());
    EXPECT_FALSE(HasHeader(request, "Expect"));
}

TEST_F(DownloadTest, LineBreaksInAHeaderValueStartNoHeader) {
    char saved[kSystemInfoSize];
    std::memcpy(saved, g_WorkStation, kSystemInfoSize);
    std::snprintf(g_WorkStation, kSystemInfoSize, "WorkStation: lab\r\nX-Injected: 1");
    Download();
    std::memcpy(g_WorkStation, saved, kSystemInfoSize);
    nlohmann::json request = LastRequest();
    EXPECT_FALSE(HasHeader(request, "X-Injected"));
    std::vector<std::pair<std::string, std::string>> headers = CustomHeaders(request);
    ASSERT_EQ(headers.size(), 8u);
    EXPECT_EQ(headers[3], std::make_pair(std::string("WorkStation"), std::string("lab  X-Injected: 1")));
}

TEST_F(DownloadTest, CredentialsReachTheServerIntact) {
    Outcome outcome = Download(PMString(kSpecialName), PMString(kSpecialPassword));
    EXPECT_EQ(outcome.result, kTrue);
    EXPECT_EQ(outcome.status, 1);
    nlohmann::json request = LastRequest();
    EXPECT_EQ(QueryValue(request, "username"), kSpecialName);
    EXPECT_EQ(QueryValue(request, "password"), kSpecialPassword);
    EXPECT_EQ(request.value("verdict", 99), 1);
    // Nothing the values hold may add or split a query key.
    ASSERT_EQ(request.at("query").size(), 3u);
}

TEST_F(DownloadTest, FailedTransfersWarnWithTheStatus) {
    const std::string checkDetails = ". Check the Server Details in Tessaron settings. ";
    struct Case {
        const char* name;
        nlohmann::json fault;
        std::string url;  // empty: the server's
        std::string text;
    };
    const Case cases[] = {
        {"not found", {{"fault", "status"}, {"status", 404}}, "", "404. Entered URL is incorrect."},
        {"server error", {{"fault", "status"}, {"status", 500}}, "", "500" + checkDetails},
        {"redirect", {{"fault", "status"}, {"status", 302}}, "", "302" + checkDetails},
        {"dropped after the status line", {{"fault", "drop"}}, "", "200" + checkDetails},
        {"unreachable", nlohmann::json::object(), "http://127.0.0.1:" + std::to_string(ClosedPort()), "0" + checkDetails},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(fSettings.ProjectsFile(), kCachedList);
        fServer.Control(c.fault);
        Outcome outcome = Download(PMString("demo"), PMString("demo"), c.url);
        EXPECT_EQ(outcome.result, kFalse);
        EXPECT_EQ(outcome.status, 0);
        ASSERT_EQ(outcome.alerts.size(), 1u);
        EXPECT_EQ(outcome.alerts[0].kind, tshost::AlertKind::kWarning);
        EXPECT_EQ(outcome.alerts[0].text, std::string(kConnectionError) + "  HTTP Status = " + c.text);
        EXPECT_FALSE(fs::exists(fSettings.TempFile()));
        EXPECT_EQ(ReadFile(fSettings.ProjectsFile()), kCachedList);
    }
}

TEST_F(DownloadTest, OtherProtocolsNeverLeaveTheProcess) {
    TSConnection::SetTimeOuts(std::chrono::seconds(1), std::chrono::seconds(1));
    std::string port = std::to_string(fServer.Port());
    for (std::string scheme : {"gopher", "dict", "ftp"}) {
        SCOPED_TRACE(scheme);
        Outcome outcome = Download(PMString("demo"), PMString("demo"), scheme + "://127.0.0.1:" + port);
        EXPECT_EQ(outcome.result, kFalse);
        ASSERT_EQ(outcome.alerts.size(), 1u);
        EXPECT_EQ(outcome.alerts[0].text,
                  std::string(kConnectionError) + "  HTTP Status = 0. Check the Server Details in Tessaron settings. ");
    }
    EXPECT_TRUE(fServer.Requests().empty());
}

TEST_F(DownloadTest, TimeOutWarnsWithNoStatus) {
    TSConnection::SetTimeOuts(std::chrono::milliseconds(300), std::chrono::milliseconds(300));
    fServer.Control({{"fault", "delay"}, {"delay_ms", 3000}, {"count", 1}});
    auto started = std::chrono::steady_clock::now();
    Outcome outcome = Download();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ(outcome.result, kFalse);
    ASSERT_EQ(outcome.alerts.size(), 1u);
    EXPECT_EQ(outcome.alerts[0].text,
              std::string(kConnectionError) + "  HTTP Status = 0. Check the Server Details in Tessaron settings. ");
    EXPECT_FALSE(fs::exists(fSettings.TempFile()));
}

TEST_F(DownloadTest, MalformedAnswerShowsOnlyTheParserReports) {
    fServer.Control({{"fault", "malformed"}});
    Outcome outcome = Download();
    EXPECT_EQ(outcome.result, kFalse);
    EXPECT_EQ(outcome.status, 0);
    ASSERT_FALSE(outcome.alerts.empty());
    for (const tshost::AlertRecord& alert : outcome.alerts) {
        EXPECT_EQ(alert.kind, tshost::AlertKind::kInformation);
        EXPECT_EQ(alert.text.rfind("Line No = ", 0), 0u) << alert.text;
    }
    EXPECT_FALSE(fs::exists(fSettings.TempFile()));
    EXPECT_FALSE(fs::exists(fSettings.ProjectsFile()));
}

TEST_F(DownloadTest, RefusedUsersGetTheirWarningAndNoCache) {
    struct Case {
        const char* user;
        const char* password;
        const char* key;
    };
    const Case cases[] = {
        {"demo", "wrong", "0x61000kTSInCorrectUsrNamePwd"},
        {"viewer", "viewer", "0x61000kTSImProperUserRights"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.user);
        Outcome outcome = Download(PMString(c.user), PMString(c.password));
        EXPECT_EQ(outcome.result, kFalse);
        EXPECT_EQ(outcome.status, 0);
        ASSERT_EQ(outcome.alerts.size(), 1u);
        EXPECT_EQ(outcome.alerts[0].kind, tshost::AlertKind::kWarning);
        EXPECT_EQ(outcome.alerts[0].text, c.key);
        EXPECT_FALSE(fs::exists(fSettings.ProjectsFile()));
        EXPECT_FALSE(fs::exists(fSettings.TempFile()));
    }
}

TEST_F(DownloadTest, WithoutSettingsFolderNothingIsSentOrWritten) {
    tsplatform::Overrides overrides;
    overrides.failApplicationSupport = true;
    tsplatform::SetOverrides(overrides);
    g_ServerDetailChanged = kTrue;
    std::size_t before = fServer.Requests().size();
    Outcome outcome = Download();
    EXPECT_EQ(outcome.result, kFalse);
    ASSERT_EQ(outcome.alerts.size(), 1u);
    EXPECT_EQ(outcome.alerts[0].kind, tshost::AlertKind::kError);
    EXPECT_EQ(outcome.alerts[0].text, kConnectionError);
    EXPECT_EQ(fServer.Requests().size(), before);
    EXPECT_EQ(g_ServerDetailChanged, kTrue);
    EXPECT_TRUE(fs::is_empty(fSettings.Folder()));
}

TEST_F(DownloadTest, UnwritableTempFileSendsNothing) {
    fs::create_directory(fSettings.TempFile());
    std::size_t before = fServer.Requests().size();
    Outcome outcome = Download();
    EXPECT_EQ(outcome.result, kFalse);
    ASSERT_EQ(outcome.alerts.size(), 1u);
    EXPECT_EQ(outcome.alerts[0].kind, tshost::AlertKind::kError);
    EXPECT_EQ(fServer.Requests().size(), before);
    EXPECT_TRUE(fs::is_directory(fSettings.TempFile()));
}

TEST_F(DownloadTest, LongAnswerShowsRisingProgress) {
    fServer.Control({{"fault", "oversized"}, {"bytes", 16 << 20}});
    TSConnection connection;
    short status = 0;
    EXPECT_EQ(connection.GetProjectsData(PMString("demo"), PMString("demo"), PMString(fServer.Url()), status), kTrue);
    EXPECT_EQ(fs::file_size(fSettings.ProjectsFile()), 16u << 20);
    const auto& bars = tshost::ProgressLog::Get().Records();
    ASSERT_GE(bars.size(), 2u);
    int32 last = 0;
    for (const tshost::ProgressRecord& bar : bars) {
        EXPECT_EQ(bar.title, "0x61000kTSDownloadStatusKey");
        EXPECT_EQ(bar.minimum, 0);
        EXPECT_EQ(bar.maximum, 100);
        EXPECT_FALSE(bar.open);
        ASSERT_EQ(bar.positions.size(), 1u);
        EXPECT_GT(bar.positions[0], last);
        EXPECT_LE(bar.positions[0], 99);
        last = bar.positions[0];
    }
}

TEST(DownloadCallback, ShowsABarOnlyBetweenOneAndNinetyNinePercent) {
    struct Case {
        curl_off_t total, now;
        std::vector<int32> shown;
    };
    const Case cases[] = {
        {0, 0, {}}, {0, 500, {}}, {100, 0, {}}, {200, 1, {}}, {100, 1, {1}}, {100, 50, {50}},
        {1000, 999, {99}}, {100, 100, {}}, {100, 150, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.now) + " of " + std::to_string(c.total));
        ClearHostLogs();
        EXPECT_EQ(download_callback(nullptr, c.total, c.now, 0, 0), 0);
        std::vector<int32> shown;
        for (const tshost::ProgressRecord& bar : tshost::ProgressLog::Get().Records()) {
            EXPECT_FALSE(bar.open);
            shown.insert(shown.end(), bar.positions.begin(), bar.positions.end());
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST(DownloadCallback, RepeatsNoBarForTheSamePercentage) {
    ClearHostLogs();
    int32 lastShown = -1;
    for (curl_off_t now : {100, 105, 199, 200, 200, 300})
        download_callback(&lastShown, 1000, now, 0, 0);
    std::vector<int32> shown;
    for (const tshost::ProgressRecord& bar : tshost::ProgressLog::Get().Records())
        shown.insert(shown.end(), bar.positions.begin(), bar.positions.end());
    EXPECT_EQ(shown, (std::vector<int32>{10, 19, 20, 30}));
}

}  // namespace
