#include <gtest/gtest.h>

#include <string>

#include "ProjectsFixture.h"
#include "StatusCodeInfo.h"
#include "TSPanelUtils.h"
#include "TSXmlDataHandling.h"
#include "XmlTestSupport.h"

namespace tsxmltest {
namespace {

class TSXmlReader : public ::testing::Test {
protected:
    void SetUp() override { ClearHostLogs(); }

    // Parses `xml` from a file in the scratch folder.
    void Parse(TSXmlDataHandling& reader, const std::string& xml, const char* name = "answer.xml") {
        WriteFile(fScratch.Path() / name, xml);
        reader.InitializeDOMnode((fScratch.Path() / name).c_str());
    }

    ScratchFolder fScratch;
};

struct AuthCase {
    const char* rootAttributes;
    bool tempExists;
    bool result;
    int16 status;
    const char* alert;  // null: none
};

TEST_F(TSXmlReader, AuthenticationAndUpdateDecision) {
    const AuthCase cases[] = {
        {R"(authenticated="1" type="TESSARON_UPDATE")", true, true, 1, nullptr},
        {R"(authenticated="1" type="tessaron_Update")", true, true, 1, nullptr},
        {R"(authenticated="1" type="TESSARON")", true, false, 1, nullptr},
        {R"(authenticated="1")", true, false, 1, nullptr},
        {R"(authenticated="1" type="TESSARON_UPDATE")", false, false, 1, nullptr},
        {R"(authenticated="0" type="TESSARON_UPDATE")", true, false, 0, "0x61000kTSInCorrectUsrNamePwd"},
        {R"(authenticated="-1" type="TESSARON_UPDATE")", true, false, 0, "0x61000kTSImProperUserRights"},
        {R"(authenticated="2" type="TESSARON_UPDATE")", true, false, 0, nullptr},
        {R"(authenticated="" type="TESSARON_UPDATE")", true, false, 0, nullptr},
        {R"(type="TESSARON_UPDATE")", true, false, 0, nullptr},
    };
    for (const AuthCase& c : cases) {
        SCOPED_TRACE(c.rootAttributes);
        const std::string answer = std::string("<tessaron ") + c.rootAttributes + "><projects/></tessaron>";
        const auto projects = fScratch.Path() / "projects.xml";
        WriteFile(projects, "old list");
        TSXmlDataHandling reader;
        Parse(reader, answer, "temp.xml");
        ASSERT_FALSE(reader.ParseFailed());
        const auto temp = fScratch.Path() / (c.tempExists ? "temp.xml" : "gone.xml");
        int16 status = 0;
        EXPECT_EQ(reader.UpdateProjectsInfo(PMString(HfsOf(temp)), PMString(HfsOf(projects)), status), c.result);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(ReadFile(projects), c.result ? answer : "old list");
        std::vector<std::string> alerts = TakeAlerts();
        if (c.alert)
            EXPECT_EQ(alerts, std::vector<std::string>{c.alert});
        else
            EXPECT_TRUE(alerts.empty());
    }
}

TEST_F(TSXmlReader, StatusNeverCleared) {
    TSXmlDataHandling reader;
    Parse(reader, R"(<r authenticated="0"/>)");
    int16 status = 1;
    EXPECT_FALSE(reader.UpdateProjectsInfo(PMString("Macintosh HD:tmp:a"), PMString("Macintosh HD:tmp:b"), status));
    EXPECT_EQ(status, 1);
}

TEST_F(TSXmlReader, AllStatusCodesInListOrderAppended) {
    TSXmlDataHandling reader;
    Parse(reader, kProjectsXml);
    K2Vector<StatusCodeInfo> codes(1);
    reader.GetStatusCodesInfo(codes);
    ASSERT_EQ(codes.size(), 5u);
    EXPECT_EQ(codes[1].id, 1);
    EXPECT_EQ(codes[1].name, PMString("Draft"));
    EXPECT_EQ(codes[1].description, PMString("First draft"));
    EXPECT_EQ(codes[1].bgcolor, 16711680);
    EXPECT_EQ(codes[1].textcolor, 255);
    EXPECT_EQ(codes[2].name, PMString("Final"));
    EXPECT_EQ(codes[4].name, PMString("Late again"));
}

TEST_F(TSXmlReader, StatusCodesOfTheCachedList) {
    SettingsFolder settings;
    K2Vector<StatusCodeInfo> codes;
    TSPanelUtils::GetStatusCodesInfo(codes);
    EXPECT_TRUE(codes.empty());
    settings.WriteProjects(kProjectsXml);
    TSPanelUtils::GetStatusCodesInfo(codes);
    EXPECT_EQ(codes.size(), 4u);
    settings.WriteProjects("<broken>");
    TSPanelUtils::GetStatusCodesInfo(codes);
    EXPECT_EQ(codes.size(), 4u);
}

TEST_F(TSXmlReader, FileNameTemplateAppendedWhenPresent) {
    TSXmlDataHandling reader;
    PMString text("x:");
    reader.GetFileNameDefination(text);
    EXPECT_EQ(text, PMString("x:"));
    Parse(reader, kProjectsXml);
    reader.GetFileNameDefination(text);
    EXPECT_EQ(text, PMString("x:$project_code$_$file_name$"));
    Parse(reader, R"(<r filename=""/>)");
    reader.GetFileNameDefination(text);
    EXPECT_EQ(text, PMString("x:$project_code$_$file_name$"));
}

TEST_F(TSXmlReader, MalformedFileAlertsAndLoadsNothing) {
    TSXmlDataHandling reader;
    Parse(reader, kProjectsXml);
    ASSERT_FALSE(reader.ParseFailed());
    Parse(reader, "<tessaron filename=\"t\"><projects>\n<project></projects>");
    EXPECT_TRUE(reader.ParseFailed());
    EXPECT_EQ(reader.GetRootElement(), nullptr);
    std::vector<std::string> alerts = TakeAlerts();
    ASSERT_FALSE(alerts.empty());
    for (const std::string& alert : alerts) EXPECT_EQ(alert.rfind("Line No = 2 Col No = ", 0), 0u) << alert;
    PMString text;
    reader.GetFileNameDefination(text);
    EXPECT_TRUE(text.IsEmpty());

    Parse(reader, kProjectsXml);
    EXPECT_FALSE(reader.ParseFailed());
    EXPECT_TRUE(TakeAlerts().empty());
}

TEST_F(TSXmlReader, MissingFileAndOverlongPathAreParseFailures) {
    TSXmlDataHandling reader;
    reader.InitializeDOMnode((fScratch.Path() / "none.xml").c_str());
    EXPECT_TRUE(reader.ParseFailed());
    EXPECT_EQ(TakeAlerts().size(), 1u);

    std::string longPath = fScratch.Path().string() + "/" + std::string(300, 'a') + ".xml";
    reader.InitializeDOMnode(longPath.c_str());
    EXPECT_TRUE(reader.ParseFailed());
    EXPECT_EQ(reader.GetFilePath(), nullptr);
    std::vector<std::string> alerts = TakeAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].rfind("Line No = 0 Col No = 0 Error Msg = ", 0), 0u);
}

// Each document is valid apart from what it asks the parser to fetch or expand, so only the
// refusal can fail it.
TEST_F(TSXmlReader, HostileDocumentsAreRefused) {
    const std::string declarations = "<!ELEMENT r ANY><!ATTLIST r filename CDATA #IMPLIED>";
    WriteFile(fScratch.Path() / "secret.txt", "SECRET-CONTENT");
    WriteFile(fScratch.Path() / "evil.dtd", declarations + "<!ENTITY leak \"SECRET-DTD\">");
    const std::string secret = "file://" + (fScratch.Path() / "secret.txt").string();
    const std::string dtd = "file://" + (fScratch.Path() / "evil.dtd").string();
    std::string bomb = "<!DOCTYPE r [" + declarations + "<!ENTITY a \"aaaaaaaaaa\">";
    for (char level = 'b'; level <= 'h'; ++level) {
        bomb += std::string("<!ENTITY ") + level + " \"";
        for (int i = 0; i < 10; ++i) bomb += std::string("&") + static_cast<char>(level - 1) + ";";
        bomb += "\">";
    }
    bomb += "]><r filename=\"&h;\"/>";
    const struct {
        const char* what;
        std::string xml;
    } cases[] = {
        {"external entity",
         "<!DOCTYPE r [" + declarations + "<!ENTITY x SYSTEM \"" + secret + "\">]><r filename=\"n\">&x;</r>"},
        {"external DTD", "<!DOCTYPE r SYSTEM \"" + dtd + "\"><r filename=\"&leak;\"/>"},
        {"external parameter entity",
         "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r filename=\"&leak;\"/>"},
        {"entity expansion", bomb},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSXmlDataHandling reader;
        Parse(reader, c.xml);
        EXPECT_TRUE(reader.ParseFailed());
        PMString text;
        reader.GetFileNameDefination(text);
        EXPECT_TRUE(text.IsEmpty());
        std::vector<std::string> alerts = TakeAlerts();
        ASSERT_FALSE(alerts.empty());
        for (const std::string& alert : alerts) {
            EXPECT_EQ(alert.rfind("Line No = ", 0), 0u) << alert;
            EXPECT_EQ(alert.find("SECRET"), std::string::npos) << alert;
        }
    }

    TSXmlDataHandling reader;
    Parse(reader, "<!DOCTYPE r [" + declarations + "<!ENTITY n \"inner\">]><r filename=\"&n;\"/>");
    ASSERT_FALSE(reader.ParseFailed());
    PMString text;
    reader.GetFileNameDefination(text);
    EXPECT_EQ(text, PMString("inner"));
}

}  // namespace
}  // namespace tsxmltest
