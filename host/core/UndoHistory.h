// The undo history: one step per processed command that changed persistent data. While a
// command runs, the first PreDirty of each implementation records its bytes before the
// change; undo puts those bytes back (keeping the bytes after the change for redo).
// Only the user's work is undone: a change that left the bytes as they were is no change, and
// a command that changed nothing but session data (the workspace's settings and the host's
// housekeeping) leaves no step. Closing a database forgets the steps that touched it.
// User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "IDTypes.h"
#include "PMString.h"
#include "UIDRef.h"

namespace tshost {

class DataBase;

class UndoHistory {
public:
    static UndoHistory& Get();

    void BeginStep(const PMString& name);
    // Ends the running step; a step that changed nothing is dropped.
    void EndStep();
    bool InStep() const { return fDepth > 0; }

    bool WantsPreImage(DataBase* db, UID uid, ImplementationID impl) const;
    void RecordPreImage(DataBase* db, UID uid, ImplementationID impl, std::string bytes);

    bool CanUndo() const { return !fDone.empty(); }
    bool CanRedo() const { return !fUndone.empty(); }
    PMString UndoName() const { return fDone.empty() ? PMString() : fDone.back().name; }
    PMString RedoName() const { return fUndone.empty() ? PMString() : fUndone.back().name; }
    bool Undo();
    bool Redo();
    void Forget(DataBase* db);
    void Clear() { fDone.clear(); fUndone.clear(); fDepth = 0; fSettled = nullptr; }

    // Called whenever persistent data has settled: when the outermost command has ended
    // (whether or not it left a step), and after each undo and redo.
    void SetSettledHandler(std::function<void()> handler) { fSettled = std::move(handler); }

private:
    struct Change {
        DataBase* db;
        UID uid;
        ImplementationID impl;
        std::string before;
        std::string after;
    };
    struct Step {
        PMString name;
        std::vector<Change> changes;
    };

    std::vector<Step> fDone;
    std::vector<Step> fUndone;
    Step fCurrent;
    int fDepth = 0;
    std::function<void()> fSettled;
};

}  // namespace tshost
