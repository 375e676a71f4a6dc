// One node of the project tree: a project group, a project, or the tree's root. The reader
// of the projects file fills it, the tree model owns it and the panel and the send workflow
// read it. A plain value: copying a record copies its children and status codes deeply but
// keeps the parent pointer, which is never owned. User-interface thread only.
#pragma once

#include <utility>

#include "K2Vector.h"
#include "PMString.h"
#include "StatusCodeInfo.h"

class TSPanelNodeData {
public:
    TSPanelNodeData() = default;
    TSPanelNodeData(const TSPanelNodeData& other);
    TSPanelNodeData(TSPanelNodeData&& other) noexcept = default;
    TSPanelNodeData& operator=(const TSPanelNodeData& other);
    TSPanelNodeData& operator=(TSPanelNodeData&& other) noexcept = default;
    virtual ~TSPanelNodeData() = default;

    // Replaces every field with the source's; safe when the source is this record or lives
    // inside it.
    void CopyNodeData(const TSPanelNodeData& source);

    // Same parent object, name, children (recursively), server id, kind and internal id.
    // Status codes, file-name text and pages take no part.
    bool operator==(const TSPanelNodeData& other) const;

    void SetData(const PMString& name, const int32& xmlID, const bool& isProject, const int32& projectID);
    void SetParent(const TSPanelNodeData* parent) { fParent = parent; }
    const TSPanelNodeData* GetParent() const { return fParent; }

    // Stores a copy; later changes to `child` do not reach it.
    void AddChild(const TSPanelNodeData& child) { fChildren.push_back(child); }
    void AddChild(TSPanelNodeData&& child) { fChildren.push_back(std::move(child)); }
    int32 ChildCount() const { return static_cast<int32>(fChildren.size()); }
    // n must lie in 0 .. ChildCount() - 1.
    TSPanelNodeData& GetNthChild(int32 n) { return fChildren[static_cast<size_t>(n)]; }
    const TSPanelNodeData& GetNthChild(int32 n) const { return fChildren[static_cast<size_t>(n)]; }

    PMString GetNodeName() const { return fNodeName; }
    // The name without a copy, for the many comparisons of a sort.
    const PMString& NodeName() const { return fNodeName; }
    int32 GetProjectID() const { return fProjectID; }
    int32 GetProjectXMLID() const { return fProjectXMLID; }
    bool IsProject() const { return fIsProject; }

    void AddStatusCode(const StatusCodeInfo& code) { fStatusCodes.push_back(code); }
    void ReserveStatusCodes(int32 count) { fStatusCodes.reserve(static_cast<size_t>(count)); }
    int32 StatusCount() const { return static_cast<int32>(fStatusCodes.size()); }
    // n must lie in 0 .. StatusCount() - 1.
    StatusCodeInfo& GetNthStatus(int32 n) { return fStatusCodes[static_cast<size_t>(n)]; }
    const StatusCodeInfo& GetNthStatus(int32 n) const { return fStatusCodes[static_cast<size_t>(n)]; }

    void SetPrjFileNameText(const PMString& text) { fPrjFileNameText = text; }
    PMString GetPrjFileNameText() const { return fPrjFileNameText; }
    void SetPageFromInfo(const int32& page) { fPageFrom = page; }
    void SetPageToInfo(const int32& page) { fPageTo = page; }
    int32 GetPageFromInfo() const { return fPageFrom; }
    int32 GetPageToInfo() const { return fPageTo; }

private:
    K2Vector<TSPanelNodeData> fChildren;
    PMString fNodeName;
    bool fIsProject = false;
    int32 fProjectXMLID = -1;
    int32 fProjectID = -1;
    const TSPanelNodeData* fParent = nullptr;
    K2Vector<StatusCodeInfo> fStatusCodes;
    PMString fPrjFileNameText;
    int32 fPageFrom = -1;
    int32 fPageTo = -1;
};
