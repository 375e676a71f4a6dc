// The plug-in's data across saves and runs: the settings are saved as their command ends and
// as it is undone, and a document's project and status survive save and reopen. (The
// sent-document links: StartupTest, as start-up prunes them; the workspace saved at quit and
// kept private: the host's DataBaseTest.)
#include <gtest/gtest.h>

#include "DataBase.h"
#include "IDataBase.h"
#include "ITSDocData.h"
#include "InterfacePtr.h"
#include "PluginHostFixture.h"
#include "TSID.h"
#include "UndoHistory.h"

namespace {

using PluginPersistenceTest = PluginHostFixture;

// Once their command has ended the settings are in the workspace's file, so a crash right
// after loses none of them; the command is one step the user can undo, and its undo is saved
// too.
TEST_F(PluginPersistenceTest, SettingsAreSavedWhenTheirCommandEndsAndWhenUndone) {
    const auto expectEverywhere = [&](const StoredPrefs& expected) {
        std::string error;
        auto saved = tshost::DataBase::Open(fHost->WorkspacePath(), error);
        ASSERT_TRUE(saved) << error;
        EXPECT_EQ(Stored(), expected);
        EXPECT_EQ(Stored(saved.get()), expected);
        EXPECT_FALSE(fHost->Workspace()->IsModified());
    };
    const StoredPrefs values{"ana", "p&ss #1", "Folder", "http://proof", "/out", "/hot", "Approved", "[Press]"};
    Store(values);
    expectEverywhere(values);
    EXPECT_EQ(tshost::UndoHistory::Get().UndoName().GetUTF8String(), "TSPrefsDataCmd");
    ASSERT_TRUE(tshost::UndoHistory::Get().Undo());
    expectEverywhere({"", "", "Tessaron", "", "", "", "", "[High Quality Print]"});
    EXPECT_FALSE(tshost::UndoHistory::Get().CanUndo());
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
