// The host side of the SDK's dialog bases: CDialogController's field helpers,
// AbstractDialogObserver and CDialogObserver.
#include <cstdlib>

#include "AbstractDialogObserver.h"
#include "CDialogController.h"
#include "CDialogObserver.h"
#include "Dialogs.h"
#include "IControlView.h"
#include "IPanelControlData.h"
#include "IStringListControlData.h"
#include "ISubject.h"
#include "ITextControlData.h"
#include "InterfacePtr.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace {

// The widget `id` in `panel`, or in the panel data of `self`'s boss; not counted.
IControlView* Find(const IPMUnknown* self, const WidgetID& id, IPanelControlData* panel) {
    if (panel) return panel->FindWidget(id, 9999);
    InterfacePtr<IPanelControlData> own(self, IID_OF<IPanelControlData>());
    return own ? own->FindWidget(id, 9999) : nullptr;
}

template <class I>
InterfacePtr<I> Data(const IPMUnknown* self, const WidgetID& id, IPanelControlData* panel) {
    return InterfacePtr<I>(Find(self, id, panel), IID_OF<I>());
}

}  // namespace

void CDialogController::InitializeDialog(IActiveContext* context) {
    fContext = context;
    InitializeDialogFields(context);
    SetInitialized(kTrue);
}

void CDialogController::SetTextControlData(const WidgetID& widget, const PMString& text, IPanelControlData* panel,
                                           bool16 invalidate, bool16 notify) {
    if (auto data = Data<ITextControlData>(this, widget, panel)) data->SetString(text, invalidate, notify, kTrue);
}

PMString CDialogController::GetTextControlData(const WidgetID& widget, IPanelControlData* panel) {
    auto data = Data<ITextControlData>(this, widget, panel);
    return data ? data->GetString() : PMString();
}

void CDialogController::SetTextValue(const WidgetID& widget, PMReal value, IPanelControlData* panel, bool16 invalidate, bool16 notify) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    SetTextControlData(widget, PMString(text, PMString::kNoTranslate), panel, invalidate, notify);
}

PMReal CDialogController::GetTextValue(const WidgetID& widget, bool16* error, IPanelControlData* panel) {
    std::string text = GetTextControlData(widget, panel).GetUTF8String();
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    bool bad = text.empty() || !end || *end != '\0';
    if (error) *error = bad ? kTrue : kFalse;
    return bad ? 0.0 : value;
}

void CDialogController::SetTextValueControlState(const WidgetID& widget, bool16 enabled, IPanelControlData* panel) {
    if (IControlView* view = Find(this, widget, panel)) view->Enable(enabled);
}

bool16 CDialogController::GetTextValueControlState(const WidgetID& widget, IPanelControlData* panel) {
    IControlView* view = Find(this, widget, panel);
    return view ? view->IsEnabled() : kFalse;
}

void CDialogController::SetBooleanControlData(const WidgetID& widget, bool16 selected, IPanelControlData* panel, bool16 invalidate, bool16 notify) {
    SetTriStateControlData(widget, selected, panel, invalidate, notify);
}

bool16 CDialogController::GetBooleanControlData(const WidgetID& widget, IPanelControlData* panel) {
    return GetTriStateControlData(widget, panel) == ITriStateControlData::kSelected ? kTrue : kFalse;
}

void CDialogController::SetTriStateControlData(const WidgetID& widget, bool16 selected, IPanelControlData* panel, bool16 invalidate, bool16 notify) {
    SetTriStateControlData(widget, selected ? ITriStateControlData::kSelected : ITriStateControlData::kUnselected, panel, invalidate, notify);
}

void CDialogController::SetTriStateControlData(const WidgetID& widget, ITriStateControlData::TriState state, IPanelControlData* panel,
                                               bool16 invalidate, bool16 notify) {
    if (auto data = Data<ITriStateControlData>(this, widget, panel)) data->SetState(state, invalidate, notify);
}

ITriStateControlData::TriState CDialogController::GetTriStateControlData(const WidgetID& widget, IPanelControlData* panel) {
    auto data = Data<ITriStateControlData>(this, widget, panel);
    return data ? data->GetState() : ITriStateControlData::kUnselected;
}

WidgetID CDialogController::GetSelectedClusterWidget(const WidgetID& cluster, IPanelControlData* panel) {
    IControlView* clusterView = Find(this, cluster, panel);
    for (IControlView* radio : tshost::ChildrenOf(clusterView)) {
        InterfacePtr<ITriStateControlData> state(radio, IID_OF<ITriStateControlData>());
        if (state && state->GetState() == ITriStateControlData::kSelected) return radio->GetWidgetID();
    }
    return kInvalidWidgetID;
}

void CDialogController::SetSelectedClusterWidget(const WidgetID& cluster, const WidgetID& selected, IPanelControlData* panel,
                                                 bool16 invalidate, bool16 notify) {
    IControlView* clusterView = Find(this, cluster, panel);
    for (IControlView* radio : tshost::ChildrenOf(clusterView))
        if (radio->GetWidgetID() == selected) {
            InterfacePtr<ITriStateControlData> state(radio, IID_OF<ITriStateControlData>());
            if (state) state->Select(invalidate, notify);
            return;
        }
}

IStringListControlData* CDialogController::QueryListControlDataInterface(const WidgetID& widget, IPanelControlData* panel) {
    return Data<IStringListControlData>(this, widget, panel).forget();
}

IPanelControlData* CDialogController::QueryIfNilElseAddRef(IPanelControlData* panel) {
    if (panel) {
        panel->AddRef();
        return panel;
    }
    return InterfacePtr<IPanelControlData>(this, IID_OF<IPanelControlData>()).forget();
}

void CDialogController::SelectDialogWidget(const WidgetID& widget, bool16) {
    if (Find(this, widget, nullptr)) fFocus = widget;
}

void AbstractDialogObserver::AttachToWidget(const WidgetID& widget, const PMIID& protocol, IPanelControlData* panel) {
    InterfacePtr<ISubject> subject(Find(this, widget, panel), IID_OF<ISubject>());
    if (subject) subject->AttachObserver(this, protocol, GetAttachIID());
}

void AbstractDialogObserver::DetachFromWidget(const WidgetID& widget, const PMIID& protocol, IPanelControlData* panel) {
    InterfacePtr<ISubject> subject(Find(this, widget, panel), IID_OF<ISubject>());
    if (subject) subject->DetachObserver(this, protocol, GetAttachIID());
}

void CDialogObserver::AutoAttach() {
    AttachToWidget(kOKButtonWidgetID, IID_ITRISTATECONTROLDATA);
    AttachToWidget(kCancelButtonWidgetID, IID_ITRISTATECONTROLDATA);
}

void CDialogObserver::AutoDetach() {
    DetachFromWidget(kOKButtonWidgetID, IID_ITRISTATECONTROLDATA);
    DetachFromWidget(kCancelButtonWidgetID, IID_ITRISTATECONTROLDATA);
}

void CDialogObserver::Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void*) {
    if (change != kTrueStateMessage || protocol != IID_ITRISTATECONTROLDATA) return;
    IControlView* view = tshost::ViewOf(subject);
    if (!view) return;
    // Only the dialog's own OK and Cancel: a widget of that ID inside a nested page is not.
    InterfacePtr<IPanelControlData> own(this, IID_OF<IPanelControlData>());
    if (!own || own->FindWidget(view->GetWidgetID(), 9999) != view) return;
    if (view->GetWidgetID() == kOKButtonWidgetID) tshost::DialogOKPressed(this);
    else if (view->GetWidgetID() == kCancelButtonWidgetID) tshost::DialogCancelPressed(this);
}
