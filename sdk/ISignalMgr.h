// One signal as the host hands it to responders: which service it is, and by query the
// signal's data (for document signals, IDocumentSignalData, interface 0xE1E; it may be
// missing, and then a responder should ignore the signal). A responder that fails sets an
// error; the host then stops the signal there. Lives only while the signal is delivered.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class ISignalMgr : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x20100 };

    virtual ServiceID GetServiceID() const = 0;
    virtual void SetSignalError(ErrorCode error) = 0;
    virtual ErrorCode GetSignalError() const = 0;
};
