// A send to the proofing server, end to end: the dialog, the export into a private temporary
// folder, the upload thread against tessaron-proofd, the panel's progress display and the
// warning after a failed upload. Every test waits for the thread before the host goes.
#include <dirent.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "ConnectionTestSupport.h"
#include "Dialogs.h"
#include "Events.h"
#include "IControlView.h"
#include "IDocument.h"
#include "ITSDocData.h"
#include "ITextControlData.h"
#include "InterfacePtr.h"
#include "SendTestSupport.h"
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
        SetPrefs(Prefs());
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

    IDocument* fDoc = nullptr;
};

TEST_F(UploadSendTest, UploadsTheChosenPagesWithProjectAndStatus) {
    ASSERT_TRUE(OpenSendDialog());
    EXPECT_EQ(Title(), "Send to Tessaron");
    EXPECT_FALSE(IsShown(kTSFileNameGroupWidgetID));
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
    // Nothing of the send is left in /tmp, and the display went away.
    EXPECT_TRUE(TempGone()) << g_PdfFile;
    EXPECT_FALSE(Shown(kTSProgressBarWidgetID));
    EXPECT_FALSE(Shown(kTSStatusTextWidgetID));
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

// The thread reads the plug-in's globals and the host's strings: the host waits for it when
// it quits.
TEST_F(UploadSendTest, QuittingWaitsForTheUploadToEnd) {
    fServer.Control({{"fault", "delay"}, {"delay_ms", 800}, {"count", 1}});
    ASSERT_TRUE(OpenSendDialog());
    ASSERT_TRUE(PressOK());
    EXPECT_FALSE(g_sendToAllowed.load());
    Quit();
    EXPECT_TRUE(g_sendToAllowed.load());
    EXPECT_TRUE(TempGone()) << g_PdfFile;
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

TEST_F(UploadSendTest, AnEmptyUserNameOrAnOverlongUrlSendsNothing) {
    for (const Prefs& prefs : {Prefs().User(""), Prefs().Url(fServer.Url() + "/" + std::string(kUploadPathSize, 'u'))}) {
        SetPrefs(prefs);
        ASSERT_TRUE(OpenSendDialog());
        ASSERT_TRUE(PressOK());
        EXPECT_EQ(TakeAlerts(),
                  std::vector<std::string>{"warning: Enter your Tessaron server details in the preferences first."});
        EXPECT_STREQ(g_PdfFile, "");
        EXPECT_TRUE(g_sendToAllowed.load());
    }
    EXPECT_TRUE(fServer.Requests().empty() || QueryValue(fServer.Requests().back(), "project_id") == "<none>");
}

// The temporary path has room for 255 bytes: a long document name is cut, not overrun.
TEST_F(UploadSendTest, ALongDocumentNameIsCutToFitTheTemporaryPath) {
    proofd_test::TempDir files;
    const std::string name(230, 'n');
    std::string error;
    ASSERT_TRUE(fHost->Docs().SaveAs(fDoc, files.path() + "/" + name + ".indd", error)) << error;
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
