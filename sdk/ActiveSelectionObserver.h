// Base of an observer of the active selection. AutoAttach attaches it and AutoDetach
// detaches it; while attached, the host calls HandleActiveSelectionChanged, which calls
// HandleSelectionChanged, whenever the active selection changes. In this host the active
// selection changes exactly when the front document does: a document coming to the front
// (new, opened, switched to, or left in front by a close) and the last document closing,
// after which there is no front document. Observers are called in the order they attached.
// An observer detaches itself when it is destroyed.
// User-interface thread only.
#pragma once

#include "CObserver.h"
#include "ISelectionMessage.h"

class ActiveSelectionObserver;

// Host side of attaching; attaching twice or detaching an unattached observer does nothing.
void AttachActiveSelectionObserver(ActiveSelectionObserver* observer);
void DetachActiveSelectionObserver(ActiveSelectionObserver* observer);

class ActiveSelectionObserver : public CObserver {
public:
    // `observerIID` is the interface the observer answers on its boss (GetAttachIID).
    explicit ActiveSelectionObserver(IPMUnknown* boss, PMIID observerIID = IID_OF<IObserver>())
        : CObserver(boss, observerIID) {}
    ~ActiveSelectionObserver() override { DetachActiveSelectionObserver(this); }

    void AutoAttach() override { AttachToActiveSelection(); }
    void AutoDetach() override { DetachFromActiveSelection(); }

    // Called by the host.
    virtual void HandleActiveSelectionChanged(const ISelectionMessage* message) { HandleSelectionChanged(message); }

    virtual void HandleSelectionChanged(const ISelectionMessage* message) {}
    virtual void HandleSelectionAttributeChanged(const ISelectionMessage* message) {}

protected:
    virtual void AttachToActiveSelection() { AttachActiveSelectionObserver(this); }
    virtual void DetachFromActiveSelection() { DetachActiveSelectionObserver(this); }
};
