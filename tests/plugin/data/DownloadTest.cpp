// The project-list download against a running tessaron-proofd (or, for answers it would not
// serve, a loopback server of fixed bytes): the request it sends, what
// it does with each kind of answer, and the files it leaves in the settings folder.
#include <gtest/gtest.h>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Alerts.h"
#include "ConnectionTestSupport.h"
#include "ProgressBars.h"
#include "StringTable.h"
#include "TSConnection.h"
#include "TSStartupShutdown.h"
#include "TSXmlDataHandling.h"
#include "platform/Overrides.h"

using namespace tsconntest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kConnectionError = "Cannot reach the proofing server";
constexpr const char* kFolderError = "The settings folder cannot be written:";
constexpr const char* kTooLarge = "The list is too large";
constexpr const char* kCachedList = "<tessaron authenticated=\"1\" type=\"TESSARON_UPDATE\"><cached/></tessaron>";

// The positions of the progress bars shown since the last call, none left open; forgets them
// and the alerts.
std::vector<int32> TakeBars() {
    std::vector<int32> shown;
    for (const tshost::ProgressRecord& bar : tshost::ProgressLog::Get().Records()) {
        EXPECT_FALSE(bar.open);
        shown.insert(shown.end(), bar.positions.begin(), bar.positions.end());
    }
    tshost::ProgressLog::Get().Clear();
    tshost::AlertLog::Get().Clear();
    return shown;
}

struct Outcome {
    bool16 result = kFalse;
    short status = 0;
    std::vector<tshost::AlertRecord> alerts;
};

// The settings folder is <fRoot>/Tessaron while a test runs.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fServer.Running());
        g_ServerDetailChanged = kFalse;
        TSConnection::ResetTimeOuts();
        tshost::StringTable::Get().Add(tshost::StringTable::Get().Locale(), "0x61000kTSConnectionError",
                                       kConnectionError);
        tshost::StringTable::Get().Add(tshost::StringTable::Get().Locale(), "0x61000kTSSettingsFolderError",
                                       kFolderError);
        tshost::StringTable::Get().Add(tshost::StringTable::Get().Locale(), "0x61000kTSListTooLargeError", kTooLarge);
        TakeBars();
        tsplatform::Overrides overrides;
        overrides.applicationSupportRoot = fRoot.path();
        tsplatform::SetOverrides(overrides);
        fs::create_directories(fFolder);
    }
    void TearDown() override { tsplatform::ClearOverrides(); }

    Outcome Download(const char* user = "demo", const char* password = "demo", const std::string& url = "") {
        Outcome outcome;
        TSConnection connection;
        outcome.result = connection.GetProjectsData(PMString(user), PMString(password),
                                                    PMString(url.empty() ? fServer.Url() : url), outcome.status);
        outcome.alerts = tshost::AlertLog::Get().Records();
        TakeBars();
        return outcome;
    }

    Proofd fServer;
    proofd_test::TempDir fRoot;
    const fs::path fFolder = fs::path(fRoot.path()) / "Tessaron";
    const fs::path fProjects = fFolder / "projects.xml", fTemp = fFolder / "temp.xml";
};

// One download per row. Only an accepted update replaces the cache; every failure warns once
// and keeps it. The raw answer never stays behind, and other protocols never leave the process.
// An answer the settings folder could not take whole (a full disk) is never parsed.
TEST_F(DownloadTest, CachesOnlyAnAcceptedUpdate) {
    const std::string warning = std::string(kConnectionError) + "  HTTP Status = ";
    const std::string check = ". Check the Server Details in Tessaron settings. ";
    const std::string here = "127.0.0.1:" + std::to_string(fServer.Port());
    const auto status = [](int code) { return nlohmann::json{{"fault", "status"}, {"status", code}}; };
    struct Case {
        const char* name = "";
        bool cached = true, changed = true;
        nlohmann::json fault = nlohmann::json::object();
        std::string url = "";  // empty: the server's
        const char* user = "demo";
        const char* password = "demo";
        std::string getupdate = "1";  // empty: no request logged
        bool16 result = kFalse;
        std::string alert = "";  // empty: none; a report of the parser's starts "Line No = "
        tshost::AlertKind kind = tshost::AlertKind::kWarning;
        bool diskFull = false;
    };
    const Case cases[] = {
        {.name = "no cache", .cached = false, .changed = false, .result = kTrue},
        {.name = "cache, no change", .changed = false, .getupdate = "<none>"},
        {.name = "changed", .result = kTrue},
        {.name = "not found", .fault = status(404), .alert = warning + "404. Entered URL is incorrect."},
        {.name = "server error", .fault = status(500), .alert = warning + "500" + check},
        {.name = "redirect", .fault = status(302), .alert = warning + "302" + check},
        {.name = "dropped", .fault = {{"fault", "drop"}}, .alert = warning + "200" + check},
        {.name = "unreachable", .url = "http://127.0.0.1:0", .getupdate = "", .alert = warning + "0" + check},
        {.name = "gopher", .url = "gopher://" + here, .getupdate = "", .alert = warning + "0" + check},
        {.name = "dict", .url = "dict://" + here, .getupdate = "", .alert = warning + "0" + check},
        {.name = "ftp", .url = "ftp://" + here, .getupdate = "", .alert = warning + "0" + check},
        {.name = "wrong password", .password = "wrong", .alert = "0x61000kTSInCorrectUsrNamePwd"},
        {.name = "no rights", .user = "viewer", .password = "viewer", .alert = "0x61000kTSImProperUserRights"},
        {.name = "malformed", .fault = {{"fault", "malformed"}}, .alert = "Line No = "},
        {.name = "disk full at the close", .alert = std::string(kFolderError) + " " + fFolder.string(),
         .kind = tshost::AlertKind::kError, .diskFull = true},
        {.name = "disk full while it arrives", .fault = {{"fault", "oversized"}, {"bytes", 1 << 20}},
         .alert = std::string(kFolderError) + " " + fFolder.string(), .kind = tshost::AlertKind::kError,
         .diskFull = true},
        // Last: the server logs the request only once its delay is over.
        {.name = "time-out", .fault = {{"fault", "delay"}, {"delay_ms", 3000}, {"count", 1}}, .getupdate = "",
         .alert = warning + "0" + check},
    };
    TSConnection::SetTimeOuts(std::chrono::milliseconds(300), std::chrono::seconds(1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.cached) WriteFile(fProjects, kCachedList);
        else fs::remove(fProjects);
        fServer.Control(c.fault);
        if (c.diskFull) fs::create_symlink("/dev/full", fTemp);
        g_ServerDetailChanged = c.changed ? kTrue : kFalse;
        const std::size_t before = fServer.Requests().size();
        const Outcome outcome = Download(c.user, c.password, c.url);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.status, c.alert.empty() ? 1 : 0);
        const bool parser = c.alert == "Line No = ";
        ASSERT_EQ(outcome.alerts.size(), c.alert.empty() ? 0u : 1u);
        for (const tshost::AlertRecord& alert : outcome.alerts)
            EXPECT_TRUE(parser ? alert.kind == tshost::AlertKind::kInformation && alert.text.rfind(c.alert, 0) == 0
                               : alert.kind == c.kind && alert.text == c.alert) << alert.text;
        // Forgotten only once the new list is cached.
        EXPECT_EQ(g_ServerDetailChanged, c.changed && !c.result ? kTrue : kFalse);
        const std::vector<nlohmann::json> requests = fServer.Requests();
        ASSERT_EQ(requests.size() - before, c.getupdate.empty() ? 0u : 1u);
        EXPECT_EQ(c.getupdate.empty() ? "" : QueryValue(requests.back(), "getupdate"), c.getupdate);
        const std::string cached = ReadFile(fProjects);
        EXPECT_TRUE(c.result ? cached.find("Northwind Books") != std::string::npos : cached == kCachedList) << cached;
        EXPECT_FALSE(fs::exists(fs::symlink_status(fTemp)));
    }
}

TEST_F(DownloadTest, SendsTheHeaderLinesInOrderAndTheCredentialsIntact) {
    std::snprintf(g_WorkStation, kSystemInfoSize, "WorkStation: lab\r\nX-Injected: 1");
    Outcome outcome = Download(kSpecialName, kSpecialPassword);
    std::snprintf(g_WorkStation, kSystemInfoSize, "WorkStation: %s", ExpectedHeaders()[3].second.c_str());
    EXPECT_EQ(outcome.result, kTrue);
    const std::vector<nlohmann::json> requests = fServer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const nlohmann::json& request = requests[0];
    EXPECT_EQ(request.value("path", ""), "/indd_xml.asp");
    // Nothing the values hold may add or split a query key, and no line break starts a header. The log
    // masks the password: the server's verdict says it arrived intact.
    EXPECT_EQ(request.at("query").get<Headers>(),
              (Headers{{"username", kSpecialName}, {"password", "***"}, {"getupdate", "1"}}));
    EXPECT_EQ(request.value("verdict", 0), 1);
    Headers expected = ExpectedHeaders();
    expected[3].second = "lab  X-Injected: 1";
    EXPECT_EQ(CustomHeaders(request), expected);
    EXPECT_FALSE(HasHeader(request, "Expect"));
}

TEST_F(DownloadTest, WithoutAWritableSettingsFolderNothingIsSent) {
    fs::create_directory(fTemp);
    g_ServerDetailChanged = kTrue;
    const Outcome unwritable = Download();
    tsplatform::Overrides overrides;
    overrides.failApplicationSupport = true;
    tsplatform::SetOverrides(overrides);
    for (const Outcome& outcome : {unwritable, Download()}) {
        EXPECT_EQ(outcome.result, kFalse);
        ASSERT_EQ(outcome.alerts.size(), 1u);
        EXPECT_EQ(outcome.alerts[0].kind, tshost::AlertKind::kError);
        EXPECT_EQ(outcome.alerts[0].text.rfind(kFolderError, 0), 0u) << outcome.alerts[0].text;
    }
    EXPECT_EQ(unwritable.alerts[0].text, std::string(kFolderError) + " " + fFolder.string());
    EXPECT_TRUE(fServer.Requests().empty());
    EXPECT_EQ(g_ServerDetailChanged, kTrue);
    EXPECT_TRUE(fs::is_directory(fTemp));
}

// The effective URL and the content type can be longer than their 256-byte fields: a copy
// stops at 255 bytes and its end, and never touches the byte after the field.
TEST(ConnectionText, IsCutToItsFieldAndEnded) {
    struct {
        char field[256];
        char after[8];
    } fields;
    for (std::size_t length : {0u, 10u, 254u, 255u, 256u, 300u}) {
        std::memset(&fields, 'x', sizeof fields);
        const std::string text(length, 'a');
        CopyConnectionText(fields.field, text.c_str());
        EXPECT_EQ(std::string(fields.field), text.substr(0, 255)) << length;
        EXPECT_EQ(std::string(fields.after, sizeof fields.after), std::string(8, 'x')) << length;
    }
    CopyConnectionText(fields.field, nullptr);
    EXPECT_EQ(std::string(fields.field), std::string(255, 'a'));
}

// An answer larger than any real list is cut off as it arrives: a warning that says so, the
// cache kept, nothing left behind. One of exactly the largest size is taken.
TEST_F(DownloadTest, AnAnswerOverTheLimitIsCutOff) {
    const std::string warning = std::string(kTooLarge) + " (over 64 MiB).";
    for (const curl_off_t bytes : {TSConnection::kMaxListBytes + 1, TSConnection::kMaxListBytes * 4,
                                   TSConnection::kMaxListBytes}) {
        SCOPED_TRACE(bytes);
        const bool over = bytes > TSConnection::kMaxListBytes;
        WriteFile(fProjects, kCachedList);
        g_ServerDetailChanged = kTrue;
        fServer.Control({{"fault", "oversized"}, {"bytes", bytes}});
        const Outcome outcome = Download();
        EXPECT_EQ(outcome.result, over ? kFalse : kTrue);
        ASSERT_EQ(outcome.alerts.size(), over ? 1u : 0u);
        if (over) {
            EXPECT_EQ(outcome.alerts[0].text, warning);
        }
        EXPECT_EQ(ReadFile(fProjects) == kCachedList, over);
        EXPECT_EQ(g_ServerDetailChanged, over ? kTrue : kFalse);
        EXPECT_FALSE(fs::exists(fTemp));
    }
}

// After a change of server or user, a failed download must not leave the old account's list
// in place for good: every later download asks for the new list until one is cached.
TEST_F(DownloadTest, ChangedDetailsAreForgottenOnlyOnceTheNewListIsCached) {
    WriteFile(fProjects, kCachedList);
    g_ServerDetailChanged = kTrue;
    const struct { nlohmann::json fault; const char* user; bool16 result; bool16 changedAfter; } steps[] = {
        {{{"fault", "status"}, {"status", 500}}, "demo", kFalse, kTrue},
        {{{"fault", "drop"}}, "demo", kFalse, kTrue},
        {{{"fault", "malformed"}}, "demo", kFalse, kTrue},
        {nlohmann::json::object(), "viewer", kFalse, kTrue},
        {nlohmann::json::object(), "demo", kTrue, kFalse},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.fault.dump() + " " + step.user);
        fServer.Control(step.fault);
        EXPECT_EQ(Download(step.user, step.user).result, step.result);
        EXPECT_EQ(QueryValue(fServer.Requests().back(), "getupdate"), "1");
        EXPECT_EQ(g_ServerDetailChanged, step.changedAfter);
        EXPECT_EQ(ReadFile(fProjects) == kCachedList, step.result == kFalse);
    }
    // An answer that is no update leaves the document of the cached list where it is.
    TSXmlDataHandling tree;
    tree.InitializeDOMnode(fProjects.c_str());
    const uint64_t generation = tree.DocumentGeneration();
    short status = 0;
    EXPECT_EQ(TSConnection().GetProjectsData(PMString("demo"), PMString("demo"), PMString(fServer.Url()), status, &tree),
              kFalse);
    EXPECT_EQ(QueryValue(fServer.Requests().back(), "getupdate"), "<none>");
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(tree.IsParseOf(fProjects.c_str()) && tree.DocumentGeneration() == generation);
}

// Serves one fixed answer to every GET on a loopback port, and counts the requests for
// other paths (an entity that points back at it).
class RawServer {
public:
    RawServer() {
        fServer.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            if (request.path != "/indd_xml.asp") ++fOtherRequests;
            std::lock_guard<std::mutex> lock(fMutex);
            response.set_content(fAnswer, "text/xml");
        });
        fPort = fServer.bind_to_any_port("127.0.0.1");
        fThread = std::thread([this] { fServer.listen_after_bind(); });
        while (fPort > 0 && !fServer.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~RawServer() {
        fServer.stop();
        fThread.join();
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(fPort); }
    void Answer(const std::string& answer) {
        std::lock_guard<std::mutex> lock(fMutex);
        fAnswer = answer;
    }
    int OtherRequests() const { return fOtherRequests; }

private:
    httplib::Server fServer;
    std::thread fThread;
    std::mutex fMutex;
    std::string fAnswer;
    std::atomic<int> fOtherRequests{0};
    int fPort = 0;
};

// Hostile and broken answers: at most one alert each, the cached list and the changed details
// kept, no file left behind and nothing fetched from anywhere else.
TEST_F(DownloadTest, HostileAnswersCostOneAlertAndLeaveTheCacheAlone) {
    RawServer raw;
    ASSERT_TRUE(fs::create_directories(fRoot.path() + std::string("/outside")));
    const std::string secret = fRoot.path() + std::string("/outside/secret.txt");
    WriteFile(secret, "SECRET-CONTENT");
    const std::string list = ReadFile(std::string(TS_SOURCE_DIR) + "/samples/projects.xml");
    const std::size_t body = list.find('\n') + 1;
    const std::string declarations = "<!ELEMENT tessaron ANY><!ATTLIST tessaron authenticated CDATA #IMPLIED "
                                     "type CDATA #IMPLIED>";
    std::string bomb = "<!DOCTYPE tessaron [" + declarations + "<!ENTITY a \"aaaaaaaaaa\">";
    for (char level = 'b'; level <= 'h'; ++level) {
        bomb += std::string("<!ENTITY ") + level + " \"";
        for (int i = 0; i < 10; ++i) bomb += std::string("&") + static_cast<char>(level - 1) + ";";
        bomb += "\">";
    }
    const std::string root = R"(<tessaron authenticated="1" type="TESSARON_UPDATE")";
    const struct { const char* what; std::string answer; bool16 cached; } cases[] = {
        {"document type", list.substr(0, body) + "<!DOCTYPE tessaron []>\n" + list.substr(body), kFalse},
        {"external entity", "<!DOCTYPE tessaron [" + declarations + "<!ENTITY x SYSTEM \"file://" + secret + "\">]>" +
                                root + ">&x;</tessaron>", kFalse},
        {"entity over HTTP", "<!DOCTYPE tessaron [" + declarations + "<!ENTITY x SYSTEM \"" + raw.Url() + "/x\">]>" +
                                 root + ">&x;</tessaron>", kFalse},
        {"external DTD", "<!DOCTYPE tessaron SYSTEM \"" + raw.Url() + "/dtd\">" + root + "/>", kFalse},
        {"entity bomb", bomb + "]>" + root + " filename=\"&h;\"/>", kFalse},
        {"bad UTF-8", root + " filename=\"\xc3\x28\xff\"/>", kFalse},
        {"truncated", list.substr(0, list.size() / 3), kFalse},
        {"empty", "", kFalse},
        {"not XML", "<html><body>Service Unavailable", kFalse},
        {"ids not numbers", root + R"(><projectgroups><projectgroup id="x1" name="G"/></projectgroups><projects>
            <project id="99999999999" name="P" project_group_id="x1"/></projects></tessaron>)", kTrue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(fProjects, kCachedList);
        g_ServerDetailChanged = kTrue;
        raw.Answer(c.answer);
        TSXmlDataHandling tree;
        Outcome outcome;
        {
            TSConnection connection;
            outcome.result = connection.GetProjectsData(PMString("demo"), PMString("demo"), PMString(raw.Url()),
                                                        outcome.status, &tree);
            outcome.alerts = tshost::AlertLog::Get().Records();
            TakeBars();
        }
        EXPECT_EQ(outcome.result, c.cached);
        EXPECT_EQ(outcome.alerts.size(), c.cached ? 0u : 1u);
        for (const tshost::AlertRecord& alert : outcome.alerts) {
            EXPECT_EQ(alert.text.rfind("Line No = ", 0), 0u) << alert.text;
            EXPECT_EQ(alert.text.find("SECRET"), std::string::npos) << alert.text;
        }
        EXPECT_EQ(ReadFile(fProjects) == kCachedList, !c.cached);
        EXPECT_EQ(g_ServerDetailChanged, c.cached ? kFalse : kTrue);
        EXPECT_FALSE(fs::exists(fTemp));
        EXPECT_EQ(tree.IsParseOf(fProjects.c_str()), c.cached == kTrue);
    }
    EXPECT_EQ(raw.OtherRequests(), 0);
}

TEST(DownloadCallback, ShowsOneBarPerNewPercentageBetweenOneAndNinetyNine) {
    const struct { curl_off_t total, now; std::vector<int32> shown; } cases[] = {
        {0, 0, {}}, {0, 500, {}}, {100, 0, {}}, {200, 1, {}}, {100, 1, {1}}, {100, 50, {50}},
        {1000, 999, {99}}, {100, 100, {}}, {100, 150, {}},
    };
    TakeBars();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.now) + " of " + std::to_string(c.total));
        EXPECT_EQ(download_callback(nullptr, c.total, c.now, 0, 0), 0);
        EXPECT_EQ(TakeBars(), c.shown);
    }
    int32 lastShown = -1;
    for (curl_off_t now : {100, 105, 199, 200, 200, 300}) download_callback(&lastShown, 1000, now, 0, 0);
    EXPECT_EQ(TakeBars(), (std::vector<int32>{10, 19, 20, 30}));
}

}  // namespace
