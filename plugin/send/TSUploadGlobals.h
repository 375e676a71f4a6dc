// The request and the outcome of a send to the proofing server, shared between the
// user-interface thread and the upload thread.
//
// Threading: the user-interface thread writes the request (the two buffers and the five
// strings) completely before it starts the upload thread, and not again until the thread has
// set g_sendToAllowed back to true; the thread only reads them. The three state values are
// atomics: store with std::memory_order_release, load with std::memory_order_acquire. The
// thread stores its final g_UploadPercent or g_UploadError, and g_UploadOutcome, before it
// stores true into g_sendToAllowed, so a reader that sees true also sees the outcome; a
// reader that sees g_UploadOutcome other than kRunning sees the thread's last results too.
// g_UploadCancelRequested is stored by the user-interface thread (release) and loaded by the
// upload thread (acquire).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "PMString.h"

// Room for a path or a base URL and its terminator.
constexpr std::size_t kUploadPathSize = 1024;

extern char g_PdfFile[kUploadPathSize];
extern char g_UrlInfo[kUploadPathSize];

extern PMString g_Name;
extern PMString g_Password;
extern PMString g_ProjectID;
extern PMString g_StatusID;
extern PMString g_PageNumber;

extern std::atomic<int32> g_UploadPercent;
extern std::atomic<bool> g_UploadError;
extern std::atomic<bool> g_sendToAllowed;

// How the last upload ended. kRunning from just before its thread is made until the thread
// stores how it ended; kNone before any upload and when the thread could not be made.
enum class TSUploadOutcome : int32 { kNone, kRunning, kSucceeded, kFailed, kCancelled };
extern std::atomic<TSUploadOutcome> g_UploadOutcome;

// Set when the user stops waiting for the upload as its document closes or the host quits: the
// upload is then given up (kCancelled) at once. Cleared when an upload starts.
extern std::atomic<bool> g_UploadCancelRequested;

// Copies `text` and its terminator into `buffer` when both fit; otherwise leaves the buffer
// empty and returns false, since a cut path or URL would name something else.
template <std::size_t N>
bool TSCopyUploadText(char (&buffer)[N], std::string_view text) {
    if (text.size() >= N || text.find('\0') != std::string_view::npos) {
        buffer[0] = '\0';
        return false;
    }
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}
