// The host's number-to-text utility (reached with UtilsBoss::QueryUtils).
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class INumberUtils : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x17403 };

    // Plain decimal digits with a leading "-" for negative numbers: no grouping separators,
    // no padding ("7", "123", "-5"). Not translatable.
    virtual PMString IntegerToText(int32 number) = 0;
};
