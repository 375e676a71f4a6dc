#include "TSUploadGlobals.h"

char g_PdfFile[kUploadPathSize];
char g_UrlInfo[kUploadPathSize];

PMString g_Name;
PMString g_Password;
PMString g_ProjectID;
PMString g_StatusID;
PMString g_PageNumber;

std::atomic<int32> g_UploadPercent{0};
std::atomic<bool> g_UploadError{false};
std::atomic<bool> g_sendToAllowed{true};
std::atomic<TSUploadOutcome> g_UploadOutcome{TSUploadOutcome::kNone};
std::atomic<bool> g_UploadCancelRequested{false};
