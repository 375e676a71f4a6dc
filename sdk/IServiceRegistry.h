// The host's service look-up, interface 0x120 of the session: the providers of a service,
// in the order the host found them (the host's own first, then each plug-in's in load and
// resource-file order). Every result is counted; null when there is no such provider.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IServiceProvider;

class IServiceRegistry : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x120 };

    virtual int32 GetServiceProviderCount(ServiceID service) = 0;
    virtual IServiceProvider* QueryNthServiceProvider(ServiceID service, int32 index) = 0;
    // The provider that calls itself the default, else the first one.
    virtual IServiceProvider* QueryDefaultServiceProvider(ServiceID service) = 0;
    // The provider of `service` whose boss is of class `providerClass`.
    virtual IServiceProvider* QueryServiceProviderByClassID(ServiceID service, ClassID providerClass) = 0;
};
