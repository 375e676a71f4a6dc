// tessaron-host: the stand-in host application on a console.
//
//   tessaron-host [--home DIR] [--plugin PATH.so]... [--no-default-plugin] [--list-plugins]
//                 [--clock real|virtual] [--echo] [SCRIPT|-]
//
// It loads the plug-ins (by default Tessaron.so beside the program, when it is there and no
// --plugin is given), reads the session workspace, calls the start-up services, runs the
// script (a file, or standard input for "-" or none), then quits: shut-down services,
// workspace saved, documents closed. --home makes DIR the home folder (HOME=DIR, no
// XDG_DATA_HOME) before anything else, so every file of the run stays in it. The clock is
// virtual unless --clock real: it starts at the real time and then moves only with idle
// time and clock commands, so scripts give the same transcript every run.
//
// SIGTERM, SIGINT and SIGHUP stop the script and quit the host as above, after which it ends
// by the signal; during a wait that offers Cancel the first of them is that Cancel, and a
// further one ends the host at once (QuitSignals.h).
//
// Exit status: 0 when everything ran; 1 when a script line failed (the script stops there;
// the host still quits properly) or the workspace could not be saved; 2 for a bad command
// line, a plug-in that could not be loaded (nothing runs then) or an unreadable script.
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "Clock.h"
#include "Host.h"
#include "ImplRegistry.h"
#include "QuitSignals.h"
#include "ScriptRunner.h"
#include "Transcript.h"
#include "HexText.h"

using tshost::Hex;

namespace fs = std::filesystem;

namespace {

std::string ProgramFolder() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

bool UseHome(const std::string& home) {
    std::error_code ec;
    fs::path full = fs::absolute(home, ec);
    if (ec) return false;
    fs::create_directories(full, ec);
    if (!fs::is_directory(full, ec)) return false;
    ::setenv("HOME", full.lexically_normal().c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    return true;
}

void ListPlugins(const tshost::Host& host) {
    std::vector<tshost::LoadedPlugin> plugins = host.Plugins();
    std::sort(plugins.begin(), plugins.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    for (const tshost::LoadedPlugin& p : plugins) {
        std::cout << "plugin " << Hex(p.id.Get()) << " " << p.name << " " << p.file << "\n";
        for (const tshost::ImplEntry* e : tshost::ImplRegistry::Get().ForPlugin(p.id))
            std::cout << "  " << Hex(e->id.Get()) << (e->Persistent() ? " persistent" : " plain") << "\n";
    }
    std::cout.flush();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"tessaron-host: the stand-in host application; runs a script of user actions"};
    std::string home, script, clock = "virtual";
    std::vector<std::string> plugins;
    bool listPlugins = false, noDefault = false, echo = false;
    app.add_option("--home", home, "use DIR as the home folder for every file of the run");
    app.add_option("--plugin", plugins, "load this plug-in library (repeatable; replaces the default Tessaron.so)")
        ->type_size(1)
        ->allow_extra_args(false);
    app.add_flag("--no-default-plugin", noDefault, "do not load Tessaron.so from the program's folder");
    app.add_flag("--list-plugins", listPlugins, "list the loaded plug-ins and their implementations, then exit");
    app.add_option("--clock", clock, "real or virtual (default) time for the run")->check(CLI::IsMember({"real", "virtual"}));
    app.add_flag("--echo", echo, "show each script line before running it");
    app.add_option("script", script, "the script file; - or none reads standard input");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int status = app.exit(e);
        return status == 0 ? 0 : 2;
    }

    if (!home.empty() && !UseHome(home)) {
        tshost::Diagnose("error: " + home + ": cannot be used as the home folder");
        return 2;
    }
    if (plugins.empty() && !noDefault) {
        std::string folder = ProgramFolder();
        std::error_code ec;
        if (!folder.empty() && fs::is_regular_file(folder + "/Tessaron.so", ec)) plugins.push_back(folder + "/Tessaron.so");
    }

    std::ifstream file;
    std::istream* in = &std::cin;
    std::string scriptName = "stdin";
    if (!listPlugins && !script.empty() && script != "-") {
        file.open(script);
        if (!file) {
            tshost::Diagnose("error: " + script + ": cannot be read");
            return 2;
        }
        in = &file;
        scriptName = script;
    }

    tshost::CatchQuitSignals();
    tshost::Host host;
    std::string error;
    if (!host.Boot(error)) {
        tshost::Diagnose("error: " + error);
        return 2;
    }
    bool loaded = true;
    for (const std::string& plugin : plugins)
        if (!host.LoadPlugin(plugin, error)) {
            tshost::Diagnose("error: " + error);
            loaded = false;
        }
    if (listPlugins) {
        ListPlugins(host);
        return loaded ? 0 : 2;
    }
    if (!loaded) return 2;

    if (clock == "virtual") tshost::Clock::MakeVirtual();
    host.Start();
    tshost::ConsoleContext context{host};
    tshost::ScriptOptions options;
    options.echo = echo;
    bool ran = tshost::RunScript(*in, scriptName, context, options);
    if (!host.Quit(error)) {
        if (!error.empty()) tshost::Diagnose("error: " + error);
        ran = false;
    }
    tshost::EndByQuitSignal();
    return ran ? 0 : 1;
}
