// SDK base of observers: AutoAttach and AutoDetach do nothing by default (subclasses attach
// to the subjects they care about), Update ignores changes, and the attach IID and enabled
// flag are kept here. User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IObserver.h"

class CObserver : public CPMUnknown<IObserver> {
public:
    explicit CObserver(IPMUnknown* boss, PMIID observerIID = IID_OF<IObserver>())
        : CPMUnknown<IObserver>(boss), fAttachIID(observerIID) {}

    void AutoAttach() override {}
    void AutoDetach() override {}
    void Update(const ClassID&, ISubject*, const PMIID&, void*) override {}
    void LazyUpdate(ISubject*, const PMIID&, const LazyNotificationData*) override {}
    void SetAttachIID(const PMIID& iid) override { fAttachIID = iid; }
    PMIID GetAttachIID() const override { return fAttachIID; }
    void SetEnabled(bool16 enabled) override { fEnabled = enabled != kFalse; }
    bool16 IsEnabled() const override { return fEnabled ? kTrue : kFalse; }

private:
    PMIID fAttachIID;
    bool fEnabled = true;
};
