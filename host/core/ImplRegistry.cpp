#include "ImplRegistry.h"

namespace tshost {

ImplRegistry& ImplRegistry::Get() {
    static ImplRegistry registry;
    return registry;
}

ErrorCode ImplRegistry::Register(const ImplEntry& entry) {
    if (!entry.id.IsValid() || !entry.create || !entry.destroy || !entry.sizeOf) return kInvalidParameterError;
    return fEntries.emplace(entry.id, entry).second ? kSuccess : kFailure;
}

const ImplEntry* ImplRegistry::Find(ImplementationID id) const {
    auto it = fEntries.find(id);
    return it == fEntries.end() ? nullptr : &it->second;
}

std::vector<const ImplEntry*> ImplRegistry::ForPlugin(PluginID plugin) const {
    std::vector<const ImplEntry*> result;
    for (const auto& [id, entry] : fEntries)
        if (entry.plugin == plugin) result.push_back(&entry);
    return result;
}

void ImplRegistry::RemovePlugin(PluginID plugin) {
    std::erase_if(fEntries, [plugin](const auto& item) { return item.second.plugin == plugin; });
}

}  // namespace tshost
