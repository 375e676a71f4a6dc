// Document signals and the service registry: which responders hear which signal, in what
// order, with what data, how failures stop a signal, how providers are found and kept, and
// that active-selection observers follow the front document.
#include "BossClasses.h"
#include "HostIDs.h"
#include "IDocumentSignalData.h"
#include "IResponder.h"
#include "ISession.h"
#include "IServiceRegistry.h"
#include "InterfacePtr.h"
#include "ActiveSelectionObserver.h"
#include "ServiceRegistry.h"
#include "SignalIDs.h"
#include "Signals.h"
#include "SignalsTestPlugin.h"

namespace sigtest {

namespace {

using Lines = std::vector<std::string>;

TEST_F(SignalsFixture, EveryDocumentChangeSignalsInOrder) {
    std::string error;
    IDocument* first = NewDoc();
    EXPECT_EQ(Take(), (Lines{"A after-new Untitled-1 of 1", "A front-document Untitled-1 of 1", "C front-document Untitled-1 of 1"}));
    IDocument* second = NewDoc();
    host.Docs().BringToFront(first);
    host.Docs().BringToFront(first);
    EXPECT_EQ(Take(), (Lines{"A after-new Untitled-2 of 2", "A front-document Untitled-2 of 2", "C front-document Untitled-2 of 2",
                             "A front-document Untitled-1 of 2", "C front-document Untitled-1 of 2"}));
    const std::string path = dir / "B.indd";
    ASSERT_TRUE(host.Docs().SaveAs(second, path, error)) << error;
    EXPECT_EQ(Take(), Lines{});

    host.Docs().Close(first);
    EXPECT_EQ(Take(), (Lines{"A before-close Untitled-1 of 2", "A after-close Untitled-1 of 1", "B after-close Untitled-1 of 1",
                             "C after-close Untitled-1 of 1", "A front-document B.indd of 1", "C front-document B.indd of 1"}));
    host.Docs().Close(second);
    EXPECT_EQ(Take(), (Lines{"A before-close B.indd of 1", "A after-close B.indd of 0", "B after-close B.indd of 0",
                             "C after-close B.indd of 0"}))
        << "no front-document signal once the last document closed";

    IDocument* reopened = host.Docs().Open(path, error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(host.Docs().Open(path, error), reopened);
    EXPECT_EQ(Take(), (Lines{"A after-open B.indd of 1", "A front-document B.indd of 1", "C front-document B.indd of 1"}));

    // One boss each for the providers kept for the session, a new one per signal for C.
    EXPECT_EQ(Rec().responderObjects["A"], 1);
    EXPECT_EQ(Rec().responderObjects["B"], 1);
    EXPECT_EQ(Rec().responderObjects["C"], 7);
}

TEST_F(SignalsFixture, WithheldInterfacesAreSilentPaths) {
    tshost::BossClasses::Get().Withhold(tshost::kSignalMgrBoss, IID_OF<IDocumentSignalData>());
    NewDoc();
    EXPECT_EQ(Take(), (Lines{"A after-new no-data of 1", "A front-document no-data of 1", "C front-document no-data of 1"}));
    tshost::BossClasses::Get().Restore(tshost::kSignalMgrBoss, IID_OF<IDocumentSignalData>());

    tshost::BossClasses::Get().Withhold(kPerUseBoss, IID_OF<IResponder>());
    NewDoc();
    EXPECT_EQ(Take(), (Lines{"A after-new Untitled-2 of 2", "A front-document Untitled-2 of 2"}));

    tshost::BossClasses::Get().Withhold(tshost::kSessionBoss, IID_OF<IServiceRegistry>());
    NewDoc();
    EXPECT_EQ(Take(), Lines{}) << "without a registry no responder is found";
    for (const std::string& line : capture.diagnosed) EXPECT_EQ(line.find("responder"), std::string::npos) << line;
}

TEST_F(SignalsFixture, AFailingResponderEndsTheSignal) {
    struct Case { bool throwing; const char* kept; const char* closed; };
    for (Case c : {Case{false, "Untitled-1", "Untitled-2"}, Case{true, "Untitled-3", "Untitled-4"}}) {
        SCOPED_TRACE(c.throwing ? "throwing" : "error code");
        IDocument* kept = NewDoc();
        IDocument* closed = NewDoc();
        Take();
        capture.diagnosed.clear();
        Rec().failTag = "B";
        Rec().failService = tshost::kAfterCloseDocSignal;
        Rec().failByThrowing = c.throwing;
        host.Docs().Close(closed);
        Rec().failTag.clear();
        const std::string keptName = c.kept;
        EXPECT_EQ(Take(), (Lines{"A before-close " + std::string(c.closed) + " of 2", "A after-close " + std::string(c.closed) + " of 1",
                                 "B after-close " + std::string(c.closed) + " of 1", "A failed after-close", "A front-document " + keptName + " of 1",
                                 "C front-document " + keptName + " of 1"}));
        EXPECT_EQ(capture.diagnosed.size(), c.throwing ? 1u : 0u);
        host.Docs().Close(kept);
        Take();
    }
}

TEST_F(SignalsFixture, ACloseInsideABeforeCloseNests) {
    NewDoc();
    IDocument* inner = NewDoc();
    IDocument* outer = NewDoc();
    Take();
    Rec().closeInBeforeClose = inner;
    host.Docs().Close(outer);
    EXPECT_EQ(Take(), (Lines{"A before-close Untitled-2 of 3", "A after-close Untitled-2 of 2", "B after-close Untitled-2 of 2",
                             "C after-close Untitled-2 of 2", "A before-close Untitled-3 closing-other=0 of 2",
                             "A after-close Untitled-3 of 1", "B after-close Untitled-3 of 1", "C after-close Untitled-3 of 1",
                             "A front-document Untitled-1 of 1", "C front-document Untitled-1 of 1"}));
}

TEST_F(SignalsFixture, TheRegistryFindsProvidersByServiceAndClass) {
    InterfacePtr<IServiceRegistry> registry(gSession, IID_OF<IServiceRegistry>());
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->GetServiceProviderCount(tshost::kAfterNewDocSignal), 2);  // A and the provider without responder
    EXPECT_EQ(registry->GetServiceProviderCount(tshost::kAfterCloseDocSignal), 4);
    EXPECT_EQ(registry->GetServiceProviderCount(tshost::kFrontDocChangedSignal), 3) << "duplicate IDs count once";
    EXPECT_EQ(registry->GetServiceProviderCount(ServiceID(0x12345)), 0);

    InterfacePtr<IServiceProvider> a(registry->QueryServiceProviderByClassID(tshost::kAfterNewDocSignal, kRecorderBoss));
    ASSERT_TRUE(a);
    PMString name;
    a->GetName(&name);
    EXPECT_EQ(name.GetUTF8String(), "Recorder");
    InterfacePtr<IServiceProvider> again(registry->QueryServiceProviderByClassID(tshost::kAfterNewDocSignal, kRecorderBoss));
    EXPECT_EQ(a.get(), again.get()) << "kept for the session";
    InterfacePtr<IServiceProvider> c1(registry->QueryServiceProviderByClassID(tshost::kFrontDocChangedSignal, kPerUseBoss));
    InterfacePtr<IServiceProvider> c2(registry->QueryServiceProviderByClassID(tshost::kFrontDocChangedSignal, kPerUseBoss));
    ASSERT_TRUE(c1 && c2);
    EXPECT_NE(c1.get(), c2.get()) << "a new boss per use";

    EXPECT_FALSE(InterfacePtr<IServiceProvider>(registry->QueryServiceProviderByClassID(tshost::kAfterNewDocSignal, kAfterCloseOnlyBoss)))
        << "a provider with one ID provides only GetServiceID's";
    EXPECT_TRUE(InterfacePtr<IServiceProvider>(registry->QueryServiceProviderByClassID(tshost::kAfterCloseDocSignal, kAfterCloseOnlyBoss)));
    InterfacePtr<IServiceProvider> first(registry->QueryDefaultServiceProvider(tshost::kAfterNewDocSignal));
    EXPECT_EQ(first.get(), a.get()) << "without a default, the first";
    EXPECT_FALSE(InterfacePtr<IServiceProvider>(registry->QueryNthServiceProvider(tshost::kAfterNewDocSignal, 2)));
    EXPECT_FALSE(InterfacePtr<IServiceProvider>(registry->QueryNthServiceProvider(tshost::kAfterNewDocSignal, -1)));
    EXPECT_FALSE(InterfacePtr<IServiceProvider>(registry->QueryServiceProviderByClassID(tshost::kAfterNewDocSignal, kThrowingProviderBoss)));
    ASSERT_EQ(capture.diagnosed.size(), 1u);
    EXPECT_NE(capture.diagnosed[0].find("kThrowingProviderBoss of SignalsTestPlugin"), std::string::npos) << capture.diagnosed[0];
}

TEST_F(SignalsFixture, HostRegistrationsGetTheGenericProvider) {
    constexpr ServiceID kDialogLikeService{0x7f6a0};
    InterfacePtr<IServiceRegistry> registry(gSession, IID_OF<IServiceRegistry>());
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->GetServiceProviderCount(kDialogLikeService), 0);
    // After the registry first looked, and twice: the second call changes nothing.
    tshost::RegisterHostServiceProvider(kDialogLikeBoss, kDialogLikeService);
    tshost::RegisterHostServiceProvider(kDialogLikeBoss, kDialogLikeService);
    tshost::RegisterHostServiceProvider(ClassID(0x7f6ff), kDialogLikeService);
    EXPECT_EQ(registry->GetServiceProviderCount(kDialogLikeService), 1);
    InterfacePtr<IServiceProvider> provider(
        registry->QueryServiceProviderByClassID(kDialogLikeService, kDialogLikeBoss));
    ASSERT_TRUE(provider);
    EXPECT_EQ(provider->GetServiceID(), kDialogLikeService);
    EXPECT_FALSE(provider->HasMultipleIDs());
    PMString name;
    provider->GetName(&name);
    EXPECT_EQ(name.GetUTF8String(), "kDialogLikeBoss");
    InterfacePtr<IDialogPart> part(provider.get(), IID_OF<IDialogPart>());
    ASSERT_TRUE(part);
    EXPECT_EQ(part->Answer(), 42);
    EXPECT_FALSE(InterfacePtr<IServiceProvider>(registry->QueryServiceProviderByClassID(kDialogLikeService, kRecorderBoss)));
}

TEST_F(SignalsFixture, SelectionObserversFollowTheFrontDocument) {
    tshost::Boss* boss = tshost::Boss::Create(kSelectionWatcherBoss);
    ASSERT_TRUE(boss);
    InterfacePtr<IObserver> observer(boss, kSelectionWatcherIID);
    boss->Release();
    ASSERT_TRUE(observer);
    auto* watcher = static_cast<ActiveSelectionObserver*>(observer.get());
    EXPECT_EQ(watcher->GetAttachIID(), kSelectionWatcherIID);

    NewDoc();
    EXPECT_TRUE(Rec().selections.empty()) << "not attached yet";
    watcher->AutoAttach();
    watcher->AutoAttach();
    EXPECT_EQ(tshost::ActiveSelectionObserverCount(), 1);
    IDocument* second = NewDoc();
    host.Docs().BringToFront(host.Docs().At(0));
    host.Docs().Close(host.Docs().At(0));
    host.Docs().Close(second);
    EXPECT_EQ(Rec().selections, (Lines{"Untitled-2", "Untitled-1", "Untitled-2", "none"}));

    watcher->AutoDetach();
    NewDoc();
    EXPECT_EQ(Rec().selections.size(), 4u);
    watcher->AutoAttach();
    observer.reset();  // the boss goes, and its observer detaches itself
    EXPECT_EQ(tshost::ActiveSelectionObserverCount(), 0);
    NewDoc();
    EXPECT_EQ(Rec().selections.size(), 4u);
}

TEST_F(SignalsFixture, TheEchoShowsSignalsAsSent) {
    tshost::SetSignalEcho(true);
    IDocument* document = NewDoc();
    host.Docs().Close(document);
    tshost::SetSignalEcho(false);
    EXPECT_EQ(capture.shown, (Lines{"signal 0xe0c after-new Untitled-1", "signal 0x16302 front-document Untitled-1",
                                    "signal 0xe19 before-close Untitled-1", "signal 0xe1a after-close Untitled-1"}));
}

}  // namespace

}  // namespace sigtest
