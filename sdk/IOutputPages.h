// What a PDF export writes: pages or spreads of one document's database, in output order.
// Each item is written as one PDF page: a page at its own size, a spread with its pages
// side by side. The one flag says the items come from a book's several documents; this
// host has no books, so an export with the flag set fails. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "UIDRef.h"

class IDataBase;

class IOutputPages : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x16318 };

    // Forgets the items, the database and the flag.
    virtual void Clear() = 0;
    virtual void SetDataBase(IDataBase* db) = 0;
    virtual IDataBase* GetDataBase() const = 0;
    virtual void SetIsBook(bool16 isBook) = 0;
    virtual bool16 GetIsBook() const = 0;
    // Items from another database than the one set make the export fail.
    virtual void AppendOutputPageUIDRef(const UIDRef& item) = 0;
    virtual int32 GetOutputPageCount() const = 0;
    virtual UIDRef GetNthOutputPageUIDRef(int32 index) const = 0;
};
