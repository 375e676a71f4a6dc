// One user event as a handler receives it: its type, where it happened on the screen, and for
// keys the key itself. Events are made by the host (the console's event commands make them
// through tshost's Events.h) and only lent to handlers for the call.
// User-interface thread only.
#pragma once

#include <string>

#include "PMPoint.h"

class IEvent {
public:
    enum EventType {
        kInvalid,
        kLButtonDn, kLButtonUp, kRButtonDn, kRButtonUp, kMButtonDn, kMButtonUp,
        kButtonDblClk, kButtonTrplClk, kButtonQuadClk, kButtonQuintClk,
        kMouseMove, kMouseDrag, kMouseWheel,
        kKeyDown, kKeyCmd, kKeyUp, kControlCmd,
        kActivate, kDeactivate, kSuspend, kResume, kUpdate, kPlatformEvent
    };
    // Keys that are not characters.
    enum VirtualKey { kVKNone = 0, kVKBackspace = 8, kVKTab = 9, kVKEnter = 13, kVKEscape = 27, kVKDelete = 127,
                      kVKLeft = 0x1001, kVKRight = 0x1002, kVKHome = 0x1003, kVKEnd = 0x1004 };

    virtual EventType GetType() const = 0;
    // The event's position on the screen.
    virtual SysPoint GlobalWhere() const = 0;
    // For key events: the character typed as UTF-8 (empty for a virtual key), and the virtual key.
    virtual const std::string& GetChar() const = 0;
    virtual VirtualKey GetVirtualKey() const = 0;
    // Set by a handler that consumed the event.
    virtual void SetSystemHandledState(bool16 handled) = 0;
    virtual bool16 GetSystemHandledState() const = 0;

protected:
    virtual ~IEvent() = default;
};
