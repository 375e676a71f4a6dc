// A host running the plug-in in the test process: the plug-in's code is linked into the
// test, handed to the host as if loaded, with the resource file built beside Tessaron.so. Every
// file of the run stays in a fresh temporary home. Restart() quits and launches a new host
// on the same home, as a new run of the application would (process globals excepted).
// The host clock is virtual. The test's own thread only: it is the host's user-interface
// thread.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "Clock.h"
#include "CmdUtils.h"
#include "Host.h"
#include "IDataBase.h"
#include "IDocument.h"
#include "ITSPrefsData.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "PlugIn.h"
#include "TSID.h"
#include "TestSupport.h"

// The eight preferences, as stored.
struct StoredPrefs {
    std::string user, password, sendTo, url, folder, idServer, status, preset;
    bool operator==(const StoredPrefs&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const StoredPrefs& p) {
        return out << "{" << p.user << "|" << p.password << "|" << p.sendTo << "|" << p.url << "|" << p.folder << "|"
                   << p.idServer << "|" << p.status << "|" << p.preset << "}";
    }
};

// The workspace's data of interface `iid`.
template <class T>
InterfacePtr<T> WorkspaceData(PMIID iid) {
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    return InterfacePtr<T>(workspace.get(), iid);
}

class PluginHostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", fHome.c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
        // Time moves only when a test lets it.
        tshost::Clock::MakeVirtual();
        Launch();
    }

    void TearDown() override {
        Quit();
    }

    // `beforeStart` runs once the plug-in is loaded, before the start-up services.
    void Launch(const std::function<void()>& beforeStart = {}) {
        fHost = std::make_unique<tshost::Host>();
        std::string error;
        ASSERT_TRUE(fHost->Boot(error)) << error;
        ASSERT_TRUE(fHost->LoadPlugin(&GetPlugIn, std::string(TS_BIN_DIR) + "/Tessaron.json", error))
            << error;
        if (beforeStart) beforeStart();
        fHost->Start(fHome);
    }

    void Quit() {
        if (!fHost) return;
        std::string error;
        EXPECT_TRUE(fHost->Quit(error)) << error;
        fHost.reset();
    }

    void Restart() {
        Quit();
        Launch();
    }

    // Stores the preferences through the plug-in's own command, as the Preferences page does.
    static void Store(const StoredPrefs& p) {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTSPrefsDataCmdBoss));
        InterfacePtr<ITSPrefsData> values(command.get(), kTSPrefsDataInterfaceID);
        ASSERT_TRUE(values);
        values->SetUserName(PMString(p.user, PMString::kNoTranslate));
        values->SetPassword(PMString(p.password, PMString::kNoTranslate));
        values->SetSendToOption(PMString(p.sendTo, PMString::kNoTranslate));
        values->SetTessaronInfo(PMString(p.url, PMString::kNoTranslate));
        values->SetFolderInfo(PMString(p.folder, PMString::kNoTranslate));
        values->SetIDServerInfo(PMString(p.idServer, PMString::kNoTranslate));
        values->SetStatusName(PMString(p.status, PMString::kNoTranslate));
        values->SetPresetName(PMString(p.preset, PMString::kNoTranslate));
        ASSERT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess);
    }
    // The preferences in a workspace database (null: the session's).
    StoredPrefs Stored(IDataBase* db = nullptr) const {
        if (!db) db = fHost->Workspace();
        InterfacePtr<ITSPrefsData> p(db, db->GetRootUID(), kTSPrefsDataInterfaceID);
        if (!p) return {};
        return {p->GetUserName().GetUTF8String(),     p->GetPassword().GetUTF8String(),
                p->GetSendToOption().GetUTF8String(), p->GetTessaronInfo().GetUTF8String(),
                p->GetFolderInfo().GetUTF8String(),   p->GetIDServerInfo().GetUTF8String(),
                p->GetStatusName().GetUTF8String(),   p->GetPresetName().GetUTF8String()};
    }

    IDocument* NewDocument(int32 pages) {
        std::string error;
        IDocument* doc = fHost->Docs().New(pages, error);
        EXPECT_TRUE(doc) << error;
        return doc;
    }

    tstest::TempDir fHomeDir;
    const std::string fHome = fHomeDir.Path();
    std::unique_ptr<tshost::Host> fHost;
};
