// The project tree model: the groups and projects of the cached project list, keyed by
// internal node id, answering the questions of the panel's tree view. Children load the first
// time they are asked for. It lives on the project tree widget's boss; the panel reaches it
// by asking the widget for this interface. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMTypes.h"

class TSPanelNodeData;

class ITSPanelDataModel : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x61000 };

    // -1, the root's id, also before the first Rebuild.
    virtual int32 GetRootID() const = 0;
    // The record, valid until the next Rebuild; null for an unknown id.
    virtual TSPanelNodeData* GetNode(const int32& id) const = 0;
    // -1 for the root and for unknown ids.
    virtual int32 GetParentID(const int32& id) const = 0;
    // Loads the node's children when it has none yet.
    virtual int32 GetChildCount(const int32& id) = 0;
    virtual int32 GetNthChildID(const int32& parentID, int32 n) = 0;
    // -1 when the child is not among the parent's children.
    virtual int32 GetChildIndexFor(const int32& parentID, const int32& childID) = 0;
    // Drops every record and starts again from the cached project list.
    virtual void Rebuild() = 0;
    // Whether a loaded project has this server id.
    virtual bool IsValidProjectID(const int32& xmlID) const = 0;
    // The first loaded project with this server id, or null.
    virtual TSPanelNodeData* GetNodeByXMLID(const int32& xmlID) const = 0;

protected:
    ~ITSPanelDataModel() override = default;
};
