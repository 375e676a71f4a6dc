#include "PageList.h"

#include <map>

#include "IDataBase.h"
#include "IPMStream.h"
#include "InterfacePtr.h"
#include "PageRange.h"

namespace tshost {

namespace {

// A page list longer than this in a stream is damage, not data.
constexpr int32 kMaxStreamedPages = 1 << 20;

}  // namespace

UID PageList::GetNthPageUID(int32 index) const {
    return index >= 0 && index < GetPageCount() ? fPages[static_cast<std::size_t>(index)] : kInvalidUID;
}

void PageList::GetPageString(UID page, PMString& name, bool16, bool16, bool16, bool16) const {
    name = PMString("", PMString::kNoTranslate);
    InterfacePtr<IPageData> data(::GetDataBase(this), page, IID_OF<IPageData>());
    if (data) name = PMString(data->GetName().GetUTF8String(), PMString::kNoTranslate);
}

std::vector<std::string> PageList::PageNames() const {
    std::vector<std::string> names;
    names.reserve(fPages.size());
    for (UID page : fPages) {
        PMString name;
        GetPageString(page, name, kFalse, kTrue, kFalse, kTrue);
        names.push_back(name.GetUTF8String());
    }
    return names;
}

void PageList::GetPageRangeString(const UIDList& pages, PMString& range, int32, int32, int32, int32, int32) const {
    std::map<UID, int> position;
    for (std::size_t p = 0; p < fPages.size(); ++p) position.emplace(fPages[p], static_cast<int>(p));
    std::vector<int> indices;
    for (int32 i = 0; i < pages.Length(); ++i)
        if (auto it = position.find(pages[i]); it != position.end()) indices.push_back(it->second);
    range = PMString(FormatPageRange(PageNames(), indices), PMString::kNoTranslate);
}

ErrorCode PageList::ParsePageRange(const PMString& range, UIDList* pages, int32) const {
    std::optional<std::vector<int>> indices = tshost::ParsePageRange(PageNames(), range.GetUTF8String());
    if (pages) {
        *pages = UIDList(::GetDataBase(this));
        if (indices)
            for (int index : *indices) pages->Append(fPages[static_cast<std::size_t>(index)]);
    }
    return indices ? kSuccess : kFailure;
}

void PageList::SetPages(std::vector<UID> pages) {
    PreDirty();
    fPages = std::move(pages);
}

void PageList::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    int32 count = GetPageCount();
    stream->XferInt32(count);
    if (stream->IsReading()) {
        fPages.clear();
        if (count < 0 || count > kMaxStreamedPages || int64(count) * 4 > stream->Remaining()) {
            stream->SetFailed();
            return;
        }
        fPages.resize(static_cast<std::size_t>(count));
    }
    for (UID& page : fPages) stream->XferID(page);
    if (!stream->IsGood()) fPages.clear();
}

void PageData::SetName(const PMString& name) {
    if (name == fName) return;
    PreDirty();
    fName = PMString(name.GetUTF8String(), PMString::kNoTranslate);
}

void PageData::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    fName.ReadWrite(stream);
    fName.SetTranslatable(kFalse);
}

}  // namespace tshost
