// The boss classes and implementations of spreads and document metadata, and what they add to
// the host's document class. It runs after the host's own classes are defined, and boots the
// XMP toolkit for the process.
#include "BossClasses.h"
#include "ExportIDs.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IMetaDataAccess.h"
#include "ISpreadList.h"
#include "MetaData.h"
#include "SpreadList.h"
#include "Transcript.h"

namespace tshost {

namespace {

void AddToDocBoss(PMIID iid, ImplementationID impl) {
    if (BossClasses::Get().AddIn(kDocBoss, iid, impl) != kSuccess)
        Diagnose("spreads and metadata cannot extend kDocBoss: the class is not defined");
}

HostModule gModule("spreads and metadata", 10, [] {
    InitXmpOnce();

    DefineHostClass(kSpreadBoss, "kSpreadBoss", kInvalidClass, {{IID_OF<ISpreadData>(), kSpreadDataImpl}});
    AddToDocBoss(IID_OF<ISpreadList>(), kSpreadListImpl);
    AddToDocBoss(IID_OF<IMetaDataAccess>(), kMetaDataAccessImpl);

    RegisterHostImplementation(HostImplementation<SpreadList>(kSpreadListImpl, true));
    RegisterHostImplementation(HostImplementation<SpreadData>(kSpreadDataImpl, true));
    RegisterHostImplementation(HostImplementation<MetaDataAccess>(kMetaDataAccessImpl, true));
});

}  // namespace

}  // namespace tshost
