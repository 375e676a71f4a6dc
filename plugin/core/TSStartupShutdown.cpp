#include "TSStartupShutdown.h"

#include <xercesc/util/PlatformUtils.hpp>

#include <cstdio>

#include "CmdUtils.h"
#include "FileUtils.h"
#include "IApplication.h"
#include "IIdleTask.h"
#include "ISession.h"
#include "ITSDocPathPrjIdData.h"
#include "IWorkspace.h"
#include "ImplementationRecord.h"
#include "InterfacePtr.h"
#include "TSConnection.h"
#include "TSID.h"
#include "TSIdleTask.h"
#include "TSPanelDataModel.h"
#include "TSPanelUtils.h"
#include "TSPendingSend.h"

char g_OSInfo[kSystemInfoSize];
char g_ScrnResolution[kSystemInfoSize];
char g_UserName[kSystemInfoSize];
char g_WorkStation[kSystemInfoSize];
char g_CPUDetails[kSystemInfoSize];
char g_RAMInfo[kSystemInfoSize];
char g_CSType[kSystemInfoSize];
char g_IDVersion[kSystemInfoSize];

void TSStartupShutdown::UpdateSystemInfo() {
    PMString os("OS: ", PMString::kNoTranslate);
    PMString screen("ScreenResolution: ", PMString::kNoTranslate);
    PMString version("InDesignVersion: ", PMString::kNoTranslate);
    PMString user("UserName: ", PMString::kNoTranslate);
    PMString workStation("WorkStation: ", PMString::kNoTranslate);
    PMString cpu("CPUDetails: ", PMString::kNoTranslate);
    PMString ram("RAM: ", PMString::kNoTranslate);
    PMString csType("CSType: ", PMString::kNoTranslate);

    InterfacePtr<IApplication> application(gSession ? gSession->QueryApplication() : nullptr);
    if (application) version.Append(application->GetApplicationVersion());
    TSPanelUtils::GetSystemOSInfo(os);
    TSPanelUtils::GetSystemDetails(user, workStation, cpu, ram, screen);

    os.GetCString(g_OSInfo, kSystemInfoSize);
    screen.GetCString(g_ScrnResolution, kSystemInfoSize);
    user.GetCString(g_UserName, kSystemInfoSize);
    workStation.GetCString(g_WorkStation, kSystemInfoSize);
    cpu.GetCString(g_CPUDetails, kSystemInfoSize);
    ram.GetCString(g_RAMInfo, kSystemInfoSize);
    version.GetCString(g_IDVersion, kSystemInfoSize);
    csType.Append("CS3");
    csType.GetCString(g_CSType, kSystemInfoSize);
}

namespace {

// The project list cached by this run. It is never trusted beyond the run: the next download
// then finds no file and asks the server for the whole list.
void RemoveCachedProjects() {
    PMString folder = TSPanelUtils::GetTessaronFolderPath();
    // Without a settings folder there is no cache, and "/projects.xml" is not ours.
    if (folder.IsEmpty()) return;
    folder.Append("/projects.xml");
    std::remove(folder.GrabCString());
}

}  // namespace

void TSStartupShutdown::Startup() {
    UpdateSystemInfo();
    // A run that ended without shutting down (a crash, a kill) left its list behind.
    RemoveCachedProjects();
    // libcurl's global set-up is not thread-safe: do it here, before any upload thread.
    TSConnection::InitializeLibrary();
    try {
        xercesc::XMLPlatformUtils::Initialize();
    } catch (...) {
        // The reader reports its own failures when it cannot parse.
    }

    InterfacePtr<IIdleTask> activeTracker(this, kTSActiveIdleTaskTrackerInterfaceID);
    if (!activeTracker) return;
    activeTracker->InstallTask(0);
    InterfacePtr<IIdleTask> appTracker(this, kTSIdleAppTrackerInterfaceID);
    if (!appTracker) return;
    appTracker->InstallTask(0);
    InterfacePtr<IIdleTask> uploadTask(gSession, kTSIdleTaskInterfaceID);
    if (!uploadTask) return;
    uploadTask->InstallTask(100);

    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSDocPathPrjIdData> store(workspace.get(), kTSDocPathPrjIdDataInterfaceID);
    if (!store) return;
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTSDocPathPrjIdDataCmdBoss));
    InterfacePtr<ITSDocPathPrjIdData> kept(command.get(), kTSDocPathPrjIdDataInterfaceID);
    if (!kept) return;
    for (const ITSDocPathPrjIdData::DataConatiner& entry : store->GetDocPathPrjIDContainer()) {
        IDFile file;
        FileUtils::PMStringToIDFile(entry.docPath, file);
        if (FileUtils::DoesFileExist(file)) kept->SetDocPathPrjIdData(entry);
    }
    CmdUtils::ProcessCommand(command.get());
}

void TSStartupShutdown::Shutdown() {
    // The upload thread reads the plug-in's globals: it ends before the plug-in does.
    TSIdleTask::FinishUpload();
    TSPendingSend::Deliver();
    // No document of the library may outlive it.
    domparseFile.ReleaseDocument();
    try {
        xercesc::XMLPlatformUtils::Terminate();
    } catch (...) {
    }

    RemoveCachedProjects();

    InterfacePtr<IIdleTask> activeTracker(this, kTSActiveIdleTaskTrackerInterfaceID);
    if (!activeTracker) return;
    activeTracker->UninstallTask();
    InterfacePtr<IIdleTask> appTracker(this, kTSIdleAppTrackerInterfaceID);
    if (!appTracker) return;
    appTracker->UninstallTask();
    InterfacePtr<IIdleTask> uploadTask(gSession, kTSIdleTaskInterfaceID);
    if (!uploadTask) return;
    uploadTask->UninstallTask();
}

CREATE_PMINTERFACE(TSStartupShutdown, kTSStartUpShutDownProviderImpl);
