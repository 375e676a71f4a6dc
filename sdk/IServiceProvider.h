// Announces a service to the host: which service IDs the boss it lives on provides (a
// responder for document signals, a dialog, …), under what name, and how the host makes
// bosses of its class. The host finds providers itself (see the host's service registry,
// interface 0x120 of the session) and keeps or makes their bosses as the instantiation
// policy says. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "K2Vector.h"
#include "PMString.h"

class IServiceProvider : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20004 };

    // How the host makes bosses of a provider's class.
    enum InstantiationPolicy : int32 {
        // One boss, made when the host first looks for providers and kept until it quits.
        kInstancePerSession = 0,
        // A new boss each time the host hands the provider out or sends it a signal.
        kInstancePerUse = 1,
    };

    // Sets `name` to the provider's name (a string key or a plain text).
    virtual void GetName(PMString* name) = 0;
    // The service ID; the first of them when the provider has several.
    virtual ServiceID GetServiceID() = 0;
    // True for the one provider the host picks when asked for a service without a class.
    virtual bool16 IsDefaultServiceProvider() = 0;
    virtual int32 GetInstantiationPolicy() = 0;
    // When true the host reads GetServiceIDs; otherwise only GetServiceID counts.
    virtual bool16 HasMultipleIDs() = 0;
    // Appends every service ID the provider provides.
    virtual void GetServiceIDs(K2Vector<ServiceID>& serviceIDs) = 0;
};
