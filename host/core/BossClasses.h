// Boss class definitions: which implementation answers which interface on a boss of each
// class, with inheritance from a parent class. The host defines its own classes; plug-ins
// define theirs and add interfaces to the host's (an add-in for an interface the class
// already has replaces it). Tests can withhold an interface to drive silent paths.
// Filled at start-up, then read. User-interface thread only.
#pragma once

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "IDTypes.h"

namespace tshost {

struct BossClass {
    ClassID id;
    ClassID parent;
    std::string name;
    std::map<PMIID, ImplementationID> interfaces;
};

class BossClasses {
public:
    static BossClasses& Get();

    // Fails when the class is already defined.
    ErrorCode Define(BossClass definition);
    // Fails when the class is unknown.
    ErrorCode AddIn(ClassID cls, PMIID iid, ImplementationID impl);
    bool Exists(ClassID cls) const { return fClasses.count(cls) != 0; }
    const BossClass* Find(ClassID cls) const;
    // The implementation answering `iid` on `cls` or its ancestors; kInvalidImpl when none.
    ImplementationID Resolve(ClassID cls, PMIID iid) const;
    // Every (interface, implementation) of the class, ancestors included.
    std::map<PMIID, ImplementationID> AllInterfaces(ClassID cls) const;
    // A class, by name, for the console; kInvalidClass when unknown.
    ClassID FindByName(const std::string& name) const;

    void Withhold(ClassID cls, PMIID iid) {
        fWithheld.insert({cls, iid});
        fResolved.clear();
    }
    void Restore(ClassID cls, PMIID iid) {
        fWithheld.erase({cls, iid});
        fResolved.clear();
    }
    void Clear() {
        fClasses.clear();
        fWithheld.clear();
        fResolved.clear();
    }

private:
    ImplementationID ResolveUncached(ClassID cls, PMIID iid) const;

    std::map<ClassID, BossClass> fClasses;
    std::set<std::pair<ClassID, PMIID>> fWithheld;
    // Every query of an interface resolves; the answers are kept until a definition changes.
    mutable std::unordered_map<uint64, ImplementationID> fResolved;
};

}  // namespace tshost
