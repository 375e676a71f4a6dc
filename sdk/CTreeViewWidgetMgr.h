// SDK base of tree-view widget managers. A subclass overrides CreateWidgetForNode (usually
// CreateObject of a row view) and ApplyNodeIDToWidget, calling the base step first; the rest
// has defaults:
//   ApplyNodeIDToWidget (base step): stores the node in the row's node-ID data (0x671) and
//     shows the row's expander only when the node has children; kTrue when the row has
//     node-ID data.
//   GetIndent: depth × GetIndentForNode(node) + GetBaseIndentOffset(), where depth counts
//     the node's ancestors below the root: a top-level row (a child of the hidden root) is at
//     depth 0, its children at 1. GetIndentForNode defaults to 10, the base offset to 0.
//   GetWidgetTypeForNode: kInvalidWidgetID; heights 20; widths the tree view's width;
//   styles are kept and registered styles remembered; the rest does nothing.
// The host-side parts (the base step, GetIndent, the expander, the names and icons) live in
// the host library. User-interface thread only.
#pragma once

#include <map>

#include "CPMUnknown.h"
#include "ITreeViewWidgetMgr.h"

class CTreeViewWidgetMgr : public CPMUnknown<ITreeViewWidgetMgr> {
public:
    explicit CTreeViewWidgetMgr(IPMUnknown* boss, int32 style = 0) : CPMUnknown<ITreeViewWidgetMgr>(boss), fStyle(style) {}

    IControlView* CreateWidgetForNode(const NodeID&) const override { return nullptr; }
    WidgetID GetWidgetTypeForNode(const NodeID&) const override { return kInvalidWidgetID; }
    bool16 ApplyNodeIDToWidget(const NodeID& node, IControlView* widget, int32 message = kApplyNew) const override;
    PMReal GetIndentForNode(const NodeID&) const override { return 10.0; }
    PMReal GetIndent(const NodeID& node) const override;

    PMReal GetNodeWidgetHeight(const NodeID&) const override { return 20.0; }
    PMReal GetNodeWidgetWidth(const NodeID&) const override { return GetTreeViewWidth(); }
    PMReal GetBaseIndentOffset() const override { return 0.0; }
    PMReal GetTreeViewWidth() const override;
    void SetStyle(int32 style) override { InternalSetStyle(style); }
    int32 GetStyle() const override { return fStyle; }
    bool16 IsOptionSet(int32 option) const override { return (fStyle & option) != 0 ? kTrue : kFalse; }
    bool16 ApplyDataToWidget(const NodeID&, IPanelControlData*, int32) const override { return kFalse; }
    void ApplyIndentToWidget(const NodeID&, IControlView*) const override {}
    void ApplyHighlightToWidget(const NodeID&, IControlView*, bool16) const override {}
    void HideExpanderIfNotExpandable(const NodeID& node, IControlView* widget) const override;
    void SetNodeName(IPanelControlData* rowWidgets, const PMString& name, const WidgetID& textWidget) const override;
    void SetNodeIcon(IPanelControlData* rowWidgets, const PluginID& plugin, const RsrcID& icon, const WidgetID& iconWidget) const override;
    void RegisterStyles() override {}
    void LazyRegisterStyles() override {
        if (fStylesRegistered) return;
        fStylesRegistered = true;
        RegisterStyles();
    }
    void RegisterStyleWidget(int32 style, const WidgetID& widgetType) override { fStyleWidgets[style] = widgetType; }
    void InternalSetStyle(int32 style) override { fStyle = style; }

protected:
    // The row type registered for a style, or kInvalidWidgetID.
    WidgetID StyleWidget(int32 style) const {
        auto found = fStyleWidgets.find(style);
        return found == fStyleWidgets.end() ? kInvalidWidgetID : found->second;
    }

private:
    int32 fStyle;
    bool fStylesRegistered = false;
    std::map<int32, WidgetID> fStyleWidgets;
};
