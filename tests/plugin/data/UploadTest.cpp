// The PDF upload against a running tessaron-proofd, run on its own thread as the send
// workflow runs it, with the user-interface side polling the shared state meanwhile.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ConnectionTestSupport.h"
#include "TestSupport.h"
#include "TSConnection.h"
#include "TSUploadGlobals.h"

using namespace tsconntest;
namespace fs = std::filesystem;

namespace {

void SetRequest(const char* name, const char* password, const std::string& pages = "1-3,5") {
    g_Name = PMString(name);
    g_Password = PMString(password);
    g_ProjectID = PMString("1001");
    g_StatusID = PMString("2");
    g_PageNumber = PMString(pages);
}

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fServer.Running());
        TSConnection::ResetTimeOuts();
        std::string bytes(3 << 20, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
        tstest::WriteFile(fPdf, bytes);
    }

    // Runs the upload on a thread of its own, in the order the send workflow keeps, while this
    // thread polls the state as the progress task does; true when it succeeded.
    bool Upload(const std::string& pdf, const std::string& url) {
        g_UploadPercent.store(0, std::memory_order_release);
        g_UploadError.store(false, std::memory_order_release);
        g_sendToAllowed.store(false, std::memory_order_release);
        bool result = false;
        std::thread worker([&] {
            TSConnection connection;
            result = connection.UploadPDFToServer(pdf.c_str(), url.c_str());
            g_sendToAllowed.store(true, std::memory_order_release);
        });
        int32 seen = 0;
        while (!g_sendToAllowed.load(std::memory_order_acquire)) {
            const int32 percent = g_UploadPercent.load(std::memory_order_acquire);
            EXPECT_GE(percent, seen);
            seen = percent;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        worker.join();
        EXPECT_NE(result, g_UploadError.load(std::memory_order_acquire));
        EXPECT_TRUE(!result || g_UploadPercent.load(std::memory_order_acquire) == 100);
        return result;
    }
    bool Upload() { return Upload(fPdf.string(), fServer.Url()); }

    Proofd fServer;
    tstest::TempDir fFiles;
    const fs::path fPdf = fs::path(fFiles.Path()) / "Flyer 1.pdf";
};

TEST(UploadGlobals, TextsAreCopiedWholeOrNotAtAll) {
    const std::string longest(kUploadPathSize - 1, 'a');
    EXPECT_TRUE(TSCopyUploadText(g_UrlInfo, longest));
    EXPECT_EQ(std::string(g_UrlInfo), longest);
    EXPECT_FALSE(TSCopyUploadText(g_UrlInfo, longest + "b"));
    EXPECT_STREQ(g_UrlInfo, "");
    EXPECT_FALSE(TSCopyUploadText(g_PdfFile, std::string_view("/tmp/a\0b.pdf", 12)));
    EXPECT_STREQ(g_PdfFile, "");
}

TEST(UploadProgress, FollowsTheSentShareAndIgnoresAZeroTotal) {
    const struct { curl_off_t total, now; int32 before, after; } cases[] = {
        {0, 10, 42, 42}, {100, 0, 42, 0}, {1000, 425, 0, 42}, {3, 2, 0, 66}, {100, 100, 0, 100}, {100, 250, 0, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.now) + " of " + std::to_string(c.total));
        g_UploadPercent.store(c.before);
        EXPECT_EQ(progress_callback(nullptr, 0, 0, c.total, c.now), 0);
        EXPECT_EQ(g_UploadPercent.load(), c.after);
    }
}

TEST_F(UploadTest, PostsThePdfAsTheFilePart) {
    SetRequest(kSpecialName, kSpecialPassword);
    EXPECT_TRUE(Upload());
    const std::vector<nlohmann::json> requests = fServer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const nlohmann::json& request = requests[0];
    EXPECT_EQ(request.value("method", "") + " " + request.value("path", ""), "POST /indd_filetransfer.asp");
    // Names in order and values intact: nothing a value holds may add or split a query key. The log
    // masks the password: the server's verdict says it arrived intact.
    EXPECT_EQ(request.at("query").get<Headers>(),
              (Headers{{"username", kSpecialName}, {"password", "***"}, {"project_id", "1001"},
                       {"status_id", "2"}, {"item_numbers", "1-3,5"}}));
    EXPECT_EQ(request.value("verdict", 0), 1);
    EXPECT_EQ(CustomHeaders(request), ExpectedHeaders());
    EXPECT_FALSE(HasHeader(request, "Expect"));
    ASSERT_EQ(request.at("parts").size(), 1u);
    const nlohmann::json& part = request.at("parts").at(0);
    EXPECT_EQ(part.value("name", "") + "|" + part.value("filename", "") + "|" + part.value("content_type", ""),
              "file|Flyer 1.pdf|pdf");
    EXPECT_EQ(tstest::ReadFile(fServer.UploadsFolder() / part.value("stored", "")), tstest::ReadFile(fPdf));
}

// The whole file may have gone out before the answer came: only the answer decides, and
// nothing but the server is ever asked. (A refused connection and one dropped mid-answer are
// rows of the send's fault matrix.)
TEST_F(UploadTest, AnythingButTwoHundredFails) {
    const auto status = [](int code) { return nlohmann::json{{"fault", "status"}, {"status", code}}; };
    const nlohmann::json none = nlohmann::json::object();
    const struct { const char* name; nlohmann::json fault; const char* password; std::string pdf, url; } cases[] = {
        {"created", status(201), "demo", fPdf, fServer.Url()},
        {"redirect", status(302), "demo", fPdf, fServer.Url()},
        {"not found", status(404), "demo", fPdf, fServer.Url()},
        {"too large", status(413), "demo", fPdf, fServer.Url()},
        {"server error", status(500), "demo", fPdf, fServer.Url()},
        {"refused user", none, "wrong", fPdf, fServer.Url()},
        {"missing file", none, "demo", fFiles.Path() + "/gone.pdf", fServer.Url()},
        {"local file", none, "demo", fPdf, "file://" + fFiles.Path()},
        {"other protocol", none, "demo", fPdf, "gopher://127.0.0.1:" + std::to_string(fServer.Port())},
        {"time-out", {{"fault", "delay"}, {"delay_ms", 3000}, {"count", 1}}, "demo", fPdf, fServer.Url()},
    };
    TSConnection::SetTimeOuts(std::chrono::milliseconds(500), std::chrono::seconds(1));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fServer.Control(c.fault);
        SetRequest("demo", c.password);
        const std::size_t before = fServer.Requests().size();
        EXPECT_FALSE(Upload(c.pdf, c.url));
        EXPECT_TRUE(c.url == fServer.Url() || fServer.Requests().size() == before);
    }
    EXPECT_FALSE(fs::exists(fs::path(fFiles.Path()) / "indd_filetransfer.asp"));
    TSConnection connection;
    EXPECT_FALSE(connection.UploadPDFToServer(nullptr, fServer.Url().c_str()));
    EXPECT_FALSE(connection.UploadPDFToServer(fPdf.c_str(), nullptr));
}

TEST_F(UploadTest, RequestTooLongForItsBufferIsRefusedNotCut) {
    const std::string base = fServer.Url() + "/indd_filetransfer.asp?username=demo&password=demo&project_id=1001"
                                             "&status_id=2&item_numbers=";
    const std::string fits(TSConnection::kUploadURLSize - 1 - base.size(), '7');
    SetRequest("demo", "demo", fits);
    EXPECT_TRUE(Upload());
    ASSERT_EQ(fServer.Requests().size(), 1u);
    EXPECT_EQ(QueryValue(fServer.Requests()[0], "item_numbers"), fits);
    SetRequest("demo", "demo", fits + "7");
    EXPECT_FALSE(Upload());
    // Escaping makes a value longer: a comma becomes three characters.
    SetRequest("demo", "demo", fits.substr(2) + ",");
    EXPECT_FALSE(Upload());
    EXPECT_EQ(fServer.Requests().size(), 1u);
}

}  // namespace
