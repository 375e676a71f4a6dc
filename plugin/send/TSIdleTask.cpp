#include "TSIdleTask.h"

#include <unistd.h>

#include <atomic>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "CAlert.h"
#include "FileUtils.h"
#include "IControlView.h"
#include "IProgressBarControlData.h"
#include "ITextControlData.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "RangeProgressBar.h"
#include "TSConnection.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "TSPendingSend.h"
#include "TSUploadGlobals.h"

TSThreadCreateFn g_TSThreadCreate = &pthread_create;

namespace {

// The folder names the send workflow makes for its temporary PDFs (see TSDialogController).
constexpr const char* kTempFolderMark = "/tessaron-send-";

// An upload ends by the transfer's time-out at the latest; this only bounds the wait of a host
// going away without its shut-down service on a thread that cannot end.
constexpr std::chrono::milliseconds kLongestWait = TSConnection::kDefaultTimeOut + std::chrono::seconds(10);

// True from the start of an upload thread until its last touch of shared data. Unlike
// g_sendToAllowed, which others may lower, it tells only whether a thread still runs.
std::atomic<bool> gUploadThreadRunning{false};

}  // namespace

void TSRemoveUploadFile(const char* pdfPath) {
    if (!pdfPath || !*pdfPath) return;
    std::remove(pdfPath);
    const std::string path(pdfPath);
    FileUtils::UnmarkTemporary(path);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return;
    const std::string folder = path.substr(0, slash);
    const std::size_t mark = folder.rfind(kTempFolderMark);
    // Only the private folder made for this PDF, never a folder the user owns.
    if (mark != std::string::npos && folder.find('/', mark + 1) == std::string::npos) {
        ::rmdir(folder.c_str());
        FileUtils::UnmarkTemporary(folder);
    }
}

void* UploadPdfFile(void*) {
    g_UploadPercent.store(0, std::memory_order_release);
    g_sendToAllowed.store(false, std::memory_order_release);
    g_UploadError.store(false, std::memory_order_release);
    TSUploadOutcome outcome = TSUploadOutcome::kFailed;
    if (g_PdfFile[0] != '\0' && g_UrlInfo[0] != '\0') {
        try {
            TSConnection connection;
            if (connection.UploadPDFToServer(g_PdfFile, g_UrlInfo))
                outcome = TSUploadOutcome::kSucceeded;
            else if (connection.Cancelled())
                outcome = TSUploadOutcome::kCancelled;
        } catch (...) {
            g_UploadError.store(true, std::memory_order_release);
        }
        TSRemoveUploadFile(g_PdfFile);
    }
    g_UploadOutcome.store(outcome, std::memory_order_release);
    g_sendToAllowed.store(true, std::memory_order_release);
    gUploadThreadRunning.store(false, std::memory_order_release);
    pthread_exit(nullptr);
}

bool TSStartUploadThread() {
    // Closes the window between the thread's creation and its first step, in which a second
    // send could begin and rewrite the request under it.
    g_UploadPercent.store(0, std::memory_order_release);
    g_UploadError.store(false, std::memory_order_release);
    g_UploadCancelRequested.store(false, std::memory_order_release);
    g_UploadOutcome.store(TSUploadOutcome::kRunning, std::memory_order_release);
    g_sendToAllowed.store(false, std::memory_order_release);
    gUploadThreadRunning.store(true, std::memory_order_release);
    pthread_t thread;
    if (g_TSThreadCreate(&thread, nullptr, &UploadPdfFile, nullptr) != 0) {
        TSRemoveUploadFile(g_PdfFile);
        g_UploadOutcome.store(TSUploadOutcome::kNone, std::memory_order_release);
        gUploadThreadRunning.store(false, std::memory_order_release);
        g_sendToAllowed.store(true, std::memory_order_release);
        return false;
    }
    // Nothing waits for it; its resources go back to the system when it ends.
    pthread_detach(thread);
    return true;
}

TSIdleTask::~TSIdleTask() {
    // Normally the shut-down service has waited already; the thread must never outlive the host.
    WaitForUpload(kLongestWait);
}

void TSIdleTask::FinishUpload() {
    if (gUploadThreadRunning.load(std::memory_order_acquire)) {
        // Nothing of ours ends the upload: the server's answer, the connection's death, the
        // transfer's time-out, or the user's Cancel.
        RangeProgressBar bar(PMString("0x61000kTSUploadStatusKey"), 0, 100, kTrue);
        bool done = false;
        while (!done) {
            bar.SetPosition(g_UploadPercent.load(std::memory_order_acquire));
            if (bar.WasCancelled()) g_UploadCancelRequested.store(true, std::memory_order_release);
            done = WaitForUpload(std::chrono::milliseconds(50));
        }
        bar.SetPosition(g_UploadPercent.load(std::memory_order_acquire));
        if (g_UploadOutcome.load(std::memory_order_acquire) == TSUploadOutcome::kCancelled)
            CAlert::WarningAlert(PMString("0x61000kTSUploadCancelledError"));
    }
    // The idle task that would report a failure, also one that ended just before, may never
    // run again: the host may be quitting.
    if (g_UploadError.exchange(false, std::memory_order_acq_rel)) WarnUploadFailed();
}

void TSIdleTask::WarnUploadFailed() {
    PMString message("0x61000kTSConnectionError");
    message.Translate();
    message.Append(": Upload Failed");
    message.SetTranslatable(kFalse);
    CAlert::WarningAlert(message);
}

bool TSIdleTask::WaitForUpload(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (gUploadThreadRunning.load(std::memory_order_acquire)) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

uint32 TSIdleTask::RunTask(uint32, uint32) {
    TSPendingSend::Deliver();
    TSPanelUtils::UpdateTSPanelBtnStates(false);
    UpdateProgressBar();
    return 10;
}

void TSIdleTask::UpdateProgressBar() {
    // 1 until the display has been hidden once, so the first run with the panel open resets it.
    static uchar progBarTextStatus = 1;
    // With no upload running, no failure to report and the display hidden, the bar and the text
    // already show what this run would set (a panel shown again starts hidden, at 0): the run
    // leaves them alone rather than finding, translating and setting every 10 ms.
    if (progBarTextStatus == 0 && g_sendToAllowed.load(std::memory_order_acquire) &&
        !g_UploadError.load(std::memory_order_acquire))
        return;

    IControlView* bar = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSProgressBarWidgetID);
    IControlView* status = TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSStatusTextWidgetID);
    InterfacePtr<IProgressBarControlData> barData(bar, IID_OF<IProgressBarControlData>());
    InterfacePtr<ITextControlData> statusText(status, IID_OF<ITextControlData>());
    if (!bar || !status || !barData || !statusText) return;

    barData->SetStyle(IProgressBarControlData::kDeterminate);
    PMString label("0x61000kTSUploadStatusKey");
    label.Translate();
    label.SetTranslatable(kFalse);

    if (!g_sendToAllowed.load(std::memory_order_acquire)) {
        bar->Show(kTrue);
        status->Show(kTrue);
        const int32 percent = g_UploadPercent.load(std::memory_order_acquire);
        PMString text(label);
        text.AppendNumber(percent);
        text.Append(" %");
        text.SetTranslatable(kFalse);
        statusText->SetString(text, kTrue, kTrue, kTrue);
        if (percent > 0) barData->SetValue(percent, kTrue, kTrue);
        progBarTextStatus = 1;
        return;
    }
    if (g_UploadError.load(std::memory_order_acquire)) {
        // Cleared before the alert, so that the warning shows once even if the host ran idle
        // tasks while it is up.
        g_UploadError.store(false, std::memory_order_release);
        WarnUploadFailed();
        return;
    }
    if (progBarTextStatus == 1) {
        statusText->SetString(label, kTrue, kTrue, kTrue);
        bar->Hide();
        status->Hide();
        progBarTextStatus = 0;
    }
    barData->SetValue(0, kTrue, kTrue);
}

CREATE_PMINTERFACE(TSIdleTask, kTSIdleTaskImpl);
