#include "Runtime.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "Boss.h"
#include "BossClasses.h"
#include "Guard.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "IApplication.h"
#include "ISession.h"
#include "IStartupShutdownService.h"
#include "IWorkspace.h"
#include "ImplRegistry.h"
#include "SignalIDs.h"
#include "StringTable.h"
#include "UndoHistory.h"
#include "Utf8.h"
#include "IdleScheduler.h"
#include "ProgressBars.h"
#include "Transcript.h"

namespace fs = std::filesystem;

namespace tshost {

namespace {

Runtime* gCurrent = nullptr;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The first of "path.corrupt", "path.corrupt.1", … that is free.
std::string AsideName(const std::string& path) {
    std::string aside = path + ".corrupt";
    for (int n = 1; Exists(aside) && n < 1000; ++n) aside = path + ".corrupt." + std::to_string(n);
    return aside;
}

// Moves a damaged database away with its SQLite side files, so that a new database of the
// same name cannot pick up a stale write-ahead log.
bool MoveAside(const std::string& path, const std::string& aside, std::string& error) {
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        error = std::strerror(errno);
        return false;
    }
    for (const char* suffix : {"-wal", "-shm"})
        if (Exists(path + suffix)) std::rename((path + suffix).c_str(), (aside + suffix).c_str());
    return true;
}

}  // namespace

Runtime::Runtime() = default;

Runtime::~Runtime() { TearDown(); }

Runtime* Runtime::Current() { return gCurrent; }

ISession* Runtime::Session() const {
    if (!fSession) return nullptr;
    auto* session = static_cast<ISession*>(fSession->QueryInterface(IID_OF<ISession>()));
    if (session) session->Release();  // held by fSession
    return session;
}

IApplication* Runtime::Application() const {
    if (!fApplication) return nullptr;
    auto* application = static_cast<IApplication*>(fApplication->QueryInterface(IID_OF<IApplication>()));
    if (application) application->Release();  // held by fApplication
    return application;
}

IPMUnknown* Runtime::Utilities() {
    if (!fUtilities && fSession && !fTornDown) fUtilities = Boss::Create(kUtilsBoss);
    return fUtilities;
}

bool Runtime::Boot(std::string& error) {
    if (IsBooted()) return true;
    if (gCurrent && gCurrent != this) {
        error = "another host is running in this process";
        return false;
    }
    gCurrent = this;
    SetProblemSink(&Diagnose);
    BossClasses::Get().Clear();
    ImplRegistry::Get().Clear();
    StringTable::Get().Clear();
    UndoHistory::Get().Clear();
    IdleScheduler::Get().Clear();
    ProgressLog::Get().Clear();
    if (!HostModule::DefineAll(error)) return false;
    fSession = Boss::Create(kSessionBoss);
    fApplication = Boss::Create(kApplicationBoss);
    gSession = Session();
    if (!gSession || !Application()) {
        error = "the host's session or application cannot be made";
        return false;
    }
    return true;
}

bool Runtime::LoadPlugin(const std::string& libraryPath, std::string& error) {
    if (!IsBooted() || fStarted) {
        error = libraryPath + ": plug-ins load after the host booted and before it started";
        return false;
    }
    std::optional<LoadedPlugin> plugin = LoadPluginLibrary(libraryPath, Session(), fPlugins, error);
    if (plugin) fPlugins.push_back(std::move(*plugin));
    return plugin.has_value();
}

bool Runtime::LoadPlugin(GetPlugInFn entry, const std::string& resourcePath, std::string& error) {
    if (!IsBooted() || fStarted) {
        error = resourcePath + ": plug-ins load after the host booted and before it started";
        return false;
    }
    std::optional<LoadedPlugin> plugin = LoadLinkedPlugin(entry, resourcePath, Session(), fPlugins, error);
    if (plugin) fPlugins.push_back(std::move(*plugin));
    return plugin.has_value();
}

void Runtime::Start(const std::string& home) {
    if (!IsBooted() || fStarted) return;
    LoadWorkspace(home);
    fStarted = true;
    // What a command confirmed must outlast a crash of the host.
    UndoHistory::Get().SetSettledHandler([this] { SaveChangedWorkspace(); });
    StartServices();
}

void Runtime::SaveChangedWorkspace() {
    if (!fStarted || !fWorkspace || !fWorkspace->IsModified() || fWorkspacePath.empty()) return;
    // A save that failed is tried again once there is something new to save, and at quit;
    // not before every line shown, each time to fail the same way.
    if (fFailedSave && fFailedAtChange == fWorkspace->Changes()) return;
    std::string error;
    if (SaveWorkspace(error)) return;
    fFailedSave = true;
    fFailedAtChange = fWorkspace->Changes();
    if (error != fReportedError) Diagnose(error + "; the settings will be saved again after the next change and at quit");
    fReportedError = error;
}

bool Runtime::Launch(const LaunchOptions& options, std::vector<std::string>& errors) {
    std::string error;
    if (!Boot(error)) {
        errors.push_back(error);
        return false;
    }
    bool ok = true;
    for (const std::string& plugin : options.plugins)
        if (!LoadPlugin(plugin, error)) {
            errors.push_back(error);
            ok = false;
        }
    Start(options.home);
    return ok;
}

void Runtime::LoadWorkspace(const std::string& home) {
    std::string base = home;
    if (base.empty())
        if (const char* env = std::getenv("HOME")) base = env;
    fWorkspacePath.clear();
    if (base.empty() || base[0] != '/') {
        Diagnose("no home folder (HOME is not an absolute path): the workspace will not be kept");
    } else {
        std::string folder = base + "/.tessaron-host";
        std::error_code ec;
        fs::create_directories(folder, ec);
        if (!fs::is_directory(folder, ec)) {
            Diagnose(folder + ": cannot be made: the workspace will not be kept");
        } else {
            ::chmod(folder.c_str(), 0700);
            fWorkspacePath = folder + "/workspace.db";
            // One run owns the workspace: its folder is locked for as long as the run lasts,
            // and the system drops the lock with the process, however it ends.
            fWorkspaceLock = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fWorkspaceLock >= 0 && ::flock(fWorkspaceLock, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
                Diagnose(OneLine(fWorkspacePath + ": another run of the host is using it; running with the default "
                                 "settings, which this run will not save"));
                fWorkspacePath.clear();
            }
        }
    }
    // A file the host may not even look for (a folder it cannot search) is no missing file:
    // a new workspace saved there would fail, or replace settings the user cannot see.
    struct stat st {};
    if (!fWorkspacePath.empty() && ::lstat(fWorkspacePath.c_str(), &st) != 0 && errno != ENOENT) {
        Diagnose(OneLine(fWorkspacePath + ": cannot be read: " + std::strerror(errno) +
                         "; running with the default settings, which this run will not save"));
        fWorkspacePath.clear();
    }
    if (!fWorkspacePath.empty() && Exists(fWorkspacePath)) {
        std::string error;
        DataBase::OpenFailure failure = DataBase::OpenFailure::kNone;
        auto isWorkspace = [](const DataBase& db, std::string& why) {
            why = "it is not a workspace";
            return db.GetClass(db.GetRootUID()) == kWorkspaceBoss;
        };
        fWorkspace = DataBase::Open(fWorkspacePath, error, &failure, isWorkspace);
        // It holds the password as typed: a file someone made readable to others is made
        // private again, whether or not this run changes it.
        if (fWorkspace && fWorkspace->HeldElsewhere().empty()) ::chmod(fWorkspacePath.c_str(), 0600);
        // Only damage is put aside; a file the host cannot reach (permissions, I/O, not a
        // file) or one beside a journal that is not its own may be whole, and is the user's
        // to mend.
        if (!fWorkspace && failure != DataBase::OpenFailure::kDamaged) {
            Diagnose(error + "; running with the default settings, which this run will not save, and leaving the file as it is");
            fWorkspacePath.clear();
        } else if (!fWorkspace) {
            std::string aside = AsideName(fWorkspacePath), why;
            if (MoveAside(fWorkspacePath, aside, why)) {
                Diagnose(error + "; kept as " + aside + ", starting with a new workspace");
            } else {
                Diagnose(error + "; it cannot be moved aside (" + why + "), so this run's workspace will not be saved");
                fWorkspacePath.clear();
            }
        }
    }
    if (!fWorkspace) fWorkspace = DataBase::CreateNew(kWorkspaceBoss, "workspace.db");
}

void Runtime::StartServices() {
    UndoHistory::Housekeeping housekeeping;
    for (const LoadedPlugin& plugin : fPlugins)
        for (ClassID cls : plugin.classes) {
            if (!BossClasses::Get().Resolve(cls, IID_OF<IStartupShutdownService>()).IsValid()) continue;
            Boss* boss = Boss::Create(cls);
            if (!boss) continue;
            auto* service = static_cast<IStartupShutdownService*>(boss->QueryInterface(IID_OF<IStartupShutdownService>()));
            if (!service) {
                boss->Release();
                continue;
            }
            fServices.push_back(boss);
            try {
                service->Startup();
            } catch (...) {
                Diagnose(plugin.name + ": a start-up service failed with an exception");
            }
            service->Release();
        }
}

void Runtime::StopServices() {
    UndoHistory::Housekeeping housekeeping;
    for (IPMUnknown* boss : fServices) {
        auto* service = static_cast<IStartupShutdownService*>(boss->QueryInterface(IID_OF<IStartupShutdownService>()));
        if (!service) continue;
        try {
            service->Shutdown();
        } catch (...) {
            Diagnose("a shut-down service failed with an exception");
        }
        service->Release();
    }
}

std::vector<IPMUnknown*> Runtime::StartupServices() const { return fServices; }

bool Runtime::SaveWorkspace(std::string& error) {
    if (!fWorkspace || fWorkspacePath.empty()) return true;
    if (fWorkspace->SaveAs(fWorkspacePath, error, true) != kSuccess) return false;
    // Once a save went through, a later failure is news again, even in the same words.
    fFailedSave = false;
    fReportedError.clear();
    if (fWorkspace->LastSaveReplacedFile())
        Diagnose(fWorkspacePath + ": it was deleted or replaced while the host ran; the whole workspace was written anew");
    return true;
}

bool Runtime::Quit(std::string& error) {
    if (!fStarted || fQuit) return true;
    fQuit = true;
    // As the application quits: documents close first, with their signals going to plug-ins
    // that are still running; then the plug-ins shut down; then the workspace is saved.
    CloseDocuments();
    StopServices();
    // A workspace its file holds whole already is not written again: each save costs four
    // flushes of the disk.
    if (fWorkspace && !fWorkspace->IsModified() && fWorkspace->Path() == fWorkspacePath) return true;
    if (SaveWorkspace(error)) return true;
    // Told already, in these words: the failure stands, the message is not given again.
    if (error == fReportedError) error.clear();
    return false;
}

void Runtime::TearDown() {
    if (gCurrent != this) return;
    std::string error;
    if (!Quit(error) && !error.empty()) Diagnose(error);
    CloseDocuments();
    for (IPMUnknown* boss : fServices) boss->Release();
    fServices.clear();
    fWorkspace.reset();
    if (fWorkspaceLock >= 0) ::close(fWorkspaceLock);
    fWorkspaceLock = -1;
    fTornDown = true;
    if (fUtilities) fUtilities->Release();
    fUtilities = nullptr;
    if (fApplication) fApplication->Release();
    if (fSession) fSession->Release();
    fApplication = fSession = nullptr;
    gSession = nullptr;
    IdleScheduler::Get().Clear();
    UndoHistory::Get().Clear();
    BossClasses::Get().Clear();
    ImplRegistry::Get().Clear();
    StringTable::Get().Clear();
    gCurrent = nullptr;
}

}  // namespace tshost
