#include "XmlTestSupport.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include <xercesc/util/PlatformUtils.hpp>

#include "Alerts.h"
#include "ProgressBars.h"
#include "TSPanelDataModel.h"
#include "Transcript.h"
#include "platform/HfsPath.h"
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

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tsxml-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder");
    fPath = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(fPath, ec);
}

SettingsFolder::SettingsFolder() {
    tsplatform::Overrides overrides;
    overrides.applicationSupportRoot = fScratch.Path().string();
    tsplatform::SetOverrides(overrides);
    std::filesystem::create_directories(fScratch.Path() / "Tessaron");
}

SettingsFolder::~SettingsFolder() { tsplatform::ClearOverrides(); }

std::filesystem::path SettingsFolder::ProjectsFile() const { return fScratch.Path() / "Tessaron" / "projects.xml"; }

void SettingsFolder::WriteProjects(const std::string& xml) const { WriteFile(ProjectsFile(), xml); }

void SettingsFolder::RemoveProjects() const { std::filesystem::remove(ProjectsFile()); }

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string HfsOf(const std::filesystem::path& posix) {
    std::string hfs;
    tsplatform::PosixToHfs(posix.string(), hfs);
    return hfs;
}

std::vector<std::string> TakeAlerts() {
    std::vector<std::string> texts;
    for (const tshost::AlertRecord& record : tshost::AlertLog::Get().Records()) texts.push_back(record.text);
    tshost::AlertLog::Get().Clear();
    return texts;
}

void ClearHostLogs() {
    tshost::AlertLog::Get().Clear();
    tshost::ProgressLog::Get().Clear();
}

}  // namespace tsxmltest
