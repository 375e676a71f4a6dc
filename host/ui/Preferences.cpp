#include "Preferences.h"

#include "Boss.h"
#include "BossClasses.h"
#include "Host.h"
#include "HostModule.h"
#include "IControlView.h"
#include "IDialogController.h"
#include "IEventHandler.h"
#include "IPanelControlData.h"
#include "IPanelCreator.h"
#include "IServiceProvider.h"
#include "IServiceRegistry.h"
#include "ISession.h"
#include "IWidgetInfo.h"
#include "IWidgetParent.h"
#include "IWindow.h"
#include "InterfacePtr.h"
#include "ServiceRegistry.h"
#include "Transcript.h"
#include "UiIDs.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace tshost {

namespace {

HostModule gModule("ui preferences", 21, [] {
    RegisterHostImplementation(HostImplementation<PrefsDialog>(kPrefsDialogImpl));
    RegisterHostImplementation(HostImplementation<PanelSwitcher>(kPanelSwitcherImpl));
    RegisterHostImplementation(HostImplementation<PrefsDialogCreator>(kPrefsDialogCreatorImpl));
    DefineHostClass(kPrefsDialogBoss, "kPrefsDialogBoss", kDialogWindowBoss, {{IID_OF<IDialog>(), kPrefsDialogImpl}});
    DefineHostClass(kPanelSwitcherWidgetBoss, "kPanelSwitcherWidgetBoss", kGroupPanelWidgetBoss,
                    {{IID_OF<IPanelSwitcher>(), kPanelSwitcherImpl}});
    DefineHostClass(kPrefsDialogServiceBoss, "kPrefsDialogServiceBoss", kInvalidClass,
                    {{IID_OF<IDialogCreator>(), kPrefsDialogCreatorImpl}});
    RegisterHostServiceProvider(kPrefsDialogServiceBoss, kPrefsDialogService);
});

struct PageSource {
    PluginID plugin;
    const ViewSpec* view;
};

// Every page the loaded plug-ins' creators name, in load order.
std::vector<PageSource> PageSources() {
    std::vector<PageSource> out;
    Host* host = Host::Current();
    if (!host) return out;
    for (const LoadedPlugin& plugin : host->Plugins())
        for (ClassID cls : plugin.classes) {
            if (!BossClasses::Get().Resolve(cls, IID_OF<IPanelCreator>()).IsValid()) continue;
            InterfacePtr<IPMUnknown> boss(Boss::Create(cls));
            InterfacePtr<IPanelCreator> creator(boss.get(), IID_OF<IPanelCreator>());
            if (!creator) continue;
            const ViewSpec* view = ViewResources::Get().Find(plugin.id, creator->GetPanelRsrcID());
            if (!view || view->top.kind != "prefs-page") {
                Diagnose(plugin.name + ": its Preferences page " + std::to_string(creator->GetPanelRsrcID().Get()) +
                         " is no \"prefs-page\" view");
                continue;
            }
            out.push_back(PageSource{plugin.id, view});
        }
    return out;
}

InterfacePtr<IPMUnknown> MakeWidget(ClassID cls, const std::string& kind, WidgetID id, const PMString& label, PMRect frame) {
    InterfacePtr<IPMUnknown> boss(Boss::Create(cls));
    InterfacePtr<IWidgetInfo> info(boss.get(), IID_OF<IWidgetInfo>());
    InterfacePtr<IControlView> view(boss.get(), IID_OF<IControlView>());
    if (!info || !view) return {};
    info->SetKind(kind);
    info->SetLabel(label);
    view->SetWidgetID(id);
    view->SetFrame(frame, kFalse);
    InterfacePtr<IEventHandler> handler(boss.get(), IID_OF<IEventHandler>());
    if (handler) handler->SetView(view.get());
    return boss;
}

}  // namespace

void PrefsDialog::Open(int32 flags) {
    if (IsOpen()) return;
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    IControlView* switcher = panel ? panel->FindWidget(kPrefsPanelSwitcherWidgetID, 1) : nullptr;
    InterfacePtr<IPanelSwitcher> pages(switcher, IID_OF<IPanelSwitcher>());
    if (pages && !pages->GetCurrentPanel().IsValid()) {
        std::vector<std::pair<WidgetID, PMString>> available = PanelSwitcher::AvailablePages();
        if (!available.empty()) pages->SwitchToPanel(available.front().first);
    }
    fVisited.clear();
    if (pages && pages->GetCurrentPanel().IsValid())
        if (IControlView* current = FindWidgetFrom(switcher, pages->GetCurrentPanel())) fVisited.push_back(current);
    DialogWindow::Open(flags);
}

void PrefsDialog::PageShown(IPMUnknown* page) {
    if (!IsOpen()) return;
    IControlView* view = ViewOf(page);
    for (IPMUnknown* visited : fVisited)
        if (visited == view) return;
    fVisited.push_back(view);
    InterfacePtr<IDialogController> controller(page, IID_OF<IDialogController>());
    if (controller) {
        controller->SetOwner(page);
        controller->InitializeDialog(Host::Current() ? Host::Current()->ActiveContext() : nullptr);
    }
    AutoAttachTree(page);
}

void PanelSwitcher::SetSwitchingIDs(const ServiceID& pageService, const PMIID& first, const PMIID& second, const PMIID& third) {
    fIDs = {pageService.Get(), first.Get(), second.Get(), third.Get()};
}

std::vector<std::pair<WidgetID, PMString>> PanelSwitcher::AvailablePages() {
    std::vector<std::pair<WidgetID, PMString>> out;
    for (const PageSource& source : PageSources()) out.emplace_back(source.view->top.widget, source.view->top.label);
    return out;
}

bool16 PanelSwitcher::SwitchToPanel(const WidgetID& page) {
    InterfacePtr<IPanelControlData> panel(this, IID_OF<IPanelControlData>());
    if (!panel || !page.IsValid()) return kFalse;
    IControlView* target = panel->FindWidget(page, 1);
    if (!target) {
        for (const PageSource& source : PageSources()) {
            if (source.view->top.widget != page) continue;
            std::string error;
            InterfacePtr<IPMUnknown> built(BuildView(source.plugin, source.view->id, error));
            if (!built) {
                Diagnose(error);
                return kFalse;
            }
            InterfacePtr<IControlView> view(built.get(), IID_OF<IControlView>());
            panel->AddWidget(view.get());
            target = view.get();
            break;
        }
    }
    if (!target) return kFalse;
    for (int32 i = 0; i < panel->Length(); ++i) panel->GetWidget(i)->Show(panel->GetWidget(i) == target ? kTrue : kFalse);
    fCurrent = page;
    InterfacePtr<IWidgetParent> link(this, IID_OF<IWidgetParent>());
    InterfacePtr<IDialog> dialog(link ? static_cast<IDialog*>(link->QueryParentFor(IID_OF<IDialog>())) : nullptr);
    if (auto* prefs = dynamic_cast<PrefsDialog*>(dialog.get())) prefs->PageShown(target);
    return kTrue;
}

IDialog* PrefsDialogCreator::CreateDialog() {
    DialogMgr* mgr = DialogMgr::Current();
    if (!mgr) return nullptr;
    InterfacePtr<IPMUnknown> window(Boss::Create(kPrefsDialogBoss));
    InterfacePtr<IPanelControlData> panel(window.get(), IID_OF<IPanelControlData>());
    InterfacePtr<IWindow> title(window.get(), IID_OF<IWindow>());
    if (!panel || !title) return nullptr;
    title->SetTitle(PMString("Preferences"));
    if (IControlView* frame = ViewOf(window.get())) frame->SetFrame(PMRect(0, 0, 640, 480), kFalse);
    InterfacePtr<IPMUnknown> switcher =
        MakeWidget(kPanelSwitcherWidgetBoss, "page-switcher", kPrefsPanelSwitcherWidgetID, PMString(), PMRect(10, 10, 630, 420));
    InterfacePtr<IPMUnknown> ok = MakeWidget(kButtonWidgetBoss, "button", kOKButtonWidgetID, PMString("OK"), PMRect(540, 440, 620, 460));
    InterfacePtr<IPMUnknown> cancel =
        MakeWidget(kButtonWidgetBoss, "button", kCancelButtonWidgetID, PMString("Cancel"), PMRect(450, 440, 530, 460));
    for (const InterfacePtr<IPMUnknown>& child : {switcher, ok, cancel}) {
        if (!child) return nullptr;
        panel->AddWidget(ViewOf(child.get()));
    }
    return mgr->Adopt(window.get());
}

IDialog* OpenPreferences(WidgetID page, std::string& error) {
    Host* host = Host::Current();
    ISession* session = host ? host->Session() : nullptr;
    InterfacePtr<IServiceRegistry> registry(session, IID_OF<IServiceRegistry>());
    if (!registry) {
        error = "the session has no service registry";
        return nullptr;
    }
    InterfacePtr<IServiceProvider> provider(registry->QueryServiceProviderByClassID(kPrefsDialogService, kPrefsDialogServiceBoss));
    InterfacePtr<IDialogCreator> creator(provider.get(), IID_OF<IDialogCreator>());
    IDialog* dialog = creator ? creator->CreateDialog() : nullptr;
    if (!dialog) {
        error = "the Preferences dialog cannot be made";
        return nullptr;
    }
    InterfacePtr<IPanelControlData> panel(dialog, IID_OF<IPanelControlData>());
    InterfacePtr<IPanelSwitcher> switcher(panel ? panel->FindWidget(kPrefsPanelSwitcherWidgetID, 9999) : nullptr,
                                          IID_OF<IPanelSwitcher>());
    if (!switcher) {
        error = "the Preferences dialog has no page switcher";
        return nullptr;
    }
    if (page.IsValid() && !switcher->SwitchToPanel(page)) {
        error = "no Preferences page has widget ID " + std::to_string(page.Get());
        return nullptr;
    }
    dialog->Open(0);
    return dialog;
}

}  // namespace tshost
