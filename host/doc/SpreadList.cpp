#include "SpreadList.h"

#include "DataBase.h"
#include "ExportIDs.h"
#include "IPMStream.h"
#include "IPageList.h"
#include "InterfacePtr.h"
#include "LazyDefaults.h"

namespace tshost {

namespace {

// Counts beyond these in a stream are damage, not data.
constexpr int32 kMaxStreamedSpreads = 1 << 20;
constexpr int32 kMaxPagesPerSpread = 1 << 10;

// The list format's first word: a list written before its spreads were made holds 0, so a
// later open still makes them.
constexpr int32 kNotMade = 0;
constexpr int32 kMade = 1;

bool XferUIDs(IPMStream* stream, std::vector<UID>& uids, int32 limit) {
    int32 count = static_cast<int32>(uids.size());
    stream->XferInt32(count);
    if (stream->IsReading()) {
        uids.clear();
        if (count < 0 || count > limit || int64(count) * 4 > stream->Remaining()) {
            stream->SetFailed();
            return false;
        }
        uids.resize(static_cast<std::size_t>(count));
    }
    for (UID& uid : uids) stream->XferID(uid);
    if (!stream->IsGood()) uids.clear();
    return stream->IsGood();
}

}  // namespace

std::vector<std::vector<int32>> FacingSpreads(int32 pageCount) {
    std::vector<std::vector<int32>> spreads;
    if (pageCount <= 0) return spreads;
    spreads.push_back({0});
    for (int32 page = 1; page < pageCount; page += 2) {
        if (page + 1 < pageCount)
            spreads.push_back({page, page + 1});
        else
            spreads.push_back({page});
    }
    return spreads;
}

int32 SpreadList::GetSpreadCount() const {
    EnsureSpreads();
    return static_cast<int32>(fSpreads.size());
}

UID SpreadList::GetNthSpreadUID(int32 index) const {
    EnsureSpreads();
    return index >= 0 && index < static_cast<int32>(fSpreads.size()) ? fSpreads[static_cast<std::size_t>(index)]
                                                                      : kInvalidUID;
}

void SpreadList::EnsureSpreads() const {
    if (fMade) return;
    tshost::Boss* boss = tshost::Boss::From(this);
    DataBase* db = boss ? boss->GetDataBase() : nullptr;
    InterfacePtr<IPageList> pages(this, IID_OF<IPageList>());
    if (!db || !pages || pages->GetPageCount() == 0) return;
    std::vector<UID> spreads;
    for (const std::vector<int32>& members : FacingSpreads(pages->GetPageCount())) {
        UID spread = db->NewObject(kSpreadBoss);
        InterfacePtr<ISpreadData> data(db, spread, IID_OF<ISpreadData>());
        auto* spreadData = dynamic_cast<SpreadData*>(data.get());
        if (!spreadData) return;
        std::vector<UID> uids;
        for (int32 page : members) uids.push_back(pages->GetNthPageUID(page));
        spreadData->InitPages(std::move(uids));
        spreads.push_back(spread);
    }
    fSpreads = std::move(spreads);
    fMade = true;
    KeepDefaults(this);
}

void SpreadList::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    int32 state = fMade ? kMade : kNotMade;
    stream->XferInt32(state);
    if (stream->IsReading()) {
        fSpreads.clear();
        fMade = false;
        if (state != kMade && state != kNotMade) {
            stream->SetFailed();
            return;
        }
    }
    if (XferUIDs(stream, fSpreads, kMaxStreamedSpreads) && stream->IsReading()) fMade = state == kMade;
}

UID SpreadData::GetNthPageUID(int32 index) const {
    return index >= 0 && index < GetPageCount() ? fPages[static_cast<std::size_t>(index)] : kInvalidUID;
}

void SpreadData::SetPages(std::vector<UID> pages) {
    if (pages == fPages) return;
    PreDirty();
    fPages = std::move(pages);
}

void SpreadData::InitPages(std::vector<UID> pages) {
    fPages = std::move(pages);
    KeepDefaults(this);
}

void SpreadData::ReadWrite(IPMStream* stream, ImplementationID) {
    if (stream) XferUIDs(stream, fPages, kMaxPagesPerSpread);
}

}  // namespace tshost
