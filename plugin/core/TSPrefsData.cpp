#include "CPMUnknown.h"
#include "ITSPrefsData.h"
#include "ImplementationRecord.h"

// The settings. A setter dirties the workspace only when the value really changes, so an
// unchanged value neither marks the workspace modified nor enters the undo history.
class TSPrefsData : public CPMUnknown<ITSPrefsData> {
public:
    explicit TSPrefsData(IPMUnknown* boss) : CPMUnknown<ITSPrefsData>(boss) {}

    void SetUserName(const PMString& value) override { Set(fUserName, value); }
    PMString GetUserName() const override { return fUserName; }
    void SetPassword(const PMString& value) override { Set(fPassword, value); }
    PMString GetPassword() const override { return fPassword; }
    void SetSendToOption(const PMString& value) override { Set(fSendToOption, value); }
    PMString GetSendToOption() const override { return fSendToOption; }
    void SetTessaronInfo(const PMString& value) override { Set(fTessaronInfo, value); }
    PMString GetTessaronInfo() const override { return fTessaronInfo; }
    void SetFolderInfo(const PMString& value) override { Set(fFolderInfo, value); }
    PMString GetFolderInfo() const override { return fFolderInfo; }
    void SetIDServerInfo(const PMString& value) override { Set(fIDServerInfo, value); }
    PMString GetIDServerInfo() const override { return fIDServerInfo; }
    void SetStatusName(const PMString& value) override { Set(fStatusName, value); }
    PMString GetStatusName() const override { return fStatusName; }
    void SetPresetName(const PMString& value) override { Set(fPresetName, value); }
    PMString GetPresetName() const override { return fPresetName; }

    // Eight strings in slot order, with no version or count.
    void ReadWrite(IPMStream* stream, ImplementationID) override {
        if (!stream) return;
        for (PMString* field : {&fUserName, &fPassword, &fSendToOption, &fTessaronInfo, &fFolderInfo, &fIDServerInfo,
                                &fStatusName, &fPresetName})
            field->ReadWrite(stream);
    }

private:
    void Set(PMString& field, const PMString& value) {
        if (field == value) return;
        PreDirty(kInvalidImpl, kTrue);
        field = value;
    }

    PMString fUserName;
    PMString fPassword;
    PMString fSendToOption{"Tessaron", PMString::kNoTranslate};
    PMString fTessaronInfo;
    PMString fFolderInfo;
    PMString fIDServerInfo;
    PMString fStatusName;
    PMString fPresetName{"[High Quality Print]", PMString::kNoTranslate};
};

CREATE_PERSIST_PMINTERFACE(TSPrefsData, kTSPrefsDataPersistImpl);
CREATE_PMINTERFACE(TSPrefsData, kTSPrefsDataImpl);
