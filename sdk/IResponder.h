// Receives the signals of the services its boss's service provider names: document
// created (0xE0C), opened (0xE0F), about to close (0xE19), closed (0xE1A), and front
// document changed (0x16302). The responder lives on the same boss as its provider.
// When a responder reports a failure (ISignalMgr::SetSignalError), the host sends the
// signal to no further responder and calls SignalFailed on those that had responded
// already, the latest first. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IServiceProvider;
class ISignalMgr;

// The document signals a responder can be registered for.
constexpr ServiceID kAfterNewDocSignalResponderService{0xE0C};
constexpr ServiceID kAfterOpenDocSignalResponderService{0xE0F};
constexpr ServiceID kBeforeCloseDocSignalResponderService{0xE19};
constexpr ServiceID kAfterCloseDocSignalResponderService{0xE1A};
constexpr ServiceID kFrontDocChangedSignalResponderService{0x16302};

class IResponder : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20005 };

    // The provider on the responder's boss; not counted; null when the boss has none.
    virtual IServiceProvider* GetResponderService() = 0;
    virtual void Respond(ISignalMgr* signalMgr) = 0;
    // The signal this responder answered failed at a later responder.
    virtual void SignalFailed(ISignalMgr* signalMgr) = 0;
};
