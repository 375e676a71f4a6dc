// One status code of the proofing server: its number, its name and description, and the two
// colour numbers the server sends with it. A plain value, copied whole; user-interface
// thread only, like the project records that carry it.
#pragma once

#include "PMString.h"

class StatusCodeInfo {
public:
    StatusCodeInfo() = default;
    StatusCodeInfo(const StatusCodeInfo&) = default;
    StatusCodeInfo(StatusCodeInfo&&) noexcept = default;
    StatusCodeInfo& operator=(const StatusCodeInfo&) = default;
    StatusCodeInfo& operator=(StatusCodeInfo&&) noexcept = default;
    virtual ~StatusCodeInfo() = default;

    // Fields the server's element lacks stay 0.
    int32 id = 0;
    PMString name;
    PMString description;
    int32 bgcolor = 0;
    int32 textcolor = 0;
};
