// A host booted with the UI test plug-in, its transcript and diagnostics captured.
// User-interface thread only, like the host it drives.
#pragma once

#include <gtest/gtest.h>

#include "Host.h"
#include "HostTestSupport.h"
#include "Transcript.h"
#include "UiTestPlugin.h"

namespace uitest {

class UiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        tshost::SetTranscriptSink([this](std::string_view line) { shown.emplace_back(line); });
        tshost::SetDiagnosticSink([this](std::string_view line) { diagnosed.emplace_back(line); });
        Rec() = Recorder{};
        ASSERT_TRUE(host.Boot(error)) << error;
        ASSERT_TRUE(host.LoadPlugin(UiTestGetPlugIn, TS_UI_PLUGIN_JSON, error)) << error;
        host.Start(dir.Path());
    }
    void TearDown() override {
        host.Quit(error);
        tshost::SetTranscriptSink({});
        tshost::SetDiagnosticSink({});
    }

    std::vector<std::string> shown, diagnosed;
    std::string error;
    tstest::TempDir dir;
    tshost::Host host;
};

}  // namespace uitest
