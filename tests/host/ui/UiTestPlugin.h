// A plug-in for the UI tests, built both into the test program and as UiTestPlugin.so for
// the console scenarios: a dialog controller and observer that record the lifecycle, an
// edit-box handler announcing edits, a panel with a resizable persistent view, an observer
// and a tipped button, a tree-node row whose handler wraps the host's, and a Preferences
// page with its creator. Its resource file is UiTestPlugin.json.
#pragma once

#include <string>
#include <vector>

#include "IDTypes.h"
#include "PlugIn.h"

namespace uitest {

constexpr PluginID kUiTestPluginID{0x7e400};
constexpr PMIID kOriginalRowHandlerIID{0x7e406};

constexpr RsrcID kDialogView{250};
constexpr RsrcID kRowView{1000};
constexpr RsrcID kPrefsPageView{1008};

constexpr WidgetID kPanelWidget{0x7e400};
constexpr WidgetID kPanelButton{0x7e401};
constexpr WidgetID kPanelStatus{0x7e402};
constexpr WidgetID kPresetDropDown{0x7e410};
constexpr WidgetID kPagesGroup{0x7e411};
constexpr WidgetID kCluster{0x7e412};
constexpr WidgetID kAllRadio{0x7e413};
constexpr WidgetID kRangeRadio{0x7e414};
constexpr WidgetID kRangeBox{0x7e415};
constexpr WidgetID kNameBox{0x7e416};
constexpr WidgetID kBrowseButton{0x7e417};
constexpr WidgetID kRowWidget{0x7e420};
constexpr WidgetID kRowName{0x7e421};
constexpr WidgetID kPrefsPage{0x7e430};
constexpr WidgetID kPrefsUser{0x7e431};

struct Recorder {
    std::vector<std::string> events;
    uint32 invalidWidget = 0;       // what the dialog controller's validation returns
    uint32 prefsInvalidWidget = 0;  // the same for the prefs page
    bool echoStorm = false;         // the dialog observer answers every text change with another
    std::string Take();             // the events so far, joined by "; ", and clears them
    // Records an event; the console build (UITEST_ECHO) also prints it as "plug-in: EVENT".
    void Add(std::string event);
};
Recorder& Rec();

PlugIn* UiTestGetPlugIn();

}  // namespace uitest
