// Base of a plug-in's responders: answers nothing until a subclass overrides Respond, and
// ignores failures of later responders. User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IResponder.h"
#include "IServiceProvider.h"

class CResponder : public CPMUnknown<IResponder> {
public:
    explicit CResponder(IPMUnknown* boss) : CPMUnknown<IResponder>(boss) {}

    IServiceProvider* GetResponderService() override {
        auto* provider = static_cast<IServiceProvider*>(QueryInterface(IID_OF<IServiceProvider>()));
        // The boss holds the provider for as long as the responder lives.
        if (provider) provider->Release();
        return provider;
    }
    void Respond(ISignalMgr*) override {}
    void SignalFailed(ISignalMgr*) override {}
};
