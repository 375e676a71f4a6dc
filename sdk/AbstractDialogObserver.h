// SDK base of observers of a dialog's or panel's widgets: AttachToWidget finds the widget by
// ID in `panel` (any depth), or in the observer's own boss's IPanelControlData when `panel`
// is null, and attaches this observer to the widget's ISubject for `protocol`;
// DetachFromWidget undoes it. A missing widget is skipped.
// User-interface thread only.
#pragma once

#include "CObserver.h"

class IPanelControlData;

class AbstractDialogObserver : public CObserver {
public:
    explicit AbstractDialogObserver(IPMUnknown* boss, PMIID observerIID = IID_OF<IObserver>()) : CObserver(boss, observerIID) {}

    void AttachToWidget(const WidgetID& widget, const PMIID& protocol, IPanelControlData* panel = nullptr);
    void DetachFromWidget(const WidgetID& widget, const PMIID& protocol, IPanelControlData* panel = nullptr);
};
