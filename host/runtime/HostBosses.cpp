// The host's own boss classes: which host implementation answers which interface.
// Resource files name these classes by their names.
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "IDocument.h"
#include "IDocumentList.h"
#include "IImplementationRegistry.h"
#include "IPageList.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "PageList.h"

namespace tshost {

namespace {

HostModule gModule("host classes", 0, [] {
    DefineHostClass(kSessionBoss, "kSessionBoss", kInvalidClass,
                    {{IID_OF<ISession>(), kSessionImpl}, {IID_OF<IImplementationRegistry>(), kImplementationRegistryImpl}});
    DefineHostClass(kApplicationBoss, "kApplicationBoss", kInvalidClass,
                    {{IID_OF<IApplication>(), kApplicationImpl}, {IID_OF<IDocumentList>(), kDocumentListImpl}});
    DefineHostClass(kWorkspaceBoss, "kWorkspaceBoss", kInvalidClass, {{IID_OF<IWorkspace>(), kWorkspaceImpl}});
    DefineHostClass(kDocBoss, "kDocBoss", kInvalidClass,
                    {{IID_OF<IDocument>(), kDocumentImpl}, {IID_OF<IPageList>(), kPageListImpl}});
    DefineHostClass(kPageBoss, "kPageBoss", kInvalidClass, {{IID_OF<IPageData>(), kPageDataImpl}});
    DefineHostClass(kCommandBoss, "kCommandBoss", kInvalidClass, {});
    DefineHostClass(kStartupShutdownBoss, "kStartupShutdownBoss", kInvalidClass, {});
});

}  // namespace

}  // namespace tshost
