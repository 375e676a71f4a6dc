#include "UndoHistory.h"

#include <algorithm>

#include "DataBase.h"

namespace tshost {

UndoHistory& UndoHistory::Get() {
    static UndoHistory history;
    return history;
}

void UndoHistory::BeginStep(const PMString& name) {
    // A command processed inside another belongs to the outer step.
    if (fDepth++ == 0) fCurrent = Step{name, {}};
}

void UndoHistory::EndStep() {
    if (fDepth == 0 || --fDepth > 0) return;
    std::erase_if(fCurrent.changes, [](const Change& c) { return c.db->CurrentBytes(c.uid, c.impl) == c.before; });
    if (!fCurrent.changes.empty() && fHousekeeping == 0) {
        fDone.push_back(std::move(fCurrent));
        fUndone.clear();
    }
    fCurrent = Step{};
    if (fSettled) fSettled();
}

bool UndoHistory::WantsPreImage(DataBase* db, UID uid, ImplementationID impl) const {
    if (fDepth == 0) return false;
    return std::none_of(fCurrent.changes.begin(), fCurrent.changes.end(),
                        [&](const Change& c) { return c.db == db && c.uid == uid && c.impl == impl; });
}

void UndoHistory::RecordPreImage(DataBase* db, UID uid, ImplementationID impl, std::string bytes) {
    fCurrent.changes.push_back(Change{db, uid, impl, std::move(bytes), {}});
}

bool UndoHistory::Undo() {
    if (fDone.empty() || fDepth > 0) return false;
    Step step = std::move(fDone.back());
    fDone.pop_back();
    for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) {
        it->after = it->db->CurrentBytes(it->uid, it->impl);
        it->db->Restore(it->uid, it->impl, it->before);
    }
    fUndone.push_back(std::move(step));
    if (fSettled) fSettled();
    return true;
}

bool UndoHistory::Redo() {
    if (fUndone.empty() || fDepth > 0) return false;
    Step step = std::move(fUndone.back());
    fUndone.pop_back();
    for (Change& c : step.changes) c.db->Restore(c.uid, c.impl, c.after);
    fDone.push_back(std::move(step));
    if (fSettled) fSettled();
    return true;
}

void UndoHistory::Forget(DataBase* db) {
    auto touches = [db](const Step& s) {
        return std::any_of(s.changes.begin(), s.changes.end(), [db](const Change& c) { return c.db == db; });
    };
    std::erase_if(fDone, touches);
    std::erase_if(fUndone, touches);
    std::erase_if(fCurrent.changes, [db](const Change& c) { return c.db == db; });
}

}  // namespace tshost
