// A widget's view: its ID, frame, visibility, enabled state, picture and size limits.
// Frames are (left, top, right, bottom) relative to the parent widget and read back exactly
// as set. Visibility: IsVisible(kFalse) is the widget's own flag; IsVisible(kTrue) also needs
// every ancestor visible. Enable/Disable are cheap, idempotent and broadcast nothing.
// CControlView (CControlView.h) implements all of it; PalettePanelView derives from it.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMPoint.h"

class IControlView : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x601 };

    virtual WidgetID GetWidgetID() const = 0;
    virtual void SetWidgetID(const WidgetID& id) = 0;

    virtual void Show(bool16 doShow = kTrue) = 0;
    virtual void Hide() = 0;
    virtual bool16 IsVisible(bool16 checkAncestors = kTrue) const = 0;

    virtual void Enable(bool16 doEnable = kTrue, bool16 invalidate = kTrue) = 0;
    virtual void Disable(bool16 invalidate = kTrue) = 0;
    virtual bool16 IsEnabled() const = 0;

    virtual PMRect GetFrame() const = 0;
    virtual void SetFrame(const PMRect& frame, bool16 invalidate = kTrue) = 0;
    // The widget's window or layout changed; the host's views have nothing to redo.
    virtual void WindowChanged() = 0;
    // The size the widget takes when the user asks for `desired` (width, height); the host
    // calls it while the user resizes a panel and applies the result. Default: `desired`.
    virtual PMPoint ConstrainDimensions(const PMPoint& desired) const = 0;

    // The picture a picture widget shows: a resource of a plug-in.
    virtual void SetRsrcPluginID(const PluginID& plugin) = 0;
    virtual PluginID GetRsrcPluginID() const = 0;
    virtual void SetRsrcID(const RsrcID& id) = 0;
    virtual RsrcID GetRsrcID() const = 0;
};
