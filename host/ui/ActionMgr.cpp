#include "ActionMgr.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "Boss.h"
#include "BossClasses.h"
#include "CActionComponent.h"
#include "Host.h"
#include "IApplication.h"
#include "MenuMgr.h"
#include "Transcript.h"
#include "HexText.h"

namespace tshost {

namespace {

// Runs plug-in code; false, with a diagnostic naming `what`, when it threw.
template <class Fn>
bool Guarded(const std::string& what, Fn&& fn) {
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        Diagnose(what + " failed: " + e.what());
    } catch (...) {
        Diagnose(what + " failed");
    }
    return false;
}

IActiveContext* Context() {
    Host* host = Host::Current();
    return host ? host->ActiveContext() : nullptr;
}

}  // namespace

std::string ClassLabel(ClassID cls) {
    const BossClass* found = BossClasses::Get().Find(cls);
    return found && !found->name.empty() ? found->name : Hex(cls.Get());
}

ActionMgr::~ActionMgr() {
    // Actions first: they hold the component interfaces whose bosses go next.
    fActions.clear();
    fComponentBosses.clear();
}

ActionMgr* ActionMgr::Current() {
    Host* host = Host::Current();
    IApplication* application = host ? host->Application() : nullptr;
    InterfacePtr<IActionManager> mgr(application, IID_OF<IActionManager>());
    return dynamic_cast<ActionMgr*>(mgr.get());  // the application keeps it alive
}

ErrorCode ActionMgr::AddAction(IActionComponent* component, const ActionID& action, const PMString& name,
                               const PMString& area, int32, int32 enabling, const PMIID&, int32) {
    if (!component || !action.IsValid()) return kInvalidParameterError;
    ActionEntry entry;
    entry.id = action;
    entry.name = name;
    entry.area = area;
    entry.enabling = enabling == kAlwaysEnabled ? kAlwaysEnabled : kAskComponent;
    tshost::Boss* boss = tshost::Boss::From(component);
    entry.componentClass = boss ? boss->GetClass() : kInvalidClass;
    component->AddRef();
    entry.component.reset(component);
    fActions.insert_or_assign(action, std::move(entry));
    return kSuccess;
}

ErrorCode ActionMgr::RemoveAction(const ActionID& action, bool16 removeMenuItems, const ClassID& owner) {
    auto found = fActions.find(action);
    if (found == fActions.end()) return kFailure;
    if (owner.IsValid() && found->second.componentClass != owner) return kFailure;
    fActions.erase(found);
    if (removeMenuItems)
        if (MenuMgr* menus = MenuMgr::Current()) menus->RemoveItemsOf(action);
    return kSuccess;
}

PMString ActionMgr::GetActionName(const ActionID& action) const {
    const ActionEntry* entry = Find(action);
    return entry ? entry->name : PMString();
}

bool16 ActionMgr::IsEnabled(const ActionID& action) {
    return States({action}, SysPoint{}, nullptr)[action] ? kTrue : kFalse;
}

ErrorCode ActionMgr::PerformAction(IActiveContext* context, const ActionID& action) {
    if (!Find(action) || !IsEnabled(action)) return kFailure;
    return Perform(context, action, SysPoint{}, nullptr) ? kSuccess : kFailure;
}

IMenuManager* ActionMgr::QueryMenuManager() const {
    return static_cast<IMenuManager*>(QueryInterface(IID_OF<IMenuManager>()));
}

void ActionMgr::AddFixed(ActionEntry entry) {
    ActionID id = entry.id;
    fActions.insert_or_assign(id, std::move(entry));
}

const ActionEntry* ActionMgr::Find(ActionID action) const {
    auto found = fActions.find(action);
    return found == fActions.end() ? nullptr : &found->second;
}

std::vector<const ActionEntry*> ActionMgr::All() const {
    std::vector<const ActionEntry*> all;
    for (const auto& [id, entry] : fActions) all.push_back(&entry);
    return all;
}

IPMUnknown* ActionMgr::ComponentBoss(ClassID cls) {
    auto found = fComponentBosses.find(cls);
    if (found != fComponentBosses.end()) return found->second.get();
    InterfacePtr<IPMUnknown> boss(tshost::Boss::Create(cls));
    if (!boss) {
        Diagnose("no boss of class " + ClassLabel(cls) + " can be made for the menus");
        return nullptr;
    }
    IPMUnknown* kept = boss.get();
    fComponentBosses.emplace(cls, std::move(boss));
    return kept;
}

IActionComponent* ActionMgr::ComponentOf(ActionEntry& entry) {
    if (entry.component) return entry.component.get();
    if (!entry.componentClass.IsValid()) return nullptr;
    IPMUnknown* boss = ComponentBoss(entry.componentClass);
    entry.component = InterfacePtr<IActionComponent>(boss, IID_OF<IActionComponent>());
    return entry.component.get();
}

std::map<ActionID, bool> ActionMgr::States(const std::vector<ActionID>& actions, SysPoint where, IPMUnknown* widget) {
    std::map<ActionID, bool> states;
    std::vector<std::pair<InterfacePtr<IActionComponent>, std::vector<ActionID>>> asks;
    for (ActionID id : actions) {
        states[id] = false;
        auto found = fActions.find(id);
        if (found == fActions.end()) continue;
        if (found->second.enabling == kAlwaysEnabled) {
            states[id] = true;
            continue;
        }
        IActionComponent* component = ComponentOf(found->second);
        if (!component) continue;
        auto group = std::find_if(asks.begin(), asks.end(), [&](const auto& a) { return a.first.get() == component; });
        if (group == asks.end()) {
            // A reference of our own: the component may remove its actions while it is asked.
            component->AddRef();
            asks.emplace_back(InterfacePtr<IActionComponent>(component), std::vector<ActionID>{id});
        } else if (std::find(group->second.begin(), group->second.end(), id) == group->second.end()) {
            group->second.push_back(id);
        }
    }
    for (auto& [component, ids] : asks) {
        ActionStateList list(ids);
        IActionComponent* asked = component.get();
        if (!Guarded("UpdateActionStates", [&] { asked->UpdateActionStates(Context(), &list, where, widget); })) continue;
        for (int32 i = 0; i < list.Length(); ++i) states[list.GetNthAction(i)] = list.GetNthActionState(i) != IActionStateList::kDisabled;
    }
    return states;
}

bool ActionMgr::Perform(IActiveContext* context, ActionID action, SysPoint where, IPMUnknown* widget) {
    auto found = fActions.find(action);
    if (found == fActions.end()) return false;
    IActionComponent* component = ComponentOf(found->second);
    if (!component) return false;
    component->AddRef();
    InterfacePtr<IActionComponent> keep(component);
    return Guarded("DoAction " + Hex(action.Get()), [&] { keep->DoAction(context, action, where, widget); });
}

}  // namespace tshost

void CActionComponent::DoAction(ActionID action) { DoAction(tshost::Context(), action, SysPoint{}, nullptr); }

void CActionComponent::UpdateActionStates(IActionStateList* states) {
    UpdateActionStates(tshost::Context(), states, SysPoint{}, nullptr);
}
