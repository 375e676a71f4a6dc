#include "HostModule.h"
#include "HexText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tshost {

namespace {

HostModule*& Head() {
    static HostModule* head = nullptr;
    return head;
}

std::vector<std::string>& Problems() {
    static std::vector<std::string> problems;
    return problems;
}

}  // namespace

HostModule::HostModule(const char* name, int order, DefineFn define)
    : fName(name), fOrder(order), fDefine(define), fNext(Head()) {
    Head() = this;
}

bool HostModule::DefineAll(std::string& error) {
    std::vector<HostModule*> modules;
    for (HostModule* m = Head(); m; m = m->fNext) modules.push_back(m);
    std::sort(modules.begin(), modules.end(), [](const HostModule* a, const HostModule* b) {
        return a->fOrder != b->fOrder ? a->fOrder < b->fOrder : std::strcmp(a->fName, b->fName) < 0;
    });
    Problems().clear();
    for (HostModule* m : modules) m->fDefine();
    error.clear();
    for (const std::string& p : Problems()) error += (error.empty() ? "" : "; ") + p;
    Problems().clear();
    return error.empty();
}

void DefineHostClass(ClassID id, const char* name, ClassID parent,
                     std::vector<std::pair<PMIID, ImplementationID>> interfaces) {
    BossClass definition{id, parent, name, {}};
    for (const auto& [iid, impl] : interfaces) definition.interfaces[iid] = impl;
    if (BossClasses::Get().Define(std::move(definition)) != kSuccess)
        Problems().push_back("host class " + std::string(name) + " (" + Hex(id.Get()) + ") defined twice");
}

void RegisterHostImplementation(const ImplEntry& entry) {
    if (ImplRegistry::Get().Register(entry) != kSuccess)
        Problems().push_back("host implementation " + Hex(entry.id.Get()) + " registered twice");
}

}  // namespace tshost
