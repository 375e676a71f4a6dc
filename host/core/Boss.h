// A boss: one object of a boss class, made of implementations that are created on first
// query through their registered factory sets. Reference counts are for the whole boss; a
// boss that lives in a database is also held by the database, and loads each persistent
// implementation's bytes from it when that implementation is first created.
// User-interface thread only.
#pragma once

#include <string>
#include <deque>
#include <vector>

#include "IPMUnknown.h"
#include "ImplRegistry.h"
#include "UIDRef.h"

namespace tshost {

class DataBase;

class Boss final : public IPMUnknown {
public:
    struct Slot {
        ImplementationID impl;
        const ImplEntry* entry = nullptr;
        void* memory = nullptr;
        IPMUnknown* object = nullptr;
        bool dirty = false;
    };

    // A new boss with one reference, or null when the class is unknown.
    static Boss* Create(ClassID cls, DataBase* db = nullptr, UID uid = kInvalidUID);
    // The host boss behind an interface pointer, or null for foreign objects.
    static Boss* From(const IPMUnknown* object);

    IPMUnknown* QueryInterface(PMIID interfaceID) const override;
    void AddRef() const override { ++fRefCount; }
    void Release() const override;

    ClassID GetClass() const { return fClass; }
    DataBase* GetDataBase() const { return fDataBase; }
    UID GetUID() const { return fUID; }
    int32 RefCount() const { return fRefCount; }

    // The slot of an implementation object of this boss, or null.
    Slot* FindSlot(const IPMUnknown* object) const;
    // The slot of an implementation ID, creating the implementation if needed; null when the
    // class has no such implementation.
    Slot* InstantiateImpl(ImplementationID impl) const;
    std::deque<Slot>& Slots() const { return fSlots; }

    // The bytes a persistent implementation writes now.
    static std::string Serialize(const Slot& slot);
    // Reads `bytes` into the implementation; false when they are damaged.
    static bool Deserialize(const Slot& slot, const std::string& bytes);

    // Called by the database when it closes: the boss no longer belongs to it.
    void DetachFromDataBase() { fDataBase = nullptr; }

private:
    Boss(ClassID cls, DataBase* db, UID uid) : fClass(cls), fDataBase(db), fUID(uid) {}
    ~Boss() override;
    Slot* CreateSlot(ImplementationID impl) const;

    ClassID fClass;
    DataBase* fDataBase;
    UID fUID;
    mutable int32 fRefCount = 1;
    mutable std::deque<Slot> fSlots;  // a deque, so slot addresses stay put
};

}  // namespace tshost
