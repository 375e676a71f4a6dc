// What observers attach to: a widget, a tree view or any boss that announces its changes.
// An observer attaches for one protocol (an interface ID naming the kind of change, e.g.
// 0x62b for a button's state, 0x603 for text) and hears every Change broadcast on that
// protocol, synchronously, in attach order. Broadcasts may nest: an observer may change other
// widgets, or this one, from inside Update. An observer detached during a broadcast is not
// called afterwards; one attached during a broadcast first hears the next one. Attaching the
// same observer twice for the same protocol keeps one attachment.
// The subject holds no reference to its observers: an observer must detach before its boss
// goes away (AutoDetach). User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IObserver;

class ISubject : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x119 };

    virtual void AttachObserver(IObserver* observer, const PMIID& protocol, const PMIID& observerIID = PMIID(0x11a)) = 0;
    virtual void DetachObserver(IObserver* observer, const PMIID& protocol, const PMIID& observerIID = PMIID(0x11a)) = 0;
    virtual bool16 IsAttached(IObserver* observer, const PMIID& protocol, const PMIID& observerIID = PMIID(0x11a)) const = 0;
    // Tells every observer attached for `protocol`; `changedBy` is passed through untouched.
    virtual void Change(const ClassID& change, const PMIID& protocol, void* changedBy = nullptr) = 0;
    // The number of observers attached for `protocol`.
    virtual int32 CountObservers(const PMIID& protocol) const = 0;
};
