// The PDF upload against a running tessaron-proofd, run on its own thread as the send
// workflow runs it, with the user-interface side polling the shared state meanwhile.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ConnectionTestSupport.h"
#include "TSConnection.h"
#include "TSUploadGlobals.h"

using namespace tsconntest;
namespace fs = std::filesystem;

namespace {

struct Observed {
    bool result = false;
    std::vector<int32> percents;  // as the polling thread saw them
};

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fServer.Running());
        TSConnection::ResetTimeOuts();
        fPdf = fs::path(fFiles.path()) / "Flyer 1.pdf";
        std::mt19937 random(7);
        std::string bytes(3 << 20, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        WriteFile(fPdf, bytes);
        SetRequest("demo", "demo", "1001", "2", "1-3,5");
    }
    void TearDown() override { TSConnection::ResetTimeOuts(); }

    static void SetRequest(const char* name, const char* password, const char* project, const char* status,
                           const std::string& pages) {
        g_Name = PMString(name);
        g_Password = PMString(password);
        g_ProjectID = PMString(project);
        g_StatusID = PMString(status);
        g_PageNumber = PMString(pages);
    }

    // Runs the upload on a thread of its own, in the order the send workflow keeps, while this
    // thread polls the state as the progress task does.
    Observed Upload(const std::string& pdf, const std::string& url) {
        Observed observed;
        g_UploadPercent.store(0, std::memory_order_release);
        g_UploadError.store(false, std::memory_order_release);
        g_sendToAllowed.store(false, std::memory_order_release);
        std::thread worker([&] {
            TSConnection connection;
            observed.result = connection.UploadPDFToServer(pdf.c_str(), url.c_str());
            g_sendToAllowed.store(true, std::memory_order_release);
        });
        while (!g_sendToAllowed.load(std::memory_order_acquire)) {
            int32 percent = g_UploadPercent.load(std::memory_order_acquire);
            if (observed.percents.empty() || observed.percents.back() != percent) observed.percents.push_back(percent);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        worker.join();
        return observed;
    }
    Observed Upload() { return Upload(fPdf.string(), fServer.Url()); }

    Proofd fServer;
    proofd_test::TempDir fFiles;
    fs::path fPdf;
};

TEST(UploadGlobals, AllowSendingAtLoad) {
    EXPECT_TRUE(g_sendToAllowed.load());
    EXPECT_FALSE(g_UploadError.load());
    EXPECT_EQ(g_UploadPercent.load(), 0);
    EXPECT_STREQ(g_PdfFile, "");
    EXPECT_STREQ(g_UrlInfo, "");
    for (const PMString* text : {&g_Name, &g_Password, &g_ProjectID, &g_StatusID, &g_PageNumber})
        EXPECT_TRUE(text->IsEmpty());
}

TEST(UploadGlobals, TextsAreCopiedWholeOrNotAtAll) {
    std::string longest(kUploadPathSize - 1, 'a');
    EXPECT_TRUE(TSCopyUploadText(g_UrlInfo, longest));
    EXPECT_EQ(std::string(g_UrlInfo), longest);
    EXPECT_FALSE(TSCopyUploadText(g_UrlInfo, longest + "b"));
    EXPECT_STREQ(g_UrlInfo, "");
    EXPECT_FALSE(TSCopyUploadText(g_PdfFile, std::string_view("/tmp/a\0b.pdf", 12)));
    EXPECT_STREQ(g_PdfFile, "");
    EXPECT_TRUE(TSCopyUploadText(g_PdfFile, "/tmp/Flyer.pdf"));
    EXPECT_STREQ(g_PdfFile, "/tmp/Flyer.pdf");
}

TEST(UploadProgress, FollowsTheSentShareAndIgnoresAZeroTotal) {
    struct Case {
        curl_off_t total, now;
        int32 before, after;
    };
    const Case cases[] = {
        {0, 0, 42, 42}, {0, 10, 42, 42}, {100, 0, 42, 0}, {1000, 425, 0, 42}, {3, 2, 0, 66}, {100, 100, 0, 100},
        {100, 250, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.now) + " of " + std::to_string(c.total));
        g_UploadPercent.store(c.before);
        EXPECT_EQ(progress_callback(nullptr, 0, 0, c.total, c.now), 0);
        EXPECT_EQ(g_UploadPercent.load(), c.after);
    }
}

TEST_F(UploadTest, PostsThePdfAsTheFilePart) {
    SetRequest(kSpecialName, kSpecialPassword, "1001", "2", "1-3,5");
    Observed observed = Upload();
    EXPECT_TRUE(observed.result);
    EXPECT_EQ(g_UploadPercent.load(), 100);
    EXPECT_FALSE(g_UploadError.load());
    for (std::size_t i = 1; i < observed.percents.size(); ++i) EXPECT_GE(observed.percents[i], observed.percents[i - 1]);

    std::vector<nlohmann::json> requests = fServer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const nlohmann::json& request = requests[0];
    EXPECT_EQ(request.value("method", ""), "POST");
    EXPECT_EQ(request.value("path", ""), "/indd_filetransfer.asp");
    std::vector<std::string> keys;
    for (const auto& pair : request.at("query")) keys.push_back(pair.at(0));
    EXPECT_EQ(keys, (std::vector<std::string>{"username", "password", "project_id", "status_id", "item_numbers"}));
    EXPECT_EQ(QueryValue(request, "username"), kSpecialName);
    EXPECT_EQ(QueryValue(request, "password"), kSpecialPassword);
    EXPECT_EQ(QueryValue(request, "project_id"), "1001");
    EXPECT_EQ(QueryValue(request, "status_id"), "2");
    EXPECT_EQ(QueryValue(request, "item_numbers"), "1-3,5");
    EXPECT_EQ(CustomHeaders(request), ExpectedHeaders());
    EXPECT_FALSE(HasHeader(request, "Expect"));

    ASSERT_EQ(request.at("parts").size(), 1u);
    const nlohmann::json& part = request.at("parts").at(0);
    EXPECT_EQ(part.value("name", ""), "file");
    EXPECT_EQ(part.value("filename", ""), "Flyer 1.pdf");
    EXPECT_EQ(part.value("content_type", ""), "pdf");
    EXPECT_EQ(part.value("size", 0u), fs::file_size(fPdf));
    EXPECT_EQ(ReadFile(fServer.UploadsFolder() / part.value("stored", "")), ReadFile(fPdf));
}

TEST_F(UploadTest, AnythingButTwoHundredFails) {
    struct Case {
        const char* name;
        nlohmann::json fault;
        std::string url;  // empty: the server's
        const char* password;
    };
    const Case cases[] = {
        {"created", {{"fault", "status"}, {"status", 201}}, "", "demo"},
        {"redirect", {{"fault", "status"}, {"status", 302}}, "", "demo"},
        {"server error", {{"fault", "status"}, {"status", 500}}, "", "demo"},
        {"connection dropped", {{"fault", "drop"}}, "", "demo"},
        {"refused user", nlohmann::json::object(), "", "wrong"},
        {"unreachable", nlohmann::json::object(), "http://127.0.0.1:" + std::to_string(ClosedPort()), "demo"},
        {"local file", nlohmann::json::object(), "file://" + std::string(fFiles.path()), "demo"},
        {"other protocol", nlohmann::json::object(), "gopher://127.0.0.1:" + std::to_string(fServer.Port()), "demo"},
    };
    TSConnection::SetTimeOuts(std::chrono::seconds(1), std::chrono::seconds(1));
    std::size_t sent = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fServer.Control(c.fault);
        SetRequest("demo", c.password, "1001", "2", "1");
        Observed observed = Upload(fPdf.string(), c.url.empty() ? fServer.Url() : c.url);
        if (c.url.empty()) ++sent;
        EXPECT_EQ(fServer.Requests().size(), sent);
        EXPECT_FALSE(observed.result);
        // The whole file may have gone out before the answer came: only the flag tells.
        EXPECT_TRUE(g_UploadError.load());
    }
    EXPECT_FALSE(fs::exists(fs::path(fFiles.path()) / "indd_filetransfer.asp"));
}

TEST_F(UploadTest, TimeOutFails) {
    TSConnection::SetTimeOuts(std::chrono::milliseconds(300), std::chrono::milliseconds(500));
    fServer.Control({{"fault", "delay"}, {"delay_ms", 3000}, {"count", 1}});
    auto started = std::chrono::steady_clock::now();
    Observed observed = Upload();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_FALSE(observed.result);
    EXPECT_TRUE(g_UploadError.load());
}

TEST_F(UploadTest, RequestTooLongForItsBufferIsRefusedNotCut) {
    std::string base = fServer.Url() + "/indd_filetransfer.asp?username=demo&password=demo&project_id=1001"
                                       "&status_id=2&item_numbers=";
    std::string fits(TSConnection::kUploadURLSize - 1 - base.size(), '7');
    SetRequest("demo", "demo", "1001", "2", fits);
    EXPECT_TRUE(Upload().result);
    ASSERT_EQ(fServer.Requests().size(), 1u);
    EXPECT_EQ(QueryValue(fServer.Requests()[0], "item_numbers"), fits);

    SetRequest("demo", "demo", "1001", "2", fits + "7");
    EXPECT_FALSE(Upload().result);
    EXPECT_TRUE(g_UploadError.load());
    // Escaping makes a value longer: a comma becomes three characters.
    SetRequest("demo", "demo", "1001", "2", fits.substr(2) + ",");
    EXPECT_FALSE(Upload().result);
    EXPECT_EQ(fServer.Requests().size(), 1u);
}

TEST_F(UploadTest, MissingFileFails) {
    Observed observed = Upload((fs::path(fFiles.path()) / "gone.pdf").string(), fServer.Url());
    EXPECT_FALSE(observed.result);
    EXPECT_TRUE(g_UploadError.load());
    for (const nlohmann::json& request : fServer.Requests()) {
        if (!request.contains("parts")) continue;
        for (const auto& part : request.at("parts")) EXPECT_EQ(part.value("stored", ""), "");
    }

    TSConnection connection;
    g_UploadError.store(false);
    EXPECT_FALSE(connection.UploadPDFToServer(nullptr, fServer.Url().c_str()));
    EXPECT_TRUE(g_UploadError.load());
    g_UploadError.store(false);
    EXPECT_FALSE(connection.UploadPDFToServer(fPdf.c_str(), nullptr));
    EXPECT_TRUE(g_UploadError.load());
}

}  // namespace
