// A document's pages: the page list on the document boss (IPageList, persistent: the page
// UIDs in page order) and each page's data on its kPageBoss (IPageData, persistent: the
// page's name). Range texts use the notation of PageRange.h.
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "HostIDs.h"
#include "IPageList.h"

class IPMStream;

namespace tshost {

class IPageData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x30001 };

    virtual PMString GetName() const = 0;
    virtual void SetName(const PMString& name) = 0;
};

class PageList final : public CPMUnknown<IPageList> {
public:
    explicit PageList(IPMUnknown* boss) : CPMUnknown<IPageList>(boss) {}

    int32 GetPageCount() const override { return static_cast<int32>(fPages.size()); }
    UID GetNthPageUID(int32 index) const override;
    void GetPageString(UID page, PMString& name, bool16, bool16, bool16, bool16) const override;
    void GetPageRangeString(const UIDList& pages, PMString& range, int32, int32, int32, int32, int32) const override;
    ErrorCode ParsePageRange(const PMString& range, UIDList* pages, int32) const override;

    // The host's own: sets the pages, as one change.
    void SetPages(std::vector<UID> pages);
    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    std::vector<std::string> PageNames() const;
    std::vector<UID> fPages;
};

class PageData final : public CPMUnknown<IPageData> {
public:
    explicit PageData(IPMUnknown* boss) : CPMUnknown<IPageData>(boss) {}

    PMString GetName() const override { return fName; }
    void SetName(const PMString& name) override;
    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    PMString fName;
};

}  // namespace tshost
