// A host booted with the tree test plug-in and its panel shown (so the tree's observer is
// attached), the transcript and diagnostics captured. User-interface thread only.
#pragma once

#include "Panels.h"
#include "TreeTestPlugin.h"
#include "TreeView.h"
#include "UiFixture.h"
#include "Widgets.h"

namespace treetest {

using Lines = std::vector<std::string>;

class TreeFixture : public tstest::PluginUiFixture {
protected:
    void SetUp() override {
        M().Sample();
        Boot(TreeTestGetPlugIn, TS_TREE_PLUGIN_JSON);
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_EQ(tshost::PanelMgrState::Current()->ShowPanelByWidgetID(kPanelWidget), kSuccess);
        InterfacePtr<IControlView> panel(tshost::PanelMgrState::Current()->QueryPanelByWidgetID(kPanelWidget));
        treeView = tshost::FindWidgetFrom(panel.get(), kTreeWidget);
        ASSERT_TRUE(tree = tshost::TreeView::Of(treeView));
        tree->Rows();
        M().Take();
    }

    IControlView* treeView = nullptr;  // not counted: the panel holds it
    tshost::TreeView* tree = nullptr;
};

}  // namespace treetest
