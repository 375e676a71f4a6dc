// The host's control view as an SDK base: keeps the widget ID, frame, visibility, enabled
// state and picture of a widget. Every host widget uses it for its IControlView; a plug-in
// view derives from it (through PalettePanelView) and overrides what it needs. ReadWrite
// stores the frame, visibility and enabled state, for views that persist.
// User-interface thread only.
#pragma once

#include "CPMUnknown.h"
#include "IControlView.h"

class IPMStream;

class CControlView : public CPMUnknown<IControlView> {
public:
    explicit CControlView(IPMUnknown* boss) : CPMUnknown<IControlView>(boss) {}

    WidgetID GetWidgetID() const override { return fWidgetID; }
    void SetWidgetID(const WidgetID& id) override { fWidgetID = id; }

    void Show(bool16 doShow = kTrue) override { fVisible = doShow != kFalse; }
    void Hide() override { fVisible = false; }
    bool16 IsVisible(bool16 checkAncestors = kTrue) const override;

    void Enable(bool16 doEnable = kTrue, bool16 = kTrue) override { fEnabled = doEnable != kFalse; }
    void Disable(bool16 = kTrue) override { fEnabled = false; }
    bool16 IsEnabled() const override { return fEnabled ? kTrue : kFalse; }

    PMRect GetFrame() const override { return fFrame; }
    void SetFrame(const PMRect& frame, bool16 = kTrue) override { fFrame = frame; }
    void WindowChanged() override {}
    PMPoint ConstrainDimensions(const PMPoint& desired) const override { return desired; }

    void SetRsrcPluginID(const PluginID& plugin) override { fRsrcPlugin = plugin; }
    PluginID GetRsrcPluginID() const override { return fRsrcPlugin; }
    void SetRsrcID(const RsrcID& id) override { fRsrcID = id; }
    RsrcID GetRsrcID() const override { return fRsrcID; }

    // Frame, own visibility, enabled state; reads what it wrote.
    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    WidgetID fWidgetID;
    PMRect fFrame;
    bool fVisible = true;
    bool fEnabled = true;
    PluginID fRsrcPlugin;
    RsrcID fRsrcID;
};
