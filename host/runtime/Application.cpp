// The application boss's version text and its way to the open documents, whose list
// (IDocumentList) the documents layer implements (DocumentList.cpp).
#include "CPMUnknown.h"
#include "Runtime.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "IDocumentList.h"

namespace tshost {

namespace {

class ApplicationImpl final : public CPMUnknown<IApplication> {
public:
    explicit ApplicationImpl(IPMUnknown* boss) : CPMUnknown<IApplication>(boss) {}

    PMString GetApplicationVersion() const override { return PMString(Runtime::kVersion, PMString::kNoTranslate); }

    IDocumentList* QueryDocumentList() const override {
        return static_cast<IDocumentList*>(Boss()->QueryInterface(IID_OF<IDocumentList>()));
    }
};

HostModule gModule("application", 0, [] {
    RegisterHostImplementation(HostImplementation<ApplicationImpl>(kApplicationImpl));
});

}  // namespace

}  // namespace tshost
