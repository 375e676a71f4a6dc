// The widgets of the send dialog (view 250) that the controller and the observer find by ID.
// The dialog's OK and Cancel buttons are the host's standard ones (WidgetIDs.h).
// Plain constants; safe on any thread.
#pragma once

#include "TSID.h"

constexpr WidgetID kTSSendDialogWidgetID{kTSPrefix + 0xf};
constexpr WidgetID kTSPresetGroupWidgetID{kTSPrefix + 0x10};
constexpr WidgetID kTSPresetLabelWidgetID{kTSPrefix + 0x11};
constexpr WidgetID kTSPresetDropDownWidgetID{kTSPrefix + 0x12};
constexpr WidgetID kTSStatusLabelWidgetID{kTSPrefix + 0x13};
constexpr WidgetID kTSStatusDropDownWidgetID{kTSPrefix + 0x14};
constexpr WidgetID kTSPagesGroupWidgetID{kTSPrefix + 0x15};
constexpr WidgetID kTSPagesLabelWidgetID{kTSPrefix + 0x16};
constexpr WidgetID kTSPagesClusterWidgetID{kTSPrefix + 0x17};
constexpr WidgetID kTSAllPagesRadioWidgetID{kTSPrefix + 0x18};
constexpr WidgetID kTSPageRangeRadioWidgetID{kTSPrefix + 0x19};
constexpr WidgetID kTSPageRangeEditBoxWidgetID{kTSPrefix + 0x1a};
constexpr WidgetID kTSFileNameGroupWidgetID{kTSPrefix + 0x1b};
constexpr WidgetID kTSFileNameEditBoxWidgetID{kTSPrefix + 0x1c};
constexpr WidgetID kTSUserInputEditBoxWidgetID{kTSPrefix + 0x1d};
