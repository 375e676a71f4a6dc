// A host running the plug-in with its projects panel, against a real tessaron-proofd on a
// loopback port that serves a small project list the test may rewrite. The preferences name
// that server and the account demo/demo. The transcript is recorded instead of printed.
// Tests only: the main thread is the user-interface thread.
#pragma once

#include <gtest/gtest.h>

#include "Events.h"
#include "ITSPrefsData.h"
#include "Panels.h"
#include "PluginHostFixture.h"
#include "ServerProcess.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "TestSupport.h"
#include "Transcript.h"
#include "TreeView.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace tspaneltest {

using Lines = std::vector<std::string>;

using tstest::WriteFile;

// Top-level groups in document order "Beta", "Alpha", "Empty Group", "" (shown sorted);
// Alpha holds two projects, one named like a string key; Beta holds the group Inner (with
// the project Deep) and the project Feature.
inline const char* const kProjectList = R"(<tessaron authenticated="1" type="TESSARON_UPDATE"><projectgroups>
    <projectgroup id="20" name="Beta"><projectgroups><projectgroup id="21" name="Inner"/></projectgroups></projectgroup>
    <projectgroup id="10" name="Alpha"/><projectgroup id="30" name="Empty Group"/><projectgroup id="40" name=""/>
  </projectgroups><projects>
    <project id="101" name="Cover" project_group_id="10"/><project id="201" name="Deep" project_group_id="21"/>
    <project id="102" name="0x61000kTSUploadStatusKey" project_group_id="10"/>
    <project id="202" name="Feature" project_group_id="20"/>
  </projects></tessaron>
)";

class PanelFixture : public PluginHostFixture {
protected:
    void SetUp() override {
        tshost::SetTranscriptSink([this](std::string_view line) { fTranscript.emplace_back(line); });
        PluginHostFixture::SetUp();
        ServeProjects(kProjectList);
        const std::string dir = fServerDir.Path();
        WriteFile(dir + "/users.json", R"({"users": [{"name": "demo", "password": "demo", "rights": true}]})");
        std::string error;
        ASSERT_TRUE(fServer.Start({"--port", "0", "--projects", dir + "/projects.xml", "--users", dir + "/users.json",
                                   "--uploads", dir + "/uploads"}, error)) << error;
        InterfacePtr<ITSPrefsData> prefs = WorkspaceData<ITSPrefsData>(kTSPrefsDataInterfaceID);
        ASSERT_TRUE(prefs);
        prefs->SetUserName(PMString("demo"));
        prefs->SetPassword(PMString("demo"));
        prefs->SetTessaronInfo(PMString("http://127.0.0.1:" + std::to_string(fServer.Port())));
    }
    ~PanelFixture() override { tshost::SetTranscriptSink(nullptr); }

    void ServeProjects(const std::string& xml) const { WriteFile(fServerDir.Path() + "/projects.xml", xml); }
    bool ShowPanel() { return tshost::PanelMgrState::Current()->ShowPanelByWidgetID(kTSPanelWidgetID) == kSuccess; }
    void HidePanel() { tshost::PanelMgrState::Current()->HidePanelByWidgetID(kTSPanelWidgetID); }
    // A widget of the shown panel, or null.
    IControlView* Widget(WidgetID id) const { return TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, id); }
    tshost::TreeView* Tree() const { return tshost::TreeView::Of(Widget(kTSProjectTreeWidgetID)); }
    Lines Rows() const { return Tree() ? Tree()->RowLines() : Lines{"<no tree>"}; }
    // The shown row of that name, or null.
    const tshost::TreeView::Row* Row(const std::string& name) const {
        int32 row = Tree() ? Tree()->RowNamed(name) : -1;
        return row < 0 ? nullptr : &Tree()->Rows()[static_cast<std::size_t>(row)];
    }
    IControlView* RowWidget(const std::string& name) const { return Row(name) ? Row(name)->widget.get() : nullptr; }
    NodeID Node(const std::string& name) const { return Row(name) ? Row(name)->node : kInvalidNodeID; }
    // Clicks the row (selecting only it), holding it as a rebuild may drop it; or its expander.
    void Select(const std::string& name) {
        InterfacePtr<IControlView> row(RowWidget(name), IID_OF<IControlView>());
        ASSERT_TRUE(row) << name;
        tshost::Click(row.get());
    }
    void Toggle(const std::string& name) { tshost::Click(tshost::FindWidgetFrom(RowWidget(name), kTreeNodeExpanderWidgetID)); }
    void AddToSelection(const std::string& name) { EXPECT_EQ(Tree()->Select(Node(name), true), kSuccess) << name; }
    // Whether Link, Upload and Refresh are enabled.
    std::vector<bool> States() const {
        return {Widget(kTSLinkButtonWidgetID)->IsEnabled() != kFalse, Widget(kTSUploadButtonWidgetID)->IsEnabled() != kFalse,
                Widget(kTSRefreshButtonWidgetID)->IsEnabled() != kFalse};
    }

    Lines fTranscript;
    tstest::TempDir fServerDir;
    proofd_test::ServerProcess fServer;
};

}  // namespace tspaneltest
