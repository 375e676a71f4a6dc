// The undo history: one step per processed command that changed persistent data. While a
// command runs, the first PreDirty of each implementation records its bytes before the
// change; undo puts those bytes back (keeping the bytes after the change for redo).
// Every command a user's action causes is a step, whether it changes a document or the
// workspace's settings; a change that left the bytes as they were is no change. Housekeeping
// that the host or a plug-in does on its own (at start-up and shut-down, rebuilding a menu)
// runs inside a Housekeeping scope: its changes are kept and saved like any other, but they
// enter no undo history and leave what could be redone as it was. Closing a database forgets
// the steps that touched it.
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

    // While one lives, the commands processed are housekeeping.
    class Housekeeping {
    public:
        Housekeeping() { ++Get().fHousekeeping; }
        ~Housekeeping() { --Get().fHousekeeping; }
        Housekeeping(const Housekeeping&) = delete;
        Housekeeping& operator=(const Housekeeping&) = delete;
    };

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
    int fHousekeeping = 0;
    std::function<void()> fSettled;
};

}  // namespace tshost
