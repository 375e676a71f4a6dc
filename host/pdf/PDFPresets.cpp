#include "PDFPresets.h"

#include <set>

#include "DataBase.h"
#include "ExportIDs.h"
#include "IPMStream.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "LazyDefaults.h"

namespace tshost {

namespace {

constexpr int32 kMaxStreamedPresets = 4096;
// The list format's first word: 0 for a list never set, which gets the defaults when used.
constexpr int32 kNotSet = 0;
constexpr int32 kSet = 1;
constexpr int32 kPrefsFormat = 1;

}  // namespace

const std::vector<PresetSpec>& DefaultPresets() {
    static const std::vector<PresetSpec> presets{
        {"[High Quality Print]", false}, {"[Press Quality]", false}, {"[Smallest File Size]", false}};
    return presets;
}

PDFPresetList* PDFPresetList::Of(IWorkspace* workspace) {
    if (!workspace) return nullptr;
    InterfacePtr<IPDFExptStyleListMgr> list(workspace, IID_OF<IPDFExptStyleListMgr>());
    // The workspace holds the boss, so the list outlives this reference.
    return dynamic_cast<PDFPresetList*>(list.get());
}

void PDFPresetList::EnsureDefaults() const {
    if (fSet) return;
    tshost::Boss* boss = tshost::Boss::From(this);
    if (!boss || !boss->GetDataBase()) return;
    std::vector<UID> presets;
    for (const PresetSpec& preset : DefaultPresets()) {
        UID uid = MakePreset(preset, true);
        if (!uid.IsValid()) return;
        presets.push_back(uid);
    }
    fPresets = std::move(presets);
    fSet = true;
    KeepDefaults(this);
}

UID PDFPresetList::MakePreset(const PresetSpec& preset, bool asDefault) const {
    tshost::Boss* boss = tshost::Boss::From(this);
    DataBase* db = boss ? boss->GetDataBase() : nullptr;
    if (!db) return kInvalidUID;
    UID uid = db->NewObject(kPDFExportPresetBoss);
    InterfacePtr<IPDFExportPrefs> prefs(db, uid, IID_OF<IPDFExportPrefs>());
    if (!prefs) return kInvalidUID;
    if (auto* own = dynamic_cast<PDFExportPrefs*>(prefs.get()); own && asDefault) {
        own->Init(preset);
    } else {
        prefs->SetPresetName(PMString(preset.name, PMString::kNoTranslate));
        prefs->SetExportReaderSpreads(preset.spreads ? kTrue : kFalse);
    }
    return uid;
}

std::string PDFPresetList::CannotMakeReason() const {
    tshost::Boss* boss = tshost::Boss::From(this);
    DataBase* db = boss ? boss->GetDataBase() : nullptr;
    if (db && db->UIDsUsedUp()) return "the workspace has used up its object IDs: it can hold no further PDF preset";
    return "the workspace cannot hold PDF presets";
}

int32 PDFPresetList::GetNumStyles() const {
    EnsureDefaults();
    return static_cast<int32>(fPresets.size());
}

int32 PDFPresetList::GetStyleIndexByName(const PMString& name) const {
    EnsureDefaults();
    for (int32 i = 0; i < static_cast<int32>(fPresets.size()); ++i)
        if (GetNthStyleName(i).GetUTF8String() == name.GetUTF8String()) return i;
    return -1;
}

UIDRef PDFPresetList::GetNthStyleRef(int32 index) const {
    EnsureDefaults();
    if (index < 0 || index >= static_cast<int32>(fPresets.size())) return UIDRef::gNull;
    return UIDRef(::GetDataBase(this), fPresets[static_cast<std::size_t>(index)]);
}

PMString PDFPresetList::GetNthStyleName(int32 index) const {
    UIDRef ref = GetNthStyleRef(index);
    InterfacePtr<IPDFExportPrefs> prefs(ref, IID_OF<IPDFExportPrefs>());
    return prefs ? prefs->GetPresetName() : PMString("", PMString::kNoTranslate);
}

std::vector<PresetSpec> PDFPresetList::Presets() const {
    std::vector<PresetSpec> presets;
    for (int32 i = 0; i < GetNumStyles(); ++i) {
        InterfacePtr<IPDFExportPrefs> prefs(GetNthStyleRef(i), IID_OF<IPDFExportPrefs>());
        if (prefs) presets.push_back({prefs->GetPresetName().GetUTF8String(), prefs->GetExportReaderSpreads() != kFalse});
    }
    return presets;
}

bool PDFPresetList::CheckName(const std::string& name, std::string& error) const {
    if (name.empty()) {
        error = "a PDF preset needs a name";
        return false;
    }
    if (name.size() > kMaxPresetNameBytes) {
        error = "a PDF preset name has at most " + std::to_string(kMaxPresetNameBytes) + " bytes";
        return false;
    }
    return true;
}

bool PDFPresetList::Add(const PresetSpec& preset, std::string& error) {
    if (!CheckName(preset.name, error)) return false;
    if (GetStyleIndexByName(PMString(preset.name, PMString::kNoTranslate)) >= 0) {
        error = "there is a PDF preset named " + preset.name + " already";
        return false;
    }
    UID uid = MakePreset(preset, false);
    if (!uid.IsValid()) {
        error = CannotMakeReason();
        return false;
    }
    PreDirty();
    fPresets.push_back(uid);
    return true;
}

bool PDFPresetList::Remove(const std::string& name, std::string& error) {
    int32 index = GetStyleIndexByName(PMString(name, PMString::kNoTranslate));
    if (index < 0) {
        error = "there is no PDF preset named " + name;
        return false;
    }
    PreDirty();
    fPresets.erase(fPresets.begin() + index);
    return true;
}

bool PDFPresetList::Set(const std::vector<PresetSpec>& presets, std::string& error) {
    std::set<std::string> names;
    for (const PresetSpec& preset : presets) {
        if (!CheckName(preset.name, error)) return false;
        if (!names.insert(preset.name).second) {
            error = "the PDF preset name " + preset.name + " is given twice";
            return false;
        }
    }
    std::vector<UID> uids;
    for (const PresetSpec& preset : presets) {
        UID uid = MakePreset(preset, false);
        if (!uid.IsValid()) {
            error = CannotMakeReason();
            return false;
        }
        uids.push_back(uid);
    }
    PreDirty();
    fPresets = std::move(uids);
    fSet = true;
    return true;
}

void PDFPresetList::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    int32 state = fSet ? kSet : kNotSet;
    stream->XferInt32(state);
    int32 count = static_cast<int32>(fPresets.size());
    stream->XferInt32(count);
    if (stream->IsReading()) {
        fPresets.clear();
        fSet = false;
        if ((state != kSet && state != kNotSet) || count < 0 || count > kMaxStreamedPresets ||
            int64(count) * 4 > stream->Remaining()) {
            stream->SetFailed();
            return;
        }
        fPresets.resize(static_cast<std::size_t>(count));
    }
    for (UID& uid : fPresets) stream->XferID(uid);
    if (!stream->IsGood()) {
        fPresets.clear();
        return;
    }
    if (stream->IsReading()) fSet = state == kSet;
}

void PDFExportPrefs::CopyPrefs(const IPDFExportPrefs* from) {
    if (!from || from == this) return;
    SetPresetName(from->GetPresetName());
    SetExportReaderSpreads(from->GetExportReaderSpreads());
    fBar = from->GetProgressBar();
}

void PDFExportPrefs::SetPresetName(const PMString& name) {
    if (name.GetUTF8String() == fName.GetUTF8String()) return;
    PreDirty();
    fName = PMString(name.GetUTF8String(), PMString::kNoTranslate);
}

void PDFExportPrefs::SetExportReaderSpreads(bool16 spreads) {
    if ((spreads != kFalse) == fSpreads) return;
    PreDirty();
    fSpreads = spreads != kFalse;
}

void PDFExportPrefs::Init(const PresetSpec& preset) {
    fName = PMString(preset.name, PMString::kNoTranslate);
    fSpreads = preset.spreads;
    KeepDefaults(this);
}

void PDFExportPrefs::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    int32 format = kPrefsFormat;
    stream->XferInt32(format);
    if (stream->IsReading() && format != kPrefsFormat) {
        stream->SetFailed();
        return;
    }
    fName.ReadWrite(stream);
    fName.SetTranslatable(kFalse);
    bool16 spreads = fSpreads ? kTrue : kFalse;
    stream->XferBool(spreads);
    if (stream->IsReading()) fSpreads = stream->IsGood() && spreads != kFalse;
}

}  // namespace tshost
