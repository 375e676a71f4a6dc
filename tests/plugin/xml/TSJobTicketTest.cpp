#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "IDocument.h"
#include "IPageList.h"
#include "TSXmlDataHandling.h"
#include "XmlTestSupport.h"

namespace tsxmltest {
namespace {

// A document whose page list names its pages; only what the ticket writer asks is answered.
class FakePageList : public IPageList {
public:
    explicit FakePageList(std::vector<std::string> names) : fNames(std::move(names)) {}
    IPMUnknown* QueryInterface(PMIID) const override { return nullptr; }
    void AddRef() const override {}
    void Release() const override {}
    int32 GetPageCount() const override { return static_cast<int32>(fNames.size()); }
    UID GetNthPageUID(int32 index) const override { return UID(static_cast<uint32>(index + 100)); }
    void GetPageString(UID page, PMString& name, bool16, bool16, bool16, bool16) const override {
        name = PMString(fNames.at(page.Get() - 100));
    }
    void GetPageRangeString(const UIDList&, PMString&, int32, int32, int32, int32, int32) const override {}
    ErrorCode ParsePageRange(const PMString&, UIDList*, int32) const override { return kFailure; }

private:
    std::vector<std::string> fNames;
};

class FakeDocument : public IDocument {
public:
    explicit FakeDocument(std::vector<std::string> pageNames) : fPages(std::move(pageNames)) {}
    IPMUnknown* QueryInterface(PMIID iid) const override {
        return iid == IID_OF<IPageList>() ? const_cast<FakePageList*>(&fPages) : nullptr;
    }
    void AddRef() const override {}
    void Release() const override {}
    void GetName(PMString& name) const override { name = PMString("Flyer.indd"); }
    bool16 IsSaved() const override { return kTrue; }

    UIDList Pages(std::initializer_list<int32> indices) const {
        UIDList list;
        for (int32 i : indices) list.Append(fPages.GetNthPageUID(i));
        return list;
    }

private:
    FakePageList fPages;
};

class TSJobTicket : public ::testing::Test {
protected:
    void SetUp() override { ClearHostLogs(); }

    bool Export(const std::filesystem::path& ticket, const UIDList& pages, const char* projectCode = "P-7") {
        TSXmlDataHandling writer;
        return writer.ExportXML(PMString(HfsOf(ticket)), PMString(fDocumentHfs), PMString("Fl\xc3\xbc" "er.indd"),
                                &fDocument, pages, PMString(projectCode));
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(fScratch.Path()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    ScratchFolder fScratch;
    FakeDocument fDocument{{"1", "2", "3", "iv"}};
    std::string fDocumentHfs = "Macintosh HD:Users:ana:Work:Flyer.indd";
};

TEST_F(TSJobTicket, AttributesAndPageNames) {
    const struct {
        std::initializer_list<int32> pages;
        const char* newItemCode;
    } cases[] = {{{0, 1, 2}, "1,2,3"}, {{3}, "iv"}, {{2, 0}, "3,1"}, {{}, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newItemCode);
        const auto ticket = fScratch.Path() / "Flyer.xml";
        ASSERT_TRUE(Export(ticket, fDocument.Pages(c.pages)));
        const std::string xml = ReadFile(ticket);
        EXPECT_NE(xml.find("encoding=\"UTF-8\""), std::string::npos) << xml;
        EXPECT_NE(xml.find("<kelvaneactivate "), std::string::npos) << xml;
        EXPECT_NE(xml.find(" type=\"indesign\""), std::string::npos) << xml;
        EXPECT_NE(xml.find(" name=\"Fl\xc3\xbc" "er.indd\""), std::string::npos) << xml;
        EXPECT_NE(xml.find(" path=\"/Users/ana/Work/Flyer.indd\""), std::string::npos) << xml;
        EXPECT_NE(xml.find(" projectcode=\"P-7\""), std::string::npos) << xml;
        EXPECT_NE(xml.find(std::string(" newitemcode=\"") + c.newItemCode + "\""), std::string::npos) << xml;
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Flyer.xml"});
    EXPECT_TRUE(TakeAlerts().empty());
}

TEST_F(TSJobTicket, EmptyProjectCodeStillWritten) {
    const auto ticket = fScratch.Path() / "t.xml";
    ASSERT_TRUE(Export(ticket, fDocument.Pages({0}), ""));
    EXPECT_NE(ReadFile(ticket).find(" projectcode=\"\""), std::string::npos);
}

TEST_F(TSJobTicket, RefusalsWriteNothing) {
    const std::string overlong = std::string(300, 'n') + ".xml";
    const struct {
        const char* what;
        std::filesystem::path ticket;
        bool withDocument;
    } cases[] = {
        {"missing folder", fScratch.Path() / "no-such-folder" / "t.xml", true},
        {"overlong ticket path", fScratch.Path() / overlong, true},
        {"pages without a document", fScratch.Path() / "t.xml", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TSXmlDataHandling writer;
        EXPECT_FALSE(writer.ExportXML(PMString(HfsOf(c.ticket)), PMString(fDocumentHfs), PMString("a.indd"),
                                      c.withDocument ? &fDocument : nullptr, fDocument.Pages({0}), PMString("P")));
        EXPECT_TRUE(FolderEntries().empty());
        EXPECT_TRUE(TakeAlerts().empty());
    }
    TSXmlDataHandling writer;
    const std::string overlongDocument = fDocumentHfs + ":" + std::string(300, 'd');
    EXPECT_FALSE(writer.ExportXML(PMString(HfsOf(fScratch.Path() / "t.xml")), PMString(overlongDocument),
                                  PMString("a.indd"), &fDocument, UIDList(), PMString("P")));
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(TSJobTicket, ExistingTicketReplaced) {
    const auto ticket = fScratch.Path() / "Flyer.xml";
    WriteFile(ticket, "old ticket, much longer than the new one would be if it were only overwritten in place");
    ASSERT_TRUE(Export(ticket, fDocument.Pages({1})));
    const std::string xml = ReadFile(ticket);
    EXPECT_EQ(xml.find("old ticket"), std::string::npos);
    EXPECT_NE(xml.find(" newitemcode=\"2\""), std::string::npos);
}

}  // namespace
}  // namespace tsxmltest
