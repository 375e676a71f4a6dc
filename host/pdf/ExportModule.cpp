// The boss classes and implementations of the PDF export and the PDF presets, and what they
// add to the host's workspace class. It runs after the host's own classes are defined.
#include "BossClasses.h"
#include "ExportIDs.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IPDFExportPrefs.h"
#include "IPDFExptStyleListMgr.h"
#include "PDFExportCmd.h"
#include "PDFExportCommand.h"
#include "PDFPresets.h"
#include "Transcript.h"

namespace tshost {

namespace {

void AddToHostClass(ClassID cls, const char* className, PMIID iid, ImplementationID impl) {
    if (BossClasses::Get().AddIn(cls, iid, impl) != kSuccess)
        Diagnose(std::string("the PDF export cannot extend ") + className + ": the class is not defined");
}

HostModule gModule("pdf export", 10, [] {
    FailNextExports(0);

    DefineHostClass(kPDFExportCmdBoss, "kPDFExportCmdBoss", kCommandBoss,
                    {{IID_OF<ICommand>(), kPDFExportCmdImpl},
                     {IID_OF<IPDFExportPrefs>(), kPDFExportCmdPrefsImpl},
                     {IID_OF<ISysFileData>(), kPDFExportFileImpl},
                     {IID_OF<IUIFlagData>(), kPDFExportUIFlagsImpl},
                     {IID_OF<IOutputPages>(), kPDFExportOutputPagesImpl}});
    DefineHostClass(kPDFExportPresetBoss, "kPDFExportPresetBoss", kInvalidClass,
                    {{IID_OF<IPDFExportPrefs>(), kPDFPresetPrefsImpl}});
    AddToHostClass(kWorkspaceBoss, "kWorkspaceBoss", IID_OF<IPDFExptStyleListMgr>(), kPDFPresetListImpl);

    RegisterHostImplementation(HostImplementation<PDFPresetList>(kPDFPresetListImpl, true));
    RegisterHostImplementation(HostImplementation<PDFExportPrefs>(kPDFPresetPrefsImpl, true));
    RegisterHostImplementation(HostImplementation<PDFExportPrefs>(kPDFExportCmdPrefsImpl));
    RegisterHostImplementation(HostImplementation<PDFExportCommand>(kPDFExportCmdImpl));
    RegisterHostImplementation(HostImplementation<ExportFileData>(kPDFExportFileImpl));
    RegisterHostImplementation(HostImplementation<ExportUIFlagData>(kPDFExportUIFlagsImpl));
    RegisterHostImplementation(HostImplementation<ExportOutputPages>(kPDFExportOutputPagesImpl));
});

}  // namespace

}  // namespace tshost
