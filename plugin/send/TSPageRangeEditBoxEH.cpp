#include "ISubject.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "MEditBoxEventHandler.h"
#include "TSID.h"
#include "WidgetIDs.h"

// The send dialog's page-range box: announces every keystroke as a text change, once before
// the host applies it and once after, so the dialog observer selects the Range radio and the
// file name follows the range. User-interface thread only.
class TSPageRangeEditBoxEH : public CEditBoxEventHandler {
public:
    explicit TSPageRangeEditBoxEH(IPMUnknown* boss) : CEditBoxEventHandler(boss) {}

    bool16 KeyCmd(IEvent* e) override {
        Announce();
        return CEditBoxEventHandler::KeyCmd(e);
    }
    bool16 KeyUp(IEvent* e) override {
        Announce();
        return CEditBoxEventHandler::KeyUp(e);
    }

private:
    void Announce() {
        InterfacePtr<ISubject> subject(this, IID_OF<ISubject>());
        if (subject) subject->Change(kTextChangeStateMessage, IID_ITEXTCONTROLDATA, nullptr);
    }
};

CREATE_PMINTERFACE(TSPageRangeEditBoxEH, kTSPageRangeEditBoxEHImpl);
