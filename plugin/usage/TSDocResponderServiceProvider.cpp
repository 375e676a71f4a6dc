#include "CServiceProvider.h"
#include "IResponder.h"
#include "ImplementationRecord.h"
#include "K2Vector.h"
#include "TSID.h"

// Asks the host for the document signals the usage tracking follows: created, opened,
// closed, about to close, and a change of front document.
class TSDocResponderServiceProvider : public CServiceProvider {
public:
    explicit TSDocResponderServiceProvider(IPMUnknown* boss) : CServiceProvider(boss) {
        fSupportedServiceIDs.push_back(kAfterNewDocSignalResponderService);
        fSupportedServiceIDs.push_back(kAfterOpenDocSignalResponderService);
        fSupportedServiceIDs.push_back(kAfterCloseDocSignalResponderService);
        fSupportedServiceIDs.push_back(kBeforeCloseDocSignalResponderService);
        fSupportedServiceIDs.push_back(kFrontDocChangedSignalResponderService);
    }

    void GetName(PMString* name) override {
        if (name) *name = PMString("Tessaron Document Responder Service", PMString::kTranslatable);
    }
    ServiceID GetServiceID() override { return fSupportedServiceIDs.front(); }
    bool16 IsDefaultServiceProvider() override { return kFalse; }
    int32 GetInstantiationPolicy() override { return IServiceProvider::kInstancePerSession; }
    bool16 HasMultipleIDs() override { return kTrue; }
    void GetServiceIDs(K2Vector<ServiceID>& serviceIDs) override {
        serviceIDs.insert(serviceIDs.end(), fSupportedServiceIDs.begin(), fSupportedServiceIDs.end());
    }

private:
    K2Vector<ServiceID> fSupportedServiceIDs;
};

CREATE_PMINTERFACE(TSDocResponderServiceProvider, kTSDocResponderServiceProviderImpl);
