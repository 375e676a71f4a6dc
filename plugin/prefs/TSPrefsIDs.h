// The widgets of the preferences page (view 1008) that its controller and observer find by
// ID, and the three send-to texts the page stores. The rows inside the lower group have
// frames relative to that group.
// Plain constants; safe on any thread.
#pragma once

#include "TSID.h"

constexpr WidgetID kTSPrefsPanelWidgetID{kTSPrefix + 0x23};
constexpr WidgetID kTSPrefsUserNameWidgetID{kTSPrefix + 0x26};
constexpr WidgetID kTSPrefsPasswordWidgetID{kTSPrefix + 0x27};
constexpr WidgetID kTSPrefsServerURLWidgetID{kTSPrefix + 0x28};
constexpr WidgetID kTSPrefsUpperGroupWidgetID{kTSPrefix + 0x29};
constexpr WidgetID kTSPrefsSendToClusterWidgetID{kTSPrefix + 0x2b};
constexpr WidgetID kTSPrefsServerRadioWidgetID{kTSPrefix + 0x2c};
constexpr WidgetID kTSPrefsFolderRadioWidgetID{kTSPrefix + 0x2d};
constexpr WidgetID kTSPrefsIDServerRadioWidgetID{kTSPrefix + 0x2e};
constexpr WidgetID kTSPrefsPathLabelWidgetID{kTSPrefix + 0x2f};
constexpr WidgetID kTSPrefsPathWidgetID{kTSPrefix + 0x30};
constexpr WidgetID kTSPrefsBrowseButtonWidgetID{kTSPrefix + 0x31};
constexpr WidgetID kTSPrefsLowerGroupWidgetID{kTSPrefix + 0x32};
constexpr WidgetID kTSPrefsStatusLabelWidgetID{kTSPrefix + 0x34};
constexpr WidgetID kTSPrefsStatusWidgetID{kTSPrefix + 0x35};
constexpr WidgetID kTSPrefsPresetLabelWidgetID{kTSPrefix + 0x36};
constexpr WidgetID kTSPrefsPresetWidgetID{kTSPrefix + 0x37};

// The stored send-to option is exactly one of these; every comparison is case-sensitive.
constexpr const char* kTSSendToTessaron = "Tessaron";
constexpr const char* kTSSendToFolder = "Folder";
constexpr const char* kTSSendToIDServer = "InDesign Server";
