// Names one resource of a plug-in: locale, plug-in, type and ID. The host resolves a 'VIEW'
// spec to the view of that ID in the plug-in's resource file ("views"); views are the same
// in every locale, and the locale chooses the texts their labels translate to.
// MLocaleSetting::GetLocale gives the current locale. Plain values; safe on any thread, but
// GetLocale reads the host's settings (user-interface thread only).
#pragma once

#include <string>

#include "IDTypes.h"

// A resource type, four characters packed big-end first: 'VIEW' is 0x56494557.
using RsrcType = uint32;
constexpr RsrcType kViewRsrcType = 0x56494557;

class PMLocaleId {
public:
    PMLocaleId() = default;
    explicit PMLocaleId(std::string name) : fName(std::move(name)) {}
    const std::string& GetName() const { return fName; }
    bool operator==(const PMLocaleId&) const = default;

private:
    std::string fName;
};

class MLocaleSetting {
public:
    static PMLocaleId GetLocale();
};

class RsrcSpec {
public:
    RsrcSpec(const PMLocaleId& locale, const PluginID& plugin, RsrcType type, const RsrcID& id)
        : fLocale(locale), fPlugin(plugin), fType(type), fID(id) {}
    const PMLocaleId& GetLocale() const { return fLocale; }
    PluginID GetPluginID() const { return fPlugin; }
    RsrcType GetType() const { return fType; }
    RsrcID GetRsrcID() const { return fID; }

private:
    PMLocaleId fLocale;
    PluginID fPlugin;
    RsrcType fType;
    RsrcID fID;
};
