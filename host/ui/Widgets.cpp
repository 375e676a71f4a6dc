#include "Widgets.h"

#include <cstdio>

#include "Boss.h"
#include "BossClasses.h"
#include "CreateObject.h"
#include "Guard.h"
#include "IDropDownListController.h"
#include "IEventHandler.h"
#include "IObserver.h"
#include "IPanelControlData.h"
#include "IProgressBarControlData.h"
#include "IStringListControlData.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "IWidgetInfo.h"
#include "IWidgetParent.h"
#include "InterfacePtr.h"
#include "StringTable.h"
#include "Transcript.h"
#include "HexText.h"

namespace tshost {

namespace {

ClassID ClassFromReference(const std::string& reference) {
    ClassID byName = BossClasses::Get().FindByName(reference);
    if (byName.IsValid()) return byName;
    std::optional<uint32> id = ParseResourceIDText(reference);
    return id ? ClassID(*id) : kInvalidClass;
}

}  // namespace

std::optional<uint32> ParseResourceIDText(const std::string& text) {
    if (text.empty()) return std::nullopt;
    if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) {
        uint64 value = 0;
        if (text.size() < 3 || text.size() > 10) return std::nullopt;
        for (std::size_t i = 2; i < text.size(); ++i) {
            char c = text[i];
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<uint64>(digit);
        }
        return value ? std::optional<uint32>(static_cast<uint32>(value)) : std::nullopt;
    }
    uint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 0xFFFFFFFFull) return std::nullopt;
        value = value * 10 + static_cast<uint64>(c - '0');
    }
    return value && value <= 0xFFFFFFFFull ? std::optional<uint32>(static_cast<uint32>(value)) : std::nullopt;
}

ClassID ResolveWidgetClass(const WidgetSpec& spec, std::string& error) {
    ClassID cls = spec.boss.empty() ? WidgetKindClass(spec.kind) : ClassFromReference(spec.boss);
    if (!cls.IsValid() || !BossClasses::Get().Exists(cls)) {
        error = "unknown class \"" + (spec.boss.empty() ? spec.kind : spec.boss) + "\"";
        return kInvalidClass;
    }
    for (PMIID needed : {IID_OF<IControlView>(), IID_OF<IWidgetInfo>(), IID_OF<IWidgetParent>()})
        if (!BossClasses::Get().Resolve(cls, needed).IsValid()) {
            error = "class \"" + spec.boss + "\" is no widget class (give it a host widget class such as " +
                    "kGroupPanelWidgetBoss as its parent)";
            return kInvalidClass;
        }
    if (!spec.children.empty() && !BossClasses::Get().Resolve(cls, IID_OF<IPanelControlData>()).IsValid()) {
        error = "class \"" + (spec.boss.empty() ? spec.kind : spec.boss) + "\" holds no children";
        return kInvalidClass;
    }
    return cls;
}

IPMUnknown* BuildWidget(const WidgetSpec& spec, PluginID plugin, std::string& error) {
    ClassID cls = ResolveWidgetClass(spec, error);
    if (!cls.IsValid()) {
        error = "widget " + Hex(spec.widget.Get()) + ": " + error;
        return nullptr;
    }
    InterfacePtr<IPMUnknown> boss(Boss::Create(cls));
    InterfacePtr<IWidgetInfo> info(boss.get(), IID_OF<IWidgetInfo>());
    InterfacePtr<IControlView> view(boss.get(), IID_OF<IControlView>());
    if (!info || !view) {
        error = "widget " + Hex(spec.widget.Get()) + ": its class lacks a view";
        return nullptr;
    }
    info->SetKind(spec.kind);
    info->SetLabel(spec.label);
    info->SetPlugin(plugin);
    view->SetWidgetID(spec.widget);
    view->SetFrame(spec.frame, kFalse);
    view->Show(spec.visible ? kTrue : kFalse);
    view->Enable(spec.enabled ? kTrue : kFalse, kFalse);
    if (spec.picture.IsValid()) {
        view->SetRsrcPluginID(plugin);
        view->SetRsrcID(spec.picture);
    }
    if (InterfacePtr<IStringListControlData> list(boss.get(), IID_OF<IStringListControlData>()); list) {
        for (const std::string& item : spec.items) list->AddString(PMString(item), IStringListControlData::kEnd, kFalse, kFalse);
        InterfacePtr<IDropDownListController> controller(boss.get(), IID_OF<IDropDownListController>());
        if (controller && spec.selected >= 0) controller->Select(spec.selected, kFalse, kFalse);
    } else if (InterfacePtr<ITextControlData> text(boss.get(), IID_OF<ITextControlData>()); text && spec.text) {
        text->SetString(PMString(*spec.text), kFalse, kFalse, kFalse);
    }
    if (InterfacePtr<ITriStateControlData> state(boss.get(), IID_OF<ITriStateControlData>()); state && spec.selected > 0)
        state->SetState(ITriStateControlData::kSelected, kFalse, kFalse);
    if (InterfacePtr<IProgressBarControlData> bar(boss.get(), IID_OF<IProgressBarControlData>()); bar) {
        bar->SetMinimum(spec.minimum, kFalse, kFalse);
        bar->SetMaximum(spec.maximum, kFalse, kFalse);
        bar->SetValue(spec.value, kFalse, kFalse);
    }
    if (!spec.children.empty()) {
        InterfacePtr<IPanelControlData> panel(boss.get(), IID_OF<IPanelControlData>());
        for (const WidgetSpec& childSpec : spec.children) {
            InterfacePtr<IPMUnknown> child(BuildWidget(childSpec, plugin, error));
            if (!child) return nullptr;
            InterfacePtr<IControlView> childView(child.get(), IID_OF<IControlView>());
            panel->AddWidget(childView.get());
        }
    }
    if (InterfacePtr<IEventHandler> handler(boss.get(), IID_OF<IEventHandler>()); handler) handler->SetView(view.get());
    return boss.forget();
}

IPMUnknown* BuildView(PluginID plugin, RsrcID id, std::string& error) {
    const ViewSpec* spec = ViewResources::Get().Find(plugin, id);
    if (!spec) {
        error = "plug-in " + Hex(plugin.Get()) + " has no view " + std::to_string(id.Get());
        return nullptr;
    }
    IPMUnknown* boss = BuildWidget(spec->top, plugin, error);
    if (!boss) error = "view " + std::to_string(id.Get()) + ": " + error;
    return boss;
}

IControlView* ViewOf(const IPMUnknown* widget) {
    if (!widget) return nullptr;
    InterfacePtr<IControlView> view(widget, IID_OF<IControlView>());
    return view.get();  // the boss keeps the implementation alive
}

std::string KindOf(const IPMUnknown* widget) {
    InterfacePtr<IWidgetInfo> info(widget, IID_OF<IWidgetInfo>());
    return info ? info->GetKind() : std::string();
}

PMString LabelOf(const IPMUnknown* widget) {
    InterfacePtr<IWidgetInfo> info(widget, IID_OF<IWidgetInfo>());
    return info ? info->GetLabel() : PMString();
}

IPMUnknown* ParentOf(const IPMUnknown* widget) {
    InterfacePtr<IWidgetParent> link(widget, IID_OF<IWidgetParent>());
    return link ? link->GetParent() : nullptr;
}

std::vector<IControlView*> ChildrenOf(const IPMUnknown* widget) {
    std::vector<IControlView*> out;
    InterfacePtr<IPanelControlData> panel(widget, IID_OF<IPanelControlData>());
    if (!panel) return out;
    for (int32 i = 0; i < panel->Length(); ++i) out.push_back(panel->GetWidget(i));
    return out;
}

IControlView* FindWidgetFrom(const IPMUnknown* root, WidgetID id) {
    IControlView* view = ViewOf(root);
    if (view && view->GetWidgetID() == id) return view;
    InterfacePtr<IPanelControlData> panel(root, IID_OF<IPanelControlData>());
    return panel ? panel->FindWidget(id, 9999) : nullptr;
}

std::string WidgetName(const IPMUnknown* widget) {
    std::string name;
    for (int depth = 0; widget && depth < 256; ++depth) {
        IControlView* view = ViewOf(widget);
        std::string part = view ? Hex(view->GetWidgetID().Get()) : "?";
        name = name.empty() ? part : part + "/" + name;
        widget = ParentOf(widget);
    }
    return name.empty() ? "?" : name;
}

}  // namespace tshost

PMLocaleId MLocaleSetting::GetLocale() { return PMLocaleId(tshost::StringTable::Get().Locale()); }

IPMUnknown* CreateObject(IDataBase*, const RsrcSpec& spec, PMIID iid) {
    return tshost::Guarded<IPMUnknown*>("creating a view", nullptr, [&]() -> IPMUnknown* {
        if (spec.GetType() != kViewRsrcType) return nullptr;
        std::string error;
        InterfacePtr<IPMUnknown> boss(tshost::BuildView(spec.GetPluginID(), spec.GetRsrcID(), error));
        if (!boss) {
            tshost::Diagnose(error);
            return nullptr;
        }
        return boss->QueryInterface(iid);
    });
}

IPMUnknown* CreateObject(ClassID cls, PMIID iid) {
    return tshost::Guarded<IPMUnknown*>("creating an object", nullptr, [&]() -> IPMUnknown* {
        InterfacePtr<IPMUnknown> boss(tshost::Boss::Create(cls));
        return boss ? boss->QueryInterface(iid) : nullptr;
    });
}

namespace tshost {

namespace {

void CollectObservers(IPMUnknown* widget, std::vector<InterfacePtr<IObserver>>& out, int depth) {
    if (!widget || depth > 256) return;
    InterfacePtr<IObserver> observer(widget, IID_OF<IObserver>());
    if (observer) out.push_back(observer);
    for (IControlView* child : ChildrenOf(widget)) CollectObservers(child, out, depth + 1);
}

}  // namespace

void AutoAttachTree(IPMUnknown* root) {
    std::vector<InterfacePtr<IObserver>> observers;
    CollectObservers(root, observers, 0);
    for (auto& o : observers) o->AutoAttach();
}

void AutoDetachTree(IPMUnknown* root) {
    std::vector<InterfacePtr<IObserver>> observers;
    CollectObservers(root, observers, 0);
    for (auto it = observers.rbegin(); it != observers.rend(); ++it) (*it)->AutoDetach();
}

}  // namespace tshost
