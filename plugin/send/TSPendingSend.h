// The send line of an upload that is still running. A send to the proofing server is logged
// only when its upload ends well: the send dialog hands the line, stamped with the moment the
// user confirmed, to Expect once the upload thread exists, and Deliver, which the upload
// progress task calls on every run, appends it to the document's tracking log when the thread
// reports success (g_UploadOutcome), or forgets it when the upload failed or was cancelled.
// The document cannot close in the meantime: its close waits for the upload (FinishBeforeClose),
// so a send that ends well is always in the log the close writes.
// User-interface thread only.
#pragma once

#include "PMString.h"
#include "UIDRef.h"

class IDocument;

class TSPendingSend {
public:
    // Holds `line` for `document` until the upload just started has ended.
    static void Expect(IDocument* document, const PMString& line);
    // Once the upload has ended: logs the line when it succeeded and the document is still
    // open, and forgets it in every case. Nothing while the upload runs or none is pending.
    static void Deliver();
    // For the document responder, as `document` is about to close (by the user or at quit):
    // when its upload still runs, waits for it as the host's quit does
    // (TSIdleTask::FinishUpload), then delivers. Nothing for any other document.
    static void FinishBeforeClose(const UIDRef& document);
};
