// SDK base of dialog and panel controllers. A subclass overrides InitializeDialogFields,
// ValidateDialogFields and ApplyDialogFields, and calls the base versions first (they set
// nothing up and validate everything). The field helpers are the host's (IDialogController.h).
//
// Lifecycle, as the host drives it for a dialog built from a view resource:
//   Open:   SetOwner(dialog), InitializeDialog(context) → InitializeDialogFields(context);
//           then the observers' AutoAttach.
//   OK:     ValidateDialog → ValidateDialogFields(context); on WidgetID(kNoInvalidWidgets)
//           ApplyDialog(OK) → ApplyDialogFields(context, OK), then the dialog closes;
//           otherwise it stays open.
//   Cancel: UserCancelled → ResetDialogFields(context), then the dialog closes.
//   Close:  DialogClosing → ClosingDialog(context); then the observers' AutoDetach.
// `context` is the session's active context at Open.
// User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IDialogController.h"

class CDialogController : public CPMUnknown<IDialogController> {
public:
    explicit CDialogController(IPMUnknown* boss) : CPMUnknown<IDialogController>(boss) {}

    void InitializeDialog(IActiveContext* context) override;
    IActiveContext* QueryDialogContext() override { return fContext; }
    WidgetID ValidateDialog() override { return ValidateFields(); }
    void ApplyDialog(const WidgetID& widgetID) override { ApplyFields(widgetID); }
    void ResetDialog() override { ResetFields(); }
    void UserCancelled() override { ResetFields(); }
    void DialogClosing() override { ClosingDialog(fContext); }
    bool16 HasBeenInitialized() const override { return fInitialized ? kTrue : kFalse; }
    void SetInitialized(bool16 initialized) override { fInitialized = initialized != kFalse; }
    void SetOwner(IPMUnknown* owner) override { fOwner = owner; }
    IPMUnknown* GetOwner() const override { return fOwner; }
    PMString GetName() const override { return PMString(); }

    void SetTextControlData(const WidgetID& widget, const PMString& text, IPanelControlData* panel = nullptr,
                            bool16 invalidate = kTrue, bool16 notify = kFalse) override;
    PMString GetTextControlData(const WidgetID& widget, IPanelControlData* panel = nullptr) override;
    void SetTextValue(const WidgetID& widget, PMReal value, IPanelControlData* panel = nullptr,
                      bool16 invalidate = kTrue, bool16 notify = kFalse) override;
    PMReal GetTextValue(const WidgetID& widget, bool16* error = nullptr, IPanelControlData* panel = nullptr) override;
    void SetTextValueControlState(const WidgetID& widget, bool16 enabled, IPanelControlData* panel = nullptr) override;
    bool16 GetTextValueControlState(const WidgetID& widget, IPanelControlData* panel = nullptr) override;

    void SetBooleanControlData(const WidgetID& widget, bool16 selected, IPanelControlData* panel = nullptr,
                               bool16 invalidate = kTrue, bool16 notify = kFalse) override;
    bool16 GetBooleanControlData(const WidgetID& widget, IPanelControlData* panel = nullptr) override;
    void SetTriStateControlData(const WidgetID& widget, bool16 selected, IPanelControlData* panel = nullptr,
                                bool16 invalidate = kTrue, bool16 notify = kFalse) override;
    void SetTriStateControlData(const WidgetID& widget, ITriStateControlData::TriState state, IPanelControlData* panel = nullptr,
                                bool16 invalidate = kTrue, bool16 notify = kFalse) override;
    ITriStateControlData::TriState GetTriStateControlData(const WidgetID& widget, IPanelControlData* panel = nullptr) override;

    WidgetID GetSelectedClusterWidget(const WidgetID& cluster, IPanelControlData* panel = nullptr) override;
    void SetSelectedClusterWidget(const WidgetID& cluster, const WidgetID& selected, IPanelControlData* panel = nullptr,
                                  bool16 invalidate = kTrue, bool16 notify = kTrue) override;
    IStringListControlData* QueryListControlDataInterface(const WidgetID& widget, IPanelControlData* panel = nullptr) override;
    IPanelControlData* QueryIfNilElseAddRef(IPanelControlData* panel) override;
    void SelectDialogWidget(const WidgetID& widget, bool16 selectAll = kTrue) override;
    bool16 GetPreviewModeOn() const override { return fPreview ? kTrue : kFalse; }
    void SetPreviewModeOn(bool16 on) override { fPreview = on != kFalse; }

    void ApplyFields(const WidgetID& widgetID) override { ApplyDialogFields(fContext, widgetID); }
    WidgetID ValidateFields() override { return ValidateDialogFields(fContext); }
    void ResetFields() override { ResetDialogFields(fContext); }
    void InitializeFields() override { InitializeDialogFields(fContext); }

    void InitializeDialogFields(IActiveContext*) override {}
    WidgetID ValidateDialogFields(IActiveContext*) override { return WidgetID(kNoInvalidWidgets); }
    void ApplyDialogFields(IActiveContext*, const WidgetID&) override {}
    void ResetDialogFields(IActiveContext*) override {}
    void ClosingDialog(IActiveContext*) override {}

    // The widget that has the key focus after SelectDialogWidget, for tests and the console.
    WidgetID GetFocusWidget() const { return fFocus; }

private:
    IActiveContext* fContext = nullptr;
    IPMUnknown* fOwner = nullptr;
    WidgetID fFocus;
    bool fInitialized = false;
    bool fPreview = false;
};
