// The host's action manager (IActionManager, on the application boss): the table of actions
// (fixed ones from the plug-ins' resource files, dynamic ones added while the host runs),
// the component boss of each component class, and the questions the menus ask of them.
//
// Component bosses: the host makes one boss per component class the first time it needs it
// (an action of that class is asked about or performed, or a dynamic menu of that class is
// rebuilt) and keeps it until the application goes away, so the fixed actions, the dynamic
// menu and the actions it adds all talk to one object.
// Enabling: kAlwaysEnabled actions are enabled by the host without asking (this is how
// About and Preferences stay reachable); kAskComponent actions start enabled in the list
// handed to the component's UpdateActionStates, which sets each. An action whose component
// cannot be made is disabled.
// Calls into plug-in code are guarded: an exception is reported and the call counts as not
// done. User-interface thread only.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "IActionComponent.h"
#include "IActionManager.h"
#include "IActionStateList.h"
#include "InterfacePtr.h"
#include "PMPoint.h"

namespace tshost {

struct ActionEntry {
    ActionID id;
    PMString name;
    PMString area;
    int32 enabling = IActionManager::kAskComponent;
    PluginID plugin;                               // the resource file that fixed it; invalid for added ones
    ClassID componentClass;                        // the component's boss class
    InterfacePtr<IActionComponent> component;      // made on first use for fixed actions
};

// The list lent to UpdateActionStates.
class ActionStateList final : public IActionStateList {
public:
    explicit ActionStateList(std::vector<ActionID> actions)
        : fActions(std::move(actions)), fStates(fActions.size(), kEnabledAction) {}
    int32 Length() const override { return static_cast<int32>(fActions.size()); }
    ActionID GetNthAction(int32 n) const override { return In(n) ? fActions[static_cast<std::size_t>(n)] : kInvalidActionID; }
    void SetNthActionState(int32 n, int16 state) override {
        if (In(n)) fStates[static_cast<std::size_t>(n)] = state;
    }
    int16 GetNthActionState(int32 n) const override { return In(n) ? fStates[static_cast<std::size_t>(n)] : int16(kDisabled); }

private:
    bool In(int32 n) const { return n >= 0 && n < Length(); }
    std::vector<ActionID> fActions;
    std::vector<int16> fStates;
};

class ActionMgr final : public CPMUnknown<IActionManager> {
public:
    explicit ActionMgr(IPMUnknown* boss) : CPMUnknown<IActionManager>(boss) {}
    ~ActionMgr() override;

    // The current host's manager; null without a host.
    static ActionMgr* Current();

    ErrorCode AddAction(IActionComponent* component, const ActionID& action, const PMString& name, const PMString& area,
                        int32 kind, int32 enabling, const PMIID& selectionIID, int32 userEditable) override;
    ErrorCode RemoveAction(const ActionID& action, bool16 removeMenuItems, const ClassID& owner) override;
    bool16 IsValidAction(const ActionID& action) const override { return fActions.count(action) ? kTrue : kFalse; }
    PMString GetActionName(const ActionID& action) const override;
    bool16 IsEnabled(const ActionID& action) override;
    ErrorCode PerformAction(IActiveContext* context, const ActionID& action) override;
    IMenuManager* QueryMenuManager() const override;

    // A fixed action of a plug-in's resource file.
    void AddFixed(ActionEntry entry);
    const ActionEntry* Find(ActionID action) const;
    // Every action, by ID.
    std::vector<const ActionEntry*> All() const;
    // The boss of a component class (not counted; kept until the application goes), or null.
    IPMUnknown* ComponentBoss(ClassID cls);
    // Whether each action is enabled, asking each component once about its actions.
    std::map<ActionID, bool> States(const std::vector<ActionID>& actions, SysPoint where, IPMUnknown* widget);
    // Performs an action without looking at its state; false when it has no component.
    bool Perform(IActiveContext* context, ActionID action, SysPoint where, IPMUnknown* widget);

private:
    IActionComponent* ComponentOf(ActionEntry& entry);

    std::map<ActionID, ActionEntry> fActions;
    std::map<ClassID, InterfacePtr<IPMUnknown>> fComponentBosses;
};

// The component class a boss belongs to, for display: its name, or its ID in hex.
std::string ClassLabel(ClassID cls);

}  // namespace tshost
