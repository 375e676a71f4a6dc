// The project-list download against a running tessaron-proofd: the request it sends, what it
// does with each kind of answer, and the files it leaves in the settings folder.
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
        overrides.applicationSupportRoot = fRoot.Path();
        tsplatform::SetOverrides(overrides);
        fs::create_directories(fFolder);
    }
    void TearDown() override { tsplatform::ClearOverrides(); }

    Outcome Download(const char* user = "demo", const char* password = "demo", const std::string& url = "",
                     TSXmlDataHandling* tree = nullptr) {
        Outcome outcome;
        TSConnection connection;
        outcome.result = connection.GetProjectsData(PMString(user), PMString(password),
                                                    PMString(url.empty() ? fServer.Url() : url), outcome.status, tree);
        outcome.alerts = tshost::AlertLog::Get().Records();
        TakeBars();
        return outcome;
    }

    Proofd fServer;
    tstest::TempDir fRoot;
    const fs::path fFolder = fs::path(fRoot.Path()) / "Tessaron";
    const fs::path fProjects = fFolder / "projects.xml", fTemp = fFolder / "temp.xml";
};

// One download per row. Only an accepted update replaces the cache; every failure warns once
// and keeps it, and the changed details, so the next download asks for the new list again.
// The raw answer never stays behind, and other protocols never leave the process. An answer
// the settings folder could not take whole (a full disk) is never parsed; one larger than any
// real list is cut off as it arrives. The tree that holds the cached list keeps it unless an
// update answer came: that one is parsed straight into it.
TEST_F(DownloadTest, CachesOnlyAnAcceptedUpdate) {
    const std::string warning = std::string(kConnectionError) + "  HTTP Status = ";
    const std::string check = ". Check the Server Details in Tessaron settings. ";
    const std::string here = "127.0.0.1:" + std::to_string(fServer.Port());
    const std::string folderError = std::string(kFolderError) + " " + fFolder.string();
    const auto status = [](int code) { return nlohmann::json{{"fault", "status"}, {"status", code}}; };
    const auto oversized = [](curl_off_t bytes) { return nlohmann::json{{"fault", "oversized"}, {"bytes", bytes}}; };
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
        bool timesOut = false;  // short time-outs: a large list takes long under a sanitizer
    };
    const Case cases[] = {
        {.name = "no cache", .cached = false, .changed = false, .result = kTrue},
        {.name = "cache, no change", .changed = false, .getupdate = "<none>"},
        {.name = "changed", .result = kTrue},
        {.name = "the largest list", .fault = oversized(TSConnection::kMaxListBytes), .result = kTrue},
        {.name = "over the size limit", .fault = oversized(TSConnection::kMaxListBytes + 1),
         .alert = std::string(kTooLarge) + " (over 64 MiB)."},
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
        {.name = "disk full at the close", .alert = folderError, .kind = tshost::AlertKind::kError, .diskFull = true},
        {.name = "disk full while it arrives", .fault = oversized(1 << 20), .alert = folderError,
         .kind = tshost::AlertKind::kError, .diskFull = true},
        // Last: the server logs the request only once its delay is over.
        {.name = "time-out", .fault = {{"fault", "delay"}, {"delay_ms", 3000}, {"count", 1}}, .getupdate = "",
         .alert = warning + "0" + check, .timesOut = true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSXmlDataHandling tree;
        if (c.cached) {
            WriteFile(fProjects, kCachedList);
            tree.InitializeDOMnode(fProjects.c_str());
        } else {
            fs::remove(fProjects);
        }
        const uint64_t generation = tree.DocumentGeneration();
        fServer.Control(c.fault);
        if (c.diskFull) fs::create_symlink("/dev/full", fTemp);
        if (c.timesOut) TSConnection::SetTimeOuts(std::chrono::milliseconds(300), std::chrono::seconds(1));
        g_ServerDetailChanged = c.changed ? kTrue : kFalse;
        const std::size_t before = fServer.Requests().size();
        const Outcome outcome = Download(c.user, c.password, c.url, &tree);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.status, c.alert.empty() ? 1 : 0);
        const bool parser = c.alert == "Line No = ";
        ASSERT_EQ(outcome.alerts.size(), c.alert.empty() ? 0u : 1u);
        for (const tshost::AlertRecord& alert : outcome.alerts)
            EXPECT_TRUE(parser ? alert.kind == tshost::AlertKind::kInformation && alert.text.rfind(c.alert, 0) == 0
                               : alert.kind == c.kind && alert.text == c.alert) << alert.text;
        EXPECT_EQ(g_ServerDetailChanged, c.changed && !c.result ? kTrue : kFalse);
        const std::vector<nlohmann::json> requests = fServer.Requests();
        ASSERT_EQ(requests.size() - before, c.getupdate.empty() ? 0u : 1u);
        EXPECT_EQ(c.getupdate.empty() ? "" : QueryValue(requests.back(), "getupdate"), c.getupdate);
        const std::string cached = ReadFile(fProjects);
        EXPECT_TRUE(c.result ? cached.find("Northwind Books") != std::string::npos : cached == kCachedList) << cached;
        EXPECT_FALSE(fs::exists(fs::symlink_status(fTemp)));
        EXPECT_EQ(tree.IsParseOf(fProjects.c_str()), !parser);
        EXPECT_EQ(tree.DocumentGeneration() == generation, !c.result && !parser);
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
