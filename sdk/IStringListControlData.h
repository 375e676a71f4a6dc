// The entries of a drop-down list. AddString at kEnd (-2) appends; an index from 0 to
// Length() inserts there; anything else appends too. Clearing also leaves nothing selected.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class IStringListControlData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x637 };
    static constexpr int32 kEnd = -2;

    virtual void Clear(bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual void AddString(const PMString& text, int32 index = kEnd, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual void RemoveString(int32 index, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual int32 Length() const = 0;
    // The entry, or the empty string out of range.
    virtual PMString GetString(int32 index) const = 0;
    // The first entry equal to `text`, or -1.
    virtual int32 GetIndex(const PMString& text) const = 0;
};
