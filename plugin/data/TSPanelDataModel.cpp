#include "TSPanelDataModel.h"

#include <unordered_set>

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
    if (fLastFound && fLastFound->first == id) return fLastFound->second;
    auto found = fNodes.find(id);
    if (found == fNodes.end()) return nullptr;
    fLastFound = &*found;
    return found->second;
}

int32 TSPanelDataModel::GetParentID(const int32& id) const {
    TSPanelNodeData* node = GetNode(id);
    if (!node || !fRoot || node == fRoot || *node == *fRoot) return kRootID;
    const TSPanelNodeData* parent = node->GetParent();
    return parent ? parent->GetProjectID() : kRootID;
}

int32 TSPanelDataModel::GetChildCount(const int32& id) {
    ShowKeptProgress(id);
    TSPanelNodeData* node = GetNode(id);
    if (node && node->ChildCount() > 0) return node->ChildCount();
    CacheChildren(id);
    node = GetNode(id);
    return node ? node->ChildCount() : 0;
}

int32 TSPanelDataModel::GetNthChildID(const int32& parentID, int32 n) {
    ShowKeptProgress(parentID);
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
    ShowKeptProgress(parentID);
    if (node->ChildCount() == 0) CacheChildren(parentID);
    for (int32 i = 0; i < node->ChildCount(); ++i)
        if (node->GetNthChild(i).GetProjectID() == childID) return i;
    return -1;
}

void TSPanelDataModel::Rebuild() {
    PMString projectsFile;
    const bool16 exists = TSPanelUtils::GetTSProjectsFilePath(projectsFile);
    if (fRoot && exists && WouldRebuildTheSame(projectsFile)) {
        // The tree's next look at the groups shows what their loads would have shown.
        for (const auto& [id, progress] : fLoads)
            if (id != kRootID && progress.range >= 0) fProgressToShow[id] = progress;
        TSXmlDataHandling::fPrjID = fNextPrjID;
        return;
    }
    if (fRoot) DeleteTree();
    fRoot = new TSPanelNodeData;
    fRoot->SetData(PMString("Root", PMString::kNoTranslate), kRootID, false, kRootID);
    fNodes[kRootID] = fRoot;

    if (!exists) return;
    // A list already parsed and unchanged since gives the same document again: keep it.
    if (!domparseFile.IsParseOf(projectsFile.GrabCString())) domparseFile.InitializeDOMnode(projectsFile.GrabCString());
    TSXmlDataHandling::fPrjID = 0;
    fBuiltFrom = domparseFile.DocumentGeneration();
    CacheChildren(kRootID);
}

// Ids are handed out in the order nodes are loaded, so the same records come back only when
// every load so far is one a rebuild makes at once (the root's) or the tree makes next: the
// top-level groups', one after the other in their shown order.
bool TSPanelDataModel::WouldRebuildTheSame(const PMString& projectsFile) const {
    if (fBuiltFrom == 0 || domparseFile.ParseFailed() || fBuiltFrom != domparseFile.DocumentGeneration() ||
        !domparseFile.IsParseOf(projectsFile.GrabCString()) || fLoads.empty() || fLoads.front().first != kRootID)
        return false;
    std::unordered_set<int32> seen;
    int32 next = 0;
    for (std::size_t i = 1; i < fLoads.size(); ++i) {
        const int32 id = fLoads[i].first;
        if (next < fRoot->ChildCount() && fRoot->GetNthChild(next).GetProjectID() == id) {
            seen.insert(id);
            ++next;
            continue;
        }
        // Asked again: a group that loaded nothing before, which loads nothing again.
        const TSPanelNodeData* node = GetNode(id);
        if (!seen.count(id) || !node || node->ChildCount() > 0) return false;
    }
    return true;
}

void TSPanelDataModel::ShowKeptProgress(int32 id) {
    if (fProgressToShow.empty()) return;
    auto found = fProgressToShow.find(id);
    if (found == fProgressToShow.end()) return;
    const TSXmlDataHandling::LoadProgress progress = found->second;
    fProgressToShow.erase(found);
    TSXmlDataHandling::ShowLoadProgress(progress);
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
    // Records read from another document than the tree's first ones never come back whole.
    if (domparseFile.DocumentGeneration() != fBuiltFrom) fBuiltFrom = 0;
    domparseFile.UpdateChildInfo(*node, fNodes);
    fLoads.emplace_back(id, domparseFile.LastLoadProgress());
    fNextPrjID = TSXmlDataHandling::fPrjID;
}

void TSPanelDataModel::DeleteTree() {
    for (auto& [id, node] : fNodes) delete node;
    fNodes.clear();
    fLastFound = nullptr;
    fRoot = nullptr;
    fBuiltFrom = 0;
    fLoads.clear();
    fProgressToShow.clear();
}
