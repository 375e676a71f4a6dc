#include "Signals.h"

#include <cstdio>
#include <vector>

#include "Boss.h"
#include "BossClasses.h"
#include "CPMUnknown.h"
#include "HostModule.h"
#include "IDocumentSignalData.h"
#include "IResponder.h"
#include "ISignalMgr.h"
#include "InterfacePtr.h"
#include "ServiceRegistry.h"
#include "SignalIDs.h"
#include "Transcript.h"
#include "HexText.h"

namespace tshost {

namespace {

bool gEcho = false;

class SignalMgr final : public CPMUnknown<ISignalMgr> {
public:
    explicit SignalMgr(IPMUnknown* boss) : CPMUnknown<ISignalMgr>(boss) {}
    ServiceID GetServiceID() const override { return fService; }
    void SetSignalError(ErrorCode error) override { fError = error; }
    ErrorCode GetSignalError() const override { return fError; }
    void SetServiceID(ServiceID service) { fService = service; }

private:
    ServiceID fService;
    ErrorCode fError = kSuccess;
};

class DocumentSignalData final : public CPMUnknown<IDocumentSignalData> {
public:
    explicit DocumentSignalData(IPMUnknown* boss) : CPMUnknown<IDocumentSignalData>(boss) {}
    UIDRef GetDocument() const override { return fDocument; }
    void SetDocument(const UIDRef& document) { fDocument = document; }

private:
    UIDRef fDocument;
};

// The echo is off again for each new host: modules run when it boots.
HostModule gModule("document signals", 1, [] {
    DefineHostClass(kSignalMgrBoss, "kSignalMgrBoss", kInvalidClass,
                    {{IID_OF<ISignalMgr>(), kSignalMgrImpl}, {IID_OF<IDocumentSignalData>(), kDocumentSignalDataImpl}});
    RegisterHostImplementation(HostImplementation<SignalMgr>(kSignalMgrImpl));
    RegisterHostImplementation(HostImplementation<DocumentSignalData>(kDocumentSignalDataImpl));
    gEcho = false;
});

}  // namespace

const char* SignalName(ServiceID service) {
    if (service == kAfterNewDocSignal) return "after-new";
    if (service == kAfterOpenDocSignal) return "after-open";
    if (service == kBeforeCloseDocSignal) return "before-close";
    if (service == kAfterCloseDocSignal) return "after-close";
    if (service == kFrontDocChangedSignal) return "front-document";
    return "";
}

void SetSignalEcho(bool on) { gEcho = on; }
bool SignalEcho() { return gEcho; }

ErrorCode SendSignal(ServiceID service, const UIDRef& document, const std::string& documentName) {
    if (gEcho) {
        std::string line = "signal " + Hex(service.Get());
        if (*SignalName(service)) line += std::string(" ") + SignalName(service);
        if (!documentName.empty()) line += " " + documentName;
        Show(line);
    }
    ServiceRegistry* registry = ServiceRegistry::Current();
    if (!registry) return kSuccess;
    std::vector<InterfacePtr<IServiceProvider>> providers = registry->ProvidersOf(service);
    if (providers.empty()) return kSuccess;

    Boss* boss = Boss::Create(kSignalMgrBoss);
    if (!boss) return kSuccess;
    InterfacePtr<ISignalMgr> signal(static_cast<ISignalMgr*>(boss->QueryInterface(IID_OF<ISignalMgr>())));
    boss->Release();  // `signal` keeps the boss
    auto* mgr = dynamic_cast<SignalMgr*>(signal.get());
    if (!mgr) return kSuccess;
    mgr->SetServiceID(service);
    // Withheld in tests to send signals without data.
    InterfacePtr<IDocumentSignalData> data(signal.get(), IID_OF<IDocumentSignalData>());
    if (auto* d = dynamic_cast<DocumentSignalData*>(data.get())) d->SetDocument(document);

    std::vector<InterfacePtr<IResponder>> responded;
    ErrorCode result = kSuccess;
    for (const InterfacePtr<IServiceProvider>& provider : providers) {
        InterfacePtr<IResponder> responder(provider.get(), IID_OF<IResponder>());
        if (!responder) continue;
        try {
            responder->Respond(signal.get());
        } catch (...) {
            Diagnose("a responder to signal " + Hex(service.Get()) + " failed with an exception");
            if (signal->GetSignalError() == kSuccess) signal->SetSignalError(kFailure);
        }
        if (signal->GetSignalError() != kSuccess) {
            result = signal->GetSignalError();
            break;
        }
        responded.push_back(std::move(responder));
    }
    if (result != kSuccess)
        for (auto it = responded.rbegin(); it != responded.rend(); ++it) {
            try {
                (*it)->SignalFailed(signal.get());
            } catch (...) {
                Diagnose("a responder's SignalFailed for signal " + Hex(service.Get()) + " failed with an exception");
            }
        }
    return result;
}

}  // namespace tshost
