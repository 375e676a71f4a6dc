// A stream that either reads or writes: one ReadWrite function of a persistent
// implementation serves both directions, asking the stream which it is. A read past the end
// or of malformed data puts the stream into a failed state; from then on every read yields
// zero or empty values, so a reader stops cleanly at the first bad item.
// Used on one thread at a time.
#pragma once

#include "IDTypes.h"
#include "UIDRef.h"

class IPMStream {
public:
    enum StreamState { kStreamStateGood = 0, kStreamStateEOF = 1, kStreamStateFailure = 2 };

    virtual bool16 IsReading() const = 0;
    virtual bool16 IsWriting() const = 0;
    virtual StreamState GetStreamState() const = 0;
    bool16 IsGood() const { return GetStreamState() == kStreamStateGood ? kTrue : kFalse; }

    virtual void XferInt32(int32& value) = 0;
    virtual void XferUInt32(uint32& value) = 0;
    virtual void XferBool(bool16& value) = 0;
    // Raw bytes, for the host's own forms. Returns the count transferred.
    virtual int32 XferBytes(void* bytes, int32 count) = 0;
    // Bytes still to be read; 0 when writing.
    virtual int64 Remaining() const = 0;
    // A reader that finds malformed data marks the stream failed.
    virtual void SetFailed() = 0;

    template <class Kind>
    void XferID(IDValue<Kind>& id) {
        uint32 value = id.Get();
        XferUInt32(value);
        if (IsReading()) id = IDValue<Kind>(value);
    }
    void XferID(UID& uid) {
        uint32 value = uid.Get();
        XferUInt32(value);
        if (IsReading()) uid = UID(value);
    }

protected:
    virtual ~IPMStream() = default;
};
