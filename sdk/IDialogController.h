// Initialises, validates and applies the fields of a dialog or panel. The host drives it
// (CDialogController.h gives the lifecycle): InitializeDialog when the dialog opens, before
// its observers attach; ValidateDialog and, only when that gives kNoInvalidWidgets (0),
// ApplyDialog when the user presses OK; UserCancelled on Cancel; DialogClosing as it closes.
// The field helpers find widgets by ID in `panel`, or in the controller's own boss's
// IPanelControlData when `panel` is null, and do nothing (or return empty values) when the
// widget or its data interface is missing. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "ITriStateControlData.h"
#include "PMString.h"

class IActiveContext;
class IPanelControlData;
class IStringListControlData;

class IDialogController : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x62a };

    virtual void InitializeDialog(IActiveContext* context) = 0;
    // The context the dialog was opened with; not counted, may be null.
    virtual IActiveContext* QueryDialogContext() = 0;
    // The widget that failed validation, or WidgetID(kNoInvalidWidgets).
    virtual WidgetID ValidateDialog() = 0;
    virtual void ApplyDialog(const WidgetID& widgetID) = 0;
    virtual void ResetDialog() = 0;
    virtual void UserCancelled() = 0;
    virtual void DialogClosing() = 0;
    virtual bool16 HasBeenInitialized() const = 0;
    virtual void SetInitialized(bool16 initialized) = 0;
    // The dialog (its boss) the controller works for; not counted.
    virtual void SetOwner(IPMUnknown* owner) = 0;
    virtual IPMUnknown* GetOwner() const = 0;
    virtual PMString GetName() const = 0;

    virtual void SetTextControlData(const WidgetID& widget, const PMString& text, IPanelControlData* panel = nullptr,
                                    bool16 invalidate = kTrue, bool16 notify = kFalse) = 0;
    virtual PMString GetTextControlData(const WidgetID& widget, IPanelControlData* panel = nullptr) = 0;
    virtual void SetTextValue(const WidgetID& widget, PMReal value, IPanelControlData* panel = nullptr,
                              bool16 invalidate = kTrue, bool16 notify = kFalse) = 0;
    // The widget's text as a number; *error set (when given) for text that is no number.
    virtual PMReal GetTextValue(const WidgetID& widget, bool16* error = nullptr, IPanelControlData* panel = nullptr) = 0;
    // The enabled state of a text widget.
    virtual void SetTextValueControlState(const WidgetID& widget, bool16 enabled, IPanelControlData* panel = nullptr) = 0;
    virtual bool16 GetTextValueControlState(const WidgetID& widget, IPanelControlData* panel = nullptr) = 0;

    virtual void SetBooleanControlData(const WidgetID& widget, bool16 selected, IPanelControlData* panel = nullptr,
                                       bool16 invalidate = kTrue, bool16 notify = kFalse) = 0;
    virtual bool16 GetBooleanControlData(const WidgetID& widget, IPanelControlData* panel = nullptr) = 0;
    virtual void SetTriStateControlData(const WidgetID& widget, bool16 selected, IPanelControlData* panel = nullptr,
                                        bool16 invalidate = kTrue, bool16 notify = kFalse) = 0;
    virtual void SetTriStateControlData(const WidgetID& widget, ITriStateControlData::TriState state,
                                        IPanelControlData* panel = nullptr, bool16 invalidate = kTrue,
                                        bool16 notify = kFalse) = 0;
    virtual ITriStateControlData::TriState GetTriStateControlData(const WidgetID& widget, IPanelControlData* panel = nullptr) = 0;

    // The selected radio of a cluster, or kInvalidWidgetID when none is.
    virtual WidgetID GetSelectedClusterWidget(const WidgetID& cluster, IPanelControlData* panel = nullptr) = 0;
    virtual void SetSelectedClusterWidget(const WidgetID& cluster, const WidgetID& selected, IPanelControlData* panel = nullptr,
                                          bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    // Counted; null when the widget is no list.
    virtual IStringListControlData* QueryListControlDataInterface(const WidgetID& widget, IPanelControlData* panel = nullptr) = 0;
    // `panel` with a reference added, or the controller's own panel data (counted) when null.
    virtual IPanelControlData* QueryIfNilElseAddRef(IPanelControlData* panel) = 0;
    // Gives the widget the key focus (and selects its text when `selectAll`).
    virtual void SelectDialogWidget(const WidgetID& widget, bool16 selectAll = kTrue) = 0;
    virtual bool16 GetPreviewModeOn() const = 0;
    virtual void SetPreviewModeOn(bool16 on) = 0;

    // The …Fields operations call the …DialogFields ones with the dialog's context.
    virtual void ApplyFields(const WidgetID& widgetID) = 0;
    virtual WidgetID ValidateFields() = 0;
    virtual void ResetFields() = 0;
    virtual void InitializeFields() = 0;

    // What a dialog's controller overrides.
    virtual void InitializeDialogFields(IActiveContext* context) = 0;
    virtual WidgetID ValidateDialogFields(IActiveContext* context) = 0;
    virtual void ApplyDialogFields(IActiveContext* context, const WidgetID& widgetID) = 0;
    virtual void ResetDialogFields(IActiveContext* context) = 0;
    virtual void ClosingDialog(IActiveContext* context) = 0;
};
