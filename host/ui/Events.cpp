#include "Events.h"

#include <utility>

#include "IControlView.h"
#include "IEventHandler.h"
#include "InterfacePtr.h"

namespace tshost {

namespace {

using Operation = bool16 (IEventHandler::*)(IEvent*);

const std::pair<const char*, IEvent::EventType> kNames[] = {
    {"LButtonDn", IEvent::kLButtonDn}, {"LButtonUp", IEvent::kLButtonUp}, {"RButtonDn", IEvent::kRButtonDn},
    {"RButtonUp", IEvent::kRButtonUp}, {"MButtonDn", IEvent::kMButtonDn}, {"MButtonUp", IEvent::kMButtonUp},
    {"ButtonDblClk", IEvent::kButtonDblClk}, {"ButtonTrplClk", IEvent::kButtonTrplClk},
    {"ButtonQuadClk", IEvent::kButtonQuadClk}, {"ButtonQuintClk", IEvent::kButtonQuintClk},
    {"MouseMove", IEvent::kMouseMove}, {"MouseDrag", IEvent::kMouseDrag}, {"MouseWheel", IEvent::kMouseWheel},
    {"KeyDown", IEvent::kKeyDown}, {"KeyCmd", IEvent::kKeyCmd}, {"KeyUp", IEvent::kKeyUp},
    {"ControlCmd", IEvent::kControlCmd}, {"Activate", IEvent::kActivate}, {"Deactivate", IEvent::kDeactivate},
    {"Suspend", IEvent::kSuspend}, {"Resume", IEvent::kResume}, {"Update", IEvent::kUpdate},
    {"PlatformEvent", IEvent::kPlatformEvent},
};

Operation OperationFor(IEvent::EventType type) {
    switch (type) {
        case IEvent::kLButtonDn: return &IEventHandler::LButtonDn;
        case IEvent::kLButtonUp: return &IEventHandler::LButtonUp;
        case IEvent::kRButtonDn: return &IEventHandler::RButtonDn;
        case IEvent::kRButtonUp: return &IEventHandler::RButtonUp;
        case IEvent::kMButtonDn: return &IEventHandler::MButtonDn;
        case IEvent::kMButtonUp: return &IEventHandler::MButtonUp;
        case IEvent::kButtonDblClk: return &IEventHandler::ButtonDblClk;
        case IEvent::kButtonTrplClk: return &IEventHandler::ButtonTrplClk;
        case IEvent::kButtonQuadClk: return &IEventHandler::ButtonQuadClk;
        case IEvent::kButtonQuintClk: return &IEventHandler::ButtonQuintClk;
        case IEvent::kMouseMove: return &IEventHandler::MouseMove;
        case IEvent::kMouseDrag: return &IEventHandler::MouseDrag;
        case IEvent::kMouseWheel: return &IEventHandler::MouseWheel;
        case IEvent::kKeyDown: return &IEventHandler::KeyDown;
        case IEvent::kKeyCmd: return &IEventHandler::KeyCmd;
        case IEvent::kKeyUp: return &IEventHandler::KeyUp;
        case IEvent::kControlCmd: return &IEventHandler::ControlCmd;
        case IEvent::kActivate: return &IEventHandler::Activate;
        case IEvent::kDeactivate: return &IEventHandler::Deactivate;
        case IEvent::kSuspend: return &IEventHandler::Suspend;
        case IEvent::kResume: return &IEventHandler::Resume;
        case IEvent::kUpdate: return &IEventHandler::Update;
        case IEvent::kPlatformEvent: return &IEventHandler::PlatformEvent;
        case IEvent::kInvalid: break;
    }
    return nullptr;
}

void Keystroke(IPMUnknown* widget, const std::string& character, IEvent::VirtualKey key) {
    for (IEvent::EventType type : {IEvent::kKeyDown, IEvent::kKeyCmd, IEvent::kKeyUp}) {
        Event e(type, {}, character, key);
        Deliver(widget, e);
    }
}

}  // namespace

bool16 Deliver(IPMUnknown* widget, IEvent& event) {
    Operation op = OperationFor(event.GetType());
    if (!widget || !op) return kFalse;
    // Asked afresh each time: a plug-in's wrapper answers IEventHandler when it put one there.
    InterfacePtr<IEventHandler> handler(widget, IID_OF<IEventHandler>());
    if (!handler) return kFalse;
    bool16 handled = (handler.get()->*op)(&event);
    if (handled) event.SetSystemHandledState(kTrue);
    return handled;
}

bool Click(IPMUnknown* widget, SysPoint where) {
    Event down(IEvent::kLButtonDn, where), up(IEvent::kLButtonUp, where);
    bool handled = Deliver(widget, down) != kFalse;
    return Deliver(widget, up) != kFalse || handled;
}

void TypeText(IPMUnknown* widget, const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xF0) length = 4;
        else if (lead >= 0xE0) length = 3;
        else if (lead >= 0xC0) length = 2;
        length = std::min(length, text.size() - i);
        Keystroke(widget, text.substr(i, length), IEvent::kVKNone);
        i += length;
    }
}

void TypeKey(IPMUnknown* widget, IEvent::VirtualKey key) { Keystroke(widget, {}, key); }

IEvent::EventType EventTypeNamed(const std::string& name) {
    for (const auto& [text, type] : kNames)
        if (name == text) return type;
    return IEvent::kInvalid;
}

}  // namespace tshost
