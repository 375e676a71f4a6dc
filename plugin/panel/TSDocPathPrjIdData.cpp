#include <algorithm>

#include "CPMUnknown.h"
#include "ITSDocPathPrjIdData.h"
#include "ImplementationRecord.h"

class TSDocPathPrjIdData : public CPMUnknown<ITSDocPathPrjIdData> {
public:
    explicit TSDocPathPrjIdData(IPMUnknown* boss) : CPMUnknown<ITSDocPathPrjIdData>(boss) {}

    void SetDocPathPrjIdData(const DataConatiner& entry) override {
        PreDirty(kInvalidImpl, kTrue);
        bool present = std::any_of(fList.begin(), fList.end(), [&](const DataConatiner& r) {
            return r.prjID == entry.prjID && r.docPath.IsEqual(entry.docPath, kFalse, kFalse);
        });
        if (!present) fList.push_back(entry);
    }

    K2Vector<DataConatiner> GetDocPathPrjIDContainer() const override { return fList; }

    void SetDocPathPrjIDContainer(K2Vector<DataConatiner> list) override {
        PreDirty(kInvalidImpl, kTrue);
        fList = std::move(list);
    }

    // A count, then each record's path and project ID. A damaged stream ends the list at the
    // last whole record, so a bad count can never make the reader loop or allocate for long.
    void ReadWrite(IPMStream* stream, ImplementationID) override {
        if (!stream) return;
        if (stream->IsWriting()) {
            int32 count = static_cast<int32>(fList.size());
            stream->XferInt32(count);
            for (DataConatiner& r : fList) {
                r.docPath.ReadWrite(stream);
                stream->XferInt32(r.prjID);
            }
            return;
        }
        fList.clear();
        int32 count = 0;
        stream->XferInt32(count);
        for (int32 i = 0; i < count && stream->IsGood(); ++i) {
            DataConatiner r;
            r.docPath.ReadWrite(stream);
            stream->XferInt32(r.prjID);
            if (stream->IsGood()) fList.push_back(std::move(r));
        }
    }

private:
    K2Vector<DataConatiner> fList;
};

CREATE_PERSIST_PMINTERFACE(TSDocPathPrjIdData, kTSDocPathPrjIdPersistImpl);
CREATE_PMINTERFACE(TSDocPathPrjIdData, kTSDocPathPrjIdDataImpl);
