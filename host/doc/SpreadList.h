// A document's spreads: the spread list on the document boss (ISpreadList, persistent: the
// spread UIDs in spread order) and each spread's pages on its kSpreadBoss (ISpreadData,
// persistent: page UIDs, left to right).
//
// Spreads follow facing pages: page 1 stands alone as the first spread, then the pages pair
// up (2-3, 4-5, …), so an even page count ends with a spread of one page. A document gets its
// spreads the first time its spread list is used, from its page list; they are saved with the
// document from then on, without making it count as modified.
// User-interface thread only.
#pragma once

#include <vector>

#include "CPMUnknown.h"
#include "ISpreadList.h"

class IPMStream;

namespace tshost {

class ISpreadData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x30200 };

    virtual int32 GetPageCount() const = 0;
    // kInvalidUID when the index is out of range.
    virtual UID GetNthPageUID(int32 index) const = 0;
    virtual void SetPages(std::vector<UID> pages) = 0;
};

// How `pageCount` pages fall into spreads: the page indices of each spread, in order.
std::vector<std::vector<int32>> FacingSpreads(int32 pageCount);

class SpreadList final : public CPMUnknown<ISpreadList> {
public:
    explicit SpreadList(IPMUnknown* boss) : CPMUnknown<ISpreadList>(boss) {}

    int32 GetSpreadCount() const override;
    UID GetNthSpreadUID(int32 index) const override;

    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    // Makes the spreads from the page list when the document has none yet.
    void EnsureSpreads() const;

    mutable std::vector<UID> fSpreads;
    mutable bool fMade = false;
};

class SpreadData final : public CPMUnknown<ISpreadData> {
public:
    explicit SpreadData(IPMUnknown* boss) : CPMUnknown<ISpreadData>(boss) {}

    int32 GetPageCount() const override { return static_cast<int32>(fPages.size()); }
    UID GetNthPageUID(int32 index) const override;
    void SetPages(std::vector<UID> pages) override;

    // Sets the pages of a spread being made, as defaults rather than a change.
    void InitPages(std::vector<UID> pages);
    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    std::vector<UID> fPages;
};

}  // namespace tshost
