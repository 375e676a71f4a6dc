#include "TSActivityGlobals.h"

#include "IDocument.h"
#include "ILayoutUtils.h"
#include "InterfacePtr.h"
#include "UtilsBoss.h"

bool16 g_ActiveMouseStatus = kTrue;
bool16 g_IdleMouseStatus = kFalse;
bool16 g_IdleAppStatus = kFalse;

bool TSLookUpFrontDocument(UIDRef& doc) {
    InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
    IDocument* front = layout ? layout->GetFrontDocument() : nullptr;
    if (!front) return false;
    doc = ::GetUIDRef(front);
    return true;
}
