#include "TSPanelDataModel.h"

#include "ImplementationRecord.h"
#include "TSID.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"

TSXmlDataHandling domparseFile;

CREATE_PMINTERFACE(TSPanelDataModel, kTSPanelDataModelImpl);

namespace {
constexpr int32 kRootID = -1;
}

TSPanelDataModel::TSPanelDataModel(IPMUnknown* boss) : CPMUnknown<ITSPanelDataModel>(boss) {}

TSPanelDataModel::~TSPanelDataModel() { DeleteTree(); }

int32 TSPanelDataModel::GetRootID() const { return fRoot ? fRoot->GetProjectID() : kRootID; }

TSPanelNodeData* TSPanelDataModel::GetNode(const int32& id) const {
    auto found = fNodes.find(id);
    return found == fNodes.end() ? nullptr : found->second;
}

int32 TSPanelDataModel::GetParentID(const int32& id) const {
    TSPanelNodeData* node = GetNode(id);
    if (!node || !fRoot || node == fRoot || *node == *fRoot) return kRootID;
    const TSPanelNodeData* parent = node->GetParent();
    return parent ? parent->GetProjectID() : kRootID;
}

int32 TSPanelDataModel::GetChildCount(const int32& id) {
    TSPanelNodeData* node = GetNode(id);
    if (node && node->ChildCount() > 0) return node->ChildCount();
    CacheChildren(id);
    node = GetNode(id);
    return node ? node->ChildCount() : 0;
}

int32 TSPanelDataModel::GetNthChildID(const int32& parentID, int32 n) {
    TSPanelNodeData* node = GetNode(parentID);
    if (!node || node->ChildCount() == 0) {
        CacheChildren(parentID);
        node = GetNode(parentID);
    }
    if (!node || n < 0 || n >= node->ChildCount()) return kRootID;
    return node->GetNthChild(n).GetProjectID();
}

int32 TSPanelDataModel::GetChildIndexFor(const int32& parentID, const int32& childID) {
    TSPanelNodeData* node = GetNode(parentID);
    if (!node) return -1;
    if (node->ChildCount() == 0) CacheChildren(parentID);
    for (int32 i = 0; i < node->ChildCount(); ++i)
        if (node->GetNthChild(i).GetProjectID() == childID) return i;
    return -1;
}

void TSPanelDataModel::Rebuild() {
    if (fRoot) DeleteTree();
    fRoot = new TSPanelNodeData;
    fRoot->SetData(PMString("Root", PMString::kNoTranslate), kRootID, false, kRootID);
    fNodes[kRootID] = fRoot;

    PMString projectsFile;
    if (!TSPanelUtils::GetTSProjectsFilePath(projectsFile)) return;
    // A list already parsed and unchanged since gives the same document again: keep it.
    if (!domparseFile.IsParseOf(projectsFile.GrabCString())) domparseFile.InitializeDOMnode(projectsFile.GrabCString());
    TSXmlDataHandling::fPrjID = 0;
    CacheChildren(kRootID);
}

bool TSPanelDataModel::IsValidProjectID(const int32& xmlID) const { return GetNodeByXMLID(xmlID) != nullptr; }

TSPanelNodeData* TSPanelDataModel::GetNodeByXMLID(const int32& xmlID) const {
    for (const auto& [id, node] : fNodes)
        if (node && node->IsProject() && node->GetProjectXMLID() == xmlID) return node;
    return nullptr;
}

void TSPanelDataModel::CacheChildren(const int32& id) {
    TSPanelNodeData* node = GetNode(id);
    if (!node || node->IsProject() || domparseFile.ParseFailed()) return;
    domparseFile.UpdateChildInfo(*node, fNodes);
}

void TSPanelDataModel::DeleteTree() {
    for (auto& [id, node] : fNodes) delete node;
    fNodes.clear();
    fRoot = nullptr;
}
