// The host's Preferences dialog. Plug-ins reach it through the service registry: the provider
// of service 0x698 of class 0x63c answers IDialogCreator (0x62e), whose CreateDialog makes a
// new, unopened dialog. Its window holds the page switcher (widget 0x609, IPanelSwitcher
// 0x62c) and the OK and Cancel buttons. Pages come from the plug-ins: every class a loaded
// plug-in defines whose interfaces answer IPanelCreator names a "prefs-page" view of that
// plug-in; SwitchToPanel builds the page with the wanted widget ID the first time it is
// asked for and shows it alone.
//
// A page takes part once it has been shown while the dialog is open (the page current at
// Open counts): its controller's InitializeDialog runs then, followed by AutoAttach of its
// observers. On OK every page that took part is validated, in the order they were first
// shown, and the first invalid one keeps the dialog open; then each is applied. Pages never
// visited are neither validated nor applied, so confirming without visiting a page never
// starts its (possibly long) validation. Cancel and close as for any dialog.
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "Dialogs.h"
#include "IDialogCreator.h"
#include "IPanelSwitcher.h"

namespace tshost {

constexpr ServiceID kPrefsDialogService{0x698};

class PrefsDialog final : public DialogWindow {
public:
    explicit PrefsDialog(IPMUnknown* boss) : DialogWindow(boss) {}

    void Open(int32 flags = 0) override;
    // Called by the switcher when it shows a page.
    void PageShown(IPMUnknown* page);

protected:
    std::vector<IPMUnknown*> ActivePages() const override { return fVisited; }

private:
    std::vector<IPMUnknown*> fVisited;  // not counted: the switcher holds the pages
};

class PanelSwitcher final : public CPMUnknown<IPanelSwitcher> {
public:
    explicit PanelSwitcher(IPMUnknown* boss) : CPMUnknown<IPanelSwitcher>(boss) {}

    void SetSwitchingIDs(const ServiceID& pageService, const PMIID& first, const PMIID& second, const PMIID& third) override;
    bool16 SwitchToPanel(const WidgetID& page) override;
    WidgetID GetCurrentPanel() const override { return fCurrent; }

    // What the caller handed over, for tests and the console.
    std::vector<uint32> SwitchingIDs() const { return fIDs; }
    // The widget IDs and labels of every page the plug-ins offer.
    static std::vector<std::pair<WidgetID, PMString>> AvailablePages();

private:
    std::vector<uint32> fIDs;
    WidgetID fCurrent;
};

class PrefsDialogCreator final : public CPMUnknown<IDialogCreator> {
public:
    explicit PrefsDialogCreator(IPMUnknown* boss) : CPMUnknown<IDialogCreator>(boss) {}
    IDialog* CreateDialog() override;
};

// Opens the Preferences dialog on `page` (kInvalidWidgetID: the first page) by the route a
// plug-in takes: registry, creator, switcher, Open. Null with `error` when a step fails.
IDialog* OpenPreferences(WidgetID page, std::string& error);

}  // namespace tshost
