#include "ISubject.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "MEditBoxEventHandler.h"
#include "TSID.h"
#include "WidgetIDs.h"

// The send dialog's user-input box: announces an edit as a text change on the key-up after
// the host applied the key, once per key command. User-interface thread only.
class TSTextEditBoxEH : public CEditBoxEventHandler {
public:
    explicit TSTextEditBoxEH(IPMUnknown* boss) : CEditBoxEventHandler(boss) {}

    bool16 KeyCmd(IEvent* e) override {
        mPendingKeyCmd = kTrue;
        return CEditBoxEventHandler::KeyCmd(e);
    }
    bool16 KeyUp(IEvent* e) override {
        if (mPendingKeyCmd) {
            InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
            if (subject) {
                subject->Change(kTextChangeStateMessage, IID_ITEXTCONTROLDATA, nullptr);
                mPendingKeyCmd = kFalse;
            }
        }
        return CEditBoxEventHandler::KeyUp(e);
    }

private:
    bool16 mPendingKeyCmd = kFalse;
};

CREATE_PMINTERFACE(TSTextEditBoxEH, kTSTextEditBoxEHImpl);
