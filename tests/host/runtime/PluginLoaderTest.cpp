// Loading a plug-in linked into the test: its records reach the registry under its ID, its
// resource file defines classes, add-ins and sections, its start-up services run at start and
// quit on one boss each; and a plug-in with any problem is refused whole. (Its strings are
// seen through the console's test plug-in.)
#include <gtest/gtest.h>

#include "BossClasses.h"
#include "Host.h"
#include "HostIDs.h"
#include "HostTestSupport.h"
#include "IStartupShutdownService.h"
#include "IWorkspace.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "PlugIn.h"
#include "ResourceSections.h"
#include "TestData.h"

namespace {

constexpr PluginID kTPPluginID{0x7f400};
constexpr ImplementationID kTPServiceImpl{0x7f401};
constexpr ImplementationID kTPDataPersistImpl{0x7f403};

std::vector<std::string> gEvents;

class TPService : public CPMUnknown<IStartupShutdownService> {
public:
    explicit TPService(IPMUnknown* boss) : CPMUnknown<IStartupShutdownService>(boss) {}
    void Startup() override {
        gEvents.push_back("startup " + Name());
        fStarted = true;
    }
    // Shut-down must reach the same object that started.
    void Shutdown() override { gEvents.push_back((fStarted ? "shutdown " : "shutdown unstarted ") + Name()); }

private:
    std::string Name() const { return std::to_string(tshost::Boss::From(this)->GetClass().Get()); }
    bool fStarted = false;
};

CREATE_PMINTERFACE(TPService, kTPServiceImpl);
using TPData = tstest::TestData;
CREATE_PERSIST_PMINTERFACE(TPData, kTPDataPersistImpl);

// A section a later subsystem would read: it accepts only arrays of strings.
std::vector<std::string> gApplied;
tshost::ResourceSection gSection(
    "testitems",
    [](PluginID, const nlohmann::json& value, std::string& error) {
        for (const auto& item : value)
            if (!item.is_string()) {
                error = "items must be strings";
                return false;
            }
        return value.is_array();
    },
    [](PluginID, const nlohmann::json& value) {
        for (const auto& item : value) gApplied.push_back(item.get<std::string>());
    });

PlugIn gPlugIn(kTPPluginID);
PlugIn* TPGetPlugIn() { return &gPlugIn; }
PlugIn* NoPlugIn() { return nullptr; }

const char* kGoodResources = R"({
  "plugin": {"id": "0x7f400", "name": "TestPlugIn"},
  "bosses": [
    {"class": "0x7f410", "name": "kTPServiceBoss", "parent": "kStartupShutdownBoss",
     "interfaces": [["0x20003", "0x7F401"]]},
    {"class": "0x7f411", "name": "kTPSecondServiceBoss", "parent": "kTPServiceBoss"},
    {"class": 521234, "name": "kTPPlainBoss"}
  ],
  "addins": [{"class": "kWorkspaceBoss", "interfaces": [["0x7f001", "0x7f403"]]}],
  "strings": {"enUS": {"0x7f400kGreeting": "Hello"}},
  "testitems": ["a", "b"]
})";

class PluginLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        gEvents.clear();
        gApplied.clear();
        ASSERT_TRUE(host.Boot(error)) << error;
    }

    bool Load(const std::string& resources, GetPlugInFn entry = TPGetPlugIn) {
        tstest::WriteFile(dir / "TestPlugIn.json", resources);
        return host.LoadPlugin(entry, dir / "TestPlugIn.json", error);
    }

    // What a refused plug-in must not leave behind.
    void ExpectNothingOf(const std::string& why) {
        EXPECT_TRUE(tshost::ImplRegistry::Get().ForPlugin(kTPPluginID).empty()) << why;
        EXPECT_FALSE(tshost::BossClasses::Get().Exists(ClassID(0x7f410))) << why;
        EXPECT_FALSE(tshost::BossClasses::Get().Resolve(tshost::kWorkspaceBoss, PMIID(0x7f001)).IsValid()) << why;
        EXPECT_TRUE(host.Plugins().empty()) << why;
    }

    tstest::TempDir dir;
    tshost::Host host;
    std::string error;
};

TEST_F(PluginLoaderTest, AGoodPlugInIsLoadedWholeOnceAndBeforeStart) {
    ASSERT_TRUE(Load(kGoodResources)) << error;
    EXPECT_FALSE(Load(kGoodResources));
    EXPECT_NE(error.find("plug-in 0x7f400 is loaded already"), std::string::npos) << error;
    ASSERT_EQ(host.Plugins().size(), 1u);
    EXPECT_EQ(host.Plugins()[0].classes, (std::vector<ClassID>{ClassID(0x7f410), ClassID(0x7f411), ClassID(0x7f412)}));
    auto impls = tshost::ImplRegistry::Get().ForPlugin(kTPPluginID);
    ASSERT_EQ(impls.size(), 2u);
    EXPECT_FALSE(impls[0]->Persistent());
    EXPECT_TRUE(impls[1]->Persistent());
    EXPECT_EQ(tshost::BossClasses::Get().Resolve(ClassID(0x7f411), IID_OF<IStartupShutdownService>()), kTPServiceImpl);
    EXPECT_EQ(gApplied, (std::vector<std::string>{"a", "b"}));

    host.Start(dir.Path());
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    EXPECT_TRUE(InterfacePtr<tstest::ITestData>(workspace.get(), IID_OF<tstest::ITestData>()));
    EXPECT_FALSE(host.LoadPlugin(TPGetPlugIn, dir / "TestPlugIn.json", error));
    EXPECT_NE(error.find("before it started"), std::string::npos) << error;

    ASSERT_TRUE(host.Quit(error)) << error;
    EXPECT_EQ(gEvents, (std::vector<std::string>{"startup 521232", "startup 521233", "shutdown 521232", "shutdown 521233"}));
}

TEST_F(PluginLoaderTest, AWithheldServiceInterfaceSkipsThatService) {
    ASSERT_TRUE(Load(kGoodResources)) << error;
    tshost::BossClasses::Get().Withhold(ClassID(0x7f411), IID_OF<IStartupShutdownService>());
    host.Start(dir.Path());
    EXPECT_EQ(gEvents, std::vector<std::string>{"startup 521232"});
}

TEST_F(PluginLoaderTest, AnyProblemRefusesThePlugInWhole) {
    struct Case { const char* name; std::string resources; const char* expected; };
    std::string good = kGoodResources;
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const Case cases[] = {
        {"unknown parent", replace("\"kStartupShutdownBoss\"", "\"kNoSuchBoss\""), "/bosses/0/parent: unknown class \"kNoSuchBoss\""},
        {"unknown add-in target", replace("\"kWorkspaceBoss\"", "\"0x7f4ff\""), "/addins/0/class: unknown class \"0x7f4ff\""},
        {"unregistered implementation", replace("\"0x7F401\"", "\"0x7f4ff\""),
         "/bosses/0/interfaces/0/1: implementation 0x7f4ff is not registered"},
        {"host class redefined", replace("521234", "\"0x30001\""), "/bosses/2/class: class 0x30001 is defined already"},
        {"host name reused", replace("\"kTPPlainBoss\"", "\"kDocBoss\""), "/bosses/2/name: a class named \"kDocBoss\" is defined already"},
        {"class twice", replace("521234", "\"0x7f410\""), "/bosses/2/class: class 0x7f410 is defined already"},
        {"section refused", replace("[\"a\", \"b\"]", "[\"a\", 2]"), "TestPlugIn.json: /testitems: items must be strings"},
        {"parent cycle", replace("\"kStartupShutdownBoss\"", "\"kTPSecondServiceBoss\""), "the class is its own ancestor"},
        {"other plug-in ID", replace("\"0x7f400\"", "\"0x7f500\""), "the plug-in calls itself 0x7f400 but"},
        {"host plug-in ID", replace("\"0x7f400\"", "1"), "/plugin/id: the plug-in ID is the host's own"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Load(c.resources)) << c.name;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
        ExpectNothingOf(c.name);
    }
    EXPECT_TRUE(gApplied.empty()) << "a refused plug-in's sections were applied";
}

TEST_F(PluginLoaderTest, EntryFileAndRegistryProblemsAreNamed) {
    EXPECT_FALSE(Load(kGoodResources, NoPlugIn));
    EXPECT_NE(error.find("GetPlugIn gave no plug-in object"), std::string::npos) << error;
    EXPECT_FALSE(host.LoadPlugin(TPGetPlugIn, dir / "Missing.json", error));
    EXPECT_NE(error.find(dir / "Missing.json"), std::string::npos) << error;
    ExpectNothingOf("entry problems");

    ASSERT_EQ(tshost::ImplRegistry::Get().Register(tshost::HostImplementation<tstest::TestData>(kTPDataPersistImpl, true)), kSuccess);
    EXPECT_FALSE(Load(kGoodResources));
    EXPECT_NE(error.find("implementation 0x7f403 is registered already (by the host)"), std::string::npos) << error;
    ExpectNothingOf("duplicate");
    EXPECT_TRUE(tshost::ImplRegistry::Get().Find(kTPDataPersistImpl)) << "the host's own must stay";
}

}  // namespace
