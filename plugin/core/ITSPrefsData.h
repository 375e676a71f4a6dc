// The plug-in's eight settings, kept on the session workspace (persistent) and carried as
// the parameters of TSPrefsDataCmd. Readers ask the workspace at the moment of use; only the
// command changes the workspace's copy. User-interface thread only.
#pragma once

#include "IPMStream.h"
#include "IPMUnknown.h"
#include "PMString.h"
#include "TSID.h"

class ITSPrefsData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = kTSPrefix + 0x1 };

    virtual void SetUserName(const PMString& value) = 0;
    virtual PMString GetUserName() const = 0;
    virtual void SetPassword(const PMString& value) = 0;
    virtual PMString GetPassword() const = 0;
    virtual void SetSendToOption(const PMString& value) = 0;
    virtual PMString GetSendToOption() const = 0;
    virtual void SetTessaronInfo(const PMString& value) = 0;
    virtual PMString GetTessaronInfo() const = 0;
    virtual void SetFolderInfo(const PMString& value) = 0;
    virtual PMString GetFolderInfo() const = 0;
    virtual void SetIDServerInfo(const PMString& value) = 0;
    virtual PMString GetIDServerInfo() const = 0;
    virtual void SetStatusName(const PMString& value) = 0;
    virtual PMString GetStatusName() const = 0;
    virtual void SetPresetName(const PMString& value) = 0;
    virtual PMString GetPresetName() const = 0;
    virtual void ReadWrite(IPMStream* stream, ImplementationID implID) = 0;
};
