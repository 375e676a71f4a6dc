// The plug-in's persistent state through the host, as the rest of the plug-in reaches it:
// registration, the four data classes, their streams and their commands.
#include <gtest/gtest.h>

#include <set>

#include "BossClasses.h"
#include "DataBase.h"
#include "CmdUtils.h"
#include "IDocument.h"
#include "IIdleTask.h"
#include "ISession.h"
#include "ITSDocData.h"
#include "ITSDocPathPrjIdData.h"
#include "ITSDynActionIDsData.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
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

template <class T>
InterfacePtr<T> WorkspaceData(PMIID iid) {
    InterfacePtr<IWorkspace> ws(gSession->QueryWorkspace());
    return InterfacePtr<T>(ws.get(), iid);
}

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

TEST_F(PluginCoreTest, RegistersEach38ImplementationsOnceWithFivePersistent) {
    auto entries = tshost::ImplRegistry::Get().ForPlugin(kTSPluginID);
    ASSERT_EQ(entries.size(), 38u);
    std::set<uint32> persistent;
    for (const tshost::ImplEntry* e : entries) {
        uint32 n = e->id.Get() - kTSPrefix;
        EXPECT_TRUE(n <= 0x1f || (n >= 0x28 && n <= 0x2d)) << std::hex << e->id.Get();
        if (e->Persistent()) persistent.insert(e->id.Get());
    }
    EXPECT_EQ(persistent, (std::set<uint32>{kTSDocDataPersistImpl.Get(), kTSDynActionIDsPersistDataImpl.Get(),
                                            kTSPanelResizableCtrlViewImpl.Get(), kTSDocPathPrjIdPersistImpl.Get(),
                                            kTSPrefsDataPersistImpl.Get()}));
}

TEST_F(PluginCoreTest, OneNumberResolvesByItsKind) {
    // 0x61007 as an interface on the session is the upload idle task; as a class, the prefs command.
    InterfacePtr<IIdleTask> task(gSession, kTSIdleTaskInterfaceID);
    EXPECT_TRUE(task);
    InterfacePtr<ICommand> cmd(CmdUtils::CreateCommand(kTSPrefsDataCmdBoss));
    ASSERT_TRUE(cmd);
    std::unique_ptr<PMString> name(cmd->CreateName());
    EXPECT_EQ(name->GetUTF8String(), "TSPrefsDataCmd");
    EXPECT_TRUE(InterfacePtr<ITSPrefsData>(cmd.get(), kTSPrefsDataInterfaceID));
}

TEST_F(PluginCoreTest, PrefsDefaultsAndDirtyOnlyOnChange) {
    auto prefs = WorkspaceData<ITSPrefsData>(kTSPrefsDataInterfaceID);
    ASSERT_TRUE(prefs);
    EXPECT_EQ(prefs->GetSendToOption().GetUTF8String(), "Tessaron");
    EXPECT_EQ(prefs->GetPresetName().GetUTF8String(), "[High Quality Print]");
    EXPECT_TRUE(prefs->GetUserName().IsEmpty());
    IDataBase* db = ::GetDataBase(prefs.get());
    ASSERT_TRUE(db);
    db->SetModified(kFalse);
    prefs->SetSendToOption(S("Tessaron"));
    EXPECT_FALSE(db->IsModified());
    prefs->SetUserName(S("ana"));
    EXPECT_TRUE(db->IsModified());
}

// Once the command has ended the settings are in the workspace's file, so a crash right after
// loses none of them; the command is one step the user can undo, and its undo is saved too.
TEST_F(PluginCoreTest, PrefsCommandCopiesAllEightAndTheyAreSavedWhenItEndsAndWhenUndone) {
    InterfacePtr<ICommand> cmd;
    auto p = Params<ITSPrefsData>(kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID, cmd);
    ASSERT_TRUE(p);
    const char* values[8] = {"ana", "p&ss #1", "Folder", "http://proof", "/out", "/hot", "Approved", "[Press]"};
    p->SetUserName(S(values[0]));
    p->SetPassword(S(values[1]));
    p->SetSendToOption(S(values[2]));
    p->SetTessaronInfo(S(values[3]));
    p->SetFolderInfo(S(values[4]));
    p->SetIDServerInfo(S(values[5]));
    p->SetStatusName(S(values[6]));
    p->SetPresetName(S(values[7]));
    EXPECT_EQ(CmdUtils::ProcessCommand(cmd.get()), kSuccess);
    auto expectEverywhere = [&](const char* const* expected) {
        std::string error;
        auto saved = tshost::DataBase::Open(fHost->WorkspacePath(), error);
        ASSERT_TRUE(saved) << error;
        for (auto* db : {fHost->Workspace(), saved.get()}) {
            InterfacePtr<ITSPrefsData> prefs(db, db->GetRootUID(), kTSPrefsDataInterfaceID);
            PMString got[8] = {prefs->GetUserName(),   prefs->GetPassword(),   prefs->GetSendToOption(),
                               prefs->GetTessaronInfo(), prefs->GetFolderInfo(), prefs->GetIDServerInfo(),
                               prefs->GetStatusName(),  prefs->GetPresetName()};
            for (int i = 0; i < 8; ++i) EXPECT_EQ(got[i].GetUTF8String(), expected[i]) << i;
        }
        EXPECT_FALSE(fHost->Workspace()->IsModified());
    };
    expectEverywhere(values);
    EXPECT_EQ(tshost::UndoHistory::Get().UndoName().GetUTF8String(), "TSPrefsDataCmd");
    ASSERT_TRUE(tshost::UndoHistory::Get().Undo());
    const char* defaults[8] = {"", "", "Tessaron", "", "", "", "", "[High Quality Print]"};
    expectEverywhere(defaults);
    EXPECT_FALSE(tshost::UndoHistory::Get().CanUndo());
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

TEST_F(PluginCoreTest, DocPathStoreKeepsItsInvariant) {
    InterfacePtr<ICommand> cmd;
    auto store = Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, cmd);
    store->SetDocPathPrjIdData({S("Macintosh HD:a:Flyer.indd"), 7});
    store->SetDocPathPrjIdData({S("MACINTOSH HD:A:flyer.INDD"), 7});  // same path but for case
    store->SetDocPathPrjIdData({S("Macintosh HD:a:Flyer.indd"), 8});  // another project
    auto list = store->GetDocPathPrjIDContainer();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].prjID, 8);
    // A whole list is taken as it is, duplicates included.
    list.push_back(list[0]);
    store->SetDocPathPrjIDContainer(list);
    EXPECT_EQ(store->GetDocPathPrjIDContainer().size(), 3u);
}

TEST_F(PluginCoreTest, DocPathStoreDirtiesEvenWhenNothingIsAdded) {
    auto ws = WorkspaceData<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataInterfaceID);
    ws->SetDocPathPrjIdData({S("Macintosh HD:x.indd"), 1});
    IDataBase* db = ::GetDataBase(ws.get());
    db->SetModified(kFalse);
    ws->SetDocPathPrjIdData({S("macintosh hd:X.INDD"), 1});
    EXPECT_TRUE(db->IsModified());
    EXPECT_EQ(ws->GetDocPathPrjIDContainer().size(), 1u);
}

TEST_F(PluginCoreTest, DynActionStoreDirtiesEvenWhenTheActionIsPresent) {
    auto ws = WorkspaceData<ITSDynActionIDsData>(kTSDynActionIDsDataInterfaceID);
    ws->AddEntry(ActionID(0x61034), S("Macintosh HD:x.indd"));
    IDataBase* db = ::GetDataBase(ws.get());
    db->SetModified(kFalse);
    ws->AddEntry(ActionID(0x61034), S("Macintosh HD:other.indd"));
    EXPECT_TRUE(db->IsModified());
    EXPECT_EQ(ws->Length(), 1);
    EXPECT_EQ(ws->GetDocumentPath(ActionID(0x61034)).GetUTF8String(), "Macintosh HD:x.indd");
}

TEST_F(PluginCoreTest, DocPathCommandReplacesTheWorkspaceList) {
    auto ws = WorkspaceData<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataInterfaceID);
    ws->SetDocPathPrjIdData({S("Macintosh HD:old.indd"), 1});
    InterfacePtr<ICommand> cmd;
    auto p = Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, cmd);
    p->SetDocPathPrjIdData({S("Macintosh HD:b.indd"), 2});
    p->SetDocPathPrjIdData({S("Macintosh HD:a.indd"), 3});
    CmdUtils::ProcessCommand(cmd.get());
    auto list = ws->GetDocPathPrjIDContainer();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].docPath.GetUTF8String(), "Macintosh HD:b.indd");
    EXPECT_EQ(list[1].prjID, 3);

    InterfacePtr<ICommand> empty;
    Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, empty);
    CmdUtils::ProcessCommand(empty.get());
    EXPECT_TRUE(ws->GetDocPathPrjIDContainer().empty());
}

TEST_F(PluginCoreTest, DynActionStoreOrdersByActionIDAndKeepsTheFirstPath) {
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

// Every stream: written, read back into a fresh object, and every truncated prefix read
// without a crash, a hang or garbage beyond the last whole item.
TEST_F(PluginCoreTest, StreamsRoundTripAndSurviveEveryTruncation) {
    const tshost::ImplEntry* prefsRW = tshost::ImplRegistry::Get().Find(kTSPrefsDataPersistImpl);
    const tshost::ImplEntry* pathsRW = tshost::ImplRegistry::Get().Find(kTSDocPathPrjIdPersistImpl);
    const tshost::ImplEntry* actionsRW = tshost::ImplRegistry::Get().Find(kTSDynActionIDsPersistDataImpl);
    const tshost::ImplEntry* docRW = tshost::ImplRegistry::Get().Find(kTSDocDataPersistImpl);
    ASSERT_TRUE(prefsRW && pathsRW && actionsRW && docRW);

    InterfacePtr<ICommand> c1, c2, c3, c4;
    auto prefs = Params<ITSPrefsData>(kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID, c1);
    prefs->SetUserName(S("Zoë"));
    prefs->SetPassword(S(""));
    prefs->SetStatusName(S("In Review"));
    auto paths = Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, c2);
    for (int i = 0; i < 3; ++i) paths->SetDocPathPrjIdData({S(("Macintosh HD:doc" + std::to_string(i)).c_str()), i});
    auto actions = Params<ITSDynActionIDsData>(kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID, c3);
    actions->AddEntry(ActionID(0x61035), S("b"));
    actions->AddEntry(ActionID(0x61034), S("a"));
    auto doc = Params<ITSDocData>(kTSDocDataCmdBoss, kTSDocDataInterfaceID, c4);
    doc->SetProjectXMLID(12);
    doc->SetStatusID(0);

    struct Case {
        const tshost::ImplEntry* entry;
        IPMUnknown* object;
        ClassID cls;
        PMIID iid;
    } cases[] = {{prefsRW, prefs.get(), kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID},
                 {pathsRW, paths.get(), kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID},
                 {actionsRW, actions.get(), kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID},
                 {docRW, doc.get(), kTSDocDataCmdBoss, kTSDocDataInterfaceID}};
    for (const Case& c : cases) {
        std::string bytes = Write(c.entry->readWrite, c.object, c.entry->id);
        for (std::size_t n = 0; n <= bytes.size(); ++n) {
            InterfacePtr<ICommand> holder(CmdUtils::CreateCommand(c.cls));
            InterfacePtr<IPMUnknown> fresh(holder.get(), c.iid);
            MemoryStream in(bytes.substr(0, n));
            c.entry->readWrite(fresh.get(), &in, c.entry->id);
            std::string again = Write(c.entry->readWrite, fresh.get(), c.entry->id);
            if (n == bytes.size()) {
                EXPECT_TRUE(in.IsGood());
                EXPECT_EQ(again, bytes) << std::hex << c.entry->id.Get();
            } else {
                EXPECT_FALSE(in.IsGood()) << std::hex << c.entry->id.Get() << " prefix " << n;
                EXPECT_LE(again.size(), std::max(bytes.size(), std::size_t(64)));
            }
        }
    }
}

// Round trips cannot see two items written in each other's place: each stream is compared
// byte for byte with its items written one by one in their order.
TEST_F(PluginCoreTest, EachStreamHoldsItsItemsInTheirOrder) {
    auto entry = [](ImplementationID impl) { return tshost::ImplRegistry::Get().Find(impl); };
    MemoryStream expected;
    auto text = [&](const char* value) { PMString(value, PMString::kNoTranslate).ReadWrite(&expected); };
    auto number = [&](int32 value) { expected.XferInt32(value); };
    auto id = [&](uint32 value) { ActionID action(value); expected.XferID(action); };

    InterfacePtr<ICommand> c1, c2, c3, c4;
    auto prefs = Params<ITSPrefsData>(kTSPrefsDataCmdBoss, kTSPrefsDataInterfaceID, c1);
    prefs->SetPresetName(S("8 preset"));
    prefs->SetStatusName(S("7 status"));
    prefs->SetIDServerInfo(S("6 hot folder"));
    prefs->SetFolderInfo(S("5 folder"));
    prefs->SetTessaronInfo(S("4 url"));
    prefs->SetSendToOption(S("3 send to"));
    prefs->SetPassword(S("2 password"));
    prefs->SetUserName(S("1 user"));
    for (const char* value : {"1 user", "2 password", "3 send to", "4 url", "5 folder", "6 hot folder", "7 status", "8 preset"})
        text(value);
    EXPECT_EQ(Write(entry(kTSPrefsDataPersistImpl)->readWrite, prefs.get(), kTSPrefsDataPersistImpl), expected.TakeBytes());

    expected = MemoryStream();
    auto doc = Params<ITSDocData>(kTSDocDataCmdBoss, kTSDocDataInterfaceID, c2);
    doc->SetStatusID(2);
    doc->SetProjectXMLID(1);
    number(1);
    number(2);
    EXPECT_EQ(Write(entry(kTSDocDataPersistImpl)->readWrite, doc.get(), kTSDocDataPersistImpl), expected.TakeBytes());

    expected = MemoryStream();
    auto paths = Params<ITSDocPathPrjIdData>(kTSDocPathPrjIdDataCmdBoss, kTSDocPathPrjIdDataInterfaceID, c3);
    paths->SetDocPathPrjIdData({S("b"), 20});
    paths->SetDocPathPrjIdData({S("a"), 10});
    number(2);
    text("b");
    number(20);
    text("a");
    number(10);
    EXPECT_EQ(Write(entry(kTSDocPathPrjIdPersistImpl)->readWrite, paths.get(), kTSDocPathPrjIdPersistImpl), expected.TakeBytes());

    expected = MemoryStream();
    auto actions = Params<ITSDynActionIDsData>(kTSDynActionIDsDataCmdBoss, kTSDynActionIDsDataInterfaceID, c4);
    actions->AddEntry(ActionID(0x61035), S("second"));
    actions->AddEntry(ActionID(0x61034), S("first"));
    number(2);
    id(0x61034);
    text("first");
    id(0x61035);
    text("second");
    EXPECT_EQ(Write(entry(kTSDynActionIDsPersistDataImpl)->readWrite, actions.get(), kTSDynActionIDsPersistDataImpl),
              expected.TakeBytes());
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
