#include "StatusCodeInfo.h"
#include "TSPanelDataModel.h"
#include "TSPanelUtils.h"
#include "TSXmlDataHandling.h"

void TSPanelUtils::GetStatusCodesInfo(K2Vector<StatusCodeInfo>& codes) {
    PMString path;
    if (!GetTSProjectsFilePath(path)) return;
    // The tree's reader holds the list already unless it changed since.
    if (domparseFile.IsParseOf(path.GrabCString())) {
        domparseFile.GetStatusCodesInfo(codes);
        return;
    }
    TSXmlDataHandling reader;
    reader.InitializeDOMnode(path.GrabCString());
    if (!reader.ParseFailed()) reader.GetStatusCodesInfo(codes);
}
