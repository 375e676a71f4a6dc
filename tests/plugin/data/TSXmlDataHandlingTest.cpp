#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "IDocument.h"
#include "IPageList.h"
#include "StatusCodeInfo.h"
#include "TSDOMErrorHandler.h"
#include "TSXmlDataHandling.h"
#include "XmlTestSupport.h"

namespace tsxmltest {
namespace {

namespace fs = std::filesystem;

class TSXmlReader : public ::testing::Test {
protected:
    void SetUp() override { TakeAlerts(); }

    void Parse(TSXmlDataHandling& reader, const std::string& xml, const char* name = "answer.xml") {
        WriteFile(fScratch.Path() / name, xml);
        reader.InitializeDOMnode((fScratch.Path() / name).c_str());
    }
    // The file-name template, appended to what the text already holds.
    static std::string FileName(TSXmlDataHandling& reader) {
        PMString text("x:");
        reader.GetFileNameDefination(text);
        return text.GetUTF8String();
    }

    ScratchFolder fScratch;
};

TEST_F(TSXmlReader, AuthenticationAndUpdateDecision) {
    // status -1: left alone; alert null: none.
    const struct { const char* rootAttributes; bool tempExists, result; int16 status; const char* alert; } cases[] = {
        {R"(authenticated="1" type="TESSARON_UPDATE")", true, true, 1, nullptr},
        {R"(authenticated="1" type="tessaron_Update")", true, true, 1, nullptr},
        {R"(authenticated="1" type="TESSARON")", true, false, 1, nullptr},
        {R"(authenticated="1")", true, false, 1, nullptr},
        {R"(authenticated="1" type="TESSARON_UPDATE")", false, false, 1, nullptr},
        {R"(authenticated="0" type="TESSARON_UPDATE")", true, false, -1, "0x61000kTSInCorrectUsrNamePwd"},
        {R"(authenticated="-1" type="TESSARON_UPDATE")", true, false, -1, "0x61000kTSImProperUserRights"},
        {R"(authenticated="2" type="TESSARON_UPDATE")", true, false, -1, nullptr},
        {R"(authenticated="" type="TESSARON_UPDATE")", true, false, -1, nullptr},
        {R"(type="TESSARON_UPDATE")", true, false, -1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rootAttributes);
        const std::string answer = std::string("<tessaron ") + c.rootAttributes + "><projects/></tessaron>";
        const auto projects = fScratch.Path() / "projects.xml";
        WriteFile(projects, "old list");
        TSXmlDataHandling reader;
        Parse(reader, answer, "temp.xml");
        const auto temp = fScratch.Path() / (c.tempExists ? "temp.xml" : "gone.xml");
        int16 status = -1;
        EXPECT_EQ(reader.UpdateProjectsInfo(PMString(HfsOf(temp)), PMString(HfsOf(projects)), status), c.result);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(ReadFile(projects), c.result ? answer : "old list");
        EXPECT_EQ(TakeAlerts(), c.alert ? std::vector<std::string>{c.alert} : std::vector<std::string>{});
    }
}

TEST_F(TSXmlReader, StatusCodesInListOrderAppended) {
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

// Whatever is wrong with a file, and however often the parser would report it, the user gets
// one alert for it, nothing is loaded from it nor kept from the file read before, and nothing
// outside it is ever read. A path too long for the reader is refused the same way.
TEST_F(TSXmlReader, EveryBrokenOrHostileFileGivesOneAlertAndNothingElse) {
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
    // A good list with a document type: validation would report each of its elements.
    std::string list = kProjectsXml;
    // One element too many, one attribute too many; the alert points just past its start tag.
    std::string deep;
    for (std::size_t depth = 1; depth <= TSXmlDataHandling::kMaxDepth; ++depth) deep += "<x>";
    std::string group = "<projectgroup id=\"1\" name=\"G\"";
    for (std::size_t i = 2; i <= TSXmlDataHandling::kMaxAttributes; ++i) group += " a" + std::to_string(i) + "=\"\"";
    group += "/>";
    const std::size_t body = list.find('\n') + 1;
    const struct {
        const char* what;
        std::string xml;
        std::string alert = "Line No = ";
        std::string ending = "";
        std::string name = "answer.xml";
    } cases[] = {
        {"empty internal subset", list.substr(0, body) + "<!DOCTYPE tessaron []>\n" + list.substr(body)},
        {"a document type it satisfies", "<!DOCTYPE r [" + declarations + "<!ENTITY n \"name\">]><r filename=\"&n;\"/>"},
        {"external entity",
         "<!DOCTYPE r [" + declarations + "<!ENTITY x SYSTEM \"" + secret + "\">]><r filename=\"n\">&x;</r>"},
        {"external DTD", "<!DOCTYPE r SYSTEM \"" + dtd + "\"><r filename=\"&leak;\"/>"},
        {"external parameter entity",
         "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r filename=\"&leak;\"/>"},
        {"entity expansion", bomb + "]><r filename=\"&h;\"/>"},
        {"undeclared entity", "<r filename=\"&x;&y;&z;\"/>"},
        {"bad UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r filename=\"\xff\xfe\xc3\"/>"},
        {"truncated", list.substr(0, list.size() / 2)},
        {"unclosed element", "<tessaron filename=\"t\"><projects>\n<project></projects>", "Line No = 2 Col No = "},
        {"empty", ""},
        {"not XML", "<html><body><h1>502 Bad Gateway</h1><hr></body>"},
        {"not XML either", "{\"projects\": []}"},
        {"elements nested too deep", "<r>\n" + deep + "</x></r>",
         "Line No = 2 Col No = " + std::to_string(deep.size() + 1) +
             " Error Msg = Elements are nested more than 10000 deep"},
        {"an element with too many attributes", "<r>\n" + group + "</r>",
         "Line No = 2 Col No = " + std::to_string(group.size() + 1) +
             " Error Msg = An element has more than 1000 attributes"},
        {"a tag too long",
         "<r>\n<r filename=\"" + std::string(TSXmlDataHandling::kMaxMarkupBytes + 65536, 'n') + "\"/></r>",
         "Line No = 2 Col No = ", " Error Msg = A tag, comment or other markup is longer than 1 MiB"},
        {"a comment too long", "<r><!-- " + std::string(TSXmlDataHandling::kMaxMarkupBytes + 65536, 'c') + " --></r>",
         "Line No = 1 Col No = ", " Error Msg = A tag, comment or other markup is longer than 1 MiB"},
        {"path too long", kProjectsXml, "Line No = 0 Col No = 0 Error Msg = ", "", std::string(250, 'a') + ".xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSXmlDataHandling reader;
        Parse(reader, kProjectsXml, "good.xml");
        ASSERT_EQ(FileName(reader), "x:$project_code$_$file_name$");
        Parse(reader, c.xml, c.name.c_str());
        EXPECT_TRUE(reader.ParseFailed());
        EXPECT_EQ(reader.GetRootElement(), nullptr);
        EXPECT_EQ(FileName(reader), "x:");
        EXPECT_EQ(reader.GetFilePath() == nullptr, c.name != "answer.xml");
        const std::vector<std::string> alerts = TakeAlerts();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].rfind(c.alert, 0), 0u) << alerts[0];
        EXPECT_TRUE(alerts[0].size() >= c.ending.size() &&
                    alerts[0].compare(alerts[0].size() - c.ending.size(), c.ending.size(), c.ending) == 0)
            << alerts[0];
        EXPECT_EQ(alerts[0].find("SECRET"), std::string::npos) << alerts[0];
    }
}

TEST(TSDOMErrorHandlerTest, ShowsTheFirstReportWithTheNumberOfFurtherOnesOnce) {
    TakeAlerts();
    const struct { int reports; const char* alert; } cases[] = {
        {0, nullptr},
        {1, "Line No = 3 Col No = 7 Error Msg = first"},
        {2, "Line No = 3 Col No = 7 Error Msg = first (and 1 further error)"},
        {5, "Line No = 3 Col No = 7 Error Msg = first (and 4 further errors)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reports);
        TSDOMErrorHandler handler;
        for (int i = 0; i < c.reports; ++i) handler.Add(3 + i, 7 + i, i == 0 ? "first" : "later");
        EXPECT_EQ(handler.ErrorSeen(), c.reports > 0);
        handler.ShowReports();
        handler.ShowReports();
        EXPECT_EQ(TakeAlerts(), c.alert ? std::vector<std::string>{c.alert} : std::vector<std::string>{});
        EXPECT_EQ(handler.ErrorSeen(), c.reports > 0);
    }
}

// Only the root's start tag is read for the verdict; the rest of the file may be anything.
// A start tag longer than the full parse takes, blanks aside, is not read to its end.
TEST_F(TSXmlReader, AnUpdateAnswerIsToldByItsRootAlone) {
    const std::string update = R"(<tessaron authenticated="1" type="TESSARON_UPDATE")";
    const std::string blanks(2 * TSXmlDataHandling::kMaxMarkupBytes, ' ');
    const std::string nearlyTooLong =
        update + " a=\"" + std::string(TSXmlDataHandling::kMaxMarkupBytes - 65536, 'n') + "\">";
    std::string utf16 = "\xff\xfe";  // the same in UTF-16, twice the bytes
    for (char c : nearlyTooLong) utf16 += std::string{c, '\0'};
    const struct { std::string xml; bool update; } cases[] = {
        {update + blanks + nearlyTooLong.substr(update.size()), true},
        {utf16, true},
        {update + " a=\"" + std::string(TSXmlDataHandling::kMaxMarkupBytes + 65536, 'n') + "\">", false},
        {R"(<tessaron authenticated="1" type="TESSARON_UPDATE"><projects>)", true},
        {R"(<?xml version="1.0"?><!-- c --><t type="tessaron_update" authenticated=" 1 "/>)", true},
        {R"(<tessaron authenticated="1" type="TESSARON"/>)", false},
        {R"(<tessaron authenticated="1"/>)", false},
        {R"(<tessaron authenticated="0" type="TESSARON_UPDATE"/>)", false},
        {R"(<tessaron authenticated="1x" type="TESSARON_UPDATE"/>)", false},
        {R"(<!DOCTYPE t []><t authenticated="1" type="TESSARON_UPDATE"/>)", false},
        {"not xml", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml.substr(0, 80));
        WriteFile(fScratch.Path() / "answer.xml", c.xml);
        EXPECT_EQ(TSXmlDataHandling::IsUpdateAnswer((fScratch.Path() / "answer.xml").c_str()), c.update);
        EXPECT_TRUE(TakeAlerts().empty());
    }
    EXPECT_FALSE(TSXmlDataHandling::IsUpdateAnswer((fScratch.Path() / "missing.xml").c_str()));
}

// A reader knows the file it holds until that file changes; a copy of it counts as the same.
TEST_F(TSXmlReader, AParseStaysTheParseOfItsFileUntilTheFileChanges) {
    const auto file = fScratch.Path() / "list.xml", copy = fScratch.Path() / "copy.xml";
    TSXmlDataHandling reader;
    EXPECT_FALSE(reader.IsParseOf(file.c_str()));
    Parse(reader, kProjectsXml, "list.xml");
    EXPECT_TRUE(reader.IsParseOf(file.c_str()));
    EXPECT_FALSE(reader.IsParseOf(copy.c_str()));
    std::filesystem::copy_file(file, copy);
    reader.TakeAsParseOf(copy.c_str());
    EXPECT_TRUE(reader.IsParseOf(copy.c_str()));
    EXPECT_FALSE(reader.IsParseOf(file.c_str()));
    WriteFile(copy, kProjectsXml);  // the same bytes, written again
    EXPECT_FALSE(reader.IsParseOf(copy.c_str()));

    WriteFile(copy, "<other/>");
    Parse(reader, kProjectsXml, "list.xml");
    reader.TakeAsParseOf(copy.c_str());  // not a copy: another size
    EXPECT_FALSE(reader.IsParseOf(copy.c_str()));
    Parse(reader, "<broken>", "list.xml");
    TakeAlerts();
    EXPECT_FALSE(reader.IsParseOf(file.c_str()));
}

const std::string kDocumentHfs = "Macintosh HD:Users:ana:Work:Flyer.indd";

// A document whose page list names its four pages; only what the ticket writer asks is answered.
class FakeDocument : public IDocument, public IPageList {
public:
    IPMUnknown* QueryInterface(PMIID iid) const override {
        return iid == IID_OF<IPageList>() ? static_cast<IPageList*>(const_cast<FakeDocument*>(this)) : nullptr;
    }
    void AddRef() const override {}
    void Release() const override {}
    void GetName(PMString& name) const override { name = PMString("Flyer.indd"); }
    bool16 IsSaved() const override { return kTrue; }
    int32 GetPageCount() const override { return 4; }
    UID GetNthPageUID(int32 index) const override { return UID(static_cast<uint32>(index + 100)); }
    void GetPageString(UID page, PMString& name, bool16, bool16, bool16, bool16) const override {
        static const char* const names[] = {"1", "2", "3", "iv"};
        name = PMString(names[page.Get() - 100]);
    }
    void GetPageRangeString(const UIDList&, PMString&, int32, int32, int32, int32, int32) const override {}
    ErrorCode ParsePageRange(const PMString&, UIDList*, int32) const override { return kFailure; }
};

class TSJobTicket : public TSXmlReader {
protected:
    bool Export(const fs::path& ticket, std::initializer_list<int32> pages, const char* projectCode,
                IDocument* document, const std::string& documentHfs = kDocumentHfs) {
        UIDList list;
        for (int32 i : pages) list.Append(fDocument.GetNthPageUID(i));
        TSXmlDataHandling writer;
        return writer.ExportXML(PMString(HfsOf(ticket)), PMString(documentHfs), PMString("Fl\xc3\xbc" "er.indd"),
                                document, list, PMString(projectCode));
    }

    FakeDocument fDocument;
};

TEST_F(TSJobTicket, AttributesAndPageNamesReplaceAnOldTicket) {
    const struct { std::initializer_list<int32> pages; const char* newItemCode; const char* projectCode; } cases[] = {
        {{0, 1, 2}, "1,2,3", "P-7"}, {{3}, "iv", "P-7"}, {{2, 0}, "3,1", ""}, {{}, "", "P-7"}};
    const auto ticket = fScratch.Path() / "Flyer.xml";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newItemCode);
        WriteFile(ticket, std::string(4096, '#'));
        ASSERT_TRUE(Export(ticket, c.pages, c.projectCode, &fDocument));
        EXPECT_EQ(ReadFile(ticket), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?><kelvaneactivate "
                                    "name=\"Fl\xc3\xbc" "er.indd\" newitemcode=\"" + std::string(c.newItemCode) +
                                        "\" path=\"/Users/ana/Work/Flyer.indd\" projectcode=\"" + c.projectCode +
                                        "\" type=\"indesign\"/>");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(fScratch.Path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(TakeAlerts().empty());
}

TEST_F(TSJobTicket, RefusalsWriteNothing) {
    const struct { const char* what; fs::path ticket; IDocument* document; std::string documentHfs; } cases[] = {
        {"missing folder", fScratch.Path() / "no-such-folder" / "t.xml", &fDocument, kDocumentHfs},
        {"overlong ticket path", fScratch.Path() / (std::string(300, 'n') + ".xml"), &fDocument, kDocumentHfs},
        {"pages without a document", fScratch.Path() / "t.xml", nullptr, kDocumentHfs},
        {"overlong document path", fScratch.Path() / "t.xml", &fDocument, kDocumentHfs + ":" + std::string(300, 'd')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(Export(c.ticket, {0}, "P", c.document, c.documentHfs));
        EXPECT_TRUE(fs::is_empty(fScratch.Path()));
        EXPECT_TRUE(TakeAlerts().empty());
    }
}

}  // namespace
}  // namespace tsxmltest
