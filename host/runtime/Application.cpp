// The application boss's implementations: the version text and the open documents.
#include "CPMUnknown.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "IDocumentList.h"

namespace tshost {

namespace {

class ApplicationImpl final : public CPMUnknown<IApplication> {
public:
    explicit ApplicationImpl(IPMUnknown* boss) : CPMUnknown<IApplication>(boss) {}

    PMString GetApplicationVersion() const override { return PMString(Host::kVersion, PMString::kNoTranslate); }

    IDocumentList* QueryDocumentList() const override {
        return static_cast<IDocumentList*>(Boss()->QueryInterface(IID_OF<IDocumentList>()));
    }
};

class DocumentListImpl final : public CPMUnknown<IDocumentList> {
public:
    explicit DocumentListImpl(IPMUnknown* boss) : CPMUnknown<IDocumentList>(boss) {}

    int32 GetDocCount() const override {
        Host* host = Host::Current();
        return host ? host->Docs().Count() : 0;
    }

    IDocument* GetNthDoc(int32 index) const override {
        Host* host = Host::Current();
        return host ? host->Docs().At(index) : nullptr;
    }
};

HostModule gModule("application", 0, [] {
    RegisterHostImplementation(HostImplementation<ApplicationImpl>(kApplicationImpl));
    RegisterHostImplementation(HostImplementation<DocumentListImpl>(kDocumentListImpl));
});

}  // namespace

}  // namespace tshost
