// A host running the plug-in in the test process: the plug-in's code is linked into the
// test, handed to the host as if loaded, with the resource file built beside Tessaron.so. Every
// file of the run stays in a fresh temporary home. Restart() quits and launches a new host
// on the same home, as a new run of the application would (process globals excepted).
// The host clock is virtual. The test's own thread only: it is the host's user-interface
// thread.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <memory>
#include <string>

#include "Clock.h"
#include "Host.h"
#include "IDocument.h"
#include "PlugIn.h"
#include "TestSupport.h"

class PluginHostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", fHome.c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
        // Time moves only when a test lets it.
        tshost::Clock::MakeVirtual();
        Launch();
    }

    void TearDown() override {
        Quit();
    }

    // `beforeStart` runs once the plug-in is loaded, before the start-up services.
    void Launch(const std::function<void()>& beforeStart = {}) {
        fHost = std::make_unique<tshost::Host>();
        std::string error;
        ASSERT_TRUE(fHost->Boot(error)) << error;
        ASSERT_TRUE(fHost->LoadPlugin(&GetPlugIn, std::string(TS_BIN_DIR) + "/Tessaron.json", error))
            << error;
        if (beforeStart) beforeStart();
        fHost->Start(fHome);
    }

    void Quit() {
        if (!fHost) return;
        std::string error;
        EXPECT_TRUE(fHost->Quit(error)) << error;
        fHost.reset();
    }

    void Restart() {
        Quit();
        Launch();
    }

    IDocument* NewDocument(int32 pages) {
        std::string error;
        IDocument* doc = fHost->Docs().New(pages, error);
        EXPECT_TRUE(doc) << error;
        return doc;
    }

    tstest::TempDir fHomeDir;
    const std::string fHome = fHomeDir.Path();
    std::unique_ptr<tshost::Host> fHost;
};
