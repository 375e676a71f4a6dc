// The IDs of the host's tree view: its widget class, the implementations on it and on the
// host's tree-node rows, and the host-only interface the tree view's parts share, at 0x30700
// and up in each kind. Resource files name the class as a parent of their own tree view
// class ("parent": "kTreeViewWidgetBoss"), and views use the kind "tree-view".
//
// Decision: the tree view's parent is kGroupPanelWidgetBoss, a plain panel (control view,
// subject, children), not the palette panel class: a tree is a widget inside a panel and
// keeps no persistent view of its own.
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

namespace tshost {

// A tree view: ITreeViewController (0x66a), ITreeViewMgr (0x66b) and the host's tree state;
// a plug-in's subclass adds the hierarchy adapter (0x673) and the widget manager.
constexpr ClassID kTreeViewWidgetBoss{0x30700};

constexpr ImplementationID kTreeViewImpl{0x30700};            // TreeView: rows, expansion, selection
constexpr ImplementationID kTreeViewControllerImpl{0x30701};  // 0x66a
constexpr ImplementationID kTreeViewMgrImpl{0x30702};         // 0x66b
constexpr ImplementationID kTreeNodeIDDataImpl{0x30703};      // 0x671, added to kTreeNodeWidgetBoss

// Host-only interfaces declare their IDs beside them: ITreeViewHost 0x30700.

}  // namespace tshost
