// The PDF export presets, on the session workspace: each preset is an object in the
// workspace's database carrying its export settings (IPDFExportPrefs). Names are compared
// exactly, byte for byte, case included. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"
#include "UIDRef.h"

class IPDFExptStyleListMgr : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2513 };

    virtual int32 GetNumStyles() const = 0;
    // The index of the preset with this name, or -1 when there is none.
    virtual int32 GetStyleIndexByName(const PMString& name) const = 0;
    // The preset at `index`; a reference without a database (UIDRef::gNull) for an index out
    // of range, -1 included.
    virtual UIDRef GetNthStyleRef(int32 index) const = 0;
    // The preset's name; empty for an index out of range.
    virtual PMString GetNthStyleName(int32 index) const = 0;
};
