// Resource files: for each kind of damage an error naming the file and the place, and where
// the file of a plug-in is. (What a good file gives is seen through the plug-in loader.)
#include <gtest/gtest.h>

#include "ResourceFile.h"

namespace {

TEST(ResourceFileTest, DamageAndMissingFilesAreReportedWithFileAndPlace) {
    const std::string plugin = R"("plugin": {"id": "0x7f400", "name": "T"})";
    struct Case { const char* name; std::string text; const char* expected; };
    const Case cases[] = {
        {"syntax", "{" + plugin + ",\n \"bosses\": [ }", "t.json:2:14: "},
        {"trailing garbage", "{" + plugin + "} x", "t.json:1:"},
        {"empty", "", "t.json:1:1: "},
        {"not an object", "[]", "t.json: the file must hold one JSON object"},
        {"no plug-in", "{}", "t.json: missing \"plugin\""},
        {"no plug-in ID", R"({"plugin": {"name": "T"}})", "t.json: /plugin: missing \"id\""},
        {"bad hex", R"({"plugin": {"id": "0x7g", "name": "T"}})", "t.json: /plugin/id: bad plug-in ID \"0x7g\""},
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
        {"bad implementation", "{" + plugin + R"(, "bosses": [{"class": 9, "interfaces": [["0x1", true]]}]})",
         "/bosses/0/interfaces/0/1: bad implementation ID true"},
        {"interface twice", "{" + plugin + R"(, "bosses": [{"class": 9, "interfaces": [["0x1", 2], [1, 3]]}]})",
         "/bosses/0/interfaces/1: interface 1 is given twice"},
        {"empty parent", "{" + plugin + R"(, "bosses": [{"class": 9, "parent": ""}]})", "/bosses/0/parent: empty class reference"},
        {"add-in without interfaces", "{" + plugin + R"(, "addins": [{"class": "kDocBoss"}]})", "/addins/0: missing \"interfaces\""},
        {"strings not an object", "{" + plugin + R"(, "strings": []})", "/strings: must be an object"},
        {"text not a string", "{" + plugin + R"(, "strings": {"enUS": {"a/b": 3}}})", "/strings/enUS/a~1b: must be a string, not 3"},
        {"deep nesting", "{" + plugin + R"(, "bosses": [{"class": )" + std::string(5000, '[') + std::string(5000, ']') + "}]}",
         "/bosses/0/class: bad class ID an array"},
    };
    std::string error;
    for (const Case& c : cases) {
        EXPECT_FALSE(tshost::ParseResourceText(c.text, "t.json", error)) << c.name;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(error.rfind("t.json", 0), 0u) << c.name << ": " << error;
    }
    EXPECT_FALSE(tshost::ReadResourceFile("/nonexistent/T.json", error));
    EXPECT_EQ(error, "/nonexistent/T.json: no such file (the plug-in's resource file)");
    EXPECT_FALSE(tshost::ReadResourceFile("/tmp", error));
    EXPECT_NE(error.find("/tmp: "), std::string::npos);
}

TEST(ResourceFileTest, TheResourceFileSitsBesideThePlugIn) {
    EXPECT_EQ(tshost::ResourcePathFor("/a/b/Tessaron.so"), "/a/b/Tessaron.json");
    EXPECT_EQ(tshost::ResourcePathFor("/a/b.d/Tessaron"), "/a/b.d/Tessaron.json");
    EXPECT_EQ(tshost::ResourcePathFor("/a/.hidden"), "/a/.hidden.json");
}

}  // namespace
