// A small plug-in for the console tests: a start-up service whose idle task shows a warning
// each second (with "(background)" while the application is in the background) and whose
// shut-down asks a modal question. Its texts come from its resource file.
#include "CAlert.h"
#include "CIdleTask.h"
#include "IStartupShutdownService.h"
#include "InterfacePtr.h"
#include "PlugIn.h"

namespace {

constexpr PluginID kPluginID{0x7f500};
constexpr ImplementationID kServiceImpl{0x7f501};
constexpr ImplementationID kTickImpl{0x7f502};
constexpr PMIID kTickIID{0x7f501};

class Tick : public CIdleTask {
public:
    explicit Tick(IPMUnknown* boss) : CIdleTask(boss) {}
    uint32 RunTask(uint32 flags, uint32) override {
        PMString text("0x7f500kTick");
        text.Translate();
        text.Append(" ");
        text.AppendNumber(++fCount);
        if (flags & kApplicationInBackground) text.Append(" (background)");
        text.SetTranslatable(kFalse);
        CAlert::WarningAlert(text);
        return 1000;
    }
    const char* TaskName() override { return "Tick"; }

private:
    int fCount = 0;
};

class Service : public CPMUnknown<IStartupShutdownService> {
public:
    explicit Service(IPMUnknown* boss) : CPMUnknown<IStartupShutdownService>(boss) {}
    void Startup() override {
        InterfacePtr<IIdleTask> tick(this, kTickIID);
        if (tick) tick->InstallTask(100);
    }
    void Shutdown() override {
        InterfacePtr<IIdleTask> tick(this, kTickIID);
        if (tick) tick->UninstallTask();
        CAlert::ModalAlert(PMString("0x7f500kBye"), PMString("OK"), PMString("Cancel"), kNullString, 1, 1);
    }
};

CREATE_PMINTERFACE(Tick, kTickImpl);
CREATE_PMINTERFACE(Service, kServiceImpl);

}  // namespace

extern "C" PlugIn* GetPlugIn() {
    static PlugIn plugin(kPluginID);
    return &plugin;
}
