#include "SignalsTestPlugin.h"

#include <stdexcept>
#include <utility>

#include "ActiveSelectionObserver.h"
#include "Boss.h"
#include "CResponder.h"
#include "CServiceProvider.h"
#include "IApplication.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "IDocument.h"
#include "IDocumentList.h"
#include "IDocumentSignalData.h"
#include "IDocumentUtils.h"
#include "ILayoutUtils.h"
#include "ISession.h"
#include "ISignalMgr.h"
#include "InterfacePtr.h"
#include "PlugIn.h"
#include "SignalIDs.h"
#include "Signals.h"
#include "UtilsBoss.h"

namespace sigtest {

namespace {

constexpr ImplementationID kMultiProviderImpl{0x7f601};
constexpr ImplementationID kRecResponderImpl{0x7f602};
constexpr ImplementationID kSingleProviderImpl{0x7f603};
constexpr ImplementationID kPerUseProviderImpl{0x7f604};
constexpr ImplementationID kThrowingProviderImpl{0x7f605};
constexpr ImplementationID kDialogPartImpl{0x7f606};
constexpr ImplementationID kSelectionWatcherImpl{0x7f607};

const std::vector<ServiceID> kAllFive{tshost::kAfterNewDocSignal, tshost::kAfterOpenDocSignal, tshost::kAfterCloseDocSignal,
                                      tshost::kBeforeCloseDocSignal, tshost::kFrontDocChangedSignal};

std::string Tag(const IPMUnknown* object) {
    tshost::Boss* boss = tshost::Boss::From(object);
    ClassID cls = boss ? boss->GetClass() : kInvalidClass;
    if (cls == kRecorderBoss) return "A";
    if (cls == kAfterCloseOnlyBoss) return "B";
    if (cls == kPerUseBoss) return "C";
    if (cls == kThrowingProviderBoss) return "T";
    return "?";
}

std::string NameOf(const IDocument* document) {
    if (!document) return "none";
    PMString name;
    document->GetName(name);
    return name.GetUTF8String();
}

int32 DocCount() {
    InterfacePtr<IApplication> app(gSession->QueryApplication());
    InterfacePtr<IDocumentList> list(app ? app->QueryDocumentList() : nullptr);
    return list ? list->GetDocCount() : -1;
}

class MultiProvider : public CServiceProvider {
public:
    explicit MultiProvider(IPMUnknown* boss) : CServiceProvider(boss) {}
    void GetName(PMString* name) override { *name = PMString("Recorder", PMString::kNoTranslate); }
    ServiceID GetServiceID() override { return tshost::kAfterNewDocSignal; }
    bool16 HasMultipleIDs() override { return kTrue; }
    void GetServiceIDs(K2Vector<ServiceID>& ids) override { ids.insert(ids.end(), kAllFive.begin(), kAllFive.end()); }
};

class SingleProvider : public CServiceProvider {
public:
    explicit SingleProvider(IPMUnknown* boss) : CServiceProvider(boss) {}
    ServiceID GetServiceID() override { return tshost::kAfterCloseDocSignal; }
    // Not read: the provider says it has one ID.
    void GetServiceIDs(K2Vector<ServiceID>& ids) override { ids.insert(ids.end(), kAllFive.begin(), kAllFive.end()); }
};

class PerUseProvider : public CServiceProvider {
public:
    explicit PerUseProvider(IPMUnknown* boss) : CServiceProvider(boss) {}
    int32 GetInstantiationPolicy() override { return kInstancePerUse; }
    bool16 HasMultipleIDs() override { return kTrue; }
    void GetServiceIDs(K2Vector<ServiceID>& ids) override {
        ids.push_back(tshost::kAfterCloseDocSignal);
        ids.push_back(tshost::kFrontDocChangedSignal);
        ids.push_back(tshost::kFrontDocChangedSignal);
        ids.push_back(kInvalidService);
    }
};

class ThrowingProvider : public CServiceProvider {
public:
    explicit ThrowingProvider(IPMUnknown* boss) : CServiceProvider(boss) {}
    bool16 HasMultipleIDs() override { return kTrue; }
    void GetServiceIDs(K2Vector<ServiceID>&) override { throw std::runtime_error("no IDs today"); }
};

class RecResponder : public CResponder {
public:
    explicit RecResponder(IPMUnknown* boss) : CResponder(boss) { ++Rec().responderObjects[Tag(boss)]; }

    void Respond(ISignalMgr* signal) override {
        ServiceID service = signal->GetServiceID();
        std::string line = Tag(this) + " " + tshost::SignalName(service);
        InterfacePtr<IDocumentSignalData> data(signal, IID_OF<IDocumentSignalData>());
        if (!data) {
            line += " no-data";
        } else if (service == tshost::kAfterCloseDocSignal) {
            std::string name = " unknown-ref";
            for (const auto& [ref, closedName] : Rec().closing)
                if (ref == data->GetDocument()) name = " " + closedName;
            line += name;
        } else {
            InterfacePtr<IDocument> document(data->GetDocument(), IID_OF<IDocument>());
            line += " " + NameOf(document.get());
            if (service == tshost::kFrontDocChangedSignal) {
                InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
                if (!layout || layout->GetFrontDocument() != document.get() ||
                    gSession->GetActiveContext()->GetContextDocument() != document.get())
                    line += " NOT-FRONT";
            }
            if (service == tshost::kBeforeCloseDocSignal && Tag(this) == "A") {
                Rec().closing.emplace_back(data->GetDocument(), NameOf(document.get()));
                if (IDocument* other = std::exchange(Rec().closeInBeforeClose, nullptr)) {
                    InterfacePtr<IDocumentUtils> utils(UtilsBoss::QueryUtils<IDocumentUtils>());
                    InterfacePtr<IDocFileHandler> handler(utils->QueryDocFileHandler(GetUIDRef(other)));
                    line += " closing-other=" + std::to_string(handler->Close(GetUIDRef(other), 2, 1, 1));
                }
                if (Rec().saveInBeforeClose) {
                    InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
                    line += " saved=" + std::to_string(files->Save(data->GetDocument(), IDocFileUtils::kSuppressUI));
                }
            }
        }
        line += " of " + std::to_string(DocCount());
        Rec().events.push_back(line);
        if (Tag(this) == Rec().failTag && service == Rec().failService) {
            if (Rec().failByThrowing) throw std::runtime_error("responder failed");
            signal->SetSignalError(42);
        }
    }

    void SignalFailed(ISignalMgr* signal) override {
        Rec().events.push_back(Tag(this) + " failed " + tshost::SignalName(signal->GetServiceID()));
    }
};

class DialogPart : public CPMUnknown<IDialogPart> {
public:
    explicit DialogPart(IPMUnknown* boss) : CPMUnknown<IDialogPart>(boss) {}
    int32 Answer() const override { return 42; }
};

class SelectionWatcher : public ActiveSelectionObserver {
public:
    explicit SelectionWatcher(IPMUnknown* boss) : ActiveSelectionObserver(boss, kSelectionWatcherIID) {}
    void HandleSelectionChanged(const ISelectionMessage* message) override {
        InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
        Rec().selections.push_back((message ? "" : "no message: ") + NameOf(layout ? layout->GetFrontDocument() : nullptr));
    }
};

CREATE_PMINTERFACE(MultiProvider, kMultiProviderImpl);
CREATE_PMINTERFACE(RecResponder, kRecResponderImpl);
CREATE_PMINTERFACE(SingleProvider, kSingleProviderImpl);
CREATE_PMINTERFACE(PerUseProvider, kPerUseProviderImpl);
CREATE_PMINTERFACE(ThrowingProvider, kThrowingProviderImpl);
CREATE_PMINTERFACE(DialogPart, kDialogPartImpl);
CREATE_PMINTERFACE(SelectionWatcher, kSelectionWatcherImpl);

PlugIn gPlugIn(PluginID(0x7f600));
PlugIn* SignalsGetPlugIn() { return &gPlugIn; }

}  // namespace

Recorder& Rec() {
    static Recorder recorder;
    return recorder;
}

void SignalsFixture::SetUp() {
    Rec().Reset();
    std::string error;
    ASSERT_TRUE(host.Boot(error)) << error;
    ASSERT_TRUE(host.LoadPlugin(SignalsGetPlugIn, TS_SIGNALS_PLUGIN_JSON, error)) << error;
    host.Start(dir.Path());
}

void SignalsFixture::TearDown() {
    std::string error;
    host.Quit(error);
    Rec().Reset();
}

IDocument* SignalsFixture::NewDoc(int32 pages) {
    std::string error;
    IDocument* document = host.Docs().New(pages, error);
    EXPECT_TRUE(document) << error;
    return document;
}

std::vector<std::string> SignalsFixture::Take() {
    std::vector<std::string> events = std::move(Rec().events);
    Rec().events.clear();
    return events;
}

}  // namespace sigtest
