#include "Panels.h"

#include <cstdio>

#include "Boss.h"
#include "BossClasses.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "IControlView.h"
#include "InterfacePtr.h"
#include "Transcript.h"
#include "UiIDs.h"
#include "Utilities.h"
#include "Widgets.h"
#include "HexText.h"

namespace tshost {

namespace {

constexpr PMIID kPanelStateIID{0x30401};

HostModule gModule("ui panels", 21, [] {
    RegisterHostImplementation(HostImplementation<PanelMgrState>(kPanelMgrImpl));
    RegisterHostImplementation(HostImplementation<PanelMgrUtility>(kPanelMgrUtilityImpl));
    BossClasses::Get().AddIn(kApplicationBoss, kPanelStateIID, kPanelMgrImpl);
    if (AddUtility(IID_OF<IPanelMgr>(), kPanelMgrUtilityImpl) != kSuccess)
        Diagnose("the panel manager cannot be added to the host's utilities");
});

// The slot of the panel view's implementation, for its persistent data; null when the view
// does not persist.
Boss::Slot* ViewSlot(IPMUnknown* panel) {
    Boss* boss = Boss::From(panel);
    IControlView* view = ViewOf(panel);
    if (!boss || !view) return nullptr;
    Boss::Slot* slot = boss->FindSlot(view);
    return slot && slot->entry && slot->entry->Persistent() ? slot : nullptr;
}

std::string PanelTitle(IPMUnknown* panel) {
    std::string label = DisplayText(LabelOf(panel));
    return label.empty() ? Hex(ViewOf(panel) ? ViewOf(panel)->GetWidgetID().Get() : 0) : label;
}

}  // namespace

PanelMgrState::~PanelMgrState() {
    // The application is going away: no plug-in call may run now.
    for (auto& [id, boss] : fShown) boss->Release();
}

PanelMgrState* PanelMgrState::Current() {
    Host* host = Host::Current();
    IApplication* application = host ? host->Application() : nullptr;
    if (!application) return nullptr;
    InterfacePtr<IPMUnknown> state(application, kPanelStateIID);
    return dynamic_cast<PanelMgrState*>(state.get());  // the application keeps it alive
}

IControlView* PanelMgrState::QueryPanelByWidgetID(const WidgetID& panel) const {
    for (const auto& [id, boss] : fShown)
        if (id == panel) return static_cast<IControlView*>(boss->QueryInterface(IID_OF<IControlView>()));
    return nullptr;
}

bool16 PanelMgrState::IsPanelWithWidgetIDShown(const WidgetID& panel) const {
    for (const auto& shown : fShown)
        if (shown.first == panel) return kTrue;
    return kFalse;
}

ErrorCode PanelMgrState::ShowPanelByWidgetID(const WidgetID& panel) {
    if (IsPanelWithWidgetIDShown(panel)) return kSuccess;
    const ViewSpec* spec = ViewResources::Get().FindPanel(panel);
    if (!spec) return kFailure;
    std::string error;
    InterfacePtr<IPMUnknown> boss(BuildView(spec->plugin, spec->id, error));
    if (!boss) {
        Diagnose(error);
        return kFailure;
    }
    if (auto saved = fSavedViews.find(panel); saved != fSavedViews.end())
        if (Boss::Slot* slot = ViewSlot(boss.get()); slot && !Boss::Deserialize(*slot, saved->second))
            Diagnose("the saved state of panel " + Hex(panel.Get()) + " is damaged; it shows as its view says");
    if (IControlView* view = ViewOf(boss.get())) view->Show(kTrue);
    boss->AddRef();
    fShown.emplace_back(panel, boss.get());
    Show("[panel] \"" + PanelTitle(boss.get()) + "\" shown");
    AutoAttachTree(boss.get());
    return kSuccess;
}

ErrorCode PanelMgrState::HidePanelByWidgetID(const WidgetID& panel) {
    for (std::size_t i = 0; i < fShown.size(); ++i) {
        if (fShown[i].first != panel) continue;
        InterfacePtr<IPMUnknown> boss(fShown[i].second, IID_OF<IPMUnknown>());
        AutoDetachTree(boss.get());
        if (Boss::Slot* slot = ViewSlot(boss.get())) fSavedViews[panel] = Boss::Serialize(*slot);
        // Observers may have hidden it already.
        for (auto it = fShown.begin(); it != fShown.end(); ++it)
            if (it->first == panel) {
                it->second->Release();
                fShown.erase(it);
                break;
            }
        Show("[panel] \"" + PanelTitle(boss.get()) + "\" hidden");
        return kSuccess;
    }
    return kFailure;
}

std::vector<IPMUnknown*> PanelMgrState::ShownPanels() const {
    std::vector<IPMUnknown*> out;
    for (const auto& shown : fShown) out.push_back(shown.second);
    return out;
}

ErrorCode PanelMgrState::Resize(const WidgetID& panel, PMReal width, PMReal height, PMPoint& applied) {
    InterfacePtr<IControlView> view(QueryPanelByWidgetID(panel));
    if (!view) return kFailure;
    applied = view->ConstrainDimensions(PMPoint(width, height));
    PMRect frame = view->GetFrame();
    frame.Right(frame.Left() + applied.X());
    frame.Bottom(frame.Top() + applied.Y());
    view->SetFrame(frame, kTrue);
    return kSuccess;
}

IControlView* PanelMgrUtility::QueryPanelByWidgetID(const WidgetID& panel) const {
    PanelMgrState* state = PanelMgrState::Current();
    return state ? state->QueryPanelByWidgetID(panel) : nullptr;
}

bool16 PanelMgrUtility::IsPanelWithWidgetIDShown(const WidgetID& panel) const {
    PanelMgrState* state = PanelMgrState::Current();
    return state ? state->IsPanelWithWidgetIDShown(panel) : kFalse;
}

ErrorCode PanelMgrUtility::ShowPanelByWidgetID(const WidgetID& panel) {
    PanelMgrState* state = PanelMgrState::Current();
    return state ? state->ShowPanelByWidgetID(panel) : kFailure;
}

ErrorCode PanelMgrUtility::HidePanelByWidgetID(const WidgetID& panel) {
    PanelMgrState* state = PanelMgrState::Current();
    return state ? state->HidePanelByWidgetID(panel) : kFailure;
}

}  // namespace tshost
