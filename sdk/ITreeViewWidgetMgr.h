// Creates and fills the row widgets of a tree view; a plug-in implements it on its tree
// view's boss, usually by deriving from CTreeViewWidgetMgr, which gives every operation but
// the first two a default.
//
// For each row it shows, the host calls CreateWidgetForNode and then ApplyNodeIDToWidget
// (message kApplyNew); after the user expands or collapses a node it calls
// ApplyNodeIDToWidget again for that node's row (message kApplyExpansion), so the row can
// follow the state. GetIndent is the host's indent of a node (CTreeViewWidgetMgr.h gives the
// formula). Styles are small integers a manager may use to tell its kinds of rows apart;
// the host gives them no meaning. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "NodeID.h"

class IControlView;
class IPanelControlData;

class ITreeViewWidgetMgr : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20009 };
    // The message argument of ApplyNodeIDToWidget.
    enum : int32 { kApplyNew = 0, kApplyExpansion = 1 };

    // A new row widget for the node (counted), or null.
    virtual IControlView* CreateWidgetForNode(const NodeID& node) const = 0;
    // The kind of row the node needs (rows of the same type could be reused).
    virtual WidgetID GetWidgetTypeForNode(const NodeID& node) const = 0;
    // Makes the row show the node; kTrue when it did.
    virtual bool16 ApplyNodeIDToWidget(const NodeID& node, IControlView* widget, int32 message = kApplyNew) const = 0;
    // The indent of one level for the node.
    virtual PMReal GetIndentForNode(const NodeID& node) const = 0;
    // The node's indent in the tree.
    virtual PMReal GetIndent(const NodeID& node) const = 0;

    virtual PMReal GetNodeWidgetHeight(const NodeID& node) const = 0;
    virtual PMReal GetNodeWidgetWidth(const NodeID& node) const = 0;
    virtual PMReal GetBaseIndentOffset() const = 0;
    virtual PMReal GetTreeViewWidth() const = 0;
    virtual void SetStyle(int32 style) = 0;
    virtual int32 GetStyle() const = 0;
    virtual bool16 IsOptionSet(int32 option) const = 0;
    // Fills the row's child widgets from the node; kTrue when it did.
    virtual bool16 ApplyDataToWidget(const NodeID& node, IPanelControlData* rowWidgets, int32 message) const = 0;
    virtual void ApplyIndentToWidget(const NodeID& node, IControlView* widget) const = 0;
    virtual void ApplyHighlightToWidget(const NodeID& node, IControlView* widget, bool16 highlighted) const = 0;
    // Shows the row's expander (widget 0x61e) when the node has children, else hides it.
    virtual void HideExpanderIfNotExpandable(const NodeID& node, IControlView* widget) const = 0;
    // Sets the text of the row's widget `textWidget` (any depth).
    virtual void SetNodeName(IPanelControlData* rowWidgets, const PMString& name, const WidgetID& textWidget) const = 0;
    // Sets the picture of the row's widget `iconWidget` to the plug-in's resource `icon`.
    virtual void SetNodeIcon(IPanelControlData* rowWidgets, const PluginID& plugin, const RsrcID& icon, const WidgetID& iconWidget) const = 0;
    virtual void RegisterStyles() = 0;
    virtual void LazyRegisterStyles() = 0;
    virtual void RegisterStyleWidget(int32 style, const WidgetID& widgetType) = 0;
    virtual void InternalSetStyle(int32 style) = 0;
};
