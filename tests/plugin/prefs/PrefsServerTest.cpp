// Confirming the Preferences page against a running tessaron-proofd: the details are checked
// by a real project-list download before anything is stored, the eight values go into the
// workspace in one command, and a changed user name or server URL makes the next download
// ask for a full update. (Real runs of tessaron-host keeping what the page took: KillTest.)
#include <gtest/gtest.h>

#include "ConnectionTestSupport.h"
#include "IDialogController.h"
#include "PDFPresets.h"
#include "PrefsPageFixture.h"

namespace {

class PrefsServerTest : public PrefsPageFixture {
protected:
    void SetUp() override {
        PrefsPageFixture::SetUp();
        ASSERT_TRUE(fServer.Running());
        tshost::SetTranscriptSink([this](std::string_view line) { fTranscript += std::string(line) + "\n"; });
    }

    // url "": the server's.
    StoredPrefs Demo(const std::string& user = "demo", const std::string& password = "demo", std::string url = "") const {
        if (url.empty()) url = fServer.Url();
        return {user, password, "Tessaron", url, "Macintosh HD:out", "Macintosh HD:hot", "Draft", "[High Quality Print]"};
    }
    // Opens the page on `stored` with the sample list cached, so that no download asks for an
    // update unless the details changed.
    void OpenOn(const StoredPrefs& stored) {
        CacheProjects("sample");
        Open(stored);
        tshost::AlertLog::Get().Clear();
        fTranscript.clear();
        fRequestsBefore = fServer.Requests().size();
    }
    std::vector<nlohmann::json> NewRequests() const {
        std::vector<nlohmann::json> all = fServer.Requests();
        return {all.begin() + static_cast<std::ptrdiff_t>(fRequestsBefore), all.end()};
    }

    tsconntest::Proofd fServer;
    std::string fTranscript;
    std::size_t fRequestsBefore = 0;
};

// Each row confirms once. Empty details are refused in order without asking the server; a
// refused login names the user name box with only the download's own alert; only accepted
// details close the dialog, and only then is anything stored.
TEST_F(PrefsServerTest, ConfirmingChecksTheDetailsWithTheServerFirst) {
    const std::string connection = "Could not connect to the Tessaron server  HTTP Status = ";
    const struct {
        std::string user, password, url;  // url "": the server's
        nlohmann::json fault;
        std::string invalid, alert;  // invalid "": accepted; alert: a prefix of the only one shown
        std::size_t requests;
    } cases[] = {
        {" \t ", "", "", {}, "0x61026", "Enter a user name.", 0},
        {"demo", "  ", "", {}, "0x61027", "Enter a password.", 0},
        {"demo", "demo", "\n", {}, "0x61028", "Enter the server URL.", 0},
        {"demo", "nope", "", {}, "0x61026", "The user name or password is incorrect.", 1},
        {"viewer", "viewer", "", {}, "0x61026", "You do not have the rights to use Tessaron.", 1},
        {"demo", "demo", "", {{"fault", "status"}, {"status", 500}}, "0x61026", connection + "500", 1},
        {" demo ", "demo\t", "", {}, "", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.user + "/" + c.password + "/" + c.url + " " + c.fault.dump());
        OpenOn(Demo("someone"));
        fServer.Control(c.fault.is_object() ? c.fault : nlohmann::json::object());
        SetText(kTSPrefsUserNameWidgetID, c.user);
        SetText(kTSPrefsPasswordWidgetID, c.password);
        SetText(kTSPrefsServerURLWidgetID, c.url.empty() ? fServer.Url() : c.url);
        EXPECT_EQ(Press(), c.invalid.empty());
        EXPECT_EQ(Stored(), Demo(c.invalid.empty() ? "demo" : "someone"));
        EXPECT_EQ(fTranscript.find("stays open: widget " + c.invalid + " is not valid") != std::string::npos,
                  !c.invalid.empty()) << fTranscript;
        ASSERT_EQ(Alerts().size(), c.alert.empty() ? 0u : 1u);
        for (const tshost::AlertRecord& alert : Alerts()) EXPECT_EQ(alert.text.rfind(c.alert, 0), 0u) << alert.text;
        ASSERT_EQ(NewRequests().size(), c.requests);
        for (const auto& request : NewRequests())
            EXPECT_EQ(tsconntest::QueryValue(request, "username"), c.user == " demo " ? "demo" : c.user);
        Cancel();
    }
}

// The path box replaces only the selected target's folder, less surrounding blanks and a
// final folder mark (the send appends ":" and a name to it); the drop-downs are stored as
// they show. A stored target the page does not know is stored as "Tessaron", and a
// drop-down left empty (no cached list, no presets) offers no choice: its default stays.
TEST_F(PrefsServerTest, ApplyingStoresTheEightValuesForTheChosenTarget) {
    // radio, path typed, and the target and two folders stored
    const std::tuple<WidgetID, const char*, const char*, const char*, const char*> cases[] = {
        {kTSPrefsFolderRadioWidgetID, "  Macintosh HD:new: ", "Folder", "Macintosh HD:new", "Macintosh HD:hot"},
        {kTSPrefsIDServerRadioWidgetID, "Macintosh HD:new:\t", "InDesign Server", "Macintosh HD:out", "Macintosh HD:new"},
        {kTSPrefsServerRadioWidgetID, "Macintosh HD:new", "Tessaron", "Macintosh HD:out", "Macintosh HD:hot"},
    };
    for (const auto& [radio, typed, sendTo, folder, idServer] : cases) {
        SCOPED_TRACE(sendTo);
        OpenOn(Demo());
        Click(radio);
        SetText(kTSPrefsPathWidgetID, typed);
        SetText(kTSPrefsPasswordWidgetID, " demo ");
        Get<IDropDownListController>(kTSPrefsStatusWidgetID)->Select(4);
        Get<IDropDownListController>(kTSPrefsPresetWidgetID)->Select(2);
        ASSERT_TRUE(Press());
        EXPECT_EQ(Stored(),
                  (StoredPrefs{"demo", "demo", sendTo, fServer.Url(), folder, idServer, "Proof", "[Smallest File Size]"}));
    }

    StoredPrefs stored = Demo();
    stored.sendTo = "Email";
    CacheProjects("");
    std::string error;
    ASSERT_TRUE(tshost::PDFPresetList::Of(InterfacePtr<IWorkspace>(gSession->QueryWorkspace()).get())->Set({}, error));
    Open(stored);
    ASSERT_TRUE(Press());
    EXPECT_EQ(Stored(), (StoredPrefs{"demo", "demo", "Tessaron", fServer.Url(), "Macintosh HD:out", "Macintosh HD:hot",
                                     "Draft", "[High Quality Print]"}));
    EXPECT_TRUE(Alerts().empty());
}

// A new run starts without a cached list, which the last one deleted when it quit, so the
// status list is empty: confirming the page unchanged keeps every stored value.
TEST_F(PrefsServerTest, ANewRunsUnchangedConfirmationKeepsEveryStoredValue) {
    for (const char* sendTo : {"Tessaron", "Folder", "InDesign Server"}) {
        SCOPED_TRACE(sendTo);
        StoredPrefs stored = Demo();
        stored.sendTo = sendTo;
        stored.status = "Proof";
        stored.preset = "[Smallest File Size]";
        Store(stored);
        Restart();
        Open();
        EXPECT_TRUE(Entries(kTSPrefsStatusWidgetID).empty());
        ASSERT_TRUE(Press());
        EXPECT_EQ(Stored(), stored);
    }
}

// The flag: set by a changed user name or URL (a letter's case counts), not by a password;
// kept over a later unchanged apply; consumed by the next download, which asks for the update.
TEST_F(PrefsServerTest, AChangedUserOrUrlMakesTheNextDownloadAskForAnUpdate) {
    const std::string shouting = "HTTP://127.0.0.1:" + std::to_string(fServer.Port());
    const std::tuple<const char*, const char*, const char*, std::string, bool> cases[] = {
        // name, stored user, password and URL ("": the server's), whether that is a change
        {"unchanged", "demo", "demo", "", false},
        {"password only", "demo", "old", "", false},
        {"user", "ana", "demo", "", true},
        {"url case", "demo", "demo", shouting, true},
    };
    for (const auto& [name, user, password, url, changed] : cases) {
        SCOPED_TRACE(name);
        OpenOn(Demo(user, password, url));
        SetText(kTSPrefsUserNameWidgetID, "demo");
        SetText(kTSPrefsPasswordWidgetID, "demo");
        SetText(kTSPrefsServerURLWidgetID, fServer.Url());
        ASSERT_TRUE(Press());
        EXPECT_EQ(g_ServerDetailChanged != kFalse, changed);

        Open();
        InterfacePtr<IDialogController> controller(Widget(kTSPrefsPanelWidgetID), IID_OF<IDialogController>());
        ASSERT_TRUE(controller);
        controller->ApplyDialog(WidgetID(0x602));
        fRequestsBefore = fServer.Requests().size();
        ASSERT_TRUE(Press());
        ASSERT_EQ(NewRequests().size(), 1u);
        EXPECT_EQ(tsconntest::QueryValue(NewRequests()[0], "getupdate"), changed ? "1" : "<none>");
        EXPECT_EQ(g_ServerDetailChanged, kFalse);
    }
}

}  // namespace
