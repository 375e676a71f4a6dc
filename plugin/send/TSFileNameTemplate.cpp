#include "TSFileNameTemplate.h"

#include <string_view>

#include "IActiveContext.h"
#include "IDocument.h"
#include "IPageList.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"

PMString g_FileNameDefination;

namespace {

constexpr std::string_view kForbidden = ":/\"?\\<>|*";

}  // namespace

PMString TSFileNameTemplate::Expand(const PMString& templateText, const Values& values, bool* reachedUserInput) {
    if (reachedUserInput) *reachedUserInput = false;
    const std::string& text = templateText.GetUTF8String();
    PMString result;
    std::size_t start = 0;
    for (std::size_t end = text.find('$'); end != std::string::npos; start = end + 1, end = text.find('$', start)) {
        const std::string_view piece(text.data() + start, end - start);
        if (piece.empty()) continue;
        if (piece == "project_code") {
            result.Append(values.projectCode);
        } else if (piece == "file_name") {
            result.Append(values.fileName);
        } else if (piece == "user_name") {
            result.Append(values.userName);
        } else if (piece == "page_number") {
            if (!values.pageNumber) break;
            result.Append(*values.pageNumber);
        } else if (piece == "user_input") {
            if (reachedUserInput) *reachedUserInput = true;
            result.Append(values.userInput);
        } else if (piece == "project_group_name") {
            result.Append(values.projectGroupName);
        } else if (piece == "project_name") {
            result.Append(values.projectName);
        } else {
            result.Append(piece);
        }
    }
    RemoveForbiddenCharacters(result);
    result.SetTranslatable(kFalse);
    return result;
}

void TSFileNameTemplate::RemoveForbiddenCharacters(PMString& name) {
    for (char c : kForbidden) name.RemoveAll(c);
}

PMString TSFileNameTemplate::DocumentBaseName(const PMString& documentName) {
    const int32 at = documentName.IndexOf(std::string_view(".indd"));
    PMString base = at < 0 ? documentName : documentName.Substring(0, at);
    base.SetTranslatable(kFalse);
    return base;
}

TSFileNameTemplate::Values TSFileNameTemplate::CurrentValues() {
    Values values;
    TSPanelNodeData node;
    if (TSPanelUtils::GetNodeData(node) && node.IsProject()) {
        values.projectCode = node.GetPrjFileNameText();
        values.projectName = node.GetNodeName();
        if (const TSPanelNodeData* group = node.GetParent()) values.projectGroupName = group->GetNodeName();
    }
    IActiveContext* context = gSession ? gSession->GetActiveContext() : nullptr;
    if (IDocument* document = context ? context->GetContextDocument() : nullptr) {
        PMString name;
        document->GetName(name);
        values.fileName = DocumentBaseName(name);
    }
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSPrefsData> prefs(workspace.get(), IID_OF<ITSPrefsData>());
    if (prefs) values.userName = prefs->GetUserName();
    return values;
}

bool16 TSFileNameTemplate::AllPages(IDocument* document, UIDList& pages) {
    InterfacePtr<IPageList> pageList(document, IID_OF<IPageList>());
    if (!pageList) return kFalse;
    pages = UIDList(GetDataBase(document));
    for (int32 i = 0; i < pageList->GetPageCount(); ++i) pages.Append(pageList->GetNthPageUID(i));
    return kTrue;
}

bool16 TSFileNameTemplate::AllPagesRangeText(IDocument* document, PMString& range) {
    InterfacePtr<IPageList> pageList(document, IID_OF<IPageList>());
    UIDList pages;
    if (!pageList || !AllPages(document, pages)) return kFalse;
    range.Clear();
    pageList->GetPageRangeString(pages, range, 1, 0, 0, 0, 1);
    range.SetTranslatable(kFalse);
    return kTrue;
}
