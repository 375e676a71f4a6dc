// The stand-in host application's runtime, the part of the host object below the documents:
// it boots the object model (host classes and implementations, the session and application
// bosses), loads plug-ins, reads the session workspace, calls the start-up services, and at
// quit calls the shut-down services and saves the workspace. Host (Host.h) is the whole host
// object: this runtime with the open documents, which close first at quit.
//
// Start-up services: every boss class a plug-in's resource file defines whose interfaces,
// its parents' included, answer IStartupShutdownService. The host makes one boss of each
// when it starts, in plug-in load order and then resource-file order, calls Startup on each,
// keeps the bosses, and calls Shutdown on the same bosses in the same order at quit. What
// they change is housekeeping, kept but not undoable.
//
// The workspace lives in <home>/.tessaron-host/workspace.db (home: the launch option, else
// $HOME), written with mode 0600 because it holds the user's password as typed. A missing
// file gives a new workspace; a damaged one is reported, moved aside as
// workspace.db.corrupt (or .corrupt.1, .2, … when that exists) and replaced by a new one;
// one that cannot be read for another reason (permissions, I/O, not a file) is reported and
// left alone, and the run goes on with default settings that it does not save. So is one
// that another run of the host is using: one run owns the workspace at a time, holding a
// lock on its folder that the system drops when the run ends, however it ends.
//
// The workspace is saved whenever a command that changed it has ended (and after undo and
// redo), and whenever an action of the user that changed it otherwise has ended, not only at
// quit, so a crash loses no confirmed setting; only changed rows are written. A failed save
// is reported and tried again after the next change and at quit; the same failure, in the
// same words, is reported once until a save goes through.
//
// One host exists at a time; Runtime::Current() is its runtime. Destroying it quits if
// needed and then empties the process-wide registries, so a test can make a fresh one.
// User-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DataBase.h"
#include "IActiveContext.h"
#include "PlugIn.h"
#include "PluginLoader.h"

class IApplication;
class ISession;

namespace tshost {

struct LaunchOptions {
    std::string home;                  // empty: $HOME
    std::vector<std::string> plugins;  // library paths, loaded in this order
};

class Runtime {
public:
    static constexpr const char* kVersion = "5.0.4";

    Runtime(const Runtime&) = delete;
    Runtime& operator=(const Runtime&) = delete;

    static Runtime* Current();

    // Boot, load each plug-in, Start. Plug-ins that fail are reported in `errors` and left
    // out; the rest of the launch goes on. False when anything failed.
    bool Launch(const LaunchOptions& options, std::vector<std::string>& errors);

    // The steps of a launch, for callers that need them apart.
    bool Boot(std::string& error);
    bool LoadPlugin(const std::string& libraryPath, std::string& error);
    bool LoadPlugin(GetPlugInFn entry, const std::string& resourcePath, std::string& error);
    void Start(const std::string& home = {});

    // Close the documents, shut-down services, save the workspace. False, with `error`, when
    // the workspace could not be saved (the rest is done anyway); `error` is empty when that
    // failure was reported already in the same words.
    bool Quit(std::string& error);

    // Saves the workspace when it holds changes not yet saved. Called when a command, an undo
    // or a redo has ended, and by whoever runs the user's actions after each one, however the
    // action changed the workspace.
    void SaveChangedWorkspace();

    bool IsBooted() const { return fSession != nullptr; }
    bool IsStarted() const { return fStarted; }

    // Not counted.
    ISession* Session() const;
    IApplication* Application() const;
    // The one utilities boss of this run (kUtilsBoss), made at the first ask; null before Boot
    // and once the runtime is torn down. Not counted.
    IPMUnknown* Utilities();
    // The front document's context; null until a host with documents provides one.
    virtual IActiveContext* ActiveContext() { return nullptr; }
    DataBase* Workspace() const { return fWorkspace.get(); }
    const std::string& WorkspacePath() const { return fWorkspacePath; }
    const std::vector<LoadedPlugin>& Plugins() const { return fPlugins; }
    // The start-up service bosses made by Start, in calling order.
    std::vector<IPMUnknown*> StartupServices() const;

private:
    // A runtime is always a Host's. Not virtual: a Host is destroyed as a Host, and tears
    // down first, while its documents are still there to close.
    friend class Host;
    Runtime();
    ~Runtime();

    // At quit, before the shut-down services run, and again at tear-down.
    virtual void CloseDocuments() {}
    void TearDown();

    void LoadWorkspace(const std::string& home);
    void StartServices();
    void StopServices();
    bool SaveWorkspace(std::string& error);

    IPMUnknown* fSession = nullptr;      // one reference each
    IPMUnknown* fApplication = nullptr;
    IPMUnknown* fUtilities = nullptr;
    bool fTornDown = false;
    std::unique_ptr<DataBase> fWorkspace;
    std::string fWorkspacePath;
    int fWorkspaceLock = -1;  // open on the workspace's folder, locked while this run owns it
    std::vector<LoadedPlugin> fPlugins;
    std::vector<IPMUnknown*> fServices;  // one reference each
    bool fStarted = false;
    bool fQuit = false;
    // The last workspace save failed, at this count of changes, and was reported in these
    // words; cleared by a save that goes through.
    bool fFailedSave = false;
    uint64 fFailedAtChange = 0;
    std::string fReportedError;
};

}  // namespace tshost
