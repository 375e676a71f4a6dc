// Document signals and the service registry: which responders hear which signal, in what
// order, with what data, how failures stop a signal, how providers are found and kept, and
// that active-selection observers follow the front document.
#include "ActiveSelection.h"
#include "ActiveSelectionObserver.h"
#include "Boss.h"
#include "BossClasses.h"
#include "HostIDs.h"
#include "IDocumentSignalData.h"
#include "IResponder.h"
#include "ISession.h"
#include "ServiceRegistry.h"
#include "SignalIDs.h"
#include "Signals.h"
#include "SignalsTestPlugin.h"

namespace sigtest {

namespace {

using namespace tshost;

TEST_F(SignalsFixture, EveryDocumentChangeSignalsInOrder) {
    std::string error;
    IDocument* first = NewDoc();
    IDocument* second = NewDoc("B.indd");  // saving sends no signal
    host.Docs().BringToFront(first);
    host.Docs().BringToFront(first);
    EXPECT_EQ(Take(), (Lines{"A after-new Untitled-1 of 1", "A front-document Untitled-1 of 1", "C front-document Untitled-1 of 1",
                             "A after-new Untitled-2 of 2", "A front-document Untitled-2 of 2", "C front-document Untitled-2 of 2",
                             "A front-document Untitled-1 of 2", "C front-document Untitled-1 of 2"}));

    host.Docs().Close(first);
    EXPECT_EQ(Take(), (Lines{"A before-close Untitled-1 of 2", "A after-close Untitled-1 of 1", "B after-close Untitled-1 of 1",
                             "C after-close Untitled-1 of 1", "A front-document B.indd of 1", "C front-document B.indd of 1"}));
    host.Docs().Close(second);
    EXPECT_EQ(Take(), (Lines{"A before-close B.indd of 1", "A after-close B.indd of 0", "B after-close B.indd of 0",
                             "C after-close B.indd of 0"}))
        << "no front-document signal once the last document closed";

    IDocument* reopened = host.Docs().Open(dir / "B.indd", error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(Take(), (Lines{"A after-open B.indd of 1", "A front-document B.indd of 1", "C front-document B.indd of 1"}));

    // One boss each for the providers kept for the session, a new one per signal for C.
    EXPECT_EQ(Rec().responderObjects, (std::map<std::string, int>{{"A", 1}, {"B", 1}, {"C", 7}}));
}

TEST_F(SignalsFixture, WithheldInterfacesAreSilentPaths) {
    BossClasses::Get().Withhold(kSignalMgrBoss, IID_OF<IDocumentSignalData>());
    NewDoc();
    EXPECT_EQ(Take(), (Lines{"A after-new no-data of 1", "A front-document no-data of 1", "C front-document no-data of 1"}));
    BossClasses::Get().Restore(kSignalMgrBoss, IID_OF<IDocumentSignalData>());

    BossClasses::Get().Withhold(kPerUseBoss, IID_OF<IResponder>());
    NewDoc();
    EXPECT_EQ(Take(), (Lines{"A after-new Untitled-2 of 2", "A front-document Untitled-2 of 2"}));

    BossClasses::Get().Withhold(kSessionBoss, IID_OF<IServiceRegistry>());
    NewDoc();
    EXPECT_EQ(Take(), Lines{}) << "without a registry no responder is found";
    for (const std::string& line : diagnosed) EXPECT_EQ(line.find("responder"), std::string::npos) << line;
}

TEST_F(SignalsFixture, AFailingResponderEndsTheSignal) {
    for (Fail fail : {Fail::kWithError, Fail::kByThrowing}) {
        SCOPED_TRACE(fail == Fail::kByThrowing ? "throwing" : "error code");
        IDocument* kept = NewDoc();
        const std::string keptName = Documents::NameOf(kept), closed = Documents::NameOf(NewDoc());
        Take();
        diagnosed.clear();
        Rec().bFailsAfterClose = fail;
        host.Docs().Close(host.Docs().Front());
        Rec().bFailsAfterClose = Fail::kNo;
        EXPECT_EQ(Take(), (Lines{"A before-close " + closed + " of 2", "A after-close " + closed + " of 1", "B after-close " + closed + " of 1",
                                 "A failed after-close", "A front-document " + keptName + " of 1", "C front-document " + keptName + " of 1"}));
        EXPECT_EQ(diagnosed.size(), fail == Fail::kByThrowing ? 1u : 0u);
        host.Docs().Close(kept);
    }
}

TEST_F(SignalsFixture, ACloseInsideABeforeCloseNests) {
    NewDoc();
    Rec().closeInBeforeClose = NewDoc();
    IDocument* outer = NewDoc();
    Take();
    host.Docs().Close(outer);
    EXPECT_EQ(Take(), (Lines{"A before-close Untitled-2 of 3", "A after-close Untitled-2 of 2", "B after-close Untitled-2 of 2",
                             "C after-close Untitled-2 of 2", "A before-close Untitled-3 closing-other=0 of 2",
                             "A after-close Untitled-3 of 1", "B after-close Untitled-3 of 1", "C after-close Untitled-3 of 1",
                             "A front-document Untitled-1 of 1", "C front-document Untitled-1 of 1"}));
}

TEST_F(SignalsFixture, TheRegistryFindsProvidersByServiceAndClass) {
    InterfacePtr<IServiceRegistry> registry(gSession, IID_OF<IServiceRegistry>());
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->GetServiceProviderCount(kAfterNewDocSignal), 2);  // A and the provider without responder
    EXPECT_EQ(registry->GetServiceProviderCount(kAfterCloseDocSignal), 4);
    EXPECT_EQ(registry->GetServiceProviderCount(kFrontDocChangedSignal), 3) << "duplicate IDs count once";
    EXPECT_EQ(registry->GetServiceProviderCount(ServiceID(0x12345)), 0);

    using Provider = InterfacePtr<IServiceProvider>;
    auto byClass = [&](ServiceID service, ClassID cls) { return Provider(registry->QueryServiceProviderByClassID(service, cls)); };
    Provider a = byClass(kAfterNewDocSignal, kRecorderBoss), c = byClass(kFrontDocChangedSignal, kPerUseBoss);
    ASSERT_TRUE(a && c);
    EXPECT_EQ(a.get(), byClass(kAfterNewDocSignal, kRecorderBoss).get()) << "kept for the session";
    EXPECT_EQ(a.get(), Provider(registry->QueryDefaultServiceProvider(kAfterNewDocSignal)).get()) << "without a default, the first";
    EXPECT_NE(c.get(), byClass(kFrontDocChangedSignal, kPerUseBoss).get()) << "a new boss per use";
    EXPECT_FALSE(byClass(kAfterNewDocSignal, kAfterCloseOnlyBoss)) << "a provider with one ID provides only GetServiceID's";
    EXPECT_TRUE(byClass(kAfterCloseDocSignal, kAfterCloseOnlyBoss));
    EXPECT_FALSE(Provider(registry->QueryNthServiceProvider(kAfterNewDocSignal, 2)));
    EXPECT_FALSE(Provider(registry->QueryNthServiceProvider(kAfterNewDocSignal, -1)));
    EXPECT_FALSE(byClass(kAfterNewDocSignal, kThrowingProviderBoss));
    ASSERT_EQ(diagnosed.size(), 1u);
    EXPECT_NE(diagnosed[0].find("kThrowingProviderBoss of SignalsTestPlugin"), std::string::npos) << diagnosed[0];

    // Host registrations, made after the registry first looked; repeated, and of an unknown class.
    constexpr ServiceID kDialogLikeService{0x7f6a0};
    for (ClassID cls : {kDialogLikeBoss, kDialogLikeBoss, ClassID(0x7f6ff)}) RegisterHostServiceProvider(cls, kDialogLikeService);
    EXPECT_EQ(registry->GetServiceProviderCount(kDialogLikeService), 1);
    Provider generic = byClass(kDialogLikeService, kDialogLikeBoss);
    ASSERT_TRUE(generic);
    EXPECT_EQ(generic->GetServiceID(), kDialogLikeService);
    EXPECT_TRUE(InterfacePtr<IObserver>(generic.get(), kSelectionWatcherIID)) << "the generic provider joins the class's own boss";
}

TEST_F(SignalsFixture, SelectionObserversFollowTheFrontDocument) {
    InterfacePtr<IObserver> observer(Boss::Create(kSelectionWatcherBoss), kSelectionWatcherIID);
    observer->Release();  // the boss's own reference from Create
    auto* watcher = static_cast<ActiveSelectionObserver*>(observer.get());

    NewDoc();
    EXPECT_TRUE(Rec().selections.empty()) << "not attached yet";
    watcher->AutoAttach();
    watcher->AutoAttach();
    EXPECT_EQ(ActiveSelectionObserverCount(), 1);
    IDocument* second = NewDoc();
    host.Docs().BringToFront(host.Docs().At(0));
    host.Docs().Close(host.Docs().At(0));
    host.Docs().Close(second);
    EXPECT_EQ(Rec().selections, (Lines{"Untitled-2", "Untitled-1", "Untitled-2", ""}));

    watcher->AutoDetach();
    NewDoc();
    EXPECT_EQ(Rec().selections.size(), 4u);
    watcher->AutoAttach();
    observer.reset();  // the boss goes, and its observer detaches itself
    EXPECT_EQ(ActiveSelectionObserverCount(), 0);
    NewDoc();
    EXPECT_EQ(Rec().selections.size(), 4u);
}

}  // namespace

}  // namespace sigtest
