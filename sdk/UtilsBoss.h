// The way to the host's utility interfaces (layout, document, document-file and number
// utilities, the panel manager, …): QueryUtils<I>() returns the utility for I's interface
// ID, counted (the caller releases it, typically by adopting it into an InterfacePtr), or
// null when the host has no such utility. Utilities keep no state of their own, so every
// call may hand out a different object. User-interface thread only.
#pragma once

#include "IPMUnknown.h"

// Host side: a counted utility interface, or null.
IPMUnknown* QueryHostUtility(PMIID interfaceID);

class UtilsBoss {
public:
    template <class I>
    static I* QueryUtils() {
        return static_cast<I*>(QueryHostUtility(IID_OF<I>()));
    }
};
