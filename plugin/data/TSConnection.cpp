#include "TSConnection.h"

#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <type_traits>

#include "CAlert.h"
#include "FileUtils.h"
#include "RangeProgressBar.h"
#include "TSPanelUtils.h"
#include "TSStartupShutdown.h"
#include "TSUploadGlobals.h"
#include "TSXmlDataHandling.h"

bool16 g_ServerDetailChanged = kFalse;

void CopyConnectionText(char (&field)[256], const char* text) {
    if (!text) return;
    std::size_t length = strnlen(text, sizeof field - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

namespace {

std::atomic<long> gConnectTimeOutMs{static_cast<long>(TSConnection::kDefaultTimeOut.count())};
std::atomic<long> gTotalTimeOutMs{static_cast<long>(TSConnection::kDefaultTimeOut.count())};
std::atomic<long> gDeadLimitMs{static_cast<long>(TSConnection::kDeadConnectionLimit.count())};

// curl_easy_setopt is variadic, so a value of the wrong type compiles and misbehaves at run
// time. Each option the connection sets is declared once with the type libcurl reads for it,
// and that type is checked against the range the option's number lies in.
template <typename Value>
constexpr long OptionTypeBase() {
    if constexpr (std::is_same_v<Value, long>)
        return CURLOPTTYPE_LONG;
    else if constexpr (std::is_pointer_v<Value> && std::is_function_v<std::remove_pointer_t<Value>>)
        return CURLOPTTYPE_FUNCTIONPOINT;
    else if constexpr (std::is_pointer_v<Value>)
        return CURLOPTTYPE_OBJECTPOINT;
    else
        return -1;
}

template <CURLoption Id, typename Value>
struct CurlOption {
    static_assert(OptionTypeBase<Value>() >= 0 && Id >= OptionTypeBase<Value>() && Id < OptionTypeBase<Value>() + 10000,
                  "the value type does not match the option");
};

constexpr CurlOption<CURLOPT_ERRORBUFFER, char*> kErrorBuffer;
constexpr CurlOption<CURLOPT_CONNECTTIMEOUT_MS, long> kConnectTimeOutMs;
constexpr CurlOption<CURLOPT_TIMEOUT_MS, long> kTimeOutMs;
constexpr CurlOption<CURLOPT_HTTPHEADER, curl_slist*> kHttpHeader;
constexpr CurlOption<CURLOPT_NOSIGNAL, long> kNoSignal;
constexpr CurlOption<CURLOPT_PROTOCOLS_STR, const char*> kProtocols;
constexpr CurlOption<CURLOPT_REDIR_PROTOCOLS_STR, const char*> kRedirectProtocols;
constexpr CurlOption<CURLOPT_URL, const char*> kUrl;
constexpr CurlOption<CURLOPT_WRITEFUNCTION, curl_write_callback> kWriteFunction;
constexpr CurlOption<CURLOPT_WRITEDATA, void*> kWriteData;
constexpr CurlOption<CURLOPT_NOPROGRESS, long> kNoProgress;
constexpr CurlOption<CURLOPT_XFERINFOFUNCTION, curl_xferinfo_callback> kXferInfoFunction;
constexpr CurlOption<CURLOPT_XFERINFODATA, void*> kXferInfoData;
constexpr CurlOption<CURLOPT_MIMEPOST, curl_mime*> kMimePost;
constexpr CurlOption<CURLOPT_SOCKOPTFUNCTION, curl_sockopt_callback> kSockOptFunction;
constexpr CurlOption<CURLOPT_SOCKOPTDATA, void*> kSockOptData;
constexpr CurlOption<CURLOPT_TCP_KEEPALIVE, long> kKeepAlive;
constexpr CurlOption<CURLOPT_TCP_KEEPIDLE, long> kKeepIdle;
constexpr CurlOption<CURLOPT_TCP_KEEPINTVL, long> kKeepInterval;

template <CURLoption Id, typename Value>
CURLcode SetOption(CURL* handle, CurlOption<Id, Value>, std::type_identity_t<Value> value) {
    return curl_easy_setopt(handle, Id, value);
}

// The same for curl_easy_getinfo, whose information numbers carry their type in their bits.
template <CURLINFO Id, typename Value, int Kind>
Value GetInfo(CURL* handle) {
    static_assert((Id & CURLINFO_TYPEMASK) == Kind, "the value type does not match the information");
    Value value{};
    if (curl_easy_getinfo(handle, Id, &value) != CURLE_OK) return Value{};
    return value;
}
template <CURLINFO Id>
float GetDoubleInfo(CURL* handle) {
    return static_cast<float>(GetInfo<Id, double, CURLINFO_DOUBLE>(handle));
}
template <CURLINFO Id>
float GetSizeInfo(CURL* handle) {
    return static_cast<float>(GetInfo<Id, curl_off_t, CURLINFO_OFF_T>(handle));
}
template <CURLINFO Id>
void GetTextInfo(CURL* handle, char (&field)[256]) {
    CopyConnectionText(field, GetInfo<Id, const char*, CURLINFO_STRING>(handle));
}

// Bytes `socket` holds that the peer has not yet taken, or -1 when there is no socket to ask.
long QueuedBytes(curl_socket_t socket) {
    int queued = 0;
    if (socket == CURL_SOCKET_BAD || ::ioctl(socket, SIOCOUTQ, &queued) != 0) return -1;
    return queued;
}

// libcurl tells the socket of a transfer only once it has ended: the watch learns it here,
// as each connection is made, and the kernel is told how long sent data may go unacknowledged
// before it takes the connection for dead. Should it refuse, the time-out still ends the upload.
int PrepareUploadSocket(void* clientData, curl_socket_t socket, curlsocktype purpose) {
    if (purpose != CURLSOCKTYPE_IPCXN) return CURL_SOCKOPT_OK;
    auto* watch = static_cast<TSUploadWatch*>(clientData);
    watch->socket = socket;
    const auto limit = static_cast<unsigned int>(watch->deadLimit.count());
    ::setsockopt(socket, IPPROTO_TCP, TCP_USER_TIMEOUT, &limit, sizeof limit);
    return CURL_SOCKOPT_OK;
}

// Percent-encodes a value for a query string; only letters, digits and "-._~" pass as they are.
std::string Escape(const PMString& value) {
    const std::string& text = value.GetUTF8String();
    char* escaped = curl_easy_escape(nullptr, text.data(), static_cast<int>(text.size()));
    if (!escaped) throw std::bad_alloc();
    std::string result(escaped);
    curl_free(escaped);
    return result;
}

// The upload's answer is never looked at; without a sink libcurl would print it on stdout.
size_t DiscardAnswer(char*, size_t size, size_t count, void*) { return size * count; }

// The percentage done, truncated, held to 0…100 whatever the totals a server claims.
int32 Percent(curl_off_t now, curl_off_t total) {
    double percent = static_cast<double>(now) * 100.0 / static_cast<double>(total);
    return static_cast<int32>(std::clamp(percent, 0.0, 100.0));
}

// A header value holding a line break would start a header of its own.
std::string HeaderLine(const char* text) {
    std::string line(text, strnlen(text, kSystemInfoSize));
    std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line;
}

class TempFile {
public:
    explicit TempFile(const char* path) : fFile(std::fopen(path, "wb")) {}
    ~TempFile() { Close(); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    std::FILE* Get() const { return fFile; }
    // False when the file could not be written completely.
    bool Close() {
        if (!fFile) return false;
        bool written = std::ferror(fFile) == 0;
        written = std::fclose(fFile) == 0 && written;
        fFile = nullptr;
        return written;
    }

private:
    std::FILE* fFile;
};

// How often a running upload is looked in on, moving or not.
constexpr int kPollIntervalMs = 100;

// Runs the transfer on `handle` to its end; libcurl's result. curl_easy_perform looks in on
// a quiet transfer only about once a second; this loop does so every kPollIntervalMs, so that
// the progress callback ends an upload the user gave up at once.
CURLcode PerformPolling(CURL* handle) {
    CURLM* multi = curl_multi_init();
    if (!multi) return CURLE_OUT_OF_MEMORY;
    if (curl_multi_add_handle(multi, handle) != CURLM_OK) {
        curl_multi_cleanup(multi);
        return CURLE_FAILED_INIT;
    }
    // Stays so only if the loop ends on a failure of the multi interface itself.
    CURLcode result = CURLE_RECV_ERROR;
    int running = 1;
    while (running > 0) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) break;
        if (running > 0 && curl_multi_poll(multi, nullptr, 0, kPollIntervalMs, nullptr) != CURLM_OK) break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued))
        if (message->msg == CURLMSG_DONE && message->easy_handle == handle) result = message->data.result;
    curl_multi_remove_handle(multi, handle);
    curl_multi_cleanup(multi);
    return result;
}

struct MimeFree {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

PMString ConnectionErrorText() {
    PMString text("0x61000kTSConnectionError");
    text.Translate();
    return text;
}

// The settings folder could not take the answer: a fault of this machine, not of the server.
void ShowSettingsFolderError(const PMString& folder) {
    PMString text("0x61000kTSSettingsFolderError");
    text.Translate();
    if (!folder.IsEmpty()) {
        text.Append(" ");
        text.Append(folder);
    }
    text.SetTranslatable(kFalse);
    CAlert::ErrorAlert(text);
}

bool IsSchemeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}  // namespace

void TSConnection::InitializeLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void TSConnection::SetTimeOuts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    gConnectTimeOutMs.store(static_cast<long>(connect.count()), std::memory_order_release);
    gTotalTimeOutMs.store(static_cast<long>(total.count()), std::memory_order_release);
}

void TSConnection::SetDeadConnectionLimit(std::chrono::milliseconds limit) {
    gDeadLimitMs.store(static_cast<long>(limit.count()), std::memory_order_release);
}

TSConnection::TSConnection() {
    InitializeLibrary();
    fHandle = curl_easy_init();
    if (!fHandle) return;
    CURLcode code = SetOption(fHandle, kErrorBuffer, fErrorText);
    if (code == CURLE_OK)
        code = SetOption(fHandle, kConnectTimeOutMs, gConnectTimeOutMs.load(std::memory_order_acquire));
    if (code == CURLE_OK) code = SetOption(fHandle, kTimeOutMs, gTotalTimeOutMs.load(std::memory_order_acquire));
    // Time-outs by signal are not safe with several threads.
    if (code == CURLE_OK) code = SetOption(fHandle, kNoSignal, 1L);
    // The server URL comes from the user: never let it reach local files or other protocols,
    // neither directly nor through a redirect.
    if (code == CURLE_OK) code = SetOption(fHandle, kProtocols, "http,https");
    if (code == CURLE_OK) code = SetOption(fHandle, kRedirectProtocols, "http,https");
    // A handle without these limits is not used at all: every request then fails.
    if (code != CURLE_OK) {
        curl_easy_cleanup(fHandle);
        fHandle = nullptr;
        return;
    }
    UpdateHeadersInfo();
}

TSConnection::~TSConnection() {
    if (fHandle) curl_easy_cleanup(fHandle);
    if (fHeaders) curl_slist_free_all(fHeaders);
}

void TSConnection::UpdateHeadersInfo() {
    if (fHeaders) {
        if (fHandle) SetOption(fHandle, kHttpHeader, nullptr);
        curl_slist_free_all(fHeaders);
        fHeaders = nullptr;
    }
    curl_slist* list = nullptr;
    // Runs inside the constructor, which the upload thread calls outside any handler: out of
    // memory here means a request without the header lines, never an exception.
    try {
        // The empty "Expect:" keeps large uploads from waiting a second for a "100 Continue"
        // that a server may never send; libcurl sends no line for it.
        const std::string lines[] = {HeaderLine(g_OSInfo), HeaderLine(g_ScrnResolution), HeaderLine(g_UserName),
                                     HeaderLine(g_WorkStation), HeaderLine(g_CPUDetails), HeaderLine(g_RAMInfo),
                                     HeaderLine(g_CSType), HeaderLine(g_IDVersion), "Expect:"};
        for (const std::string& line : lines) {
            curl_slist* longer = curl_slist_append(list, line.c_str());
            if (!longer) throw std::bad_alloc();
            list = longer;
        }
    } catch (...) {
        curl_slist_free_all(list);
        return;
    }
    fHeaders = list;
    if (fHandle) SetOption(fHandle, kHttpHeader, fHeaders);
}

void TSConnection::ClearConnectionInfo() {
    fEffectiveURL[0] = '\0';
    fContentType[0] = '\0';
    fResponseCode = 0;
    fTotalTime = fConnectTime = fPreTransferTime = fStartTransferTime = 0;
    fBytesUploaded = fBytesDownloaded = fUploadSpeed = fDownloadSpeed = 0;
    fDownloadContentLength = fUploadContentLength = 0;
}

void TSConnection::GetConnectionInfo(void* handle) {
    if (!handle) return;
    GetTextInfo<CURLINFO_EFFECTIVE_URL>(handle, fEffectiveURL);
    fResponseCode = static_cast<int32>(GetInfo<CURLINFO_RESPONSE_CODE, long, CURLINFO_LONG>(handle));
    fTotalTime = GetDoubleInfo<CURLINFO_TOTAL_TIME>(handle);
    fConnectTime = GetDoubleInfo<CURLINFO_CONNECT_TIME>(handle);
    fPreTransferTime = GetDoubleInfo<CURLINFO_PRETRANSFER_TIME>(handle);
    fStartTransferTime = GetDoubleInfo<CURLINFO_STARTTRANSFER_TIME>(handle);
    fBytesUploaded = GetSizeInfo<CURLINFO_SIZE_UPLOAD_T>(handle);
    fBytesDownloaded = GetSizeInfo<CURLINFO_SIZE_DOWNLOAD_T>(handle);
    fUploadSpeed = GetSizeInfo<CURLINFO_SPEED_UPLOAD_T>(handle);
    fDownloadSpeed = GetSizeInfo<CURLINFO_SPEED_DOWNLOAD_T>(handle);
    fDownloadContentLength = GetSizeInfo<CURLINFO_CONTENT_LENGTH_DOWNLOAD_T>(handle);
    fUploadContentLength = GetSizeInfo<CURLINFO_CONTENT_LENGTH_UPLOAD_T>(handle);
    GetTextInfo<CURLINFO_CONTENT_TYPE>(handle, fContentType);
}

std::string TSConnection::GetServerURL(const std::string& serverURL) {
    const std::size_t mark = serverURL.find("://");
    const bool hasScheme = mark != std::string::npos && mark > 0 &&
                           std::isalpha(static_cast<unsigned char>(serverURL[0])) &&
                           std::all_of(serverURL.begin(), serverURL.begin() + static_cast<std::ptrdiff_t>(mark), IsSchemeChar);
    if (hasScheme || serverURL.empty()) return serverURL;
    return "http://" + serverURL;
}

bool16 TSConnection::GetProjectsData(const PMString& userName, const PMString& password, const PMString& serverURL,
                                     short& status, TSXmlDataHandling* keepAnswerIn) {
    bool16 result = kFalse;
    std::string posixTemp;
    try {
        std::string url = GetServerURL(serverURL.GetUTF8String()) + "/indd_xml.asp?username=" + Escape(userName) +
                          "&password=" + Escape(password);

        PMString folder = TSPanelUtils::GetTessaronFolderPath();
        char hfsFolder[TSPanelUtils::kMacPathSize] = {};
        if (!folder.IsEmpty()) TSPanelUtils::GetAsMacPath(folder.GrabCString(), hfsFolder);
        // Without a settings folder there is nowhere to put the answer, and nothing is written
        // anywhere else.
        if (folder.IsEmpty() || hfsFolder[0] == '\0') {
            ShowSettingsFolderError(folder);
            return kFalse;
        }
        posixTemp = folder.GetUTF8String() + "/temp.xml";
        const std::string posixProjects = folder.GetUTF8String() + "/projects.xml";
        PMString hfsTemp(hfsFolder, PMString::kNoTranslate);
        hfsTemp.Append(":temp.xml");
        PMString hfsProjects(hfsFolder, PMString::kNoTranslate);
        hfsProjects.Append(":projects.xml");

        // The changed details are forgotten only once the new account's list is cached: until
        // then every download asks for it again.
        if (!FileUtils::DoesFileExist(IDFile(hfsProjects.GetUTF8String())) || g_ServerDetailChanged != kFalse)
            url += "&getupdate=1";

        TempFile file(posixTemp.c_str());
        if (!file.Get()) {
            posixTemp.clear();
            ShowSettingsFolderError(folder);
            return kFalse;
        }

        CURLcode code = CURLE_OK;
        DownloadSink sink{file.Get()};
        if (fHandle) {
            ClearConnectionInfo();
            int32 lastShown = -1;
            code = SetOption(fHandle, kUrl, url.c_str());
            if (code == CURLE_OK) code = SetOption(fHandle, kWriteFunction, write_data);
            if (code == CURLE_OK) code = SetOption(fHandle, kWriteData, &sink);
            if (code == CURLE_OK) code = SetOption(fHandle, kNoProgress, 0L);
            if (code == CURLE_OK) code = SetOption(fHandle, kXferInfoFunction, download_callback);
            if (code == CURLE_OK) code = SetOption(fHandle, kXferInfoData, &lastShown);
            if (code == CURLE_OK) code = curl_easy_perform(fHandle);
            GetConnectionInfo(fHandle);
        }
        // A short write, whether libcurl was told at once or the last buffer failed when the
        // file was closed, is this machine's fault: the answer never lay here whole.
        if (!file.Close()) {
            ShowSettingsFolderError(folder);
        } else if (code == CURLE_OK && fResponseCode == 200) {
            // An answer that is to replace the cache is parsed straight into the reader that
            // will use it, whose old document goes first: one list in memory at a time.
            TSXmlDataHandling local;
            TSXmlDataHandling& answer =
                keepAnswerIn && TSXmlDataHandling::IsUpdateAnswer(posixTemp.c_str()) ? *keepAnswerIn : local;
            answer.InitializeDOMnode(posixTemp.c_str());
            if (!answer.ParseFailed()) {
                result = answer.UpdateProjectsInfo(hfsTemp, hfsProjects, status) ? kTrue : kFalse;
                if (result) {
                    g_ServerDetailChanged = kFalse;
                    answer.TakeAsParseOf(posixProjects.c_str());
                }
            }
        } else if (sink.tooLarge && fResponseCode == 200) {
            PMString message("0x61000kTSListTooLargeError");
            message.Translate();
            message.Append(" (over ");
            message.AppendNumber(static_cast<int32>(kMaxListBytes >> 20));
            message.Append(" MiB).");
            message.SetTranslatable(kFalse);
            CAlert::WarningAlert(message);
        } else {
            PMString message = ConnectionErrorText();
            message.Append("  HTTP Status = ");
            message.AppendNumber(fResponseCode);
            message.Append(fResponseCode == 404 ? ". Entered URL is incorrect."
                                                : ". Check the Server Details in Tessaron settings. ");
            message.SetTranslatable(kFalse);
            CAlert::WarningAlert(message);
        }
        std::remove(posixTemp.c_str());
        return result;
    } catch (...) {
        // The server's raw answer is never left behind, whatever interrupted the download.
        if (!posixTemp.empty()) std::remove(posixTemp.c_str());
        try {
            CAlert::ErrorAlert(ConnectionErrorText());
        } catch (...) {
        }
        return result;
    }
}

bool TSConnection::UploadPDFToServer(const char* pdfFilePath, const char* serverURL) {
    bool done = false;
    try {
        done = PostPDF(pdfFilePath, serverURL);
    } catch (...) {
        done = false;
    }
    if (done)
        g_UploadPercent.store(100, std::memory_order_release);
    else if (!fCancelled)
        g_UploadError.store(true, std::memory_order_release);
    return done;
}

bool TSConnection::PostPDF(const char* pdfFilePath, const char* serverURL) {
    fCancelled = false;
    if (!fHandle || !pdfFilePath || !serverURL || !*pdfFilePath) return false;
    std::string url = GetServerURL(serverURL) + "/indd_filetransfer.asp?" + "username=" + Escape(g_Name) +
                      "&password=" + Escape(g_Password) + "&project_id=" + Escape(g_ProjectID) +
                      "&status_id=" + Escape(g_StatusID) + "&item_numbers=" + Escape(g_PageNumber);
    // A shortened URL would be a different request: refuse it.
    if (url.size() >= kUploadURLSize) return false;

    std::unique_ptr<curl_mime, MimeFree> form(curl_mime_init(fHandle));
    if (!form) return false;
    curl_mimepart* part = curl_mime_addpart(form.get());
    if (!part) return false;
    // The file is read as it is sent, never held in memory whole; the part carries its name.
    if (curl_mime_name(part, "file") != CURLE_OK || curl_mime_filedata(part, pdfFilePath) != CURLE_OK ||
        curl_mime_type(part, "pdf") != CURLE_OK)
        return false;

    ClearConnectionInfo();
    TSUploadWatch watch;
    watch.deadLimit = std::chrono::milliseconds(gDeadLimitMs.load(std::memory_order_acquire));
    // Once the whole body is acknowledged nothing is in flight: only keep-alive probes tell a
    // server that thinks from one that is gone.
    const long keepIdle = std::max(1L, static_cast<long>(watch.deadLimit.count() / 2000));
    CURLcode code = SetOption(fHandle, kUrl, url.c_str());
    if (code == CURLE_OK) code = SetOption(fHandle, kMimePost, form.get());
    if (code == CURLE_OK) code = SetOption(fHandle, kWriteFunction, DiscardAnswer);
    if (code == CURLE_OK) code = SetOption(fHandle, kNoProgress, 0L);
    if (code == CURLE_OK) code = SetOption(fHandle, kXferInfoFunction, progress_callback);
    if (code == CURLE_OK) code = SetOption(fHandle, kXferInfoData, &watch);
    if (code == CURLE_OK) code = SetOption(fHandle, kSockOptFunction, PrepareUploadSocket);
    if (code == CURLE_OK) code = SetOption(fHandle, kSockOptData, &watch);
    if (code == CURLE_OK) code = SetOption(fHandle, kKeepAlive, 1L);
    if (code == CURLE_OK) code = SetOption(fHandle, kKeepIdle, keepIdle);
    if (code == CURLE_OK) code = SetOption(fHandle, kKeepInterval, std::max(1L, keepIdle / 3));
    if (code == CURLE_OK) code = PerformPolling(fHandle);
    fCancelled = code == CURLE_ABORTED_BY_CALLBACK;
    GetConnectionInfo(fHandle);
    // The handle keeps pointers to the form and the watch until it is told otherwise.
    SetOption(fHandle, kMimePost, nullptr);
    SetOption(fHandle, kXferInfoData, nullptr);
    SetOption(fHandle, kSockOptFunction, nullptr);
    SetOption(fHandle, kSockOptData, nullptr);
    return code == CURLE_OK && fResponseCode == 200;
}

size_t write_data(char* buffer, size_t size, size_t count, void* stream) {
    auto* sink = static_cast<DownloadSink*>(stream);
    const size_t bytes = size * count;
    // Anything short of the whole piece makes libcurl end the transfer with an error.
    if (sink->written + static_cast<curl_off_t>(bytes) > TSConnection::kMaxListBytes) {
        sink->tooLarge = true;
        return 0;
    }
    const size_t taken = std::fwrite(buffer, 1, bytes, sink->file);
    sink->written += static_cast<curl_off_t>(taken);
    return taken;
}

int download_callback(void* clientData, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    if (dltotal <= 0) return 0;
    int32 percent = Percent(dlnow, dltotal);
    if (percent < 1 || percent > 99) return 0;
    auto* lastShown = static_cast<int32*>(clientData);
    if (lastShown) {
        if (*lastShown == percent) return 0;
        *lastShown = percent;
    }
    // An exception must not cross libcurl's C frames; a bar that cannot be shown is no loss.
    try {
        RangeProgressBar bar(PMString("0x61000kTSDownloadStatusKey"), 0, 100, kFalse);
        bar.SetPosition(percent);
    } catch (...) {
    }
    return 0;
}

int progress_callback(void* clientData, curl_off_t, curl_off_t, curl_off_t ultotal, curl_off_t ulnow) {
    const auto* watch = static_cast<const TSUploadWatch*>(clientData);
    // Bytes handed to the system are not sent yet: a whole PDF can sit in the socket's queue.
    const long queued = watch ? QueuedBytes(watch->socket) : -1;
    if (ultotal > 0) g_UploadPercent.store(Percent(ulnow - std::max(queued, 0L), ultotal), std::memory_order_release);
    return g_UploadCancelRequested.load(std::memory_order_acquire) ? 1 : 0;
}
