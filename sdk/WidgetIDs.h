// IDs the host's widgets share with every plug-in: the change messages they broadcast, the
// protocols those go out on, and the widget IDs of the host's standard widgets.
// Buttons broadcast kTrueStateMessage when pressed on both button protocols (0x62b, the
// tri-state protocol, and 0x602, the plain-button protocol), so an observer hears a press
// whichever it attached with. A radio button broadcasts kTrueStateMessage on 0x62b when it
// becomes selected; being deselected broadcasts nothing. Edit-box handlers broadcast
// kTextChangeStateMessage on 0x603 after each edit; the host's edit boxes broadcast nothing
// themselves, so programmatic SetString calls are never mistaken for user edits.
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

// Change messages (the first argument of IObserver::Update).
constexpr ClassID kTrueStateMessage{0x768};
constexpr ClassID kTextChangeStateMessage{0x774};
constexpr ClassID kListSelectionChangedMessage{0x76b};

// Protocols (the interface IDs observers attach with).
constexpr PMIID IID_ITRISTATECONTROLDATA{0x62b};
constexpr PMIID IID_IBOOLEANCONTROLDATA{0x602};
constexpr PMIID IID_ITEXTCONTROLDATA{0x603};

// Standard widgets.
constexpr WidgetID kOKButtonWidgetID{0x602};
constexpr WidgetID kCancelButtonWidgetID{0x603};
constexpr WidgetID kTreeNodeExpanderWidgetID{0x61e};
// The Preferences dialog's page switcher widget.
constexpr WidgetID kPrefsPanelSwitcherWidgetID{0x609};
