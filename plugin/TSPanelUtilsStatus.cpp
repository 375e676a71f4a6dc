#include "StatusCodeInfo.h"
#include "TSPanelUtils.h"
#include "TSXmlDataHandling.h"

void TSPanelUtils::GetStatusCodesInfo(K2Vector<StatusCodeInfo>& codes) {
    PMString path;
    if (!GetTSProjectsFilePath(path)) return;
    TSXmlDataHandling reader;
    reader.InitializeDOMnode(path.GrabCString());
    if (!reader.ParseFailed()) reader.GetStatusCodesInfo(codes);
}
