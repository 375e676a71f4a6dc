// A booted host in a temporary home for the export tests, its transcript silenced and its
// diagnostics kept, with an "out" folder for exports and the workspace's preset list at hand. User-interface thread only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "HostTestSupport.h"
#include "Host.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "PDFPresets.h"

namespace tstest {

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Start();
        std::filesystem::create_directory(out);
    }

    // A new host on the same home; the running one quits first, as a restart does.
    void Start() {
        std::string error;
        if (host) {
            EXPECT_TRUE(host->Quit(error)) << error;
        }
        host.reset();
        host = std::make_unique<tshost::Host>();
        ASSERT_TRUE(host->Boot(error)) << error;
        host->Start(dir.Path());
    }

    IDocument* NewDocument(int32 pages) {
        std::string error;
        IDocument* document = host->Docs().New(pages, error);
        EXPECT_TRUE(document) << error;
        return document;
    }

    tshost::PDFPresetList* Presets() {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        return tshost::PDFPresetList::Of(workspace.get());
    }

    Capture capture;  // outlives the host, which quits as the fixture goes
    TempDir dir;
    const std::string out = dir / "out";
    std::unique_ptr<tshost::Host> host;
};

}  // namespace tstest
