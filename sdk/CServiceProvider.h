// Base of a plug-in's service providers: a provider of one service, not the default one,
// with one boss for the session. A subclass overrides GetServiceID, or HasMultipleIDs and
// GetServiceIDs when it provides several services.
// User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IServiceProvider.h"

class CServiceProvider : public CPMUnknown<IServiceProvider> {
public:
    explicit CServiceProvider(IPMUnknown* boss) : CPMUnknown<IServiceProvider>(boss) {}

    void GetName(PMString* name) override {
        if (name) name->Clear();
    }
    ServiceID GetServiceID() override { return kInvalidService; }
    bool16 IsDefaultServiceProvider() override { return kFalse; }
    int32 GetInstantiationPolicy() override { return kInstancePerSession; }
    bool16 HasMultipleIDs() override { return kFalse; }
    void GetServiceIDs(K2Vector<ServiceID>& serviceIDs) override {
        ServiceID id = GetServiceID();
        if (id.IsValid()) serviceIDs.push_back(id);
    }
};
