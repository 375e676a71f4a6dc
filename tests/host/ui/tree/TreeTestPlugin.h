// A plug-in for the tree view and menu tests: a tree of numbered nodes kept in a model the
// tests edit, served by a hierarchy adapter, with rows built from view 1000 by a widget
// manager on CTreeViewWidgetMgr; a row handler wrapping the host's that pops up the
// documents menu on a right click; an observer of the tree's selection; an action component
// and a dynamic menu that lists the model's documents. Everything it is asked is recorded.
// The console build (TREETEST_ECHO) also shows each record as "plug-in: EVENT".
// User-interface thread only.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "EventLog.h"
#include "IDTypes.h"
#include "PlugIn.h"

namespace treetest {

constexpr PluginID kPluginID{0x7f700};
constexpr WidgetID kPanelWidget{0x7f720}, kTreeWidget{0x7f721};
constexpr ActionID kAboutAction{0x7f700}, kSendAction{0x7f704};
constexpr const char* kPopupPath = "0x7f700kPopupPath";

struct Model : tstest::EventLog {
    bool present = true;                     // false: no root (no tree)
    std::map<int32, std::vector<int32>> children;
    std::map<int32, std::string> names;
    std::vector<std::string> documents;      // the dynamic menu's items
    std::set<uint32> disabled;               // actions the component disables
    bool rebuildInAdapter = false;           // GetNumChildren calls ChangeRoot (re-entrance)

    // Root 0; groups 1 "Group A" (projects 11, 12) and 2 "Group B" (project 21), project 3;
    // documents "Flyer.indd" and "Poster.indd".
    Model& Sample();
    void Add(std::string event);
};
Model& M();

PlugIn* TreeTestGetPlugIn();

}  // namespace treetest
