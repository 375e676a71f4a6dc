// The projects panel as a user meets it: showing it downloads the list and builds the tree,
// rows show the right expander, icon, name and indent, the buttons follow the selection, the
// open documents and a running upload, and Refresh and Link do what they say.
#include <httplib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <tuple>
#include <thread>

#include "Alerts.h"
#include "IProgressBarControlData.h"
#include "ITextControlData.h"
#include "ITip.h"
#include "IdleScheduler.h"
#include "PanelTestSupport.h"
#include "TSConnection.h"
#include "TSPanelNodeData.h"
#include "TSUploadGlobals.h"

namespace tspaneltest {
namespace {

// The Link, Upload and Refresh buttons' states.
const std::vector<bool> kNoProject{false, false, true}, kProject{true, false, true}, kReady{true, true, true};

using PanelTest = PanelFixture;

TEST_F(PanelTest, ShowingThePanelBuildsTheTreeWhoseRowsFollowExpansionAndHidingItLeavesNothingToFind) {
    // Beta also holds a project without a name.
    std::string list = kProjectList;
    const std::string feature = R"(<project id="202" name="Feature" project_group_id="20"/>)";
    list.insert(list.find(feature), R"(<project id="203" name="" project_group_id="20"/>)");
    ServeProjects(list);
    ASSERT_TRUE(ShowPanel());
    EXPECT_EQ(Rows(), (Lines{"+ <1002> Alpha", "+ <1002> Beta", "  <1002> Empty Group"}));
    EXPECT_TRUE(tshost::AlertLog::Get().Records().empty());
    Toggle("Alpha");
    Toggle("Beta");
    // A project named like a string key keeps its name, one without a name shows "Empty?";
    // Inner's row loads Deep, so it expands.
    EXPECT_EQ(Rows(), (Lines{"- <1003> Alpha", "    <1001> 0x61000kTSUploadStatusKey", "    <1001> Cover",
                             "- <1003> Beta", "  + <1002> Inner", "    <1001> Empty?", "    <1001> Feature",
                             "  <1002> Empty Group"}));
    // The indent widget starts at the host's indent for the row's depth; the name ends with it.
    for (const auto& [name, indent] : {std::pair{"Alpha", 0.0}, {"Cover", 10.0}, {"Feature", 10.0}}) {
        IControlView* indentWidget = tshost::FindWidgetFrom(RowWidget(name), kTSNodeIndentWidgetID);
        IControlView* nameWidget = tshost::FindWidgetFrom(RowWidget(name), kTSNodeNameWidgetID);
        ASSERT_TRUE(indentWidget && nameWidget) << name;
        EXPECT_EQ(indentWidget->GetFrame().Left(), indent) << name;
        EXPECT_EQ(nameWidget->GetFrame().Right(), indentWidget->GetFrame().Right()) << name;
    }
    Toggle("Alpha");
    EXPECT_EQ(Rows()[0], "+ <1002> Alpha");

    // The tips' texts: the panel_offline scenario; they are shown as they stand.
    for (WidgetID button : {kTSLinkButtonWidgetID, kTSUploadButtonWidgetID, kTSRefreshButtonWidgetID})
        EXPECT_FALSE(InterfacePtr<ITip>(Widget(button), IID_OF<ITip>())->GetTipText(PMPoint()).GetTranslatable());

    HidePanel();
    EXPECT_EQ(Widget(kTSProjectTreeWidgetID), nullptr);
    TSPanelNodeData node;
    EXPECT_FALSE(TSPanelUtils::GetNodeData(node));
    TSPanelUtils::UpdateTSPanelBtnStates();
}

TEST_F(PanelTest, LinkAndUploadFollowTheFirstSelectedNodeTheDocumentsAndTheUpload) {
    ASSERT_TRUE(ShowPanel());
    EXPECT_EQ(States(), kNoProject);
    Toggle("Alpha");
    Select("Cover");
    EXPECT_EQ(States(), kProject) << "no document open";
    // Documents and the upload state are noticed at the idle task's next run.
    NewDocument(1);
    for (bool uploading : {false, true, false}) {
        g_sendToAllowed.store(!uploading, std::memory_order_release);
        tshost::IdleScheduler::Get().Idle(200);
        EXPECT_EQ(States(), uploading ? kProject : kReady) << uploading;
    }
    // Only the first selected node counts, for the buttons and for every other reader.
    for (const auto& [first, second, states] : {std::tuple{"Alpha", "Cover", kNoProject}, {"Cover", "Alpha", kReady}}) {
        Select(first);
        AddToSelection(second);
        EXPECT_EQ(States(), states) << first;
        TSPanelNodeData node;
        ASSERT_TRUE(TSPanelUtils::GetNodeData(node));
        EXPECT_EQ(node.GetNodeName(), PMString(first));
    }
}

// The buttons are reached through what the panel gave when it was shown, and the idle task's
// runs take the selection as the tree last announced it: hiding the panel, showing it again,
// a Refresh that gives the selected node's id to another project, and quitting with the panel
// shown must each leave the buttons right and the update nothing stale to touch.
TEST_F(PanelTest, TheButtonsFollowTheSelectionAcrossShowingsRefreshesAndAQuitWithThePanelShown) {
    for (int showing = 0; showing < 2; ++showing) {
        ASSERT_TRUE(ShowPanel());
        Toggle("Alpha");
        Select("Cover");
        tshost::IdleScheduler::Get().Idle(200);
        EXPECT_EQ(States(), kProject) << showing;
        Select("Alpha");
        tshost::IdleScheduler::Get().Idle(200);
        EXPECT_EQ(States(), kNoProject) << showing;
        HidePanel();
        TSPanelUtils::UpdateTSPanelBtnStates();
    }
    ASSERT_TRUE(ShowPanel());
    Restart();
    // The panel went with the host that showed it; the new host's idle task still runs.
    TSPanelUtils::UpdateTSPanelBtnStates();
    tshost::IdleScheduler::Get().Idle(50);
    ASSERT_TRUE(ShowPanel());
    Toggle("Alpha");
    Select("Cover");
    EXPECT_EQ(States(), kProject);
    // The selected project's id now belongs to one of Gamma's projects.
    std::string list = R"(<tessaron authenticated="1" type="TESSARON_UPDATE"><projectgroups><projectgroup id="50" name="Gamma"/>
        </projectgroups><projects>)";
    for (int n = 0; n < 20; ++n)
        list += "<project id=\"" + std::to_string(600 + n) + "\" name=\"P" + std::to_string(n) + "\" project_group_id=\"50\"/>";
    ServeProjects(list + "</projects></tessaron>");
    g_ServerDetailChanged = kTrue;
    tshost::Click(Widget(kTSRefreshButtonWidgetID));
    tshost::IdleScheduler::Get().Idle(200);
    EXPECT_EQ(States(), kNoProject) << "the rebuilt tree has nothing selected";
    g_ServerDetailChanged = kFalse;
}

// The idle task's progress display follows the upload state alone: the percentage while an
// upload runs, hidden at 0 once it is over (also on a panel shown again), and shown again for
// the next upload however long the display stayed hidden.
TEST_F(PanelTest, TheProgressDisplayFollowsTheUploadAcrossShowingsOfThePanel) {
    ASSERT_TRUE(ShowPanel());
    struct Display {
        bool bar, text;
        int32 value, style;
        std::string status;
        bool operator==(const Display&) const = default;
    };
    auto display = [&] {
        InterfacePtr<IProgressBarControlData> bar(Widget(kTSProgressBarWidgetID), IID_OF<IProgressBarControlData>());
        InterfacePtr<ITextControlData> text(Widget(kTSStatusTextWidgetID), IID_OF<ITextControlData>());
        EXPECT_TRUE(bar && text);
        return Display{Widget(kTSProgressBarWidgetID)->IsVisible(kFalse) != kFalse,
                       Widget(kTSStatusTextWidgetID)->IsVisible(kFalse) != kFalse, bar ? bar->GetValue() : -1,
                       bar ? bar->GetStyle() : -1, text ? text->GetString().GetUTF8String() : "<none>"};
    };
    const int32 kDeterminate = IProgressBarControlData::kDeterminate;
    const Display hidden{false, false, 0, kDeterminate, "Uploading: "}, fresh{false, false, 0, kDeterminate, ""};
    const std::vector<std::tuple<const char*, int32, bool, Display>> steps = {
        // step, percentage of a running upload (-1: none runs), panel shown again first, display
        {"uploading", 42, false, {true, true, 42, kDeterminate, "Uploading: 42 %"}},
        {"done", -1, false, hidden},
        {"still idle", -1, false, hidden},
        {"shown again", -1, true, fresh},
        {"next upload", 7, false, {true, true, 7, kDeterminate, "Uploading: 7 %"}},
        {"shown again while uploading", 9, true, {true, true, 9, kDeterminate, "Uploading: 9 %"}},
        {"done again", -1, false, hidden},
    };
    for (const auto& [step, percent, reshow, expected] : steps) {
        if (reshow) {
            HidePanel();
            ASSERT_TRUE(ShowPanel()) << step;
        }
        g_UploadPercent.store(std::max(percent, 0), std::memory_order_release);
        g_sendToAllowed.store(percent < 0, std::memory_order_release);
        tshost::IdleScheduler::Get().Idle(200);
        EXPECT_EQ(display(), expected) << step;
    }
    // An upload that runs and fails while the panel is closed is reported once it is open again.
    HidePanel();
    g_sendToAllowed.store(false, std::memory_order_release);
    tshost::IdleScheduler::Get().Idle(200);
    g_UploadError.store(true, std::memory_order_release);
    g_sendToAllowed.store(true, std::memory_order_release);
    tshost::IdleScheduler::Get().Idle(200);
    EXPECT_TRUE(g_UploadError.load()) << "nothing is reported while the panel is closed";
    ASSERT_TRUE(ShowPanel());
    const std::size_t before = tshost::AlertLog::Get().Records().size();
    tshost::IdleScheduler::Get().Idle(200);
    const auto& alerts = tshost::AlertLog::Get().Records();
    ASSERT_EQ(alerts.size(), before + 1);
    EXPECT_EQ(alerts.back().text, "Could not connect to the Tessaron server: Upload Failed");
    EXPECT_FALSE(g_UploadError.load());
    EXPECT_EQ(display(), fresh);
    g_UploadPercent.store(0, std::memory_order_release);
}

TEST_F(PanelTest, RefreshRebuildsFromTheNewListAndFromTheCacheWhenTheServerFails) {
    ASSERT_TRUE(ShowPanel());
    Select("Beta");
    ServeProjects(R"(<tessaron authenticated="1" type="TESSARON_UPDATE"><projectgroups><projectgroup id="50" name="Gamma"/>
        </projectgroups><projects><project id="501" name="New" project_group_id="50"/></projects></tessaron>)");
    // Only changed server details make a download ask for a new list.
    g_ServerDetailChanged = kTrue;
    tshost::Click(Widget(kTSRefreshButtonWidgetID));
    EXPECT_EQ(Rows(), (Lines{"+ <1002> Gamma"}));
    EXPECT_EQ(States(), kNoProject);

    httplib::Client server("127.0.0.1", fServer.Port());
    ASSERT_TRUE(server.Post("/_control", R"({"fault": "status", "status": 500})", "application/json"));
    g_ServerDetailChanged = kTrue;
    tshost::Click(Widget(kTSRefreshButtonWidgetID));
    EXPECT_EQ(tshost::AlertLog::Get().Records().size(), 1u);
    EXPECT_EQ(Rows(), (Lines{"+ <1002> Gamma"}));
    g_ServerDetailChanged = kFalse;
}

// A run that died left its cached list behind: the next run asks for the whole list and never
// shows the old one, not even when the server cannot give the new one.
TEST_F(PanelTest, AListCachedByARunThatDiedIsNeitherShownNorTrusted) {
    PMString cache;
    TSPanelUtils::GetTSProjectsFilePath(cache);
    for (const bool serverFails : {false, true}) {
        SCOPED_TRACE(serverFails ? "server fails" : "server answers");
        Quit();
        Launch([&] {
            WriteFile(cache.GetUTF8String(), R"(<tessaron authenticated="1" type="TESSARON_UPDATE"><projectgroups>
                <projectgroup id="90" name="Stale"/></projectgroups><projects/></tessaron>)");
        });
        if (serverFails) {
            httplib::Client server("127.0.0.1", fServer.Port());
            ASSERT_TRUE(server.Post("/_control", R"({"fault": "status", "status": 500})", "application/json"));
        }
        tshost::AlertLog::Get().Clear();
        ASSERT_TRUE(ShowPanel());
        EXPECT_EQ(Rows(), serverFails ? Lines{} : (Lines{"+ <1002> Alpha", "+ <1002> Beta", "  <1002> Empty Group"}));
        EXPECT_EQ(tshost::AlertLog::Get().Records().size(), serverFails ? 1u : 0u);
        HidePanel();
    }
}

// A broken new list costs one alert, and the tree goes on showing the list cached before,
// whether the answer is refused at its start or fails half-way through.
TEST_F(PanelTest, ABrokenListCostsOneAlertAndTheTreeKeepsTheCachedList) {
    ASSERT_TRUE(ShowPanel());
    Toggle("Beta");
    const Lines before = {"+ <1002> Alpha", "- <1003> Beta", "  + <1002> Inner", "    <1001> Feature",
                          "  <1002> Empty Group"};
    ASSERT_EQ(Rows(), before);
    std::string withDoctype = kProjectList;
    withDoctype.insert(0, "<!DOCTYPE tessaron []>");
    httplib::Client server("127.0.0.1", fServer.Port());
    const struct { const char* what; std::string list; const char* fault; } cases[] = {
        {"document type", withDoctype, R"({})"},
        {"cut off", kProjectList, R"({"fault": "malformed"})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ServeProjects(c.list);
        ASSERT_TRUE(server.Post("/_control", c.fault, "application/json"));
        g_ServerDetailChanged = kTrue;
        tshost::AlertLog::Get().Clear();
        tshost::Click(Widget(kTSRefreshButtonWidgetID));
        const std::vector<tshost::AlertRecord> alerts = tshost::AlertLog::Get().Records();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].text.rfind("Line No = ", 0), 0u) << alerts[0].text;
        Toggle("Beta");
        EXPECT_EQ(Rows(), before);
        EXPECT_EQ(g_ServerDetailChanged, kTrue);
    }
    g_ServerDetailChanged = kFalse;
}

// Link hands the page's URL to the browser as one argument: whatever the server URL holds,
// no shell ever sees it.
TEST_F(PanelTest, LinkOpensTheSelectedProjectsPageAndNeverRunsAShell) {
    const std::filesystem::path recorder = std::filesystem::path(fHome) / "browser.sh";
    WriteFile(recorder, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> \"$0.log\"\n");
    ::chmod(recorder.c_str(), 0755);
    ::setenv("TS_BROWSER", recorder.c_str(), 1);
    struct Unset { ~Unset() { ::unsetenv("TS_BROWSER"); } } unset;
    // The URLs the browser got, one a line; waits up to 5 s for `count` of them.
    auto opened = [&](std::ptrdiff_t count) {
        std::string urls;
        for (int i = 0; i < 500 && std::count(urls.begin(), urls.end(), '\n') < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            urls = tstest::ReadFile(recorder.string() + ".log");
        }
        return urls;
    };
    ASSERT_TRUE(ShowPanel());
    Toggle("Alpha");
    Select("Cover");
    const std::filesystem::path marker = std::filesystem::path(fHome) / "shell-ran";
    const std::string hostile = "http://127.0.0.1:1/`touch${IFS}" + marker.string() + "`;touch${IFS}" + marker.string();
    WorkspaceData<ITSPrefsData>(kTSPrefsDataInterfaceID)->SetTessaronInfo(PMString(hostile));
    tshost::Click(Widget(kTSLinkButtonWidgetID));
    EXPECT_EQ(opened(1), hostile + "/?projectid=101\n");
    EXPECT_FALSE(std::filesystem::exists(marker));

    // A URL without a scheme is the server the list came from, over HTTP, for the browser too.
    const std::string bare = "127.0.0.1:" + std::to_string(fServer.Port());
    WorkspaceData<ITSPrefsData>(kTSPrefsDataInterfaceID)->SetTessaronInfo(PMString(bare));
    tshost::Click(Widget(kTSRefreshButtonWidgetID));
    Toggle("Alpha");
    Select("Cover");
    tshost::Click(Widget(kTSLinkButtonWidgetID));
    EXPECT_EQ(opened(2), hostile + "/?projectid=101\nhttp://" + bare + "/?projectid=101\n");
    EXPECT_TRUE(tshost::AlertLog::Get().Records().empty());

    // A URL no browser can open is refused with a message; without a URL nothing is said.
    for (const std::string url : {"ftp://127.0.0.1/", "http://proof server", ""}) {
        SCOPED_TRACE(url);
        WorkspaceData<ITSPrefsData>(kTSPrefsDataInterfaceID)->SetTessaronInfo(PMString(url));
        tshost::AlertLog::Get().Clear();
        tshost::Click(Widget(kTSLinkButtonWidgetID));
        const std::vector<tshost::AlertRecord> alerts = tshost::AlertLog::Get().Records();
        ASSERT_EQ(alerts.size(), url.empty() ? 0u : 1u);
        if (!url.empty()) {
            EXPECT_EQ(alerts[0].text, "The server URL in the Tessaron preferences cannot be opened in a browser: " + url +
                                          "/?projectid=101");
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(opened(2), hostile + "/?projectid=101\nhttp://" + bare + "/?projectid=101\n");
}

}  // namespace
}  // namespace tspaneltest
