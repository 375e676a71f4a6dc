#include "XmlTestSupport.h"

#include <gtest/gtest.h>

#include <xercesc/util/PlatformUtils.hpp>

#include "TSPanelDataModel.h"
#include "Transcript.h"
#include "platform/Overrides.h"

namespace tsxmltest {

namespace {

// The plug-in initialises the library at start-up and terminates it at shut-down, after the
// global reader has dropped its document; the test program does the same around all tests.
class XercesEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        xercesc::XMLPlatformUtils::Initialize();
        tshost::SetTranscriptSink([](std::string_view) {});
    }
    void TearDown() override {
        domparseFile.ReleaseDocument();
        xercesc::XMLPlatformUtils::Terminate();
    }
};

[[maybe_unused]] ::testing::Environment* const gXercesEnvironment =
    ::testing::AddGlobalTestEnvironment(new XercesEnvironment);

}  // namespace

ScratchFolder::ScratchFolder(bool asSettings) : fSettings(asSettings) {
    if (!fSettings) return;
    tsplatform::Overrides overrides;
    overrides.applicationSupportRoot = fDir.Path();
    tsplatform::SetOverrides(overrides);
    std::filesystem::create_directories(Path() / "Tessaron");
}

ScratchFolder::~ScratchFolder() {
    if (fSettings) tsplatform::ClearOverrides();
}

}  // namespace tsxmltest
