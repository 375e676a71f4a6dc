// A host booted with the tree test plug-in and its panel shown (so the tree's observer is
// attached), the transcript and diagnostics captured. User-interface thread only.
#pragma once

#include <gtest/gtest.h>

#include "Host.h"
#include "HostTestSupport.h"
#include "Panels.h"
#include "Transcript.h"
#include "TreeTestPlugin.h"
#include "TreeView.h"
#include "Widgets.h"

namespace treetest {

using Lines = std::vector<std::string>;

class TreeFixture : public ::testing::Test {
protected:
    void SetUp() override {
        tshost::SetTranscriptSink([this](std::string_view line) { shown.emplace_back(line); });
        tshost::SetDiagnosticSink([this](std::string_view line) { diagnosed.emplace_back(line); });
        M().Sample();
        ASSERT_TRUE(host.Boot(error)) << error;
        ASSERT_TRUE(host.LoadPlugin(TreeTestGetPlugIn, TS_TREE_PLUGIN_JSON, error)) << error;
        host.Start(dir.Path());
        ASSERT_EQ(tshost::PanelMgrState::Current()->ShowPanelByWidgetID(kPanelWidget), kSuccess);
        InterfacePtr<IControlView> panel(tshost::PanelMgrState::Current()->QueryPanelByWidgetID(kPanelWidget));
        treeView = tshost::FindWidgetFrom(panel.get(), kTreeWidget);
        ASSERT_TRUE(tree = tshost::TreeView::Of(treeView));
        tree->Rows();
        M().Take();
    }
    void TearDown() override {
        host.Quit(error);
        tshost::SetTranscriptSink({});
        tshost::SetDiagnosticSink({});
    }

    Lines shown, diagnosed;
    std::string error;
    tstest::TempDir dir;
    tshost::Host host;
    IControlView* treeView = nullptr;  // not counted: the panel holds it
    tshost::TreeView* tree = nullptr;
};

}  // namespace treetest
