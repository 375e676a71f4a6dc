#include "TSActivityGlobals.h"

#include <algorithm>

#include "IDocument.h"
#include "ILayoutUtils.h"
#include "InterfacePtr.h"
#include "TSActiveMapper.h"
#include "UtilsBoss.h"

bool16 g_ActiveMouseStatus = kTrue;
int32 g_ActivityTime = INT32_MAX;
bool16 g_IdleMouseStatus = kFalse;
bool16 g_IdleAppStatus = kFalse;
int32 g_CheckedTime = 0;

bool TSLookUpFrontDocument(UIDRef& doc) {
    InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
    IDocument* front = layout ? layout->GetFrontDocument() : nullptr;
    if (!front) return false;
    doc = ::GetUIDRef(front);
    return true;
}

void TSCheckActivity(TSActiveMapper* mapper, const UIDRef& doc, int32 t) {
    g_CheckedTime = t;
    if (g_IdleAppStatus || !mapper->IsTracked(doc)) return;
    int32 start = mapper->LookUpActiveTime(doc);
    if (g_ActiveMouseStatus) {
        g_ActiveMouseStatus = kFalse;
        // Never before the period began: the work may have been in the document in front before.
        const auto noticed = static_cast<int32>(
            std::clamp<int64>(static_cast<int64>(g_ActivityTime) + kTSCheckSeconds, start, std::max(start, t)));
        mapper->ModifyActiveTime(doc, noticed);
        mapper->UpdateActiveTimer(doc, noticed);
        start = noticed;
    }
    if (TSElapsedSeconds(start, t) < kTSInactivitySeconds || g_IdleMouseStatus) return;

    // The quiet seconds are booked as active: the user may have been reading the page.
    const int32 end = start + kTSInactivitySeconds;
    g_IdleMouseStatus = kTrue;
    mapper->ModifyActiveTime(doc, end);
    mapper->UpdateActiveTimer(doc, end);
    mapper->UpdateInactiveEntry(doc, end);
}
