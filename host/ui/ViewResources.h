// The views of the loaded plug-ins: the resource file's top-level key "views", an array of
// view resources. A view is a tree of widgets the host builds on demand (CreateObject, the
// dialog manager, the panel manager, the Preferences dialog):
//
//   "views": [
//     {"id": 250, "kind": "dialog", "widget": "0x61050", "boss": "kTSSendDialogBoss",
//      "label": "0x61000kTSDialogTitleKey", "frame": [0, 0, 420, 320],
//      "children": [
//        {"widget": "0x61012", "kind": "drop-down", "frame": [10, 10, 200, 30],
//         "items": ["a", "b"], "selected": 0},
//        {"widget": "0x61017", "kind": "cluster", "frame": [...], "children": [
//           {"widget": "0x61018", "kind": "radio", "label": "All", "selected": true},
//           {"widget": "0x61019", "kind": "radio", "label": "Range"}]},
//        {"widget": "0x6101a", "kind": "edit-box", "boss": "kTSPageRangeEditBoxBoss", "text": "1-2"},
//        {"widget": "0x602", "kind": "button", "label": "OK"},
//        {"widget": "0x603", "kind": "button", "label": "Cancel"}]}]
//
// View keys: "id" (the resource ID, unique in the file), "kind", "widget", and the widget
// keys below. A view's kind is one of "panel" (a palette panel: shown and hidden through the
// panel manager by its widget ID), "dialog", "prefs-page" (a Preferences page), "tree-node"
// (a tree row) or "widget" (any other view).
// Widget keys: "widget" (its ID; may be left out for widgets nobody looks up), "kind",
// "label", "frame" [left, top, right, bottom] (default all 0), "boss" (a class reference:
// a name or ID of a host widget class or of one of the plug-in's classes whose parent chain
// reaches a host widget class; default: the kind's host class), "visible" and "enabled"
// (default true), "text" (edit boxes and static texts), "items" and "selected" (drop-downs:
// the entries and the selected index), "selected" true (radio buttons), "value", "min",
// "max" (progress bars), "picture" (a resource ID of the plug-in: icons), "children".
// Widget kinds and their host classes: "widget" kWidgetBoss, "panel" kPanelWidgetBoss,
// "group" kGroupPanelWidgetBoss, "cluster" kClusterPanelWidgetBoss, "button"
// kButtonWidgetBoss, "radio" kRadioButtonWidgetBoss, "edit-box" kEditBoxWidgetBoss,
// "static-text" kStaticTextWidgetBoss, "drop-down" kDropDownListWidgetBoss, "progress-bar"
// kProgressBarWidgetBoss, "dialog" kDialogPanelBoss, "prefs-page" kPrefsPageBoss,
// "tree-node" kTreeNodeWidgetBoss, "expander" kExpanderWidgetBoss, "icon" kIconWidgetBoss,
// "layout" kLayoutWidgetBoss; other subsystems add kinds with RegisterWidgetKind.
// Only panels, groups, clusters, dialogs, prefs pages and tree-node rows (kinds whose class
// has IPanelControlData) may have children. A view has at most 64 levels and 4096 widgets.
// User-interface thread only.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "IDTypes.h"
#include "PMPoint.h"
#include "PMString.h"

namespace tshost {

struct WidgetSpec {
    WidgetID widget;
    std::string kind;
    std::string boss;  // class reference; empty: the kind's host class
    PMString label;
    PMRect frame;
    bool visible = true;
    bool enabled = true;
    std::optional<std::string> text;
    std::vector<std::string> items;
    int32 selected = -1;  // drop-downs: index; radios: 1 when selected
    int32 value = 0, minimum = 0, maximum = 100;
    RsrcID picture;
    std::vector<WidgetSpec> children;
};

struct ViewSpec {
    PluginID plugin;
    RsrcID id;
    WidgetSpec top;
};

// Kinds: a name and the host class its widgets are made of by default.
void RegisterWidgetKind(const std::string& kind, ClassID hostClass);
ClassID WidgetKindClass(const std::string& kind);

class ViewResources {
public:
    static ViewResources& Get();

    const ViewSpec* Find(PluginID plugin, RsrcID id) const;
    // Every view of that kind, in plug-in load order and then file order.
    std::vector<const ViewSpec*> OfKind(const std::string& kind) const;
    // The panel view whose top widget has that ID, or null.
    const ViewSpec* FindPanel(WidgetID panel) const;
    void Add(ViewSpec view);
    void Clear() { fViews.clear(); }

    // Reads one "views" value; false with a message naming the JSON pointer.
    static bool Parse(PluginID plugin, const nlohmann::json& value, std::vector<ViewSpec>& out, std::string& error);

private:
    std::vector<std::unique_ptr<ViewSpec>> fViews;
};

}  // namespace tshost
