// Base of every implementation of an interface on a boss. The boss that owns the
// implementation is given at construction; QueryInterface, AddRef and Release go to it, so
// reference counts are per boss. PreDirty must be called before a persistent field changes:
// it marks the object's database modified and records the state before the change for undo.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

// Host side of PreDirty; `implementation` is the object about to change.
void PreDirtyImplementation(const IPMUnknown* boss, const IPMUnknown* implementation, ImplementationID implID, bool16 beforeChange);

template <class Interface>
class CPMUnknown : public Interface {
public:
    explicit CPMUnknown(IPMUnknown* boss) : fBoss(boss) {}
    CPMUnknown(const CPMUnknown&) = delete;
    CPMUnknown& operator=(const CPMUnknown&) = delete;
    ~CPMUnknown() override = default;

    IPMUnknown* QueryInterface(PMIID interfaceID) const override { return fBoss->QueryInterface(interfaceID); }
    void AddRef() const override { fBoss->AddRef(); }
    void Release() const override { fBoss->Release(); }

protected:
    void PreDirty(ImplementationID implID = kInvalidImpl, bool16 beforeChange = kTrue) {
        PreDirtyImplementation(fBoss, this, implID, beforeChange);
    }
    IPMUnknown* Boss() const { return fBoss; }

private:
    IPMUnknown* fBoss;
};
