// A send to the proofing server, end to end: the dialog, the export into a private temporary
// folder, the upload thread against tessaron-proofd, the panel's progress display and the
// warning after a failed upload. Every test waits for the thread before the host goes.
#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "CmdUtils.h"
#include "ConnectionTestSupport.h"
#include "Dialogs.h"
#include "Events.h"
#include "IControlView.h"
#include "IDocument.h"
#include "ITSDocData.h"
#include "ITextControlData.h"
#include "PDFExportCommand.h"
#include "ProgressBars.h"
#include "InterfacePtr.h"
#include "SendTestSupport.h"
#include "TSActiveMapper.h"
#include "TSConnection.h"
#include "TSID.h"
#include "TSIdleTask.h"
#include "TSPanelUtils.h"
#include "TSSendDialogIDs.h"
#include "TSUploadGlobals.h"

namespace fs = std::filesystem;
using tsconntest::QueryValue;

namespace {

const std::initializer_list<const char*> kSpring = {"Northwind Books", "Spring Catalogue"};

// True when the last send's temporary PDF and its folder are gone (or none was made).
bool TempGone() {
    const fs::path pdf(g_PdfFile);
    return pdf.empty() || (!fs::exists(pdf) && !fs::exists(pdf.parent_path()));
}

int FailingCreate(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*) { return EAGAIN; }

class UploadSendTest : public SendTest {
protected:
    void SetUp() override {
        SendTest::SetUp();
        g_PdfFile[0] = '\0';
        Store(Prefs());
        fDoc = NewDocument(3);
        ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    }
    bool Shown(WidgetID widget) {
        IControlView* view = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, widget);
        return view && view->IsVisible(kFalse);
    }
    std::string StatusText() {
        InterfacePtr<ITextControlData> text(TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSStatusTextWidgetID),
                                            IID_OF<ITextControlData>());
        return text ? text->GetString().GetUTF8String() : "<none>";
    }

    // A new saved document in front, with the project selected again for it.
    IDocument* SavedDocument(const std::string& name, int32 pages = 2) {
        IDocument* doc = NewDocument(pages);
        std::string error;
        EXPECT_TRUE(fHost->Docs().SaveAs(doc, fFiles.Path() + "/" + name + ".indd", error)) << error;
        EXPECT_TRUE(SelectProject(kSpring, "Cover"));
        return doc;
    }
    std::size_t StoredCount() const {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(fServer.UploadsFolder())) count += entry.is_regular_file();
        return count;
    }
    static int32 Now() { return TSActiveMapper::TSActiveMapperFactory()->Time(); }
    // Sends the front document with the dialog as it opens; the clock moves on while the
    // upload runs, so a line stamped later than OK would show.
    int32 SendAndWait() {
        const int32 start = Now();
        EXPECT_TRUE(OpenSendDialog());
        EXPECT_TRUE(PressOK());
        RunIdle(2000);
        WaitForUpload();
        return start;
    }

    IDocument* fDoc = nullptr;
    tstest::TempDir fFiles;
};

// How a send ends, whatever the server does: the user sees one warning for a failed upload
// and nothing for one that ended well, however odd the answer; the server keeps what it took
// in; only a successful upload is a send in the document's log, stamped with the time of OK;
// the document stays linked either way; no temporary PDF is left; and the next send works.
// Which answers fail an upload is the connection's own table.
TEST_F(UploadSendTest, FaultMatrix) {
    using nlohmann::json;
    const std::vector<std::string> warned = {"warning: Could not connect to the Tessaron server: Upload Failed"};
    const auto fault = [](const char* kind, json more = json::object()) {
        more["fault"] = kind;
        more["count"] = 1;
        return more;
    };
    const struct Case {
        const char* name;
        json fault;
        std::string url;  // empty: the server's
        bool succeeds;
        std::size_t stored;  // files the server took in from the faulty send
    } cases[] = {
        {"refused connection", json::object(), "http://127.0.0.1:1", false, 0},
        {"drop", fault("drop"), "", false, 1},
        {"malformed", fault("malformed"), "", true, 1},
        {"oversized", fault("oversized", {{"bytes", 1 << 20}}), "", true, 1},
        {"slow", fault("slow", {{"delay_ms", 10}}), "", true, 1},
    };
    TSConnection::SetTimeOuts(std::chrono::milliseconds(500), std::chrono::milliseconds(1500));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDocument* doc = SavedDocument(c.name);
        StoredPrefs prefs = Prefs();
        if (!c.url.empty()) prefs.url = c.url;
        Store(prefs);
        fServer.Control(c.fault);
        const std::size_t before = StoredCount();
        const int32 first = SendAndWait();
        EXPECT_EQ(TakeAlerts(), c.succeeds ? std::vector<std::string>{} : warned);
        EXPECT_EQ(StoredCount() - before, c.stored);
        EXPECT_TRUE(TempGone()) << g_PdfFile;
        InterfacePtr<ITSDocData> data(doc, IID_OF<ITSDocData>());
        EXPECT_EQ(data->GetProjectXMLID(), 1001);

        Store(Prefs());
        fServer.Control(json::object());
        const int32 second = SendAndWait();
        EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
        EXPECT_EQ(StoredCount() - before, c.stored + 1);
        EXPECT_TRUE(TempGone()) << g_PdfFile;
        std::vector<std::string> sends;
        if (c.succeeds) sends.push_back(SendLine("1", first));
        sends.push_back(SendLine("1", second));
        EXPECT_EQ(CloseAndReadSendLines(doc), sends);
    }
    TSConnection::ResetTimeOuts();
}

// A document whose upload still runs when it closes, by the user or at quit, closes only
// once the upload has ended, however slowly the server reads, with the upload's progress
// shown meanwhile; a send that ended well is in the log the close writes. Bytes still
// leaving the machine count as movement: the larger PDFs here lie whole in the socket's
// queue long before the server has read them. An upload that moves nothing for the stall
// limit, as when the server stops reading mid-body or holds its answer back, is given up,
// not earlier and hardly later, with a warning, and neither logged nor reported again as
// failed. (The stall limit is shortened; a window of the loopback connection takes up to
// about 1.3 s at 100 KB/s to open again, 2.6 s at 50 KB/s.)
TEST_F(UploadSendTest, AnUploadRunningAtCloseOrQuitEndsBeforeItsDocumentCloses) {
    using nlohmann::json;
    using std::chrono::milliseconds;
    const auto slowRead = [](int bytesPerSecond) {
        return json{{"fault", "slow_read"}, {"bytes", bytesPerSecond}, {"count", 1}};
    };
    const struct Case {
        const char* name;
        bool quit;  // else the user closes the document
        int32 pages;  // some 750 bytes of PDF each
        json fault;
        milliseconds stallLimit;
        bool succeeds;
        bool climbs;  // the PDF leaves the socket's queue through the wait, the bar with it
    } cases[] = {
        {"quit, 100 KBps, 380 KB", true, 500, slowRead(100000), milliseconds(2500), true, true},
        {"close, 100 KBps, 45 KB", false, 60, slowRead(100000), milliseconds(2500), true, false},
        {"close, 50 KBps, 45 KB", false, 60, slowRead(50000), milliseconds(2500), true, false},
        {"quit, 50 KBps, 45 KB", true, 60, slowRead(50000), milliseconds(2500), true, false},
        {"close, a slow answer", false, 2, {{"fault", "slow"}, {"delay_ms", 15}, {"count", 1}}, milliseconds(300), true,
         false},
        {"close, reading stopped mid-body", false, 500, slowRead(1000), milliseconds(500), false, false},
        {"quit, the answer held back", true, 2, {{"fault", "delay"}, {"delay_ms", 8000}, {"count", 1}}, milliseconds(500),
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDocument* doc = SavedDocument(c.name, c.pages);
        fServer.Control(c.fault);
        TSConnection::SetStallLimit(c.stallLimit);
        const int32 start = Now();
        ASSERT_TRUE(OpenSendDialog());
        ASSERT_TRUE(PressOK());
        ASSERT_FALSE(g_sendToAllowed.load());
        // Any other document closes at once.
        ASSERT_TRUE(fHost->Docs().Close(NewDocument(1)));
        EXPECT_FALSE(g_sendToAllowed.load());
        tshost::ProgressLog::Get().Clear();
        const auto closing = std::chrono::steady_clock::now();
        const std::vector<std::string> sends = CloseAndReadSendLines(doc, c.quit);
        const auto waited = std::chrono::steady_clock::now() - closing;
        TSConnection::SetStallLimit(TSConnection::kStallLimit);
        EXPECT_TRUE(g_sendToAllowed.load()) << "the upload ended before the document closed";
        EXPECT_EQ(sends, c.succeeds ? std::vector<std::string>{SendLine("1", start)} : std::vector<std::string>{});
        EXPECT_EQ(TakeAlerts(), c.succeeds ? std::vector<std::string>{}
                                           : std::vector<std::string>{"warning: The upload was cancelled because the "
                                                                      "Tessaron server stopped responding."});
        if (!c.succeeds) {
            EXPECT_GE(waited, c.stallLimit - milliseconds(200));
            EXPECT_LT(waited, c.stallLimit + milliseconds(600));
            EXPECT_FALSE(g_UploadError.load());
        }
        EXPECT_TRUE(TempGone()) << g_PdfFile;
        const auto& bars = tshost::ProgressLog::Get().Records();
        ASSERT_FALSE(bars.empty());
        EXPECT_EQ(bars[0].title, "Uploading: ");
        EXPECT_FALSE(bars[0].open);
        if (c.succeeds) {
            EXPECT_EQ(bars[0].positions.empty() ? -1 : bars[0].positions.back(), 100);
        }
        // The bar shows what has left the machine, not what was handed to the system at once.
        if (c.climbs) {
            const std::set<int32> shown(bars[0].positions.begin(), bars[0].positions.end());
            EXPECT_GE(std::count_if(shown.begin(), shown.end(), [](int32 p) { return p > 0 && p < 100; }), 5);
        }
        if (c.quit) {
            Launch();
            Store(Prefs());
        }
    }
}

TEST_F(UploadSendTest, UploadsTheChosenPagesWithProjectAndStatus) {
    ASSERT_TRUE(OpenSendDialog());
    EXPECT_EQ(DropDownItems(kTSStatusDropDownWidgetID),
              (std::vector<std::string>{"Draft", "For Review", "Corrections", "*Approved"}));
    SetText(kTSPageRangeEditBoxWidgetID, "");
    Type(kTSPageRangeEditBoxWidgetID, "2-3");
    ASSERT_TRUE(PressOK());
    WaitForUpload();
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});

    std::vector<nlohmann::json> requests = fServer.Requests();
    ASSERT_FALSE(requests.empty());
    const nlohmann::json& upload = requests.back();
    EXPECT_EQ(QueryValue(upload, "project_id"), "1001");
    EXPECT_EQ(QueryValue(upload, "status_id"), "6");
    EXPECT_EQ(QueryValue(upload, "item_numbers"), "2-3");
    ASSERT_EQ(upload.at("parts").size(), 1u);
    EXPECT_EQ(upload.at("parts").at(0).value("filename", ""), "Untitled-1.pdf");
    EXPECT_EQ(g_UploadPercent.load(), 100);
    // Nothing of the send is left in /tmp.
    EXPECT_TRUE(TempGone()) << g_PdfFile;
    InterfacePtr<ITSDocData> data(fDoc, IID_OF<ITSDocData>());
    EXPECT_EQ(data->GetProjectXMLID(), 1001);
    EXPECT_EQ(data->GetStatusID(), 6);
}

TEST_F(UploadSendTest, AFailedUploadWarnsOnceWhenThePanelIsOpen) {
    ASSERT_TRUE(OpenSendDialog());
    HidePanel();
    fServer.Control({{"fault", "status"}, {"status", 500}, {"count", 1}});
    ASSERT_TRUE(PressOK());
    WaitForUpload();
    RunIdle(100);
    // With the panel closed the failure waits.
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
    EXPECT_TRUE(g_UploadError.load());
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    TakeAlerts();
    RunIdle(100);
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"warning: Could not connect to the Tessaron server: Upload Failed"});
    EXPECT_FALSE(Shown(kTSProgressBarWidgetID));
    EXPECT_TRUE(TempGone()) << g_PdfFile;
}

TEST_F(UploadSendTest, ProgressShowsWhileTheUploadRuns) {
    fServer.Control({{"fault", "delay"}, {"delay_ms", 1500}, {"count", 1}});
    ASSERT_TRUE(OpenSendDialog());
    ASSERT_TRUE(PressOK());
    EXPECT_FALSE(g_sendToAllowed.load());
    EXPECT_FALSE(ActionEnabled(kTSSendActionID));
    RunIdle(150);
    EXPECT_TRUE(Shown(kTSProgressBarWidgetID));
    EXPECT_EQ(StatusText().rfind("Uploading: ", 0), 0u) << StatusText();
    EXPECT_EQ(StatusText().substr(StatusText().size() - 2), " %");
    WaitForUpload();
    EXPECT_FALSE(Shown(kTSProgressBarWidgetID));
    EXPECT_TRUE(ActionEnabled(kTSSendActionID));
}

// The panel's Upload button stays enabled until the next idle run, so the dialog can open
// while the previous upload still reads the request; confirmed after that upload ended, it
// must send its own project and status, not the previous ones with its own appended.
TEST_F(UploadSendTest, ADialogOpenedDuringAnUploadSendsItsOwnRequest) {
    fServer.Control({{"fault", "delay"}, {"delay_ms", 800}, {"count", 1}});
    ASSERT_TRUE(OpenSendDialog());
    ASSERT_TRUE(PressOK());
    ASSERT_FALSE(g_sendToAllowed.load());
    IControlView* upload = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSUploadButtonWidgetID);
    ASSERT_TRUE(upload);
    tshost::Click(upload);
    fDialog = tshost::DialogMgr::Current()->FrontDialog();
    ASSERT_TRUE(fDialog && fDialog->IsOpen());
    ASSERT_TRUE(TSIdleTask::WaitForUpload(std::chrono::seconds(60)));
    ASSERT_TRUE(PressOK());
    WaitForUpload();
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
    const std::vector<nlohmann::json> requests = fServer.Requests();
    ASSERT_GE(requests.size(), 2u);
    for (std::size_t i = requests.size() - 2; i < requests.size(); ++i) {
        EXPECT_EQ(QueryValue(requests[i], "project_id"), "1001");
        EXPECT_EQ(QueryValue(requests[i], "status_id"), "6");
    }
}

TEST_F(UploadSendTest, AThreadThatCannotStartLeavesSendingPossibleAndNoFile) {
    g_TSThreadCreate = &FailingCreate;
    ASSERT_TRUE(OpenSendDialog());
    ASSERT_TRUE(PressOK());
    g_TSThreadCreate = &pthread_create;
    EXPECT_STRNE(g_PdfFile, "");
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"info: The upload could not be started."});
    EXPECT_TRUE(g_sendToAllowed.load());
    EXPECT_TRUE(ActionEnabled(kTSSendActionID));
    EXPECT_TRUE(TempGone()) << g_PdfFile;
    EXPECT_TRUE(fServer.Requests().empty() || QueryValue(fServer.Requests().back(), "project_id") == "<none>");
}

// A send refused on OK, by the preferences, a running upload or the export, sends and
// exports nothing, leaves the document unlinked and its log without an export.
TEST_F(UploadSendTest, ASendRefusedOnOKSendsAndLinksNothing) {
    StoredPrefs noUser = Prefs(), longUrl = Prefs();
    noUser.user = "";
    longUrl.url += "/" + std::string(kUploadPathSize, 'u');
    const std::string details = "warning: Enter your Tessaron server details in the preferences first.";
    const struct Case {
        const char* name;
        StoredPrefs prefs;
        bool uploadRunning;
        int32 failedExports;
        std::string alert;
    } cases[] = {
        {"no user name", noUser, false, 0, details},
        {"an overlong URL", longUrl, false, 0, details},
        // The request globals belong to the running upload until it ends.
        {"an upload still running", Prefs(), true, 0, "info: The upload could not be started."},
        {"the export fails", Prefs(), false, 1, "warning: The PDF could not be generated."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDocument* doc = SavedDocument(c.name);
        Store(c.prefs);
        ASSERT_TRUE(OpenSendDialog());
        g_sendToAllowed.store(!c.uploadRunning);
        tshost::FailNextExports(c.failedExports);
        ASSERT_TRUE(PressOK());
        g_sendToAllowed.store(true);
        EXPECT_EQ(tshost::PendingExportFailures(), 0);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
        EXPECT_EQ(TakeAlerts(), std::vector<std::string>{c.alert});
        EXPECT_STREQ(g_PdfFile, "");
        EXPECT_TRUE(TempGone());
        InterfacePtr<ITSDocData> data(doc, IID_OF<ITSDocData>());
        EXPECT_EQ(data->GetProjectXMLID(), -1);
        // Without a user name no log is written.
        std::vector<std::string> pdfLines;
        if (!c.prefs.user.empty()) pdfLines.push_back("<pdf_total_generation_time>00:00:00</pdf_total_generation_time>");
        EXPECT_EQ(CloseAndReadLines(doc, "<pdf_"), pdfLines);
    }
    EXPECT_TRUE(fServer.Requests().empty() || QueryValue(fServer.Requests().back(), "project_id") == "<none>");
}

// The temporary path has room for 255 bytes: a long document name is cut, not overrun.
TEST_F(UploadSendTest, ALongDocumentNameIsCutToFitTheTemporaryPath) {
    tstest::TempDir files;
    const std::string name(230, 'n');
    std::string error;
    ASSERT_TRUE(fHost->Docs().SaveAs(fDoc, files.Path() + "/" + name + ".indd", error)) << error;
    ASSERT_TRUE(OpenSendDialog());
    ASSERT_TRUE(PressOK());
    WaitForUpload();
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
    ASSERT_FALSE(fServer.Requests().empty());
    const std::string sent = fServer.Requests().back().at("parts").at(0).value("filename", "");
    EXPECT_EQ(sent, std::string(255 - std::string("/tmp/tessaron-send-XXXXXX/.pdf").size(), 'n') + ".pdf");
    EXPECT_TRUE(TempGone()) << g_PdfFile;
}

}  // namespace
