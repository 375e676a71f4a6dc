// The document utilities on kUtilsBoss (Utilities.h): the layout utility's front document,
// and the document utilities with the document-file handler they give.
#include "DocumentUtilities.h"

#include "Boss.h"
#include "CPMUnknown.h"
#include "Host.h"
#include "HostModule.h"
#include "IDocFileHandler.h"
#include "IDocumentUtils.h"
#include "ILayoutUtils.h"
#include "SignalIDs.h"

namespace tshost {

namespace {

class LayoutUtils final : public CPMUnknown<ILayoutUtils> {
public:
    explicit LayoutUtils(IPMUnknown* boss) : CPMUnknown<ILayoutUtils>(boss) {}
    IDocument* GetFrontDocument() override {
        Host* host = Host::Current();
        return host ? host->Docs().Front() : nullptr;
    }
};

class DocumentUtils final : public CPMUnknown<IDocumentUtils> {
public:
    explicit DocumentUtils(IPMUnknown* boss) : CPMUnknown<IDocumentUtils>(boss) {}
    IDocFileHandler* QueryDocFileHandler(const UIDRef& document) override {
        if (!OpenDocumentFor(document)) return nullptr;
        tshost::Boss* boss = tshost::Boss::Create(kDocFileHandlerBoss);
        if (!boss) return nullptr;
        auto* handler = static_cast<IDocFileHandler*>(boss->QueryInterface(IID_OF<IDocFileHandler>()));
        boss->Release();  // the handler's reference keeps the boss
        return handler;
    }
};

HostModule gModule("document utilities", 1, [] {
    RegisterHostImplementation(HostImplementation<LayoutUtils>(kLayoutUtilsImpl));
    RegisterHostImplementation(HostImplementation<DocumentUtils>(kDocumentUtilsImpl));
});

}  // namespace

IDocument* OpenDocumentFor(const UIDRef& document) {
    Host* host = Host::Current();
    if (!host || !document.GetDataBase()) return nullptr;
    Documents& docs = host->Docs();
    for (int32 i = 0; i < docs.Count(); ++i)
        if (GetUIDRef(docs.At(i)) == document) return docs.At(i);
    return nullptr;
}

}  // namespace tshost
