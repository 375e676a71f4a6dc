#include "TSPanelNodeData.h"

#include <utility>

TSPanelNodeData::TSPanelNodeData(const TSPanelNodeData& other) { CopyNodeData(other); }

TSPanelNodeData& TSPanelNodeData::operator=(const TSPanelNodeData& other) {
    CopyNodeData(other);
    return *this;
}

void TSPanelNodeData::CopyNodeData(const TSPanelNodeData& source) {
    if (&source == this) return;
    // The source may be one of our own children: copy its lists before dropping ours.
    K2Vector<TSPanelNodeData> children(source.fChildren);
    K2Vector<StatusCodeInfo> statusCodes(source.fStatusCodes);
    PMString nodeName(source.fNodeName);
    PMString fileNameText(source.fPrjFileNameText);
    fParent = source.fParent;
    fProjectXMLID = source.fProjectXMLID;
    fIsProject = source.fIsProject;
    fProjectID = source.fProjectID;
    fPageFrom = source.fPageFrom;
    fPageTo = source.fPageTo;
    fNodeName = std::move(nodeName);
    fPrjFileNameText = std::move(fileNameText);
    fStatusCodes = std::move(statusCodes);
    fChildren = std::move(children);
}

bool TSPanelNodeData::operator==(const TSPanelNodeData& other) const {
    if (fParent != other.fParent) return false;
    if (!(fNodeName == other.fNodeName)) return false;
    if (fChildren.size() != other.fChildren.size()) return false;
    for (size_t i = 0; i < fChildren.size(); ++i)
        if (!(fChildren[i] == other.fChildren[i])) return false;
    return fProjectXMLID == other.fProjectXMLID && fIsProject == other.fIsProject && fProjectID == other.fProjectID;
}

void TSPanelNodeData::SetData(const PMString& name, const int32& xmlID, const bool& isProject, const int32& projectID) {
    fNodeName = name;
    fProjectXMLID = xmlID;
    fIsProject = isProject;
    fProjectID = projectID;
}
