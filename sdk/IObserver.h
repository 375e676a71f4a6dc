// Attached to subjects; told of their changes through Update. The host calls AutoAttach when
// the observer's widget starts being observed (a panel shown, a dialog opened after its
// fields were initialised) and AutoDetach when it stops (hidden, closed).
// Every operation has a harmless default here, so an observer that is told of changes some
// other way (ActiveSelectionObserver) needs to override nothing; CObserver keeps the attach
// IID and the enabled flag for real. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class ISubject;
class LazyNotificationData;

class IObserver : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x11a };

    virtual void AutoAttach() {}
    virtual void AutoDetach() {}
    virtual void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void* changedBy) {}
    // Deferred notification; the host never defers, so only code that chooses to calls it.
    virtual void LazyUpdate(ISubject* subject, const PMIID& protocol, const LazyNotificationData* data) {}
    // The interface ID the observer is attached under on its boss (0x11a unless set).
    virtual void SetAttachIID(const PMIID& iid) {}
    virtual PMIID GetAttachIID() const { return PMIID(kDefaultIID); }
    // A disabled observer is skipped by broadcasts.
    virtual void SetEnabled(bool16 enabled) {}
    virtual bool16 IsEnabled() const { return kTrue; }
};
