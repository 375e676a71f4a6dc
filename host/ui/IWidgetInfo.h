// What the host knows of each widget beyond its view: its kind (the view resource's name for
// it: "button", "edit-box", …), its label, and the plug-in whose view it was built from
// (its pictures and texts are that plug-in's). On every widget boss.
// User-interface thread only.
#pragma once

#include <string>

#include "IPMUnknown.h"
#include "PMString.h"

namespace tshost {

class IWidgetInfo : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x30400 };

    virtual const std::string& GetKind() const = 0;
    virtual void SetKind(const std::string& kind) = 0;
    virtual const PMString& GetLabel() const = 0;
    virtual void SetLabel(const PMString& label) = 0;
    virtual PluginID GetPlugin() const = 0;
    virtual void SetPlugin(const PluginID& plugin) = 0;
};

}  // namespace tshost
