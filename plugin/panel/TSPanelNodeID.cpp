#include "TSPanelNodeID.h"

#include "IPMStream.h"

int32 TSPanelNodeID::Compare(const NodeIDClass* other) const {
    // The host compares only nodes of one type.
    int32 theirs = static_cast<const TSPanelNodeID*>(other)->fProjectID;
    return fProjectID == theirs ? 0 : fProjectID > theirs ? 1 : -1;
}

void TSPanelNodeID::Read(IPMStream* stream) {
    if (stream) stream->XferInt32(fProjectID);
}

void TSPanelNodeID::Write(IPMStream* stream) const {
    if (!stream) return;
    int32 id = fProjectID;
    stream->XferInt32(id);
}
