// The session: the root of the host's object model as a plug-in sees it. It gives the
// session workspace, the application, the active context, and further interfaces by query
// (the implementation registry, plug-in add-ins). gSession is set when the plug-in's
// factories are loaded and stays valid until the process ends.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IWorkspace;
class IApplication;
class IActiveContext;

class ISession : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2000b };

    virtual IWorkspace* QueryWorkspace() const = 0;
    virtual IApplication* QueryApplication() const = 0;
    // Not counted; null when there is none.
    virtual IActiveContext* GetActiveContext() const = 0;
};

extern ISession* gSession;
