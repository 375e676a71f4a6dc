// The host's implementations of the widget interfaces, one class per interface, as the
// widget classes of UiIDs.h carry them (WidgetClasses.cpp defines the classes). Declared here
// so the host's other UI parts can make and recognise them; plug-ins see only the interfaces.
// User-interface thread only.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "CControlView.h"
#include "CEventHandler.h"
#include "CPMUnknown.h"
#include "IDropDownListController.h"
#include "IPanelControlData.h"
#include "IProgressBarControlData.h"
#include "IStringListControlData.h"
#include "ISubject.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "IWidgetInfo.h"
#include "IWidgetParent.h"
#include "MEditBoxEventHandler.h"
#include "PalettePanelView.h"

namespace tshost {

class WidgetInfo final : public CPMUnknown<IWidgetInfo> {
public:
    explicit WidgetInfo(IPMUnknown* boss) : CPMUnknown<IWidgetInfo>(boss) {}
    const std::string& GetKind() const override { return fKind; }
    void SetKind(const std::string& kind) override { fKind = kind; }
    const PMString& GetLabel() const override { return fLabel; }
    void SetLabel(const PMString& label) override { fLabel = label; }
    PluginID GetPlugin() const override { return fPlugin; }
    void SetPlugin(const PluginID& plugin) override { fPlugin = plugin; }

private:
    std::string fKind = "widget";
    PMString fLabel;
    PluginID fPlugin;
};

class HostControlView final : public CControlView {
public:
    explicit HostControlView(IPMUnknown* boss) : CControlView(boss) {}
};

class HostPalettePanelView final : public PalettePanelView {
public:
    explicit HostPalettePanelView(IPMUnknown* boss) : PalettePanelView(boss) {}
};

class PanelControlData final : public CPMUnknown<IPanelControlData> {
public:
    explicit PanelControlData(IPMUnknown* boss) : CPMUnknown<IPanelControlData>(boss) {}
    ~PanelControlData() override;

    int32 Length() const override { return static_cast<int32>(fChildren.size()); }
    IControlView* GetWidget(int32 index) const override;
    int32 GetIndex(const IControlView* child) const override;
    IControlView* FindWidget(const WidgetID& id, int32 depth = 9999) const override;
    void AddWidget(IControlView* child) override;
    bool16 RemoveWidget(IControlView* child) override;
    // Makes `children` the children, in that order, as removing and adding one by one would:
    // widgets in both keep their reference and parent, the others gain or lose theirs.
    // Costs one pass, however many children move.
    void SetChildren(const std::vector<IControlView*>& children);

private:
    std::vector<IControlView*> fChildren;  // one reference each
    // Each child's position, so that finding a child costs the same however many there are;
    // a removal renumbers only the children after it.
    std::unordered_map<const IControlView*, std::size_t> fIndex;
};

class WidgetParent final : public CPMUnknown<IWidgetParent> {
public:
    explicit WidgetParent(IPMUnknown* boss) : CPMUnknown<IWidgetParent>(boss) {}
    IPMUnknown* GetParent() const override { return fParent; }
    void SetParent(IPMUnknown* parent) override { fParent = parent; }
    IPMUnknown* QueryParentFor(const PMIID& iid) const override;

private:
    IPMUnknown* fParent = nullptr;
};

class Subject final : public CPMUnknown<ISubject> {
public:
    // Nested broadcasts deeper than this are dropped with a diagnostic: an observer that
    // answers every change with another change would otherwise recurse until the stack ends.
    static constexpr int kMaxNesting = 64;

    explicit Subject(IPMUnknown* boss) : CPMUnknown<ISubject>(boss) {}
    void AttachObserver(IObserver* observer, const PMIID& protocol, const PMIID& observerIID) override;
    void DetachObserver(IObserver* observer, const PMIID& protocol, const PMIID& observerIID) override;
    bool16 IsAttached(IObserver* observer, const PMIID& protocol, const PMIID& observerIID) const override;
    void Change(const ClassID& change, const PMIID& protocol, void* changedBy) override;
    int32 CountObservers(const PMIID& protocol) const override;

private:
    struct Attachment {
        IObserver* observer;
        PMIID protocol;
        PMIID observerIID;
        uint64 serial;
    };
    std::vector<Attachment> fAttached;
    uint64 fNextSerial = 1;
};

class TextControlData final : public CPMUnknown<ITextControlData> {
public:
    explicit TextControlData(IPMUnknown* boss) : CPMUnknown<ITextControlData>(boss) {}
    void SetString(const PMString& text, bool16, bool16, bool16) override { fText = text; }
    PMString GetString() const override { return fText; }

private:
    PMString fText;
};

class DropDownText final : public CPMUnknown<ITextControlData> {
public:
    explicit DropDownText(IPMUnknown* boss) : CPMUnknown<ITextControlData>(boss) {}
    void SetString(const PMString& text, bool16, bool16, bool16) override;
    PMString GetString() const override;
};

class TriStateControlData final : public CPMUnknown<ITriStateControlData> {
public:
    explicit TriStateControlData(IPMUnknown* boss) : CPMUnknown<ITriStateControlData>(boss) {}
    void Select(bool16 invalidate, bool16 notify) override { SetState(kSelected, invalidate, notify); }
    void Deselect(bool16 invalidate, bool16 notify) override { SetState(kUnselected, invalidate, notify); }
    void SetState(TriState state, bool16 invalidate, bool16 notify) override;
    TriState GetState() const override { return fState; }

private:
    TriState fState = kUnselected;
};

class StringListControlData final : public CPMUnknown<IStringListControlData> {
public:
    explicit StringListControlData(IPMUnknown* boss) : CPMUnknown<IStringListControlData>(boss) {}
    void Clear(bool16, bool16) override;
    void AddString(const PMString& text, int32 index, bool16, bool16) override;
    void RemoveString(int32 index, bool16, bool16) override;
    int32 Length() const override { return static_cast<int32>(fItems.size()); }
    PMString GetString(int32 index) const override;
    int32 GetIndex(const PMString& text) const override;

private:
    std::vector<PMString> fItems;
};

class DropDownListController final : public CPMUnknown<IDropDownListController> {
public:
    explicit DropDownListController(IPMUnknown* boss) : CPMUnknown<IDropDownListController>(boss) {}
    void Select(int32 index, bool16, bool16) override;
    int32 GetSelected() const override { return fSelected; }

private:
    int32 fSelected = kNoSelection;
};

class ProgressBarControlData final : public CPMUnknown<IProgressBarControlData> {
public:
    explicit ProgressBarControlData(IPMUnknown* boss) : CPMUnknown<IProgressBarControlData>(boss) {}
    void SetStyle(int32 style) override { fStyle = style; }
    int32 GetStyle() const override { return fStyle; }
    void SetMinimum(int32 minimum, bool16, bool16) override;
    void SetMaximum(int32 maximum, bool16, bool16) override;
    int32 GetMinimum() const override { return fMinimum; }
    int32 GetMaximum() const override { return fMaximum; }
    void SetValue(int32 value, bool16, bool16) override;
    int32 GetValue() const override { return fValue; }

private:
    int32 fStyle = kDeterminate;
    int32 fMinimum = 0;
    int32 fMaximum = 100;
    int32 fValue = 0;
};

class DefaultEventHandler final : public CEventHandler {
public:
    explicit DefaultEventHandler(IPMUnknown* boss) : CEventHandler(boss) {}
};

// Push buttons, radio buttons and expanders: a left click on an enabled widget presses it.
class ButtonEventHandler final : public CEventHandler {
public:
    explicit ButtonEventHandler(IPMUnknown* boss) : CEventHandler(boss) {}
    bool16 LButtonDn(IEvent* e) override;
    bool16 LButtonUp(IEvent* e) override;
};

class EditBoxEventHandler final : public MEditBoxEventHandler {
public:
    explicit EditBoxEventHandler(IPMUnknown* boss) : MEditBoxEventHandler(boss) {}
};

// Presses a widget as a click does: a radio becomes selected, an expander toggles, a push
// button broadcasts kTrueStateMessage on 0x62b and 0x602. Nothing for a disabled widget.
// Returns whether it pressed.
bool PressWidget(IPMUnknown* widget);

}  // namespace tshost
