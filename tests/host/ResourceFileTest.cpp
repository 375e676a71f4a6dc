// Resource files: what is accepted, and for each kind of damage an error naming the file and
// the place.
#include <gtest/gtest.h>

#include "ResourceFile.h"

namespace {

TEST(ResourceFileTest, AGoodFileIsRead) {
    std::string error;
    auto file = tshost::ParseResourceText(R"({
        "plugin": {"id": "0x61000", "name": "Tessaron"},
        "bosses": [{"class": "0x61007", "name": "kCmdBoss", "parent": "kCommandBoss",
                    "interfaces": [["0x20001", "0x6102d"], [397313, "0x6102c"]]},
                   {"class": 397320}],
        "addins": [{"class": "kWorkspaceBoss", "interfaces": [["0x61001", "0x6102B"]]}],
        "strings": {"enUS": {"0x61000kTSConnectionError": "Connection error"}, "deDE": {}},
        "views": [{"anything": true}]
    })", "t.json", error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->plugin, PluginID(0x61000));
    EXPECT_EQ(file->name, "Tessaron");
    ASSERT_EQ(file->bosses.size(), 2u);
    EXPECT_EQ(file->bosses[0].parent, "kCommandBoss");
    EXPECT_EQ(file->bosses[0].interfaces[1].first, PMIID(0x61001));
    EXPECT_EQ(file->bosses[1].id, ClassID(0x61008));
    EXPECT_TRUE(file->bosses[1].name.empty());
    ASSERT_EQ(file->addins.size(), 1u);
    EXPECT_EQ(file->addins[0].interfaces[0].second, ImplementationID(0x6102b));
    ASSERT_EQ(file->strings.size(), 1u);
    EXPECT_EQ(file->strings[0].text, "Connection error");
    EXPECT_TRUE(file->document.contains("views"));
}

TEST(ResourceFileTest, DamageIsReportedWithFileAndPlace) {
    const std::string plugin = R"("plugin": {"id": "0x7f400", "name": "T"})";
    struct Case { const char* name; std::string text; const char* expected; };
    const Case cases[] = {
        {"syntax", "{" + plugin + ",\n \"bosses\": [ }", "t.json:2:14: "},
        {"trailing garbage", "{" + plugin + "} x", "t.json:1:"},
        {"empty", "", "t.json:1:1: "},
        {"not an object", "[]", "t.json: the file must hold one JSON object"},
        {"no plug-in", "{}", "t.json: missing \"plugin\""},
        {"no plug-in ID", R"({"plugin": {"name": "T"}})", "t.json: /plugin: missing \"id\""},
        {"no plug-in name", R"({"plugin": {"id": 5}})", "t.json: /plugin: missing \"name\""},
        {"bad hex", R"({"plugin": {"id": "0x7g", "name": "T"}})", "t.json: /plugin/id: bad plug-in ID \"0x7g\""},
        {"hex without digits", R"({"plugin": {"id": "0x", "name": "T"}})", "/plugin/id: bad plug-in ID"},
        {"decimal text", R"({"plugin": {"id": "12", "name": "T"}})", "/plugin/id: bad plug-in ID"},
        {"zero", R"({"plugin": {"id": 0, "name": "T"}})", "/plugin/id: bad plug-in ID 0"},
        {"too large", R"({"plugin": {"id": "0x100000000", "name": "T"}})", "/plugin/id: bad plug-in ID"},
        {"negative", R"({"plugin": {"id": -5, "name": "T"}})", "/plugin/id: bad plug-in ID -5"},
        {"fraction", R"({"plugin": {"id": 1.5, "name": "T"}})", "/plugin/id: bad plug-in ID"},
        {"name not text", R"({"plugin": {"id": 5, "name": 7}})", "/plugin/name: must be a string, not 7"},
        {"bosses not a list", "{" + plugin + R"(, "bosses": {}})", "t.json: /bosses: must be an array"},
        {"boss not an object", "{" + plugin + R"(, "bosses": [3]})", "/bosses/0: must be an object"},
        {"boss without class", "{" + plugin + R"(, "bosses": [{"name": "x"}]})", "/bosses/0: missing \"class\""},
        {"class as name", "{" + plugin + R"(, "bosses": [{"class": "kX"}]})", "/bosses/0/class: bad class ID \"kX\""},
        {"pair too short", "{" + plugin + R"(, "bosses": [{"class": 9, "interfaces": [["0x1"]]}]})",
         "/bosses/0/interfaces/0: must be a pair"},
        {"pair as object", "{" + plugin + R"(, "bosses": [{"class": 9, "interfaces": [{"a": 1}]}]})",
         "/bosses/0/interfaces/0: must be a pair [interface ID, implementation ID], not an object"},
        {"bad implementation", "{" + plugin + R"(, "bosses": [{"class": 9, "interfaces": [["0x1", true]]}]})",
         "/bosses/0/interfaces/0/1: bad implementation ID true"},
        {"interface twice", "{" + plugin + R"(, "bosses": [{"class": 9, "interfaces": [["0x1", 2], [1, 3]]}]})",
         "/bosses/0/interfaces/1: interface 1 is given twice"},
        {"bad parent", "{" + plugin + R"(, "bosses": [{"class": 9, "parent": 0}]})", "/bosses/0/parent: bad class ID 0"},
        {"empty parent", "{" + plugin + R"(, "bosses": [{"class": 9, "parent": ""}]})", "/bosses/0/parent: empty class reference"},
        {"add-in without interfaces", "{" + plugin + R"(, "addins": [{"class": "kDocBoss"}]})", "/addins/0: missing \"interfaces\""},
        {"add-in without class", "{" + plugin + R"(, "addins": [{"interfaces": []}]})", "/addins/0: missing \"class\""},
        {"strings not an object", "{" + plugin + R"(, "strings": []})", "/strings: must be an object"},
        {"table not an object", "{" + plugin + R"(, "strings": {"enUS": "x"}})", "/strings/enUS: must be an object"},
        {"text not a string", "{" + plugin + R"(, "strings": {"enUS": {"a/b": 3}}})", "/strings/enUS/a~1b: must be a string, not 3"},
        {"deep nesting", "{" + plugin + R"(, "bosses": [{"class": )" + std::string(5000, '[') + std::string(5000, ']') + "}]}",
         "/bosses/0/class: bad class ID an array"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(tshost::ParseResourceText(c.text, "t.json", error)) << c.name;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.rfind("t.json", 0), 0u) << c.name << ": " << error;
    }
}

TEST(ResourceFileTest, TheResourceFileSitsBesideThePlugIn) {
    EXPECT_EQ(tshost::ResourcePathFor("/a/b/Tessaron.so"), "/a/b/Tessaron.json");
    EXPECT_EQ(tshost::ResourcePathFor("/a/b.d/Tessaron"), "/a/b.d/Tessaron.json");
    EXPECT_EQ(tshost::ResourcePathFor("Tessaron.so"), "Tessaron.json");
    EXPECT_EQ(tshost::ResourcePathFor("/a/.hidden"), "/a/.hidden.json");
}

TEST(ResourceFileTest, MissingFilesAreNamed) {
    std::string error;
    EXPECT_FALSE(tshost::ReadResourceFile("/nonexistent/T.json", error));
    EXPECT_EQ(error, "/nonexistent/T.json: no such file (the plug-in's resource file)");
    EXPECT_FALSE(tshost::ReadResourceFile("/tmp", error));
    EXPECT_NE(error.find("/tmp: "), std::string::npos);
}

}  // namespace
