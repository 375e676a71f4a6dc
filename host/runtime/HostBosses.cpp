// The host's own boss classes of the runtime: which host implementation answers which
// interface. Resource files name these classes by their names; the document's classes are
// defined with the documents (DocumentImpl.cpp).
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "IDocumentList.h"
#include "IImplementationRegistry.h"
#include "ISession.h"
#include "IWorkspace.h"

namespace tshost {

namespace {

HostModule gModule("host classes", 0, [] {
    DefineHostClass(kSessionBoss, "kSessionBoss", kInvalidClass,
                    {{IID_OF<ISession>(), kSessionImpl}, {IID_OF<IImplementationRegistry>(), kImplementationRegistryImpl}});
    DefineHostClass(kApplicationBoss, "kApplicationBoss", kInvalidClass,
                    {{IID_OF<IApplication>(), kApplicationImpl}, {IID_OF<IDocumentList>(), kDocumentListImpl}});
    DefineHostClass(kWorkspaceBoss, "kWorkspaceBoss", kInvalidClass, {{IID_OF<IWorkspace>(), kWorkspaceImpl}});
    DefineHostClass(kCommandBoss, "kCommandBoss", kInvalidClass, {});
    DefineHostClass(kStartupShutdownBoss, "kStartupShutdownBoss", kInvalidClass, {});
});

}  // namespace

}  // namespace tshost
