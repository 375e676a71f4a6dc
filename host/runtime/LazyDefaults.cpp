#include "LazyDefaults.h"

#include "Boss.h"

namespace tshost {

void KeepDefaults(const IPMUnknown* implementation) {
    Boss* boss = Boss::From(implementation);
    if (!boss || !boss->GetDataBase()) return;
    if (Boss::Slot* slot = boss->FindSlot(implementation); slot && slot->entry && slot->entry->Persistent())
        slot->dirty = true;
}

}  // namespace tshost
