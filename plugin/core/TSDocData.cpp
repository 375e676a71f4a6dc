#include "CPMUnknown.h"
#include "ITSDocData.h"
#include "ImplementationRecord.h"

class TSDocData : public CPMUnknown<ITSDocData> {
public:
    explicit TSDocData(IPMUnknown* boss) : CPMUnknown<ITSDocData>(boss) {}

    void SetProjectXMLID(const int32& id) override { Set(fProjectXMLID, id); }
    int32 GetProjectXMLID() const override { return fProjectXMLID; }
    void SetStatusID(const int32& id) override { Set(fStatusID, id); }
    int32 GetStatusID() const override { return fStatusID; }

    // The project ID, then the status ID.
    void ReadWrite(IPMStream* stream, ImplementationID) override {
        if (!stream) return;
        stream->XferInt32(fProjectXMLID);
        stream->XferInt32(fStatusID);
    }

private:
    void Set(int32& field, int32 value) {
        if (field == value) return;
        PreDirty(kInvalidImpl, kTrue);
        field = value;
    }

    int32 fProjectXMLID = -1;
    int32 fStatusID = -1;
};

CREATE_PERSIST_PMINTERFACE(TSDocData, kTSDocDataPersistImpl);
CREATE_PMINTERFACE(TSDocData, kTSDocDataImpl);
