// A send to the proofing server, end to end: the dialog, the export into a private temporary
// folder, the upload thread against tessaron-proofd, the panel's progress display and the
// warning after a failed upload. Every test waits for the thread before the host goes.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
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
#include "QuitSignals.h"
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
        // The server writes what it is still reading into a hidden file.
        for (const auto& entry : fs::directory_iterator(fServer.UploadsFolder()))
            count += entry.is_regular_file() && entry.path().filename().string()[0] != '.';
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
// once the upload has ended, with its progress shown meanwhile, and the user learns how it
// ended before the document is gone: a success is in the log the close writes; a failure
// (an error answer, a reset, the transfer's time-out, a connection the network shows dead)
// gets the failed-upload warning, once; an upload the user stopped waiting for is cancelled
// and said to be. Nothing but those ends the wait: a server that reads slowly, thinks long or
// answers a byte at a time is waited for, however much longer than the dead-connection limit
// (shortened here, as the time-out is where a row says) it stays quiet.
TEST_F(UploadSendTest, AnUploadRunningAtCloseOrQuitEndsBeforeItsDocumentCloses) {
    using nlohmann::json;
    using std::chrono::milliseconds;
    const auto slowRead = [](int bytesPerSecond) {
        return json{{"fault", "slow_read"}, {"bytes", bytesPerSecond}, {"count", 1}};
    };
    const json thinks = {{"fault", "delay"}, {"delay_ms", 4000}, {"count", 1}};
    const json slowHead = {{"fault", "slow_head"}, {"delay_ms", 30}, {"count", 1}};
    // Held a moment, so that the upload still runs when the document closes.
    const json refused = {{"fault", "status"}, {"status", 500}, {"delay_ms", 1500}, {"count", 1}};
    const json reset = {{"fault", "reset"}, {"bytes", 30000}, {"delay_ms", 1500}, {"count", 1}};
    enum class End { kLogged, kWarned, kCancelled };
    const milliseconds dead(1000), whole = TSConnection::kDefaultTimeOut, timeOut(2500), later(30000);
    const struct Case {
        const char* name;
        bool quit;    // else the user closes the document
        int32 pages;  // some 750 bytes of PDF each
        json fault;
        milliseconds deadLimit, timeOut;
        End end;
        std::size_t stored;  // files the server keeps
        bool cancel = false;  // the user stops waiting
        bool climbs = false;  // the PDF leaves the socket's queue through the wait, the bar with it
        bool endedBefore = false;  // the upload ends, unreported, before the close or quit
    } cases[] = {
        {"quit, 100 KBps, 380 KB", true, 500, slowRead(100000), whole, whole, End::kLogged, 1, false, true},
        {"close, 100 KBps, 45 KB", false, 60, slowRead(100000), whole, whole, End::kLogged, 1},
        {"close, 50 KBps, 45 KB", false, 60, slowRead(50000), whole, whole, End::kLogged, 1},
        {"quit, 50 KBps, 45 KB", true, 60, slowRead(50000), whole, whole, End::kLogged, 1},
        {"close, a slow answer", false, 2, {{"fault", "slow"}, {"delay_ms", 15}, {"count", 1}}, dead, whole, End::kLogged, 1},
        {"quit, 10 KBps, 45 KB", true, 60, slowRead(10000), dead, whole, End::kLogged, 1},
        {"close, 10 KBps, 45 KB", false, 60, slowRead(10000), dead, whole, End::kLogged, 1},
        {"quit, the server thinks", true, 2, thinks, dead, whole, End::kLogged, 1},
        {"close, the server thinks", false, 2, thinks, dead, whole, End::kLogged, 1},
        {"quit, the answer's head a byte at a time", true, 2, slowHead, dead, whole, End::kLogged, 1},
        {"close, the answer's head a byte at a time", false, 2, slowHead, dead, whole, End::kLogged, 1},
        {"quit, answered 500", true, 2, refused, dead, whole, End::kWarned, 0},
        {"close, answered 500", false, 2, refused, dead, whole, End::kWarned, 0},
        {"quit, answered 500 just before", true, 2, {{"fault", "status"}, {"status", 500}, {"count", 1}}, dead, whole,
         End::kWarned, 0, false, false, true},
        {"quit, reset mid-body", true, 500, reset, whole, whole, End::kWarned, 0},
        {"close, reset mid-body", false, 500, reset, whole, whole, End::kWarned, 0},
        {"quit, the time-out", true, 500, slowRead(10000), whole, timeOut, End::kWarned, 0},
        {"close, the time-out", false, 500, slowRead(10000), whole, timeOut, End::kWarned, 0},
        {"quit, the server reads no more", true, 500, slowRead(1), dead, later, End::kWarned, 0},
        {"close, the server reads no more", false, 500, slowRead(1), dead, later, End::kWarned, 0},
        {"quit, the user stops waiting", true, 500, slowRead(10000), whole, whole, End::kCancelled, 0, true},
        {"close, the user stops waiting", false, 500, slowRead(10000), whole, whole, End::kCancelled, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IDocument* doc = SavedDocument(c.name, c.pages);
        fServer.Control(c.fault);
        TSConnection::SetDeadConnectionLimit(c.deadLimit);
        TSConnection::SetTimeOuts(TSConnection::kDefaultTimeOut, c.timeOut);
        const std::size_t before = StoredCount();
        const int32 start = Now();
        ASSERT_TRUE(OpenSendDialog());
        ASSERT_TRUE(PressOK());
        ASSERT_FALSE(g_sendToAllowed.load());
        if (c.endedBefore) {
            ASSERT_TRUE(TSIdleTask::WaitForUpload(std::chrono::seconds(60)));
        } else {
            // Any other document closes at once.
            ASSERT_TRUE(fHost->Docs().Close(NewDocument(1)));
            EXPECT_FALSE(g_sendToAllowed.load());
        }
        tshost::ProgressLog::Get().Clear();
        std::thread user;
        if (c.cancel)
            user = std::thread([] {
                for (int i = 0; i < 6000 && !tshost::CancelWait(); ++i) std::this_thread::sleep_for(milliseconds(10));
            });
        const auto closing = std::chrono::steady_clock::now();
        const std::vector<std::string> sends = CloseAndReadSendLines(doc, c.quit);
        const auto waited = std::chrono::steady_clock::now() - closing;
        if (user.joinable()) user.join();
        TSConnection::SetDeadConnectionLimit(TSConnection::kDeadConnectionLimit);
        TSConnection::ResetTimeOuts();
        EXPECT_TRUE(g_sendToAllowed.load()) << "the upload ended before the document closed";
        EXPECT_EQ(sends, c.end == End::kLogged ? std::vector<std::string>{SendLine("1", start)} : std::vector<std::string>{});
        const std::vector<std::string> said[] = {
            {},
            {"warning: Could not connect to the Tessaron server: Upload Failed"},
            {"warning: The upload was cancelled by the user; the document was not sent."},
        };
        EXPECT_EQ(TakeAlerts(), said[static_cast<int>(c.end)]);
        // A connection the network shows dead ends long before the transfer's time-out would.
        if (c.end == End::kWarned && c.deadLimit < c.timeOut) {
            EXPECT_LT(waited, c.timeOut / 2);
        }
        EXPECT_FALSE(g_UploadError.load()) << "reported once";
        EXPECT_EQ(StoredCount() - before, c.stored);
        EXPECT_TRUE(TempGone()) << g_PdfFile;
        const auto& bars = tshost::ProgressLog::Get().Records();
        ASSERT_EQ(bars.empty(), c.endedBefore);
        if (c.endedBefore) {
            if (c.quit) {
                Launch();
                Store(Prefs());
            }
            continue;
        }
        EXPECT_EQ(bars[0].title, "Uploading: ");
        EXPECT_FALSE(bars[0].open);
        if (c.end == End::kLogged) {
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
        } else {
            RunIdle(100);
            EXPECT_EQ(TakeAlerts(), std::vector<std::string>{}) << "reported once";
        }
    }
}

// The console host's signals while an upload runs: SIGHUP quits as SIGTERM does, and the
// quit waits for the upload; the first SIGINT or SIGTERM during that wait cancels it, the host
// says so and goes on quitting, and it ends by the signal; a signal after that ends the host at
// once. However it ends, no temporary PDF of the send is left.
TEST_F(UploadSendTest, SignalsDuringTheConsoleHostsUploadWait) {
    using nlohmann::json;
    const auto slowRead = [](int bytesPerSecond) {
        return json{{"fault", "slow_read"}, {"bytes", bytesPerSecond}, {"count", 1}, {"path", "/indd_filetransfer.asp"}};
    };
    const std::string cancelled = "The upload was cancelled by the user; the document was not sent.";
    const struct Case {
        const char* name;
        int32 pages;
        json fault;
        const char* last;  // the script's last line, after the send
        std::vector<int> before, during;  // signals once the send is made, once the wait shows
        bool sayCancelled;
        std::size_t stored;
    } cases[] = {
        {"SIGINT during the wait at quit", 500, slowRead(10000), "quit", {}, {SIGINT}, true, 0},
        {"SIGTERM during the wait at quit", 500, slowRead(10000), "quit", {}, {SIGTERM}, true, 0},
        {"SIGHUP while idle", 60, slowRead(20000), "idle 60s", {SIGHUP}, {}, false, 1},
        // Signals of one kind sent at once would arrive as one.
        {"SIGTERM while idle, then two during the wait", 500, slowRead(10000), "idle 60s", {SIGTERM}, {SIGTERM, SIGINT},
         false, 0},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tstest::TempDir dir;
        const std::string name = "signalled-" + std::to_string(::getpid()) + "-" + std::to_string(++run);
        fServer.Control(c.fault);
        const std::size_t before = StoredCount();
        tstest::Process host(tstest::HostArgs(dir / "home", {"--clock", "real", "-"}));
        ASSERT_TRUE(host.Running());
        host.Send("prefs open 0x61023\nset-text 0x61026 demo\nset-text 0x61027 demo\nset-text 0x61028 " + fServer.Url() +
                  "\ndialog ok\npanel show 0x61000\ntree expand \"Northwind Books\"\ntree expand \"Spring Catalogue\"\n"
                  "tree select Cover\nnew " + std::to_string(c.pages) + "\nsave-as " + dir / name + ".indd\n"
                  "menu choose Main:Tessaron \"Send to Tessaron...\"\ndialog ok\necho sent\n" + c.last + "\n");
        ASSERT_TRUE(host.Read("\nsent\n")) << host.Out() << host.Err();
        std::vector<fs::path> temporary;
        for (const auto& entry : fs::directory_iterator("/tmp"))
            if (entry.path().filename().string().rfind("tessaron-send-", 0) == 0 && fs::exists(entry.path() / (name + ".pdf")))
                temporary.push_back(entry.path());
        ASSERT_EQ(temporary.size(), 1u);
        // The last signal goes with the wait for the end.
        std::vector<int> early = c.before, late = c.during;
        std::vector<int>& lastGroup = late.empty() ? early : late;
        const int last = lastGroup.back();
        lastGroup.pop_back();
        for (int signal : early) ::kill(host.Pid(), signal);
        if (!c.during.empty()) {
            ASSERT_TRUE(host.Read("[progress] Uploading")) << host.Out() << host.Err();
            for (int signal : late) ::kill(host.Pid(), signal);
        }
        // A host ends by the first signal, or, ended at once, by the one that did so: either of
        // the last two, as two kinds pending at once are taken lower number first.
        const bool atOnce = c.before.size() + c.during.size() > 2;
        const int first = c.before.empty() ? c.during.front() : c.before.front();
        const int status = host.Stop(last);
        if (atOnce) {
            EXPECT_TRUE(status == 128 + c.during[0] || status == 128 + c.during[1]) << status << host.Out() << host.Err();
        } else {
            EXPECT_EQ(status, 128 + first) << host.Out() << host.Err();
        }
        const std::string said = host.Out() + host.Err();
        if (c.sayCancelled) {
            EXPECT_NE(said.find(cancelled), std::string::npos) << said;
        }
        EXPECT_FALSE(fs::exists(temporary[0])) << temporary[0];
        EXPECT_EQ(StoredCount() - before, c.stored);
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
