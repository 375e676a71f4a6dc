// The base interface of every interface on a boss. Reference counts are kept per boss:
// AddRef and Release on any interface count for the whole object. QueryInterface returns a
// counted pointer, or null when the boss has no such interface.
// Bosses live on the user-interface thread; only that thread may query or release them.
#pragma once

#include "IDTypes.h"

class IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xE01 };

    virtual IPMUnknown* QueryInterface(PMIID interfaceID) const = 0;
    virtual void AddRef() const = 0;
    virtual void Release() const = 0;

protected:
    virtual ~IPMUnknown() = default;
};

// Interfaces declare their ID beside them; this reads it.
template <class T>
constexpr PMIID IID_OF() { return PMIID(T::kDefaultIID); }
