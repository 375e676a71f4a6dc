// The upload of a send to the proofing server: the worker thread that posts the PDF and the
// idle task that shows its progress in the projects panel and reports a failed upload once.
//
// Threading: TSStartUploadThread runs on the user-interface thread after the request in
// TSUploadGlobals.h is complete; it marks the upload as running (g_sendToAllowed false)
// before the thread exists, so no second send can start in between, and marks it ended again
// when the thread cannot be made. The thread reads the request, writes only the three state
// atomics and deletes the temporary PDF; its release store of true into g_sendToAllowed is
// its last shared result, after which it only marks itself done (a release store that
// WaitForUpload waits for). The thread is detached: nothing joins it. The idle task,
// WaitForUpload and FinishUpload run on the user-interface thread and read the atomics with
// acquire loads.
#pragma once

#include <pthread.h>

#include <chrono>

#include "CIdleTask.h"

// The upload thread's body; `arg` is not used.
void* UploadPdfFile(void* arg);

// How the upload thread is made: pthread_create unless a test puts a failing one in place.
using TSThreadCreateFn = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
extern TSThreadCreateFn g_TSThreadCreate;

// Starts the upload thread with default attributes. False when it could not be made; sending
// is then allowed again and the temporary PDF is deleted.
bool TSStartUploadThread();

// Deletes a temporary PDF of the send workflow, and its private folder once empty.
void TSRemoveUploadFile(const char* pdfPath);

class TSIdleTask : public CIdleTask {
public:
    explicit TSIdleTask(IPMUnknown* boss) : CIdleTask(boss) {}
    // Waits for a running upload, so that the host never quits under the thread.
    ~TSIdleTask() override;

    // Refreshes the panel's buttons and the progress display; always 10 ms to the next run.
    uint32 RunTask(uint32 appFlags, uint32 timeCheckMs) override;
    const char* TaskName() override { return "0x61000kTSIdleTaskKey"; }

    void UpdateProgressBar();

    // Waits at most `limit` for a running upload thread to be done with shared data; true
    // when none runs.
    static bool WaitForUpload(std::chrono::milliseconds limit);
    // For the host's quit and the close of the document being sent: waits for a running
    // upload to end, with its progress in a progress bar that offers Cancel, and tells the user
    // at once when the user cancelled it (the upload is then given up) or when it, or one that
    // ended before, failed unreported (the failed-upload warning, which the idle task then no
    // longer shows).
    static void FinishUpload();
    // The warning for a failed upload.
    static void WarnUploadFailed();
};
