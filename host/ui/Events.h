// Synthesised user events and their delivery. Deliver hands an event to the event handler of
// the widget's boss (IEventHandler, whatever implementation answers it: a plug-in's wrapper
// if it put one there) by the event's type, and returns whether it was handled. The helpers
// do what a user does: a click is LButtonDn then LButtonUp; typing delivers each keystroke
// as KeyDown, KeyCmd (the edit is applied there) and KeyUp.
// User-interface thread only.
#pragma once

#include <string>

#include "IEvent.h"

class IPMUnknown;

namespace tshost {

class Event final : public IEvent {
public:
    explicit Event(EventType type, SysPoint where = {}, std::string character = {}, VirtualKey key = kVKNone)
        : fType(type), fWhere(where), fChar(std::move(character)), fKey(key) {}
    EventType GetType() const override { return fType; }
    SysPoint GlobalWhere() const override { return fWhere; }
    const std::string& GetChar() const override { return fChar; }
    VirtualKey GetVirtualKey() const override { return fKey; }
    void SetSystemHandledState(bool16 handled) override { fHandled = handled != kFalse; }
    bool16 GetSystemHandledState() const override { return fHandled ? kTrue : kFalse; }

private:
    EventType fType;
    SysPoint fWhere;
    std::string fChar;
    VirtualKey fKey;
    bool fHandled = false;
};

// kFalse when the widget has no event handler or the handler left the event.
bool16 Deliver(IPMUnknown* widget, IEvent& event);
// LButtonDn then LButtonUp at `where`; true when either was handled.
bool Click(IPMUnknown* widget, SysPoint where = {});
// Each UTF-8 character of `text` as KeyDown, KeyCmd, KeyUp.
void TypeText(IPMUnknown* widget, const std::string& text);
// One virtual key (backspace, delete, …) as KeyDown, KeyCmd, KeyUp.
void TypeKey(IPMUnknown* widget, IEvent::VirtualKey key);
// The event type named "LButtonDn", "KeyCmd", … (the IEventHandler operation's name), or kInvalid.
IEvent::EventType EventTypeNamed(const std::string& name);

}  // namespace tshost
