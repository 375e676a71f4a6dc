// How the host's subsystems bring their boss classes and implementations: each subsystem's
// file declares one HostModule object at file scope, whose function defines the subsystem's
// classes and registers its implementations. The host calls every module, in ascending
// order and then by name, when it boots, so a new subsystem is a new file and nothing else
// changes. Modules are linked at load time and only read afterwards.
// User-interface thread only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "BossClasses.h"
#include "ImplRegistry.h"

namespace tshost {

class HostModule {
public:
    using DefineFn = void (*)();

    // Order: lower first; the object model's own classes use 0, later subsystems 10 and up.
    HostModule(const char* name, int order, DefineFn define);
    HostModule(const HostModule&) = delete;
    HostModule& operator=(const HostModule&) = delete;

    // Calls every module's function. Returns false, with the problems in `error`, when a
    // module defined a class or registered an implementation twice.
    static bool DefineAll(std::string& error);

private:
    const char* fName;
    int fOrder;
    DefineFn fDefine;
    HostModule* fNext;
};

// Used inside a module's function. Problems are collected for DefineAll to report.
void DefineHostClass(ClassID id, const char* name, ClassID parent,
                     std::vector<std::pair<PMIID, ImplementationID>> interfaces);
void RegisterHostImplementation(const ImplEntry& entry);

}  // namespace tshost
