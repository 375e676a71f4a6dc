// The plug-in's start-up and shut-down service, and the eight system-information texts it
// fills at start-up: each a complete request header line ("OS: …") in a 256-byte buffer.
// The texts are written once on the user-interface thread before any upload thread exists;
// afterwards every thread only reads them.
#pragma once

#include <cstddef>

#include "CPMUnknown.h"
#include "IStartupShutdownService.h"

constexpr std::size_t kSystemInfoSize = 256;

extern char g_OSInfo[kSystemInfoSize];
extern char g_ScrnResolution[kSystemInfoSize];
extern char g_UserName[kSystemInfoSize];
extern char g_WorkStation[kSystemInfoSize];
extern char g_CPUDetails[kSystemInfoSize];
extern char g_RAMInfo[kSystemInfoSize];
extern char g_CSType[kSystemInfoSize];
extern char g_IDVersion[kSystemInfoSize];

class TSStartupShutdown : public CPMUnknown<IStartupShutdownService> {
public:
    explicit TSStartupShutdown(IPMUnknown* boss) : CPMUnknown<IStartupShutdownService>(boss) {}

    // Fills the texts, deletes a cached project list an earlier run left behind, initialises
    // the XML library, installs the three idle tasks and drops the sent-document links whose
    // file is gone. A missing idle task ends it there.
    void Startup() override;
    // Terminates the XML library, deletes the cached project list and uninstalls the tasks.
    void Shutdown() override;

    // Fills the eight texts; a value longer than its buffer is cut at a character boundary.
    static void UpdateSystemInfo();
};
