// A plug-in for the UI tests, built both into the test program and as UiTestPlugin.so for
// the console scenarios: a dialog controller and observer that record the lifecycle, an
// edit-box handler announcing edits, a panel with a bounded persistent view, an observer
// and a tipped button, and a Preferences page whose Browse button asks the folder dialog.
// Its resource file is UiTestPlugin.json. User-interface thread only.
#pragma once

#include "EventLog.h"
#include "IDTypes.h"
#include "PlugIn.h"

namespace uitest {

constexpr PluginID kUiTestPluginID{0x7e400};
constexpr RsrcID kDialogView{250};

constexpr WidgetID kPanelWidget{0x7e400}, kPanelButton{0x7e401};
constexpr WidgetID kPresetDropDown{0x7e410}, kPagesGroup{0x7e411}, kCluster{0x7e412}, kAllRadio{0x7e413}, kRangeRadio{0x7e414},
    kRangeBox{0x7e415}, kNameBox{0x7e416}, kBrowseButton{0x7e417};
constexpr WidgetID kPrefsPage{0x7e430}, kPrefsUser{0x7e431};

struct Recorder : tstest::EventLog {
    uint32 invalidWidget = 0;  // what the controllers' validation returns
    bool echoStorm = false;    // the dialog observer answers every text change with another
    // Records an event; the console build (UITEST_ECHO) also prints it as "plug-in: EVENT".
    void Add(std::string event);
};
Recorder& Rec();

PlugIn* UiTestGetPlugIn();

}  // namespace uitest
