#include "Command.h"
#include "IDataBase.h"
#include "IDocument.h"
#include "ITSDocData.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"

// Sets the project and status of the one document in the item list.
class TSDocDataCmd : public Command {
public:
    explicit TSDocDataCmd(IPMUnknown* boss) : Command(boss) {}

protected:
    void Do() override {
        InterfacePtr<ITSDocData> params(this, kTSDocDataInterfaceID);
        if (!params) return;
        const UIDList* items = GetItemList();
        if (!items || items->Length() != 1) return;
        UIDRef ref = items->GetRef(0);
        if (!ref.GetDataBase()) return;
        InterfacePtr<IPMUnknown> document(ref, IID_OF<IDocument>());
        InterfacePtr<ITSDocData> data(document.get(), kTSDocDataInterfaceID);
        if (!data) return;
        data->SetProjectXMLID(params->GetProjectXMLID());
        data->SetStatusID(params->GetStatusID());
    }
    void DoNotify() override {}
    PMString* CreateName() override { return new PMString("TSDocDataCmd", PMString::kNoTranslate); }
};

CREATE_PMINTERFACE(TSDocDataCmd, kTSDocDataCmdImpl);
