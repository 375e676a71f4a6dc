// A plug-in that makes the host's disk slow to flush: once loaded, every sync of a database
// file (through SQLite) and of a finished file (through FileCalls) waits 200 ms first. With
// it a test can kill the host while a save is still flushing.
#include <chrono>
#include <thread>

#include "FileCalls.h"
#include "PlugIn.h"
#include "WrappedVfs.h"

namespace {

constexpr PluginID kPluginID{0x7f800};

void Wait() { std::this_thread::sleep_for(std::chrono::milliseconds(200)); }

}  // namespace

extern "C" PlugIn* GetPlugIn() {
    static PlugIn plugin(kPluginID);
    static const bool slowed = [] {
        tstest::VfsHooks hooks;
        hooks.sync = [] {
            Wait();
            return SQLITE_OK;
        };
        tstest::InstallWrappedVfs(hooks);
        tshost::FileCalls::Get().sync = [](int fd) {
            Wait();
            return tshost::FileCalls::System().sync(fd);
        };
        return true;
    }();
    (void)slowed;
    return &plugin;
}
