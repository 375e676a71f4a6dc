// The PDF export presets of the session workspace (IPDFExptStyleListMgr, persistent: the
// preset UIDs in list order) and the export settings (IPDFExportPrefs) that each preset
// carries and the export command copies.
//
// A workspace that never had presets gets the host's defaults the first time the list is
// used: "[High Quality Print]", "[Press Quality]" and "[Smallest File Size]", none asking for
// spreads. From then on the list is the user's, saved with the workspace, and the host's own
// functions here change it: for the console and for tests that need a list with or without
// a given preset. A removed preset's object stays unused in the workspace database.
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "IPDFExportPrefs.h"
#include "IPDFExptStyleListMgr.h"

class IPMStream;
class IWorkspace;

namespace tshost {

struct PresetSpec {
    std::string name;
    bool spreads = false;
    bool operator==(const PresetSpec&) const = default;
};

// Longer names are refused.
constexpr std::size_t kMaxPresetNameBytes = 255;

const std::vector<PresetSpec>& DefaultPresets();

class PDFPresetList final : public CPMUnknown<IPDFExptStyleListMgr> {
public:
    explicit PDFPresetList(IPMUnknown* boss) : CPMUnknown<IPDFExptStyleListMgr>(boss) {}

    // The list of a workspace; null when the workspace has none. Not counted.
    static PDFPresetList* Of(IWorkspace* workspace);

    int32 GetNumStyles() const override;
    int32 GetStyleIndexByName(const PMString& name) const override;
    UIDRef GetNthStyleRef(int32 index) const override;
    PMString GetNthStyleName(int32 index) const override;

    // The presets in list order.
    std::vector<PresetSpec> Presets() const;
    // Each returns false, with `error` saying why and nothing changed, for an empty or
    // too long name, a name already listed (Add) or one not listed (Remove).
    bool Add(const PresetSpec& preset, std::string& error);
    bool Remove(const std::string& name, std::string& error);
    // Replaces the whole list; false when a name is bad or listed twice.
    bool Set(const std::vector<PresetSpec>& presets, std::string& error);

    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    void EnsureDefaults() const;
    UID MakePreset(const PresetSpec& preset, bool asDefault) const;
    bool CheckName(const std::string& name, std::string& error) const;
    // Why MakePreset made none.
    std::string CannotMakeReason() const;

    mutable std::vector<UID> fPresets;
    mutable bool fSet = false;
};

// The settings, on a preset (persistent) or on the export command (a plain copy).
class PDFExportPrefs final : public CPMUnknown<IPDFExportPrefs> {
public:
    explicit PDFExportPrefs(IPMUnknown* boss) : CPMUnknown<IPDFExportPrefs>(boss) {}

    void CopyPrefs(const IPDFExportPrefs* from) override;
    PMString GetPresetName() const override { return fName; }
    void SetPresetName(const PMString& name) override;
    bool16 GetExportReaderSpreads() const override { return fSpreads ? kTrue : kFalse; }
    void SetExportReaderSpreads(bool16 spreads) override;
    void SetProgressBar(RangeProgressBar* bar) override { fBar = bar; }
    RangeProgressBar* GetProgressBar() const override { return fBar; }

    // Sets the settings of a preset being made, as defaults rather than a change.
    void Init(const PresetSpec& preset);
    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    PMString fName{"", PMString::kNoTranslate};
    bool fSpreads = false;
    RangeProgressBar* fBar = nullptr;
};

}  // namespace tshost
