// The documents sent to projects: (document path, server project ID) records in insertion
// order, kept on the session workspace (persistent) and carried as the parameters of
// TSDocPathPrjIdDataCmd, which replaces the workspace's whole list. User-interface thread only.
#pragma once

#include "IPMStream.h"
#include "IPMUnknown.h"
#include "K2Vector.h"
#include "PMString.h"
#include "TSID.h"

class ITSDocPathPrjIdData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = kTSPrefix + 0x4 };

    struct DataConatiner {
        PMString docPath;  // the saved document's path, in the host's path form
        int32 prjID = -1;
    };

    // Appends unless a record with the same path (ignoring case) and project is present.
    virtual void SetDocPathPrjIdData(const DataConatiner& entry) = 0;
    virtual K2Vector<DataConatiner> GetDocPathPrjIDContainer() const = 0;
    virtual void SetDocPathPrjIDContainer(K2Vector<DataConatiner> list) = 0;
    virtual void ReadWrite(IPMStream* stream, ImplementationID implID) = 0;
};
