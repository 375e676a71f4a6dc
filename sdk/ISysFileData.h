// A file a command works on: on the PDF export command, the PDF to write. An empty
// reference means none was given. User-interface thread only.
#pragma once

#include "IDFile.h"
#include "IPMUnknown.h"

class ISysFileData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0xe03 };

    virtual void Set(const IDFile& file) = 0;
    virtual IDFile GetSysFile() const = 0;
};
