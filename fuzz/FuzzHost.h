// The host a fuzz target runs in: booted once per process with Tessaron.so loaded, on the
// virtual clock, quiet, in a home folder of its own that is removed at exit.
// Call it once, from LLVMFuzzerInitialize, on libFuzzer's thread.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "Clock.h"
#include "Host.h"
#include "PlugIn.h"
#include "Transcript.h"

namespace tsfuzz {

// Returns the host; `home` receives its home folder. Aborts when the host cannot start.
inline tshost::Host& LaunchHost(const char* target, std::string& home) {
    static std::unique_ptr<tshost::Host> host;
    static std::string folder;
    tshost::SetTranscriptSink([](std::string_view) {});
    std::string pattern = std::string("/tmp/fuzz-") + target + "-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    folder = home = pattern;
    ::setenv("HOME", folder.c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    tshost::Clock::MakeVirtual();
    host = std::make_unique<tshost::Host>();
    std::string error;
    if (!host->Boot(error) || !host->LoadPlugin(&GetPlugIn, std::string(TS_BIN_DIR) + "/Tessaron.json", error)) {
        std::fprintf(stderr, "cannot launch the host: %s\n", error.c_str());
        std::abort();
    }
    host->Start(folder);
    // Registered after the host's own registries came to be, so it runs before they go.
    std::atexit([] {
        std::string quitError;
        host->Quit(quitError);
        host.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
    return *host;
}

}  // namespace tsfuzz
