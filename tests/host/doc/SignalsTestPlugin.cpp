#include "SignalsTestPlugin.h"

#include <stdexcept>

#include "ActiveSelectionObserver.h"
#include "Boss.h"
#include "CResponder.h"
#include "CServiceProvider.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "IDocumentSignalData.h"
#include "IDocumentUtils.h"
#include "ILayoutUtils.h"
#include "ISession.h"
#include "ISignalMgr.h"
#include "PlugIn.h"
#include "SignalIDs.h"
#include "Signals.h"
#include "UtilsBoss.h"

namespace sigtest {

namespace {

using namespace tshost;

std::string Tag(const IPMUnknown* object) {
    const Boss* boss = Boss::From(object);
    const ClassID cls = boss ? boss->GetClass() : kInvalidClass;
    return cls == kRecorderBoss ? "A" : cls == kAfterCloseOnlyBoss ? "B" : cls == kPerUseBoss ? "C" : cls == kThrowingProviderBoss ? "T" : "?";
}

// One provider for every boss of the plug-in; what it answers depends on the boss's class.
class Provider : public CServiceProvider {
public:
    explicit Provider(IPMUnknown* boss) : CServiceProvider(boss) {}
    ServiceID GetServiceID() override { return Tag(this) == "B" ? kAfterCloseDocSignal : kAfterNewDocSignal; }
    bool16 HasMultipleIDs() override { return Tag(this) != "B"; }
    int32 GetInstantiationPolicy() override { return Tag(this) == "C" ? kInstancePerUse : kInstancePerSession; }
    // B's are never read: it says it has one ID.
    void GetServiceIDs(K2Vector<ServiceID>& ids) override {
        if (Tag(this) == "T") throw std::runtime_error("no IDs today");
        ids = {kAfterNewDocSignal, kAfterOpenDocSignal, kAfterCloseDocSignal, kBeforeCloseDocSignal, kFrontDocChangedSignal};
        if (Tag(this) == "C") ids = {kAfterCloseDocSignal, kFrontDocChangedSignal, kFrontDocChangedSignal, kInvalidService};
    }
};

class RecResponder : public CResponder {
public:
    explicit RecResponder(IPMUnknown* boss) : CResponder(boss) { ++Rec().responderObjects[Tag(boss)]; }

    void Respond(ISignalMgr* signal) override {
        const ServiceID service = signal->GetServiceID();
        std::string line = Tag(this) + " " + SignalName(service) + " ";
        InterfacePtr<IDocumentSignalData> data(signal, IID_OF<IDocumentSignalData>());
        const UIDRef ref = data ? data->GetDocument() : UIDRef::gNull;
        // At the after-close signal the document has left the list but its database is still there.
        InterfacePtr<IDocument> document(ref, IID_OF<IDocument>());
        line += data ? Documents::NameOf(document.get()) : "no-data";
        InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
        if (data && service == kFrontDocChangedSignal &&
            (layout->GetFrontDocument() != document.get() || gSession->GetActiveContext()->GetContextDocument() != document.get()))
            line += " NOT-FRONT";
        if (data && service == kBeforeCloseDocSignal && Tag(this) == "A") {
            if (IDocument* other = std::exchange(Rec().closeInBeforeClose, nullptr)) {
                InterfacePtr<IDocumentUtils> utils(UtilsBoss::QueryUtils<IDocumentUtils>());
                InterfacePtr<IDocFileHandler> handler(utils->QueryDocFileHandler(GetUIDRef(other)));
                line += " closing-other=" + std::to_string(handler->Close(GetUIDRef(other), IDocFileHandler::kDiscardUnsaved, kTrue, kTrue));
            }
            InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
            if (Rec().saveInBeforeClose) line += " saved=" + std::to_string(files->Save(ref, IDocFileUtils::kSuppressUI));
        }
        Rec().events.push_back(line + " of " + std::to_string(Rec().host->Docs().Count()));
        const Fail fail = Tag(this) == "B" && service == kAfterCloseDocSignal ? Rec().bFailsAfterClose : Fail::kNo;
        if (fail == Fail::kByThrowing) throw std::runtime_error("responder failed");
        if (fail == Fail::kWithError) signal->SetSignalError(42);
    }

    void SignalFailed(ISignalMgr* signal) override {
        Rec().events.push_back(Tag(this) + " failed " + SignalName(signal->GetServiceID()));
    }
};

class SelectionWatcher : public ActiveSelectionObserver {
public:
    explicit SelectionWatcher(IPMUnknown* boss) : ActiveSelectionObserver(boss, kSelectionWatcherIID) {}
    void HandleSelectionChanged(const ISelectionMessage* message) override {
        InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
        Rec().selections.push_back((message ? "" : "no message: ") + Documents::NameOf(layout->GetFrontDocument()));
    }
};

constexpr ImplementationID kProviderImpl{0x7f601}, kRecResponderImpl{0x7f602}, kSelectionWatcherImpl{0x7f607};
CREATE_PMINTERFACE(Provider, kProviderImpl);
CREATE_PMINTERFACE(RecResponder, kRecResponderImpl);
CREATE_PMINTERFACE(SelectionWatcher, kSelectionWatcherImpl);

PlugIn gPlugIn(PluginID(0x7f600));
PlugIn* SignalsGetPlugIn() { return &gPlugIn; }

}  // namespace

Recorder& Rec() {
    static Recorder recorder;
    return recorder;
}

void SignalsFixture::SetUp() {
    Rec() = Recorder{.host = &host};
    tshost::SetTranscriptSink([this](std::string_view line) { shown.emplace_back(line); });
    tshost::SetDiagnosticSink([this](std::string_view line) { diagnosed.emplace_back(line); });
    std::string error;
    ASSERT_TRUE(host.Boot(error)) << error;
    ASSERT_TRUE(host.LoadPlugin(SignalsGetPlugIn, TS_SIGNALS_PLUGIN_JSON, error)) << error;
    host.Start(dir.Path());
}

void SignalsFixture::TearDown() {
    std::string error;
    host.Quit(error);
    tshost::SetTranscriptSink({});
    tshost::SetDiagnosticSink({});
}

}  // namespace sigtest
