// A host booted with one of the UI tests' plug-ins, its transcript and diagnostics captured.
// User-interface thread only, like the host it drives.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Host.h"
#include "HostTestSupport.h"
#include "PlugIn.h"
#include "Transcript.h"

namespace tstest {

class PluginUiFixture : public ::testing::Test {
protected:
    void Boot(PlugIn* (*entry)(), const char* resources) {
        tshost::SetTranscriptSink([this](std::string_view line) { shown.emplace_back(line); });
        tshost::SetDiagnosticSink([this](std::string_view line) { diagnosed.emplace_back(line); });
        ASSERT_TRUE(host.Boot(error)) << error;
        ASSERT_TRUE(host.LoadPlugin(entry, resources, error)) << error;
        host.Start(dir.Path());
    }
    void TearDown() override {
        host.Quit(error);
        tshost::SetTranscriptSink({});
        tshost::SetDiagnosticSink({});
    }

    std::vector<std::string> shown, diagnosed;
    std::string error;
    TempDir dir;
    tshost::Host host;
};

}  // namespace tstest
