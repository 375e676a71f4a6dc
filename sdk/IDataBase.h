// A database of persistent objects: the session workspace or one document. It instantiates
// objects by UID, keeps the modified state that saving clears, and knows its file.
// User-interface thread only.
#pragma once

#include "IDFile.h"
#include "IDTypes.h"
#include "UIDRef.h"

class IPMUnknown;

class IDataBase {
public:
    // Returns a counted interface of the object with this UID, or null.
    virtual IPMUnknown* Instantiate(UID uid, PMIID interfaceID) = 0;
    virtual UID GetRootUID() const = 0;
    virtual bool16 IsModified() const = 0;
    virtual void SetModified(bool16 modified) = 0;
    // The file the database was last opened from or saved to; false when it has none.
    virtual bool16 GetSysFile(IDFile& file) const = 0;

protected:
    virtual ~IDataBase() = default;
};

// The database of a persistent object, or null for an object that lives in none.
IDataBase* GetDataBase(const IPMUnknown* object);
// The reference of a persistent object, or UIDRef::gNull.
UIDRef GetUIDRef(const IPMUnknown* object);
