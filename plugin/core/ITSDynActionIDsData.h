// The map from the dynamic menu's action IDs to the paths of the documents behind them,
// ordered by action ID. Persistent on the session workspace; the parameters of
// TSDynActionIDsDataCmd, which replaces the workspace's map. User-interface thread only.
#pragma once

#include <map>

#include "IPMStream.h"
#include "IPMUnknown.h"
#include "PMString.h"
#include "TSID.h"

class ITSDynActionIDsData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = kTSPrefix + 0x5 };

    virtual int32 Length() const = 0;
    virtual void Clear() = 0;
    // Keeps the first path of an action ID already present.
    virtual void AddEntry(const ActionID& id, const PMString& path) = 0;
    // The action ID at `index` in ascending order; kInvalidActionID when out of range.
    virtual ActionID GetActionID(const int32& index) const = 0;
    // The path of `id`, or the empty string.
    virtual PMString GetDocumentPath(const ActionID& id) const = 0;
    virtual std::map<ActionID, PMString> GetActionIDsDataMap() const = 0;
    virtual void ReadWrite(IPMStream* stream, ImplementationID implID) = 0;
};
