#include "TSPendingSend.h"

#include "IApplication.h"
#include "IDocument.h"
#include "IDocumentList.h"
#include "ISession.h"
#include "InterfacePtr.h"
#include "TSActiveMapper.h"
#include "TSIdleTask.h"
#include "TSUploadGlobals.h"
#include "UIDRef.h"

namespace {

struct Pending {
    bool waiting = false;
    IDocument* document = nullptr;
    UIDRef ref;
    PMString line;
};

Pending& ThePending() {
    static Pending pending;
    return pending;
}

// A document closes only once its upload has ended, unless the wait gave up on a thread that
// would not end: its log was written then.
bool IsOpen(IDocument* document, const UIDRef& ref) {
    InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
    InterfacePtr<IDocumentList> documents(application ? application->QueryDocumentList() : nullptr);
    if (!documents) return false;
    for (int32 i = 0; i < documents->GetDocCount(); ++i) {
        IDocument* open = documents->GetNthDoc(i);
        if (open == document && ::GetUIDRef(open) == ref) return true;
    }
    return false;
}

}  // namespace

void TSPendingSend::Expect(IDocument* document, const PMString& line) {
    Pending& pending = ThePending();
    pending.waiting = document != nullptr;
    pending.document = document;
    pending.ref = document ? ::GetUIDRef(document) : UIDRef::gNull;
    pending.line = line;
}

void TSPendingSend::Deliver() {
    Pending& pending = ThePending();
    if (!pending.waiting) return;
    const TSUploadOutcome outcome = g_UploadOutcome.load(std::memory_order_acquire);
    if (outcome == TSUploadOutcome::kRunning) return;
    pending.waiting = false;
    if (outcome == TSUploadOutcome::kSucceeded && IsOpen(pending.document, pending.ref))
        TSActiveMapper::TSActiveMapperFactory()->UpdateMonitorLog(pending.ref, pending.line);
    pending.document = nullptr;
    pending.line.Clear();
}

void TSPendingSend::FinishBeforeClose(const UIDRef& document) {
    const Pending& pending = ThePending();
    if (!pending.waiting || pending.ref != document) return;
    TSIdleTask::FinishUpload();
    Deliver();
}
