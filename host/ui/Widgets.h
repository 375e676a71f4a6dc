// Making and finding widgets. A widget is a boss of a widget class (UiIDs.h): BuildWidget
// makes the boss of the described class, sets its kind, label, ID, frame, visibility, enabled
// state and kind-specific data, hands the view to its event handler (SetView), and builds
// its children into its IPanelControlData. A parent holds one reference to each child, so
// releasing the top widget frees the tree.
//
//   IPMUnknown* boss = BuildView(plugin, RsrcID(1000), error);       // counted, or null
//   InterfacePtr<IPanelControlData> panel(boss, IID_OF<IPanelControlData>());
//   IControlView* name = panel->FindWidget(WidgetID(0x61005));      // not counted
//   InterfacePtr<ITextControlData> text(name, IID_OF<ITextControlData>());
//
// Plug-in code builds views with CreateObject (CreateObject.h), which calls BuildView.
// User-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "IControlView.h"
#include "IPMUnknown.h"
#include "ViewResources.h"

namespace tshost {

// The boss of a spec (counted), or null with `error`.
IPMUnknown* BuildWidget(const WidgetSpec& spec, PluginID plugin, std::string& error);
// The top widget's boss of a plug-in's view (counted), or null with `error`.
IPMUnknown* BuildView(PluginID plugin, RsrcID id, std::string& error);

// An ID as a resource file writes it in a class reference: "0x…" hex or decimal.
std::optional<uint32> ParseResourceIDText(const std::string& text);

// The class a spec's boss is made of: its "boss" reference or its kind's host class;
// kInvalidClass with `error` when unknown or when it is no widget class.
ClassID ResolveWidgetClass(const WidgetSpec& spec, std::string& error);

// A widget's view, kind, label; each works on any interface of the widget's boss.
IControlView* ViewOf(const IPMUnknown* widget);  // not counted
std::string KindOf(const IPMUnknown* widget);
PMString LabelOf(const IPMUnknown* widget);
// The parent widget's boss, not counted; null at the top.
IPMUnknown* ParentOf(const IPMUnknown* widget);
// The children's views in order, not counted.
std::vector<IControlView*> ChildrenOf(const IPMUnknown* widget);
// The first widget with that ID at or below `root` (the root itself included), not counted.
IControlView* FindWidgetFrom(const IPMUnknown* root, WidgetID id);
// A widget's path from `root`, for messages: "0x61000/0x61001".
std::string WidgetName(const IPMUnknown* widget);

}  // namespace tshost

namespace tshost {

// Calls AutoAttach on the observer (IObserver) of `root` and of each widget below it, root
// first and then depth-first in child order; AutoDetachTree calls AutoDetach in the reverse
// order. This is what showing a panel or opening a dialog does once it is ready.
void AutoAttachTree(IPMUnknown* root);
void AutoDetachTree(IPMUnknown* root);

}  // namespace tshost
