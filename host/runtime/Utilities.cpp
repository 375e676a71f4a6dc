#include "Utilities.h"

#include <string>

#include "BossClasses.h"
#include "CPMUnknown.h"
#include "Host.h"
#include "HostModule.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "IDocumentUtils.h"
#include "ILayoutUtils.h"
#include "INumberUtils.h"
#include "SignalIDs.h"
#include "UtilsBoss.h"

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

class NumberUtils final : public CPMUnknown<INumberUtils> {
public:
    explicit NumberUtils(IPMUnknown* boss) : CPMUnknown<INumberUtils>(boss) {}
    PMString IntegerToText(int32 number) override { return PMString(std::to_string(number), PMString::kNoTranslate); }
};

HostModule gModule("utilities", 1, [] {
    DefineHostClass(kUtilsBoss, "kUtilsBoss", kInvalidClass,
                    {{IID_OF<ILayoutUtils>(), kLayoutUtilsImpl},
                     {IID_OF<IDocumentUtils>(), kDocumentUtilsImpl},
                     {IID_OF<IDocFileUtils>(), kDocFileUtilsImpl},
                     {IID_OF<INumberUtils>(), kNumberUtilsImpl}});
    DefineHostClass(kDocFileHandlerBoss, "kDocFileHandlerBoss", kInvalidClass,
                    {{IID_OF<IDocFileHandler>(), kDocFileHandlerImpl}});
    RegisterHostImplementation(HostImplementation<LayoutUtils>(kLayoutUtilsImpl));
    RegisterHostImplementation(HostImplementation<DocumentUtils>(kDocumentUtilsImpl));
    RegisterHostImplementation(HostImplementation<NumberUtils>(kNumberUtilsImpl));
});

}  // namespace

ErrorCode AddUtility(PMIID iid, ImplementationID impl) { return BossClasses::Get().AddIn(kUtilsBoss, iid, impl); }

IDocument* OpenDocumentFor(const UIDRef& document) {
    Host* host = Host::Current();
    if (!host || !document.GetDataBase()) return nullptr;
    Documents& docs = host->Docs();
    for (int32 i = 0; i < docs.Count(); ++i)
        if (GetUIDRef(docs.At(i)) == document) return docs.At(i);
    return nullptr;
}

}  // namespace tshost

IPMUnknown* QueryHostUtility(PMIID interfaceID) {
    tshost::Boss* boss = tshost::Boss::Create(tshost::kUtilsBoss);
    if (!boss) return nullptr;
    IPMUnknown* utility = boss->QueryInterface(interfaceID);
    boss->Release();  // the utility's reference keeps the boss
    return utility;
}
