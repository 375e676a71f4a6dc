// One HTTP exchange with the proofing server: the download of the user's project list into
// the settings folder, or the upload of one PDF. The caller makes a connection on the stack,
// runs one request and drops it. Every request carries the eight system-information header
// lines; values put into a URL are percent-encoded, the server URL is used as given.
//
// Threading: a connection belongs to the thread that made it. GetProjectsData runs on the
// user-interface thread only (it shows alerts and progress bars). UploadPDFToServer runs on
// the upload thread; it touches nothing of the host and reports only through the atomics of
// TSUploadGlobals.h. InitializeLibrary must have run on the user-interface thread before any
// upload thread starts; the constructor calls it too, for the downloads.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>

#include "PMString.h"

// Set by the preferences page when the user name or server URL changed; the next download
// asks for a full update and clears it. User-interface thread only.
extern bool16 g_ServerDetailChanged;

class TSXmlDataHandling;

class TSConnection {
public:
    // Largest project-list answer taken, in bytes: the biggest real account's list is about
    // 17 MB; a larger answer is a fault, and would cost its size in memory at every panel show.
    static constexpr curl_off_t kMaxListBytes = curl_off_t{64} << 20;
    // Longest upload URL sent, terminator excluded; a longer request is refused.
    static constexpr std::size_t kUploadURLSize = 2048;
    static constexpr std::chrono::milliseconds kDefaultTimeOut = std::chrono::seconds(180);
    // An upload's connection is taken for dead only on the network's word: when data it sent
    // has gone unacknowledged (the receiver's window closed included) for this long
    // (TCP_USER_TIMEOUT), or, while the answer is awaited, keep-alive probes have gone
    // unanswered for about as long. A server that reads, thinks or answers, however slowly,
    // keeps it alive; the transfer's own time-out still bounds it.
    static constexpr std::chrono::milliseconds kDeadConnectionLimit = std::chrono::seconds(60);

    TSConnection();
    virtual ~TSConnection();
    TSConnection(const TSConnection&) = delete;
    TSConnection& operator=(const TSConnection&) = delete;

    // Downloads the project list and replaces the cached "projects.xml" when the server sends
    // an update. True only when the cache was replaced. `status` becomes 1 when the server
    // accepted the user, and is otherwise left alone. Failures are shown as alerts; an answer
    // over kMaxListBytes is cut off as it arrives and reported as too large, and an answer
    // that could not be written whole into the settings folder is reported as that folder's
    // fault.
    // With `keepAnswerIn`, an answer that announces an update is parsed into that reader (its
    // previous document is dropped first), which then holds the parse of the new cache.
    bool16 GetProjectsData(const PMString& userName, const PMString& password, const PMString& serverURL,
                           short& status, TSXmlDataHandling* keepAnswerIn = nullptr);
    // Posts the PDF with the request in TSUploadGlobals.h. True only for an answer of 200;
    // then g_UploadPercent is 100. A transfer the user gave up (Cancelled) sets nothing more;
    // any other failure, a dead connection and the time-out included, sets g_UploadError.
    bool UploadPDFToServer(const char* pdfFilePath, const char* serverURL);
    // True when the last upload ended because g_UploadCancelRequested was set.
    bool Cancelled() const { return fCancelled; }
    bool IsAllowedToUpload() const { return true; }

    // The server URL as every request and the browser use it: "http://" is put in front of a
    // URL that names no scheme ("host:port"), as libcurl would assume.
    static std::string GetServerURL(const std::string& serverURL);

    // Builds the header lines and hands them to the handle.
    void UpdateHeadersInfo();
    // Reads the facts of the last transfer on `handle` into this object.
    void GetConnectionInfo(void* handle);

    // libcurl's process-wide set-up; runs once, later calls return at once.
    static void InitializeLibrary();

    // How long a connection may take to be made, and a whole transfer to last. Tests shorten
    // them; set them only while no request runs.
    static void SetTimeOuts(std::chrono::milliseconds connect, std::chrono::milliseconds total);
    static void ResetTimeOuts() { SetTimeOuts(kDefaultTimeOut, kDefaultTimeOut); }
    // The dead-connection limit of the uploads that start from now on; tests shorten it. The
    // keep-alive probes start after half of it, whole seconds, at least one.
    static void SetDeadConnectionLimit(std::chrono::milliseconds limit);

private:
    bool PostPDF(const char* pdfFilePath, const char* serverURL);
    void ClearConnectionInfo();

    CURL* fHandle = nullptr;
    curl_slist* fHeaders = nullptr;
    char fErrorText[CURL_ERROR_SIZE] = {};
    // Holds the password: never written anywhere.
    char fEffectiveURL[256] = {};
    bool fCancelled = false;
    int32 fResponseCode = 0;
    float fTotalTime = 0;
    float fConnectTime = 0;
    float fPreTransferTime = 0;
    float fStartTransferTime = 0;
    float fBytesUploaded = 0;
    float fBytesDownloaded = 0;
    float fUploadSpeed = 0;
    float fDownloadSpeed = 0;
    float fDownloadContentLength = 0;
    float fUploadContentLength = 0;
    char fContentType[256] = {};
};

// Copies `text` into one of the connection's 256-byte text fields, cut to 255 bytes and
// always ended; a null `text` leaves the field as it is.
void CopyConnectionText(char (&field)[256], const char* text);

// Where a list download goes: the open file, the bytes written to it, and whether the answer
// was refused for growing past TSConnection::kMaxListBytes.
struct DownloadSink {
    std::FILE* file = nullptr;
    curl_off_t written = 0;
    bool tooLarge = false;
};

// libcurl callbacks. write_data appends to the DownloadSink it is given and returns the bytes
// taken; it takes nothing once the answer would grow past TSConnection::kMaxListBytes.
size_t write_data(char* buffer, size_t size, size_t count, void* stream);
// Shows the download's percentage in a short-lived progress bar for 1 to 99 %. `clientData`,
// when not null, is an int32 holding the percentage last shown, so a bar appears only when
// the percentage changes. Never aborts the transfer.
int download_callback(void* clientData, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                      curl_off_t ulnow);
// What progress_callback and the socket-option callback share of one upload: the transfer's
// socket, learnt as it is connected, and the dead-connection limit set on it. Upload thread only.
struct TSUploadWatch {
    curl_socket_t socket = CURL_SOCKET_BAD;  // not owned
    std::chrono::milliseconds deadLimit = TSConnection::kDeadConnectionLimit;
};
// Stores the upload's percentage in g_UploadPercent, of the bytes that have left the machine
// (those handed over less those still in the watch's socket queue, when it tells); a zero total
// leaves it alone. Aborts the transfer (non-zero) once g_UploadCancelRequested is set. Safe on
// the upload thread: touches nothing of the host.
int progress_callback(void* clientData, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                      curl_off_t ulnow);
