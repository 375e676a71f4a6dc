#include "BossClasses.h"

namespace tshost {

BossClasses& BossClasses::Get() {
    static BossClasses classes;
    return classes;
}

ErrorCode BossClasses::Define(BossClass definition) {
    if (!definition.id.IsValid()) return kInvalidParameterError;
    ClassID id = definition.id;
    fResolved.clear();
    return fClasses.emplace(id, std::move(definition)).second ? kSuccess : kFailure;
}

ErrorCode BossClasses::AddIn(ClassID cls, PMIID iid, ImplementationID impl) {
    auto it = fClasses.find(cls);
    if (it == fClasses.end()) return kFailure;
    it->second.interfaces[iid] = impl;
    fResolved.clear();
    return kSuccess;
}

const BossClass* BossClasses::Find(ClassID cls) const {
    auto it = fClasses.find(cls);
    return it == fClasses.end() ? nullptr : &it->second;
}

ImplementationID BossClasses::Resolve(ClassID cls, PMIID iid) const {
    const uint64 key = uint64(cls.Get()) << 32 | iid.Get();
    auto known = fResolved.find(key);
    if (known != fResolved.end()) return known->second;
    ImplementationID impl = ResolveUncached(cls, iid);
    fResolved.emplace(key, impl);
    return impl;
}

ImplementationID BossClasses::ResolveUncached(ClassID cls, PMIID iid) const {
    if (fWithheld.count({cls, iid})) return kInvalidImpl;
    // Bounded walk: a cycle in a parent chain must not hang the host.
    for (int depth = 0; depth < 64 && cls.IsValid(); ++depth) {
        const BossClass* c = Find(cls);
        if (!c) return kInvalidImpl;
        auto it = c->interfaces.find(iid);
        if (it != c->interfaces.end()) return it->second;
        cls = c->parent;
    }
    return kInvalidImpl;
}

std::map<PMIID, ImplementationID> BossClasses::AllInterfaces(ClassID cls) const {
    std::map<PMIID, ImplementationID> all;
    for (int depth = 0; depth < 64 && cls.IsValid(); ++depth) {
        const BossClass* c = Find(cls);
        if (!c) break;
        for (const auto& [iid, impl] : c->interfaces) all.emplace(iid, impl);
        cls = c->parent;
    }
    return all;
}

ClassID BossClasses::FindByName(const std::string& name) const {
    for (const auto& [id, c] : fClasses)
        if (c.name == name) return id;
    return kInvalidClass;
}

}  // namespace tshost
