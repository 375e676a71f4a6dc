#include "WidgetImpls.h"

#include <algorithm>

#include "IEvent.h"
#include "IObserver.h"
#include "IPMStream.h"
#include "InterfacePtr.h"
#include "Transcript.h"
#include "WidgetIDs.h"
#include "Widgets.h"

bool16 CControlView::IsVisible(bool16 checkAncestors) const {
    if (!fVisible) return kFalse;
    if (!checkAncestors) return kTrue;
    // Bounded, like every walk up a parent chain.
    InterfacePtr<IWidgetParent> link(this, IID_OF<IWidgetParent>());
    IPMUnknown* parent = link ? link->GetParent() : nullptr;
    for (int depth = 0; parent && depth < 256; ++depth) {
        InterfacePtr<IControlView> view(parent, IID_OF<IControlView>());
        if (view && !view->IsVisible(kFalse)) return kFalse;
        InterfacePtr<IWidgetParent> up(parent, IID_OF<IWidgetParent>());
        parent = up ? up->GetParent() : nullptr;
    }
    return kTrue;
}

void CControlView::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    // PMReal travels as its bit pattern, so a frame reads back exactly.
    PMReal edges[4] = {fFrame.Left(), fFrame.Top(), fFrame.Right(), fFrame.Bottom()};
    for (PMReal& edge : edges) stream->XferBytes(&edge, sizeof edge);
    bool16 visible = fVisible ? kTrue : kFalse, enabled = fEnabled ? kTrue : kFalse;
    stream->XferBool(visible);
    stream->XferBool(enabled);
    if (stream->IsReading() && stream->IsGood()) {
        fFrame = PMRect(edges[0], edges[1], edges[2], edges[3]);
        fVisible = visible != kFalse;
        fEnabled = enabled != kFalse;
    }
}

bool16 MEditBoxEventHandler::KeyCmd(IEvent* e) {
    if (!e) return kFalse;
    InterfacePtr<ITextControlData> data(this, IID_OF<ITextControlData>());
    if (!data) return kFalse;
    PMString text = data->GetString();
    std::string utf8 = text.GetUTF8String();
    IEvent::VirtualKey key = e->GetVirtualKey();
    if (key == IEvent::kVKBackspace || key == IEvent::kVKDelete) {
        if (utf8.empty()) return kTrue;
        std::size_t cut = utf8.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
        utf8.erase(cut);
    } else if (!e->GetChar().empty()) {
        utf8 += e->GetChar();
    } else {
        return kFalse;
    }
    PMString changed(utf8, text.GetTranslatable() ? PMString::kTranslatable : PMString::kNoTranslate);
    // Typed text is the user's own: never a key to translate.
    changed.SetTranslatable(kFalse);
    data->SetString(changed, kTrue, kTrue, kTrue);
    return kTrue;
}

namespace tshost {

PanelControlData::~PanelControlData() {
    for (IControlView* child : fChildren) {
        InterfacePtr<IWidgetParent> link(child, IID_OF<IWidgetParent>());
        if (link) link->SetParent(nullptr);
        child->Release();
    }
}

IControlView* PanelControlData::GetWidget(int32 index) const {
    return index >= 0 && index < Length() ? fChildren[static_cast<std::size_t>(index)] : nullptr;
}

int32 PanelControlData::GetIndex(const IControlView* child) const {
    auto found = fIndex.find(child);
    return found == fIndex.end() ? -1 : static_cast<int32>(found->second);
}

IControlView* PanelControlData::FindWidget(const WidgetID& id, int32 depth) const {
    if (depth <= 0) return nullptr;
    for (IControlView* child : fChildren)
        if (child->GetWidgetID() == id) return child;
    // A tree deeper than 256 levels is cut there: the host builds none so deep.
    int32 below = std::min(depth, 256) - 1;
    if (below <= 0) return nullptr;
    for (IControlView* child : fChildren) {
        InterfacePtr<IPanelControlData> panel(child, IID_OF<IPanelControlData>());
        if (!panel) continue;
        if (IControlView* found = panel->FindWidget(id, below)) return found;
    }
    return nullptr;
}

void PanelControlData::AddWidget(IControlView* child) {
    if (!child || !fIndex.emplace(child, fChildren.size()).second) return;
    child->AddRef();
    fChildren.push_back(child);
    InterfacePtr<IWidgetParent> link(child, IID_OF<IWidgetParent>());
    if (link) link->SetParent(Boss());
}

bool16 PanelControlData::RemoveWidget(IControlView* child) {
    auto found = fIndex.find(child);
    if (found == fIndex.end()) return kFalse;
    const std::size_t index = found->second;
    fIndex.erase(found);
    fChildren.erase(fChildren.begin() + static_cast<std::ptrdiff_t>(index));
    for (std::size_t i = index; i < fChildren.size(); ++i) fIndex[fChildren[i]] = i;
    InterfacePtr<IWidgetParent> link(child, IID_OF<IWidgetParent>());
    if (link) link->SetParent(nullptr);
    child->Release();
    return kTrue;
}

void PanelControlData::SetChildren(const std::vector<IControlView*>& children) {
    // Children met in `children` are marked in the index while it is walked; what stays
    // unmarked has left. Only the widgets that come or go cost more than a look-up.
    constexpr std::size_t kMet = std::size_t(1) << (sizeof(std::size_t) * 8 - 1);
    std::vector<IControlView*> next;
    next.reserve(children.size());
    for (IControlView* child : children) {
        if (!child) continue;
        auto [at, added] = fIndex.try_emplace(child, next.size() | kMet);
        if (!added) {
            if (at->second & kMet) continue;  // given twice: the first place counts
            at->second = next.size() | kMet;
        } else {
            child->AddRef();
            InterfacePtr<IWidgetParent> link(child, IID_OF<IWidgetParent>());
            if (link) link->SetParent(Boss());
        }
        next.push_back(child);
    }
    std::vector<IControlView*> gone;
    for (IControlView* child : fChildren) {
        auto at = fIndex.find(child);
        if (at->second & kMet) continue;
        fIndex.erase(at);
        gone.push_back(child);
    }
    fChildren = std::move(next);
    for (std::size_t i = 0; i < fChildren.size(); ++i) fIndex[fChildren[i]] = i;
    // Released last, so that nothing a release sets off sees a half-made list.
    for (IControlView* child : gone) {
        InterfacePtr<IWidgetParent> link(child, IID_OF<IWidgetParent>());
        if (link) link->SetParent(nullptr);
        child->Release();
    }
}

IPMUnknown* WidgetParent::QueryParentFor(const PMIID& iid) const {
    IPMUnknown* parent = fParent;
    for (int depth = 0; parent && depth < 256; ++depth) {
        if (IPMUnknown* found = parent->QueryInterface(iid)) return found;
        InterfacePtr<IWidgetParent> up(parent, IID_OF<IWidgetParent>());
        parent = up ? up->GetParent() : nullptr;
    }
    return nullptr;
}

void Subject::AttachObserver(IObserver* observer, const PMIID& protocol, const PMIID& observerIID) {
    if (!observer || IsAttached(observer, protocol, observerIID)) return;
    fAttached.push_back(Attachment{observer, protocol, observerIID, fNextSerial++});
}

void Subject::DetachObserver(IObserver* observer, const PMIID& protocol, const PMIID& observerIID) {
    std::erase_if(fAttached, [&](const Attachment& a) {
        return a.observer == observer && a.protocol == protocol && a.observerIID == observerIID;
    });
}

bool16 Subject::IsAttached(IObserver* observer, const PMIID& protocol, const PMIID& observerIID) const {
    for (const Attachment& a : fAttached)
        if (a.observer == observer && a.protocol == protocol && a.observerIID == observerIID) return kTrue;
    return kFalse;
}

int32 Subject::CountObservers(const PMIID& protocol) const {
    return static_cast<int32>(std::count_if(fAttached.begin(), fAttached.end(), [&](const Attachment& a) { return a.protocol == protocol; }));
}

void Subject::Change(const ClassID& change, const PMIID& protocol, void* changedBy) {
    static int nesting = 0;
    if (nesting >= kMaxNesting) {
        Diagnose("change broadcasts nested more than 64 deep on " + WidgetName(this) + "; the innermost was dropped");
        return;
    }
    // The subject's boss must outlive the broadcast even if an observer closes its dialog.
    InterfacePtr<IPMUnknown> keep(this, IID_OF<IPMUnknown>());
    std::vector<Attachment> snapshot;
    for (const Attachment& a : fAttached)
        if (a.protocol == protocol) snapshot.push_back(a);
    ++nesting;
    for (const Attachment& a : snapshot) {
        // Skip observers detached by an earlier observer of this broadcast.
        bool still = std::any_of(fAttached.begin(), fAttached.end(), [&](const Attachment& now) { return now.serial == a.serial; });
        if (!still || !a.observer->IsEnabled()) continue;
        a.observer->Update(change, this, protocol, changedBy);
    }
    --nesting;
}

void DropDownText::SetString(const PMString& text, bool16 invalidate, bool16 notify, bool16) {
    InterfacePtr<IStringListControlData> list(this, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> controller(this, IID_OF<IDropDownListController>());
    if (!list || !controller) return;
    int32 index = list->GetIndex(text);
    if (index >= 0) controller->Select(index, invalidate, notify);
}

PMString DropDownText::GetString() const {
    InterfacePtr<IStringListControlData> list(this, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> controller(this, IID_OF<IDropDownListController>());
    if (!list || !controller) return PMString();
    return list->GetString(controller->GetSelected());
}

void TriStateControlData::SetState(TriState state, bool16 invalidate, bool16 notify) {
    TriState before = fState;
    fState = state;
    if (state == kSelected && KindOf(this) == "radio") {
        // The other radios of the cluster.
        for (IControlView* sibling : ChildrenOf(ParentOf(this))) {
            InterfacePtr<ITriStateControlData> other(sibling, IID_OF<ITriStateControlData>());
            if (!other || other.get() == this || KindOf(sibling) != "radio") continue;
            if (other->GetState() != kUnselected) other->SetState(kUnselected, invalidate, notify);
        }
    }
    if (notify && state == kSelected && before != kSelected && KindOf(this) == "radio") {
        InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
        if (subject) subject->Change(kTrueStateMessage, IID_ITRISTATECONTROLDATA, nullptr);
    }
}

void StringListControlData::Clear(bool16 invalidate, bool16 notify) {
    fItems.clear();
    InterfacePtr<IDropDownListController> controller(this, IID_OF<IDropDownListController>());
    if (controller) controller->Select(IDropDownListController::kNoSelection, invalidate, notify);
}

void StringListControlData::AddString(const PMString& text, int32 index, bool16 invalidate, bool16 notify) {
    if (index >= 0 && index <= Length()) {
        fItems.insert(fItems.begin() + index, text);
        InterfacePtr<IDropDownListController> controller(this, IID_OF<IDropDownListController>());
        if (controller && controller->GetSelected() >= index) controller->Select(controller->GetSelected() + 1, invalidate, notify);
    } else {
        fItems.push_back(text);
    }
}

void StringListControlData::RemoveString(int32 index, bool16 invalidate, bool16 notify) {
    if (index < 0 || index >= Length()) return;
    fItems.erase(fItems.begin() + index);
    InterfacePtr<IDropDownListController> controller(this, IID_OF<IDropDownListController>());
    if (!controller) return;
    int32 selected = controller->GetSelected();
    if (selected == index) controller->Select(IDropDownListController::kNoSelection, invalidate, notify);
    else if (selected > index) controller->Select(selected - 1, invalidate, notify);
}

PMString StringListControlData::GetString(int32 index) const {
    return index >= 0 && index < Length() ? fItems[static_cast<std::size_t>(index)] : PMString();
}

int32 StringListControlData::GetIndex(const PMString& text) const {
    for (std::size_t i = 0; i < fItems.size(); ++i)
        if (fItems[i] == text) return static_cast<int32>(i);
    return -1;
}

void DropDownListController::Select(int32 index, bool16, bool16) {
    InterfacePtr<IStringListControlData> list(this, IID_OF<IStringListControlData>());
    int32 length = list ? list->Length() : 0;
    fSelected = index >= 0 && index < length ? index : kNoSelection;
}

void ProgressBarControlData::SetMinimum(int32 minimum, bool16, bool16) {
    fMinimum = minimum;
    if (fMaximum < fMinimum) fMaximum = fMinimum;
    fValue = std::clamp(fValue, fMinimum, fMaximum);
}

void ProgressBarControlData::SetMaximum(int32 maximum, bool16, bool16) {
    fMaximum = maximum;
    if (fMinimum > fMaximum) fMinimum = fMaximum;
    fValue = std::clamp(fValue, fMinimum, fMaximum);
}

void ProgressBarControlData::SetValue(int32 value, bool16, bool16) { fValue = std::clamp(value, fMinimum, fMaximum); }

bool16 ButtonEventHandler::LButtonDn(IEvent*) {
    IControlView* view = ViewOf(this);
    return view && view->IsEnabled() ? kTrue : kFalse;
}

bool16 ButtonEventHandler::LButtonUp(IEvent*) { return PressWidget(this) ? kTrue : kFalse; }

bool PressWidget(IPMUnknown* widget) {
    IControlView* view = ViewOf(widget);
    if (!view || !view->IsEnabled()) return false;
    std::string kind = KindOf(widget);
    InterfacePtr<ITriStateControlData> state(widget, IID_OF<ITriStateControlData>());
    if (kind == "radio") {
        if (state) state->Select(kTrue, kTrue);
        return true;
    }
    if (kind == "expander" && state) {
        state->SetState(state->GetState() == ITriStateControlData::kSelected ? ITriStateControlData::kUnselected
                                                                              : ITriStateControlData::kSelected,
                        kTrue, kFalse);
    }
    InterfacePtr<ISubject> subject(widget, IID_OF<ISubject>());
    if (!subject) return true;
    subject->Change(kTrueStateMessage, IID_ITRISTATECONTROLDATA, nullptr);
    subject->Change(kTrueStateMessage, IID_IBOOLEANCONTROLDATA, nullptr);
    return true;
}

}  // namespace tshost
