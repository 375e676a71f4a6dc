// A small persistent implementation for host tests: one int32, saved through ReadWrite,
// changed only after PreDirty; and a command that sets it. InstallTestData puts them on the
// workspace and documents; tests may register them under their own IDs too. The test's own thread only, as every host
// implementation.
#pragma once

#include "BossClasses.h"
#include "CPMUnknown.h"
#include "CmdUtils.h"
#include "Command.h"
#include "HostIDs.h"
#include "IPMStream.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "ImplRegistry.h"
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

constexpr ImplementationID kDataImpl{0x7f011}, kOtherImpl{0x7f012}, kEmptyImpl{0x7f013}, kParameterImpl{0x7f014},
    kSetValueCmdImpl{0x7f015};
constexpr PMIID kOtherIID{0x7f012};
constexpr ClassID kSetValueCmdBoss{0x7f010};

// After Boot: TestData, persistent, as ITestData and again as kOtherIID of the workspace and of
// documents, EmptyData beside them, and kSetValueCmdBoss. False when a registration failed.
inline bool InstallTestData() {
    auto& impls = tshost::ImplRegistry::Get();
    bool ok = impls.Register(tshost::HostImplementation<TestData>(kDataImpl, true)) == kSuccess &&
              impls.Register(tshost::HostImplementation<TestData>(kOtherImpl, true)) == kSuccess &&
              impls.Register(tshost::HostImplementation<EmptyData>(kEmptyImpl, true)) == kSuccess &&
              impls.Register(tshost::HostImplementation<TestData>(kParameterImpl)) == kSuccess &&
              impls.Register(tshost::HostImplementation<SetValueCmd>(kSetValueCmdImpl)) == kSuccess;
    auto& classes = tshost::BossClasses::Get();
    for (ClassID cls : {tshost::kWorkspaceBoss, tshost::kDocBoss})
        ok = ok && classes.AddIn(cls, IID_OF<ITestData>(), kDataImpl) == kSuccess && classes.AddIn(cls, kOtherIID, kOtherImpl) == kSuccess &&
             classes.AddIn(cls, IID_OF<EmptyData>(), kEmptyImpl) == kSuccess;
    return ok && classes.Define({kSetValueCmdBoss, tshost::kCommandBoss, "kSetValueCmdBoss",
                                 {{IID_OF<ICommand>(), kSetValueCmdImpl}, {IID_OF<ITestData>(), kParameterImpl}}}) == kSuccess;
}

}  // namespace tstest
