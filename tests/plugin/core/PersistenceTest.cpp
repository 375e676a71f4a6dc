// The plug-in's data across saves and runs: the workspace's three stores survive a restart,
// a document's project and status survive save and reopen, and the workspace file is private.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CmdUtils.h"
#include "FileUtils.h"
#include "IDataBase.h"
#include "ISession.h"
#include "ITSDocData.h"
#include "ITSDocPathPrjIdData.h"
#include "ITSDynActionIDsData.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "PluginHostFixture.h"
#include "TSID.h"

namespace {

PMString S(const char* text) { return PMString(text, PMString::kNoTranslate); }

using PluginPersistenceTest = PluginHostFixture;

TEST_F(PluginPersistenceTest, WorkspaceStoresSurviveARestart) {
    {
        InterfacePtr<ICommand> cmd(CmdUtils::CreateCommand(kTSPrefsDataCmdBoss));
        InterfacePtr<ITSPrefsData> p(cmd.get(), kTSPrefsDataInterfaceID);
        p->SetUserName(S("ana"));
        p->SetPassword(S("s3cret & more"));
        p->SetSendToOption(S("InDesign Server"));
        p->SetPresetName(S(""));
        CmdUtils::ProcessCommand(cmd.get());

        InterfacePtr<IWorkspace> ws(gSession->QueryWorkspace());
        // The prune at start-up drops links to missing files, so link a file that exists.
        std::string doc = fHome + "/linked.indd";
        FILE* f = std::fopen(doc.c_str(), "w");
        std::fclose(f);
        InterfacePtr<ITSDocPathPrjIdData> paths(ws.get(), kTSDocPathPrjIdDataInterfaceID);
        paths->SetDocPathPrjIdData({S(FileUtils::FromPosixPath(doc).GetPath().c_str()), 42});
        paths->SetDocPathPrjIdData({S(FileUtils::FromPosixPath(fHome + "/gone.indd").GetPath().c_str()), 43});
        InterfacePtr<ITSDynActionIDsData> actions(ws.get(), kTSDynActionIDsDataInterfaceID);
        actions->AddEntry(ActionID(0x61034), S("Macintosh HD:x.indd"));
    }
    Restart();
    InterfacePtr<IWorkspace> ws(gSession->QueryWorkspace());
    InterfacePtr<ITSPrefsData> prefs(ws.get(), kTSPrefsDataInterfaceID);
    EXPECT_EQ(prefs->GetUserName().GetUTF8String(), "ana");
    EXPECT_EQ(prefs->GetPassword().GetUTF8String(), "s3cret & more");
    EXPECT_EQ(prefs->GetSendToOption().GetUTF8String(), "InDesign Server");
    EXPECT_EQ(prefs->GetPresetName().GetUTF8String(), "");
    EXPECT_EQ(prefs->GetStatusName().GetUTF8String(), "");
    InterfacePtr<ITSDocPathPrjIdData> paths(ws.get(), kTSDocPathPrjIdDataInterfaceID);
    ASSERT_EQ(paths->GetDocPathPrjIDContainer().size(), 1u);
    EXPECT_EQ(paths->GetDocPathPrjIDContainer()[0].prjID, 42);
    InterfacePtr<ITSDynActionIDsData> actions(ws.get(), kTSDynActionIDsDataInterfaceID);
    EXPECT_EQ(actions->GetDocumentPath(ActionID(0x61034)).GetUTF8String(), "Macintosh HD:x.indd");

    struct stat st {};
    ASSERT_EQ(::stat(fHost->WorkspacePath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(PluginPersistenceTest, DocumentDataSurvivesSaveAndReopen) {
    std::string path = fHome + "/Flyer.indd";
    std::string error;
    {
        IDocument* doc = NewDocument(3);
        InterfacePtr<ITSDocData> data(doc, kTSDocDataInterfaceID);
        data->SetProjectXMLID(77);
        data->SetStatusID(0);
        ASSERT_TRUE(fHost->Docs().SaveAs(doc, path, error)) << error;
        ASSERT_TRUE(fHost->Docs().Close(doc));
        IDocument* never = NewDocument(1);
        std::string other = fHome + "/Never.indd";
        ASSERT_TRUE(fHost->Docs().SaveAs(never, other, error)) << error;
    }
    Restart();
    IDocument* doc = fHost->Docs().Open(path, error);
    ASSERT_TRUE(doc) << error;
    InterfacePtr<ITSDocData> data(doc, kTSDocDataInterfaceID);
    EXPECT_EQ(data->GetProjectXMLID(), 77);
    EXPECT_EQ(data->GetStatusID(), 0);
    EXPECT_FALSE(::GetDataBase(doc)->IsModified());

    IDocument* never = fHost->Docs().Open(fHome + "/Never.indd", error);
    ASSERT_TRUE(never) << error;
    InterfacePtr<ITSDocData> none(never, kTSDocDataInterfaceID);
    EXPECT_EQ(none->GetProjectXMLID(), -1);
    EXPECT_EQ(none->GetStatusID(), -1);
}

}  // namespace
