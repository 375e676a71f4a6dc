#include "Utilities.h"

#include <string>

#include "Boss.h"
#include "BossClasses.h"
#include "CPMUnknown.h"
#include "HostModule.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "IDocumentUtils.h"
#include "ILayoutUtils.h"
#include "INumberUtils.h"
#include "Runtime.h"
#include "SignalIDs.h"
#include "UtilsBoss.h"

namespace tshost {

namespace {

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
    RegisterHostImplementation(HostImplementation<NumberUtils>(kNumberUtilsImpl));
});

}  // namespace

ErrorCode AddUtility(PMIID iid, ImplementationID impl) { return BossClasses::Get().AddIn(kUtilsBoss, iid, impl); }

}  // namespace tshost

IPMUnknown* QueryHostUtility(PMIID interfaceID) {
    // Plug-ins ask for utilities every 10 ms while idle: the run's one boss answers.
    tshost::Runtime* runtime = tshost::Runtime::Current();
    if (IPMUnknown* shared = runtime ? runtime->Utilities() : nullptr) return shared->QueryInterface(interfaceID);
    tshost::Boss* boss = tshost::Boss::Create(tshost::kUtilsBoss);
    if (!boss) return nullptr;
    IPMUnknown* utility = boss->QueryInterface(interfaceID);
    boss->Release();  // the utility's reference keeps the boss
    return utility;
}
