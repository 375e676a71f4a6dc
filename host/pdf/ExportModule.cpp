// The boss classes and implementations of the PDF export, the PDF presets, spreads and
// document metadata, and what they add to the host's workspace and document classes. It runs
// after the host's own classes are defined, and boots the XMP toolkit for the process.
#include "BossClasses.h"
#include "ExportIDs.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IMetaDataAccess.h"
#include "IPDFExportPrefs.h"
#include "IPDFExptStyleListMgr.h"
#include "ISpreadList.h"
#include "MetaData.h"
#include "PDFExportCmd.h"
#include "PDFExportCommand.h"
#include "PDFPresets.h"
#include "SpreadList.h"
#include "Transcript.h"

namespace tshost {

namespace {

void AddToHostClass(ClassID cls, const char* className, PMIID iid, ImplementationID impl) {
    if (BossClasses::Get().AddIn(cls, iid, impl) != kSuccess)
        Diagnose(std::string("the PDF export cannot extend ") + className + ": the class is not defined");
}

HostModule gModule("pdf export and metadata", 10, [] {
    InitXmpOnce();
    FailNextExports(0);

    DefineHostClass(kPDFExportCmdBoss, "kPDFExportCmdBoss", kCommandBoss,
                    {{IID_OF<ICommand>(), kPDFExportCmdImpl},
                     {IID_OF<IPDFExportPrefs>(), kPDFExportCmdPrefsImpl},
                     {IID_OF<ISysFileData>(), kPDFExportFileImpl},
                     {IID_OF<IUIFlagData>(), kPDFExportUIFlagsImpl},
                     {IID_OF<IOutputPages>(), kPDFExportOutputPagesImpl}});
    DefineHostClass(kPDFExportPresetBoss, "kPDFExportPresetBoss", kInvalidClass,
                    {{IID_OF<IPDFExportPrefs>(), kPDFPresetPrefsImpl}});
    DefineHostClass(kSpreadBoss, "kSpreadBoss", kInvalidClass, {{IID_OF<ISpreadData>(), kSpreadDataImpl}});
    AddToHostClass(kWorkspaceBoss, "kWorkspaceBoss", IID_OF<IPDFExptStyleListMgr>(), kPDFPresetListImpl);
    AddToHostClass(kDocBoss, "kDocBoss", IID_OF<ISpreadList>(), kSpreadListImpl);
    AddToHostClass(kDocBoss, "kDocBoss", IID_OF<IMetaDataAccess>(), kMetaDataAccessImpl);

    RegisterHostImplementation(HostImplementation<PDFPresetList>(kPDFPresetListImpl, true));
    RegisterHostImplementation(HostImplementation<PDFExportPrefs>(kPDFPresetPrefsImpl, true));
    RegisterHostImplementation(HostImplementation<PDFExportPrefs>(kPDFExportCmdPrefsImpl));
    RegisterHostImplementation(HostImplementation<PDFExportCommand>(kPDFExportCmdImpl));
    RegisterHostImplementation(HostImplementation<ExportFileData>(kPDFExportFileImpl));
    RegisterHostImplementation(HostImplementation<ExportUIFlagData>(kPDFExportUIFlagsImpl));
    RegisterHostImplementation(HostImplementation<ExportOutputPages>(kPDFExportOutputPagesImpl));
    RegisterHostImplementation(HostImplementation<SpreadList>(kSpreadListImpl, true));
    RegisterHostImplementation(HostImplementation<SpreadData>(kSpreadDataImpl, true));
    RegisterHostImplementation(HostImplementation<MetaDataAccess>(kMetaDataAccessImpl, true));
});

}  // namespace

}  // namespace tshost
