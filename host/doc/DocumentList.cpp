// The application boss's list of open documents (IDocumentList), in opening order.
#include "CPMUnknown.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IDocumentList.h"

namespace tshost {

namespace {

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

HostModule gModule("document list", 0, [] {
    RegisterHostImplementation(HostImplementation<DocumentListImpl>(kDocumentListImpl));
});

}  // namespace

}  // namespace tshost
