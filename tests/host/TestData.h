// A small persistent implementation for host tests: one int32, saved through ReadWrite,
// changed only after PreDirty. Tests register it with HostImplementation under their own IDs.
#pragma once

#include "CPMUnknown.h"
#include "IPMStream.h"

namespace tstest {

class ITestData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x7f001 };
    virtual int32 GetValue() const = 0;
    virtual void SetValue(int32 value) = 0;
};

class TestData : public CPMUnknown<ITestData> {
public:
    explicit TestData(IPMUnknown* boss) : CPMUnknown<ITestData>(boss) {}
    int32 GetValue() const override { return fValue; }
    void SetValue(int32 value) override {
        if (value == fValue) return;
        PreDirty();
        fValue = value;
    }
    void ReadWrite(IPMStream* stream, ImplementationID) { stream->XferInt32(fValue); }

private:
    int32 fValue = -1;
};

// Writes nothing at all: its stored form is an empty blob.
class EmptyData : public CPMUnknown<IPMUnknown> {
public:
    enum : uint32 { kDefaultIID = 0x7f002 };
    explicit EmptyData(IPMUnknown* boss) : CPMUnknown<IPMUnknown>(boss) {}
    void Touch() { PreDirty(); }
    void ReadWrite(IPMStream*, ImplementationID) {}
};

}  // namespace tstest
