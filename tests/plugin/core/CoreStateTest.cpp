// The plug-in's persistent state through the host, as the rest of the plug-in reaches it:
// registration, the four data classes, their streams and their commands.
#include <gtest/gtest.h>

#include <string>

#include "CmdUtils.h"
#include "HexText.h"
#include "IDocument.h"
#include "ITSDocData.h"
#include "ITSDocPathPrjIdData.h"
#include "ITSDynActionIDsData.h"
#include "ITSPrefsData.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "MemoryStream.h"
#include "PluginHostFixture.h"
#include "TSID.h"
#include "UndoHistory.h"

using tshost::MemoryStream;

namespace {

PMString S(const char* text) { return PMString(text, PMString::kNoTranslate); }

using PluginCoreTest = PluginHostFixture;

// A fresh boss of a command class gives plain data objects the tests can stream freely.
template <class T>
InterfacePtr<T> Params(ClassID cmd, PMIID iid, InterfacePtr<ICommand>& holder) {
    holder.reset(CmdUtils::CreateCommand(cmd));
    return InterfacePtr<T>(holder.get(), iid);
}

std::string Write(void (*rw)(IPMUnknown*, IPMStream*, ImplementationID), IPMUnknown* obj, ImplementationID id) {
    MemoryStream out;
    rw(obj, &out, id);
    return out.TakeBytes();
}

TEST_F(PluginCoreTest, PrefsDefaultsAndDirtyOnlyOnChange) {
    EXPECT_EQ(Stored(), (StoredPrefs{"", "", "Tessaron", "", "", "", "", "[High Quality Print]"}));
    auto prefs = WorkspaceData<ITSPrefsData>(kTSPrefsDataInterfaceID);
    IDataBase* db = ::GetDataBase(prefs.get());
    ASSERT_TRUE(db);
    db->SetModified(kFalse);
    prefs->SetSendToOption(S("Tessaron"));
    EXPECT_FALSE(db->IsModified());
    prefs->SetUserName(S("ana"));
    EXPECT_TRUE(db->IsModified());
}

TEST_F(PluginCoreTest, UnchangedPrefsCommandDirtiesNothingAndLeavesNoUndoStep) {
    InterfacePtr<ICommand> cmd;
    auto p = Params<ITSPrefsData>(kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID, cmd);
    auto prefs = WorkspaceData<ITSPrefsData>(kTSPrefsDataInterfaceID);
    ::GetDataBase(prefs.get())->SetModified(kFalse);
    bool couldUndo = tshost::UndoHistory::Get().CanUndo();
    CmdUtils::ProcessCommand(cmd.get());
    EXPECT_FALSE(::GetDataBase(prefs.get())->IsModified());
    EXPECT_EQ(tshost::UndoHistory::Get().CanUndo(), couldUndo);
}

// An add skips a path already recorded for that project, but for case, yet always dirties;
// a whole list is taken as it is; the command replaces the workspace's list.
TEST_F(PluginCoreTest, DocPathCommandReplacesTheWorkspaceListAndAddsSkipOnlyTheSameProjectsPath) {
    auto ws = WorkspaceData<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataInterfaceID);
    ws->SetDocPathPrjIdData({S("Macintosh HD:old.indd"), 1});
    InterfacePtr<ICommand> cmd;
    auto p = Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, cmd);
    p->SetDocPathPrjIdData({S("Macintosh HD:b.indd"), 2});
    p->SetDocPathPrjIdData({S("MACINTOSH HD:B.INDD"), 2});
    p->SetDocPathPrjIdData({S("Macintosh HD:b.indd"), 3});
    CmdUtils::ProcessCommand(cmd.get());
    auto list = ws->GetDocPathPrjIDContainer();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].docPath.GetUTF8String(), "Macintosh HD:b.indd");
    EXPECT_EQ(list[1].prjID, 3);
    IDataBase* db = ::GetDataBase(ws.get());
    db->SetModified(kFalse);
    ws->SetDocPathPrjIdData({S("macintosh hd:B.INDD"), 2});
    EXPECT_TRUE(db->IsModified());
    EXPECT_EQ(ws->GetDocPathPrjIDContainer().size(), 2u);
    list.push_back(list[0]);
    ws->SetDocPathPrjIDContainer(list);
    EXPECT_EQ(ws->GetDocPathPrjIDContainer().size(), 3u);

    InterfacePtr<ICommand> empty;
    Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, empty);
    CmdUtils::ProcessCommand(empty.get());
    EXPECT_TRUE(ws->GetDocPathPrjIDContainer().empty());
}

TEST_F(PluginCoreTest, DynActionStoreOrdersByActionIDKeepsTheFirstPathAndAlwaysDirties) {
    InterfacePtr<ICommand> cmd;
    auto map = Params<ITSDynActionIDsData>(kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID, cmd);
    EXPECT_EQ(map->Length(), 0);
    EXPECT_EQ(map->GetActionID(0), kInvalidActionID);
    EXPECT_TRUE(map->GetDocumentPath(ActionID(0x61034)).IsEmpty());
    map->AddEntry(ActionID(0x61036), S("c"));
    map->AddEntry(ActionID(0x61034), S("a"));
    map->AddEntry(ActionID(0x61035), S("b"));
    map->AddEntry(ActionID(0x61034), S("other"));
    EXPECT_EQ(map->Length(), 3);
    EXPECT_EQ(map->GetActionID(0), ActionID(0x61034));
    EXPECT_EQ(map->GetActionID(2), ActionID(0x61036));
    EXPECT_EQ(map->GetActionID(3), kInvalidActionID);
    EXPECT_EQ(map->GetActionID(-1), kInvalidActionID);
    EXPECT_EQ(map->GetDocumentPath(ActionID(0x61034)).GetUTF8String(), "a");

    CmdUtils::ProcessCommand(cmd.get());
    auto ws = WorkspaceData<ITSDynActionIDsData>(kTSDynActionIDsDataInterfaceID);
    EXPECT_EQ(ws->GetActionIDsDataMap(), map->GetActionIDsDataMap());
    // An action already there keeps its path, yet still dirties.
    IDataBase* db = ::GetDataBase(ws.get());
    db->SetModified(kFalse);
    ws->AddEntry(ActionID(0x61034), S("other"));
    EXPECT_TRUE(db->IsModified());
    EXPECT_EQ(ws->GetActionIDsDataMap(), map->GetActionIDsDataMap());
}

TEST_F(PluginCoreTest, DocDataCommandChangesOnlyTheOneDocumentInItsItemList) {
    IDocument* first = NewDocument(2);
    IDocument* second = NewDocument(1);
    ASSERT_TRUE(first && second);
    InterfacePtr<ITSDocData> data(first, kTSDocDataInterfaceID);
    EXPECT_EQ(data->GetProjectXMLID(), -1);
    EXPECT_EQ(data->GetStatusID(), -1);

    InterfacePtr<ICommand> two;
    auto p2 = Params<ITSDocData>(kTSDocDataCmdBoss, kTSDocDataInterfaceID, two);
    p2->SetProjectXMLID(5);
    UIDList both(::GetUIDRef(first));
    two->SetItemList(both);
    CmdUtils::ProcessCommand(two.get());  // one item, but see below for two databases
    EXPECT_EQ(data->GetProjectXMLID(), 5);

    InterfacePtr<ICommand> cmd;
    auto p = Params<ITSDocData>(kTSDocDataCmdBoss, kTSDocDataInterfaceID, cmd);
    p->SetProjectXMLID(0);
    p->SetStatusID(9);
    UIDList list(::GetUIDRef(first));
    list.Append(::GetUIDRef(first).GetUID());
    cmd->SetItemList(list);
    CmdUtils::ProcessCommand(cmd.get());
    EXPECT_EQ(data->GetProjectXMLID(), 5) << "two items: nothing changes";

    cmd->SetItemList(UIDList(::GetUIDRef(first)));
    CmdUtils::ProcessCommand(cmd.get());
    EXPECT_EQ(data->GetProjectXMLID(), 0);
    EXPECT_EQ(data->GetStatusID(), 9);
    EXPECT_EQ(InterfacePtr<ITSDocData>(second, kTSDocDataInterfaceID)->GetProjectXMLID(), -1);
}

// Every stream: written as stored (every field distinct, so two in each other's place show),
// read back into a fresh object, and every truncated prefix read without a crash, a hang or
// garbage beyond the last whole item.
TEST_F(PluginCoreTest, StreamsAreStoredAsTheyWereAndSurviveEveryTruncation) {
    using namespace std::string_literals;
    InterfacePtr<ICommand> c1, c2, c3, c4;
    auto prefs = Params<ITSPrefsData>(kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID, c1);
    prefs->SetUserName(S("Zo\xc3\xab"));
    prefs->SetPassword(S(""));
    prefs->SetSendToOption(S("Folder"));
    prefs->SetTessaronInfo(S("http://proof"));
    prefs->SetFolderInfo(S("HD:out"));
    prefs->SetIDServerInfo(S("HD:hot"));
    prefs->SetStatusName(S("In Review"));
    prefs->SetPresetName(S("[Press]"));
    auto paths = Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, c2);
    paths->SetDocPathPrjIdData({S("HD:b"), 20});
    paths->SetDocPathPrjIdData({S("HD:a"), 10});
    auto actions = Params<ITSDynActionIDsData>(kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID, c3);
    actions->AddEntry(ActionID(0x61035), S("b"));
    actions->AddEntry(ActionID(0x61034), S("a"));
    auto doc = Params<ITSDocData>(kTSDocDataCmdBoss, kTSDocDataInterfaceID, c4);
    doc->SetProjectXMLID(12);
    doc->SetStatusID(0);

    // Numbers are 32 bits, least significant byte first; a text is its byte count, then UTF-8.
    const struct {
        ImplementationID impl;
        IPMUnknown* object;
        ClassID cls;
        PMIID iid;
        std::string stored;
    } cases[] = {
        {kTSPrefsDataPersistImpl, prefs.get(), kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID,
         "\x04\0\0\0" "Zo\xc3\xab" "\0\0\0\0" "\x06\0\0\0" "Folder" "\x0c\0\0\0" "http://proof"
         "\x06\0\0\0" "HD:out" "\x06\0\0\0" "HD:hot" "\x09\0\0\0" "In Review" "\x07\0\0\0" "[Press]"s},
        {kTSDocPathPrjIdPersistImpl, paths.get(), kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID,
         "\x02\0\0\0" "\x04\0\0\0" "HD:b" "\x14\0\0\0" "\x04\0\0\0" "HD:a" "\x0a\0\0\0"s},
        {kTSDynActionIDsPersistDataImpl, actions.get(), kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID,
         "\x02\0\0\0" "\x34\x10\x06\0" "\x01\0\0\0" "a" "\x35\x10\x06\0" "\x01\0\0\0" "b"s},
        {kTSDocDataPersistImpl, doc.get(), kTSDocDataCmdBoss, kTSDocDataInterfaceID, "\x0c\0\0\0" "\0\0\0\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(tshost::Hex(c.impl.Get()));
        const tshost::ImplEntry* entry = tshost::ImplRegistry::Get().Find(c.impl);
        ASSERT_TRUE(entry);
        const std::string bytes = Write(entry->readWrite, c.object, c.impl);
        EXPECT_EQ(bytes, c.stored);
        for (std::size_t n = 0; n <= bytes.size(); ++n) {
            InterfacePtr<ICommand> holder(CmdUtils::CreateCommand(c.cls));
            InterfacePtr<IPMUnknown> fresh(holder.get(), c.iid);
            MemoryStream in(bytes.substr(0, n));
            entry->readWrite(fresh.get(), &in, c.impl);
            std::string again = Write(entry->readWrite, fresh.get(), c.impl);
            if (n == bytes.size()) {
                EXPECT_TRUE(in.IsGood());
                EXPECT_EQ(again, bytes);
            } else {
                EXPECT_FALSE(in.IsGood()) << "prefix " << n;
                EXPECT_LE(again.size(), std::max(bytes.size(), std::size_t(64)));
            }
        }
    }
}

TEST_F(PluginCoreTest, HostileCountsReadAsShortLists) {
    const tshost::ImplEntry* pathsRW = tshost::ImplRegistry::Get().Find(kTSDocPathPrjIdPersistImpl);
    const tshost::ImplEntry* actionsRW = tshost::ImplRegistry::Get().Find(kTSDynActionIDsPersistDataImpl);
    for (int32 count : {0, -1, -2147483647 - 1, 2147483647}) {
        MemoryStream w;
        w.XferInt32(count);
        InterfacePtr<ICommand> c1, c2;
        auto paths = Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, c1);
        paths->SetDocPathPrjIdData({S("Macintosh HD:kept-before-read"), 1});
        MemoryStream r1(w.Bytes());
        pathsRW->readWrite(paths.get(), &r1, pathsRW->id);
        EXPECT_TRUE(paths->GetDocPathPrjIDContainer().empty()) << count;
        auto actions = Params<ITSDynActionIDsData>(kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID, c2);
        MemoryStream r2(w.Bytes());
        actionsRW->readWrite(actions.get(), &r2, actionsRW->id);
        EXPECT_EQ(actions->Length(), 0) << count;
    }
    // The same action ID twice: the first path stays.
    MemoryStream w;
    int32 two = 2;
    w.XferInt32(two);
    for (const char* path : {"first", "second"}) {
        ActionID id(0x61034);
        w.XferID(id);
        PMString(path).ReadWrite(&w);
    }
    InterfacePtr<ICommand> c;
    auto actions = Params<ITSDynActionIDsData>(kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID, c);
    MemoryStream r(w.Bytes());
    actionsRW->readWrite(actions.get(), &r, actionsRW->id);
    EXPECT_EQ(actions->Length(), 1);
    EXPECT_EQ(actions->GetDocumentPath(ActionID(0x61034)).GetUTF8String(), "first");
}

}  // namespace
