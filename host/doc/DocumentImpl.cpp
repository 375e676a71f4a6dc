// The document's boss classes and the implementations of their persistent bosses: the
// document (IDocument) and the page list and page data (PageList.h). GetDataBase and
// GetUIDRef live here too.
#include "CPMUnknown.h"
#include "DataBase.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IDocument.h"
#include "IPageList.h"
#include "PageList.h"

namespace tshost {

namespace {

class DocumentImpl final : public CPMUnknown<IDocument> {
public:
    explicit DocumentImpl(IPMUnknown* boss) : CPMUnknown<IDocument>(boss) {}

    void GetName(PMString& name) const override {
        DataBase* db = Database();
        name = PMString(db ? db->DisplayName() : std::string(), PMString::kNoTranslate);
    }

    bool16 IsSaved() const override {
        DataBase* db = Database();
        return db && !db->Path().empty() ? kTrue : kFalse;
    }

private:
    DataBase* Database() const {
        tshost::Boss* boss = tshost::Boss::From(Boss());
        return boss ? boss->GetDataBase() : nullptr;
    }
};

HostModule gModule("documents", 0, [] {
    DefineHostClass(kDocBoss, "kDocBoss", kInvalidClass,
                    {{IID_OF<IDocument>(), kDocumentImpl}, {IID_OF<IPageList>(), kPageListImpl}});
    DefineHostClass(kPageBoss, "kPageBoss", kInvalidClass, {{IID_OF<IPageData>(), kPageDataImpl}});
    RegisterHostImplementation(HostImplementation<DocumentImpl>(kDocumentImpl));
    RegisterHostImplementation(HostImplementation<PageList>(kPageListImpl, true));
    RegisterHostImplementation(HostImplementation<PageData>(kPageDataImpl, true));
});

}  // namespace

}  // namespace tshost

IDataBase* GetDataBase(const IPMUnknown* object) {
    tshost::Boss* boss = tshost::Boss::From(object);
    return boss ? boss->GetDataBase() : nullptr;
}

UIDRef GetUIDRef(const IPMUnknown* object) {
    tshost::Boss* boss = tshost::Boss::From(object);
    if (!boss || !boss->GetDataBase()) return UIDRef::gNull;
    return UIDRef(boss->GetDataBase(), boss->GetUID());
}
