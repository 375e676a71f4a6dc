#include <iterator>

#include "CPMUnknown.h"
#include "ITSDynActionIDsData.h"
#include "ImplementationRecord.h"

class TSDynActionIDsData : public CPMUnknown<ITSDynActionIDsData> {
public:
    explicit TSDynActionIDsData(IPMUnknown* boss) : CPMUnknown<ITSDynActionIDsData>(boss) {}

    int32 Length() const override { return static_cast<int32>(fMap.size()); }

    void Clear() override {
        PreDirty(kInvalidImpl, kTrue);
        fMap.clear();
    }

    void AddEntry(const ActionID& id, const PMString& path) override {
        PreDirty(kInvalidImpl, kTrue);
        fMap.emplace(id, path);
    }

    ActionID GetActionID(const int32& index) const override {
        if (index < 0 || index >= Length()) return kInvalidActionID;
        return std::next(fMap.begin(), index)->first;
    }

    PMString GetDocumentPath(const ActionID& id) const override {
        auto it = fMap.find(id);
        return it == fMap.end() ? kNullString : it->second;
    }

    std::map<ActionID, PMString> GetActionIDsDataMap() const override { return fMap; }

    // A count, then each action ID and its path in ascending order of action ID. Reading stops
    // at the first damaged pair.
    void ReadWrite(IPMStream* stream, ImplementationID) override {
        if (!stream) return;
        if (stream->IsWriting()) {
            int32 count = Length();
            stream->XferInt32(count);
            for (auto& [id, path] : fMap) {
                ActionID key = id;
                stream->XferID(key);
                path.ReadWrite(stream);
            }
            return;
        }
        fMap.clear();
        int32 count = 0;
        stream->XferInt32(count);
        for (int32 i = 0; i < count && stream->IsGood(); ++i) {
            ActionID id;
            PMString path;
            stream->XferID(id);
            path.ReadWrite(stream);
            if (stream->IsGood()) fMap.emplace(id, std::move(path));
        }
    }

private:
    std::map<ActionID, PMString> fMap;
};

CREATE_PERSIST_PMINTERFACE(TSDynActionIDsData, kTSDynActionIDsPersistDataImpl);
CREATE_PMINTERFACE(TSDynActionIDsData, kTSDynActionIDsDataImpl);
