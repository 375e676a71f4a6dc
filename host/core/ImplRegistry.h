// Every implementation the process knows, by implementation ID: the host's own and those
// each plug-in registered when its factories were loaded. Filled at start-up, then read.
// User-interface thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ImplementationRecord.h"
#include "PMTypes.h"

namespace tshost {

constexpr PluginID kHostPluginID{0x1};

struct ImplEntry {
    PluginID plugin;
    ImplementationID id;
    CreateImplementationFn create = nullptr;
    DestroyImplementationFn destroy = nullptr;
    SizeOfImplementationFn sizeOf = nullptr;
    ReadWriteImplementationFn readWrite = nullptr;
    bool Persistent() const { return readWrite != nullptr; }
};

class ImplRegistry {
public:
    static ImplRegistry& Get();

    // Fails for an ID already registered or a record without its factories.
    ErrorCode Register(const ImplEntry& entry);
    const ImplEntry* Find(ImplementationID id) const;
    // The entries of one plug-in, in ascending ID order.
    std::vector<const ImplEntry*> ForPlugin(PluginID plugin) const;
    // Forgets every implementation of one plug-in (a plug-in the host refused after its
    // factories were loaded).
    void RemovePlugin(PluginID plugin);
    void Clear() { fEntries.clear(); }

private:
    std::map<ImplementationID, ImplEntry> fEntries;
};

// Host implementations register through this, with the same factory shape as a plug-in's.
template <class Class>
ImplEntry HostImplementation(ImplementationID id, bool persistent = false) {
    ImplEntry e{kHostPluginID, id};
    e.create = [](void* memory, IPMUnknown* boss) -> IPMUnknown* { return memory ? new (memory) Class(boss) : nullptr; };
    e.destroy = [](IPMUnknown* object) { static_cast<Class*>(object)->~Class(); };
    e.sizeOf = []() -> std::size_t { return sizeof(Class); };
    // Only classes with a ReadWrite can be persistent; asking for it of others is ignored.
    if constexpr (requires(Class* c, IPMStream* s, ImplementationID i) { c->ReadWrite(s, i); }) {
        if (persistent)
            e.readWrite = [](IPMUnknown* object, IPMStream* stream, ImplementationID implID) {
                static_cast<Class*>(object)->ReadWrite(stream, implID);
            };
    }
    return e;
}

}  // namespace tshost
