// The project tree model behind the panel's tree view. It keeps the records of the loaded
// groups and projects in a map from internal node id to record (the map owns them; -1 is the
// root) and asks the global reader `domparseFile` for a node's children the first time they
// are wanted. Rebuild frees every record and parses the cached project list again; when the
// list is the one the records came from and nothing has been loaded beyond what a rebuild and
// the tree's first look at it load, a rebuild would make the same records with the same ids,
// so it keeps them (and shows again the progress the loads showed).
// User-interface thread only: neither the model nor the reader has locks.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "CPMUnknown.h"
#include "ITSPanelDataModel.h"
#include "TSXmlDataHandling.h"

class TSPanelNodeData;

// The one reader of the cached project list; it keeps the document of its last parse, from
// which children load lazily. Release its document before the XML library is terminated.
extern TSXmlDataHandling domparseFile;

class TSPanelDataModel : public CPMUnknown<ITSPanelDataModel> {
public:
    explicit TSPanelDataModel(IPMUnknown* boss);
    ~TSPanelDataModel() override;

    int32 GetRootID() const override;
    TSPanelNodeData* GetNode(const int32& id) const override;
    int32 GetParentID(const int32& id) const override;
    int32 GetChildCount(const int32& id) override;
    int32 GetNthChildID(const int32& parentID, int32 n) override;
    int32 GetChildIndexFor(const int32& parentID, const int32& childID) override;
    void Rebuild() override;
    bool IsValidProjectID(const int32& xmlID) const override;
    TSPanelNodeData* GetNodeByXMLID(const int32& xmlID) const override;

    // Loads the children of a group whose children are not loaded; projects have none.
    void CacheChildren(const int32& id);
    void DeleteTree();

private:
    // Whether a Rebuild from the reader's document as it is would give back the same records.
    bool WouldRebuildTheSame(const PMString& projectsFile) const;
    // Shows a kept group's loading progress the first time its children are asked for.
    void ShowKeptProgress(int32 id);

    std::map<int32, TSPanelNodeData*> fNodes;  // owns every record
    TSPanelNodeData* fRoot = nullptr;          // also stored under -1
    // The entry GetNode found last: the button update asks for the selected node every 10 ms,
    // and a map entry stays where it is until the records are deleted.
    mutable const std::pair<const int32, TSPanelNodeData*>* fLastFound = nullptr;
    // The reader's document the records were read from, and the groups whose children were
    // loaded since the last Rebuild, in order, each with the progress its load showed.
    uint64_t fBuiltFrom = 0;
    int32 fNextPrjID = 0;  // TSXmlDataHandling::fPrjID after the last load
    std::vector<std::pair<int32, TSXmlDataHandling::LoadProgress>> fLoads;
    std::map<int32, TSXmlDataHandling::LoadProgress> fProgressToShow;
};
