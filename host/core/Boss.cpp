#include "Boss.h"

#include <cstdio>
#include <new>

#include "BossClasses.h"
#include "CPMUnknown.h"
#include "DataBase.h"
#include "Guard.h"
#include "HexText.h"
#include "MemoryStream.h"

namespace tshost {

namespace {
constexpr std::align_val_t kImplAlignment{alignof(std::max_align_t)};
}

Boss* Boss::Create(ClassID cls, DataBase* db, UID uid) {
    if (!BossClasses::Get().Exists(cls)) return nullptr;
    return new Boss(cls, db, uid);
}

Boss* Boss::From(const IPMUnknown* object) {
    if (!object) return nullptr;
    // Asking for the base interface yields the boss itself.
    IPMUnknown* base = object->QueryInterface(IID_OF<IPMUnknown>());
    if (!base) return nullptr;
    auto* boss = dynamic_cast<Boss*>(base);
    base->Release();
    return boss;
}

Boss::~Boss() {
    for (auto it = fSlots.rbegin(); it != fSlots.rend(); ++it) {
        it->entry->destroy(it->object);
        ::operator delete(it->memory, kImplAlignment);
    }
}

void Boss::Release() const {
    if (--fRefCount == 0) delete this;
}

IPMUnknown* Boss::QueryInterface(PMIID interfaceID) const {
    if (interfaceID == IID_OF<IPMUnknown>()) {
        AddRef();
        return const_cast<Boss*>(this);
    }
    ImplementationID impl = BossClasses::Get().Resolve(fClass, interfaceID);
    if (!impl.IsValid()) return nullptr;
    Slot* slot = InstantiateImpl(impl);
    if (!slot) return nullptr;
    AddRef();
    return slot->object;
}

Boss::Slot* Boss::FindSlot(const IPMUnknown* object) const {
    for (Slot& s : fSlots)
        if (s.object == object) return &s;
    return nullptr;
}

Boss::Slot* Boss::InstantiateImpl(ImplementationID impl) const {
    for (Slot& s : fSlots)
        if (s.impl == impl) return &s;
    return CreateSlot(impl);
}

Boss::Slot* Boss::CreateSlot(ImplementationID impl) const {
    const ImplEntry* entry = ImplRegistry::Get().Find(impl);
    if (!entry) return nullptr;
    std::size_t size = entry->sizeOf();
    void* memory = ::operator new(size, kImplAlignment);
    // A constructor that throws leaves no implementation, and the exception goes no further:
    // the caller of QueryInterface sees an interface the boss does not have.
    IPMUnknown* object = Guarded<IPMUnknown*>("making implementation " + Hex(impl.Get()), nullptr,
                                              [&] { return entry->create(memory, const_cast<Boss*>(this)); });
    if (!object) {
        ::operator delete(memory, kImplAlignment);
        return nullptr;
    }
    fSlots.push_back(Slot{impl, entry, memory, object, false});
    Slot* slot = &fSlots.back();
    if (fDataBase && entry->Persistent()) fDataBase->LoadImplementation(*const_cast<Boss*>(this), *slot);
    return slot;
}

std::string Boss::Serialize(const Slot& slot) {
    MemoryStream out;
    slot.entry->readWrite(slot.object, &out, slot.impl);
    return out.TakeBytes();
}

bool Boss::Deserialize(const Slot& slot, const std::string& bytes) {
    try {
        MemoryStream in(bytes);
        slot.entry->readWrite(slot.object, &in, slot.impl);
        return in.IsGood() && in.Remaining() == 0;
    } catch (...) {
        // Bytes that make a reader throw are damaged bytes like any others.
        return false;
    }
}

}  // namespace tshost

void PreDirtyImplementation(const IPMUnknown* boss, const IPMUnknown* implementation, ImplementationID, bool16) {
    tshost::Boss* b = tshost::Boss::From(boss);
    if (!b || !b->GetDataBase()) return;
    if (tshost::Boss::Slot* slot = b->FindSlot(implementation)) b->GetDataBase()->PreDirty(*b, *slot);
}
