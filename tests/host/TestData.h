// A small persistent implementation for host tests: one int32, saved through ReadWrite,
// changed only after PreDirty; and a command that sets it. Tests register them with
// HostImplementation under their own IDs. The test's own thread only, as every host
// implementation.
#pragma once

#include "CPMUnknown.h"
#include "CmdUtils.h"
#include "Command.h"
#include "IPMStream.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"

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

// The data a command changes: that of its one item, else the workspace's.
inline InterfacePtr<IPMUnknown> TargetOf(const ICommand* command, PMIID iid) {
    const UIDList* items = command->GetItemList();
    if (items && items->Length() == 1) return InterfacePtr<IPMUnknown>(items->GetRef(0), iid);
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    return InterfacePtr<IPMUnknown>(workspace.get(), iid);
}

// Copies the value of its own ITestData parameter to its target's; a value below -1 fails.
// Counts its DoNotify calls in `Notified()`.
class SetValueCmd : public Command {
public:
    explicit SetValueCmd(IPMUnknown* boss) : Command(boss) {}
    static int& Notified() {
        static int count = 0;
        return count;
    }

protected:
    void Do() override {
        InterfacePtr<ITestData> parameter(this, IID_OF<ITestData>());
        if (parameter->GetValue() < -1) {
            ErrorUtils::PMSetGlobalErrorCode(kInvalidParameterError);
            return;
        }
        InterfacePtr<IPMUnknown> target = TargetOf(this, IID_OF<ITestData>());
        static_cast<ITestData*>(target.get())->SetValue(parameter->GetValue());
    }
    void DoNotify() override { ++Notified(); }
};

}  // namespace tstest
