// The plug-in's persistent data read from arbitrary bytes, as from a damaged document or
// workspace: each persistent implementation and the host's string form read the bytes, write
// what they took, and read that again. Nothing may crash or allocate beyond the input, what
// was written must read back whole, and writing it again must give the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CmdUtils.h"
#include "FuzzHost.h"
#include "Host.h"
#include "ICommand.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "MemoryStream.h"
#include "TSID.h"

using tshost::MemoryStream;

namespace {

// What a read may write back beyond its input: a few counts and the preferences' defaults.
constexpr std::size_t kMaxGrowth = 64;
// Strings read one after another from the same input, enough for any small input.
constexpr int kMaxStrings = 256;

struct Target {
    ImplementationID impl;
    ClassID cmd;
    PMIID iid;
    const tshost::ImplEntry* entry = nullptr;
};

Target gTargets[] = {{kTSPrefsDataPersistImpl, kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID},
                     {kTSDocDataPersistImpl, kTSDocDataCmdBoss, kTSDocDataInterfaceID},
                     {kTSDocPathPrjIdPersistImpl, kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID},
                     {kTSDynActionIDsPersistDataImpl, kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID}};

void Check(bool condition) {
    if (!condition) std::abort();
}

// The command bosses carry plain data objects of each class, outside any database.
std::string ReadThenWrite(const Target& t, const std::string& bytes, MemoryStream::StreamState* state) {
    InterfacePtr<ICommand> holder(CmdUtils::CreateCommand(t.cmd));
    InterfacePtr<IPMUnknown> object(holder.get(), t.iid);
    Check(object != nullptr);
    MemoryStream in(bytes);
    t.entry->readWrite(object.get(), &in, t.impl);
    if (state) *state = in.Remaining() == 0 ? in.GetStreamState() : IPMStream::kStreamStateFailure;
    MemoryStream out;
    t.entry->readWrite(object.get(), &out, t.impl);
    return out.TakeBytes();
}

void FuzzString(const std::string& bytes) {
    MemoryStream in(bytes);
    for (int i = 0; i < kMaxStrings && in.IsGood(); ++i) {
        PMString text;
        const int64 before = in.Remaining();
        text.ReadWrite(&in);
        if (!in.IsGood()) {
            Check(text.IsEmpty());
            break;
        }
        Check(before - in.Remaining() == 4 + static_cast<int64>(text.ByteLength()));
        MemoryStream out;
        text.ReadWrite(&out);
        MemoryStream again(out.Bytes());
        PMString copy;
        copy.ReadWrite(&again);
        Check(again.IsGood() && again.Remaining() == 0 && copy == text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string home;
    tsfuzz::LaunchHost("streams", home);
    for (Target& t : gTargets) {
        t.entry = tshost::ImplRegistry::Get().Find(t.impl);
        Check(t.entry != nullptr && t.entry->Persistent());
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const Target& t : gTargets) {
        const std::string first = ReadThenWrite(t, bytes, nullptr);
        Check(first.size() <= size + kMaxGrowth);
        MemoryStream::StreamState state;
        const std::string second = ReadThenWrite(t, first, &state);
        Check(state == IPMStream::kStreamStateGood);
        Check(second == first);
    }
    FuzzString(bytes);
    return 0;
}
