// A document's link to the proofing server: the server's project ID and the status chosen
// when the document was sent, -1 when unset. Persistent in each document; the parameters of
// TSDocDataCmd. User-interface thread only.
#pragma once

#include "IPMStream.h"
#include "IPMUnknown.h"
#include "TSID.h"

class ITSDocData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = kTSPrefix + 0x2 };

    virtual void SetProjectXMLID(const int32& id) = 0;
    virtual int32 GetProjectXMLID() const = 0;
    virtual void SetStatusID(const int32& id) = 0;
    virtual int32 GetStatusID() const = 0;
    virtual void ReadWrite(IPMStream* stream, ImplementationID implID) = 0;
};
