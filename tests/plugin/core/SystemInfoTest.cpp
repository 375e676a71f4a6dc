// The request header texts and the settings folder, with the machine's facts supplied
// through the platform layer's overrides.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "PluginHostFixture.h"
#include "TSPanelUtils.h"
#include "TSStartupShutdown.h"
#include "platform/Overrides.h"

namespace {

class SystemInfoTest : public PluginHostFixture {
protected:
    void TearDown() override {
        tsplatform::ClearOverrides();
        PluginHostFixture::TearDown();
    }
    static std::string Texts(const tsplatform::Overrides& o, char* global) {
        tsplatform::SetOverrides(o);
        TSStartupShutdown::UpdateSystemInfo();
        return global;
    }
};

TEST_F(SystemInfoTest, FixedTextsAfterStartUp) {
    EXPECT_STREQ(g_CSType, "CSType: CS3");
    EXPECT_STREQ(g_ScrnResolution, "ScreenResolution: Not able to detect the screen resolution");
    EXPECT_STREQ(g_IDVersion, "InDesignVersion: 5.0.4");
    EXPECT_EQ(std::string(g_CPUDetails).rfind("CPUDetails: Unable to determine the processor name, No. of Processors = ", 0), 0u)
        << g_CPUDetails;
}

TEST_F(SystemInfoTest, ValuesAndTheirFallbacks) {
    tsplatform::Overrides o;
    o.memoryBytes = 512ull << 20;
    EXPECT_EQ(Texts(o, g_RAMInfo), "RAM: 0 GB");
    o.memoryBytes = 3ull << 29;  // 1.5 GB
    EXPECT_EQ(Texts(o, g_RAMInfo), "RAM: 1 GB");
    o.memoryBytes = 24ull << 30;  // beyond what 32 bits hold
    EXPECT_EQ(Texts(o, g_RAMInfo), "RAM: 24 GB");
    o.failMemory = true;
    EXPECT_EQ(Texts(o, g_RAMInfo), "RAM: Unable to get the RAM size");

    o.userFullName = "";
    EXPECT_EQ(Texts(o, g_UserName), "UserName: UserName can't be identified");
    o.userFullName = "Ana Pérez";
    EXPECT_EQ(Texts(o, g_UserName), "UserName: Ana Pérez");
    o.machineName = "";
    EXPECT_EQ(Texts(o, g_WorkStation), "WorkStation: WorkStation can't be identified");
    o.hardwareModel = "MacBookPro5,1";
    EXPECT_EQ(Texts(o, g_OSInfo), "OS: MacBookPro5,1");
    o.failHardwareModel = true;
    EXPECT_EQ(Texts(o, g_OSInfo), "OS: Unknown Mac Operating System");
    o.processorCount = 8;
    EXPECT_EQ(Texts(o, g_CPUDetails),
              "CPUDetails: Unable to determine the processor name, No. of Processors = 8, Speed = speed can't be detected");
    o.failProcessorCount = true;
    EXPECT_EQ(Texts(o, g_CPUDetails),
              "CPUDetails: Unable to determine the processor name, No. of Processors = Unable to get processor count, "
              "Speed = speed can't be detected");
}

TEST_F(SystemInfoTest, OverlongValuesAreCutInsideTheirBuffers) {
    tsplatform::Overrides o;
    o.userFullName = std::string(300, 'x');
    o.machineName = std::string(120, 'a') + std::string(200, '\xC3') ;
    for (std::size_t i = 120; i < o.machineName->size(); i += 2) (*o.machineName)[i + 1] = '\xA9';  // "é" repeated
    o.hardwareModel = std::string(1000, 'M');
    tsplatform::SetOverrides(o);
    TSStartupShutdown::UpdateSystemInfo();
    EXPECT_EQ(std::strlen(g_UserName), kSystemInfoSize - 1);
    EXPECT_EQ(std::strlen(g_OSInfo), kSystemInfoSize - 1);
    std::string ws = g_WorkStation;
    EXPECT_LE(ws.size(), kSystemInfoSize - 1);
    EXPECT_NE(ws.back(), '\xC3') << "a character cut in two";
}

TEST_F(SystemInfoTest, SettingsFolderIsCreatedFoundAgainAndNeverTheRoot) {
    PMString folder = TSPanelUtils::GetTessaronFolderPath();
    EXPECT_EQ(folder.GetUTF8String(), fHome + "/.local/share/Tessaron");
    EXPECT_TRUE(std::filesystem::is_directory(folder.GetUTF8String()));
    EXPECT_EQ(TSPanelUtils::GetTessaronFolderPath(), folder);

    PMString cache;
    EXPECT_FALSE(TSPanelUtils::GetTSProjectsFilePath(cache));
    EXPECT_EQ(cache.GetUTF8String(), folder.GetUTF8String() + "/projects.xml");
    tstest::WriteFile(cache.GetUTF8String(), "");
    EXPECT_TRUE(TSPanelUtils::GetTSProjectsFilePath(cache));

    tsplatform::Overrides none;
    none.failApplicationSupport = true;
    tsplatform::SetOverrides(none);
    EXPECT_TRUE(TSPanelUtils::GetTessaronFolderPath().IsEmpty());
    EXPECT_FALSE(TSPanelUtils::GetTSProjectsFilePath(cache));
    EXPECT_TRUE(cache.IsEmpty());
}

TEST_F(SystemInfoTest, PathConversionsAreBounded) {
    char out[TSPanelUtils::kUnixPathSize];
    EXPECT_FALSE(TSPanelUtils::GetAsUnixPath(nullptr, out));
    EXPECT_FALSE(TSPanelUtils::GetAsMacPath("/x", nullptr));
    ASSERT_TRUE(TSPanelUtils::GetAsUnixPath("Macintosh HD:Users:ana:Flyer.indd", out));
    EXPECT_STREQ(out, "/Users/ana/Flyer.indd");
    char mac[TSPanelUtils::kMacPathSize];
    ASSERT_TRUE(TSPanelUtils::GetAsMacPath("/Volumes/Work/a:b", mac));
    EXPECT_STREQ(mac, "Work:a/b");

    std::string longPosix = "/" + std::string(TSPanelUtils::kMacPathSize, 'p');
    char guarded[TSPanelUtils::kMacPathSize + 8];
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_TRUE(TSPanelUtils::GetAsMacPath(longPosix.c_str(), guarded));
    EXPECT_STREQ(guarded, "");
    EXPECT_EQ(guarded[TSPanelUtils::kMacPathSize], '#');
}

}  // namespace
