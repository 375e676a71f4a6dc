// Documents and pages: new, save as, reopen, close and the front document as the plug-in
// sees them (application, document list, active context), observers in order, and the page
// range notation by page name. (Page ranges a plug-in parses are seen through its exports.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "Documents.h"
#include "Host.h"
#include "HostTestSupport.h"
#include "IActiveContext.h"
#include "IApplication.h"
#include "IDocumentList.h"
#include "IPageList.h"
#include "ISession.h"
#include "InterfacePtr.h"
#include "PageRange.h"
#include "FileUtils.h"

namespace {

using Names = std::vector<std::string>;

TEST(PageRangeTest, RangesAreWrittenAndReadByPageNameAndSurviveARoundTrip) {
    const Names five{"1", "2", "3", "4", "5"};
    struct Format { std::vector<int> pages; const char* text; };
    for (const Format& c : {Format{{0, 1, 2, 4}, "1-3, 5"}, Format{{4, 0, 2, 2}, "1, 3, 5"}, Format{{}, ""}, Format{{-1, 7}, ""}})
        EXPECT_EQ(tshost::FormatPageRange(five, c.pages), c.text);
    EXPECT_EQ(tshost::FormatPageRange({"i", "ii", "iii"}, {0, 1, 2}), "i-iii");

    struct Parse { const char* text; std::vector<int> pages; };
    for (const Parse& c : {Parse{" 1 - 2 ,5 ", {0, 1, 4}}, Parse{"5, 1", {0, 4}}, Parse{"1-3, 2", {0, 1, 2}}, Parse{"3-3", {2}}})
        EXPECT_EQ(tshost::ParsePageRange(five, c.text), c.pages) << "'" << c.text << "'";
    for (const char* bad : {"", "  ", "6", "0-2", "5-3", "1,,2", "1,", "1-", "-3", "1-2-3", "a", "1;2"})
        EXPECT_EQ(tshost::ParsePageRange(five, bad), std::nullopt) << "'" << bad << "'";
    EXPECT_EQ(tshost::ParsePageRange({"A-1", "A-2", "B"}, "A-1-A-2"), (std::vector<int>{0, 1}));
    EXPECT_EQ(tshost::ParsePageRange({"1"}, std::string(100000, '-')), std::nullopt);

    Names twelve;
    for (int i = 1; i <= 12; ++i) twelve.push_back(std::to_string(i));
    for (unsigned mask = 1; mask < (1u << 12); mask += 37) {
        std::vector<int> pages;
        for (int i = 0; i < 12; ++i)
            if (mask & (1u << i)) pages.push_back(i);
        EXPECT_EQ(tshost::ParsePageRange(twelve, tshost::FormatPageRange(twelve, pages)), pages) << mask;
    }
}

class Recorder : public tshost::DocumentObserver {
public:
    void DocumentOpened(IDocument* d, bool isNew) override { events.push_back((isNew ? "new " : "open ") + Name(d)); }
    void DocumentSaved(IDocument* d) override { events.push_back("saved " + Name(d)); }
    void DocumentClosing(IDocument* d) override { events.push_back("closing " + Name(d) + " of " + Count()); }
    void DocumentClosed(const std::string& name) override { events.push_back("closed " + name + " of " + Count()); }
    void FrontDocumentChanged(IDocument* d) override { events.push_back("front " + (d ? Name(d) : std::string("none"))); }
    std::vector<std::string> events;

private:
    static std::string Name(IDocument* d) { return tshost::Documents::NameOf(d); }
    static std::string Count() {
        InterfacePtr<IApplication> app(gSession->QueryApplication());
        InterfacePtr<IDocumentList> list(app->QueryDocumentList());
        return std::to_string(list->GetDocCount());
    }
};

class DocumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Boot(error)) << error;
        host.Start(dir.Path());
        host.Docs().AddObserver(&recorder);
    }
    void TearDown() override { host.Docs().RemoveObserver(&recorder); }

    tstest::TempDir dir;
    tshost::Host host;
    Recorder recorder;
    std::string error;
};

TEST_F(DocumentsTest, TheApplicationAndObserversSeeEachChangeAndSavedDocumentsReopen) {
    InterfacePtr<IApplication> app(gSession->QueryApplication());
    InterfacePtr<IDocumentList> list(app->QueryDocumentList());
    ASSERT_TRUE(list);
    EXPECT_EQ(gSession->GetActiveContext()->GetContextDocument(), nullptr);
    IDocument* first = host.Docs().New(1, error);
    IDocument* second = host.Docs().New(4, error);
    ASSERT_TRUE(first && second) << error;
    EXPECT_EQ(list->GetDocCount(), 2);
    EXPECT_EQ(list->GetNthDoc(0), first);
    EXPECT_EQ(list->GetNthDoc(2), nullptr);
    EXPECT_EQ(gSession->GetActiveContext()->GetContextDocument(), second);
    EXPECT_EQ(GetUIDRef(first), UIDRef(GetDataBase(first), GetDataBase(first)->GetRootUID()));
    host.Docs().BringToFront(first);
    host.Docs().BringToFront(first);
    EXPECT_EQ(gSession->GetActiveContext()->GetContextDocument(), first);
    const std::string path = dir / "B.indd";
    ASSERT_TRUE(host.Docs().SaveAs(second, path, error)) << error;
    EXPECT_TRUE(second->IsSaved());
    IDFile file;
    ASSERT_TRUE(GetDataBase(second)->GetSysFile(file));
    EXPECT_EQ(FileUtils::GetPosixPath(file), path);
    host.Docs().Close(first);
    host.Docs().Close(second);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{
                                   "new Untitled-1", "front Untitled-1", "new Untitled-2", "front Untitled-2",
                                   "front Untitled-1", "saved B.indd", "closing Untitled-1 of 2", "closed Untitled-1 of 1",
                                   "front B.indd", "closing B.indd of 1", "closed B.indd of 0", "front none"}));

    IDocument* reopened = host.Docs().Open(path, error);
    ASSERT_TRUE(reopened) << error;
    InterfacePtr<IPageList> pages(reopened, IID_OF<IPageList>());
    ASSERT_EQ(pages->GetPageCount(), 4);
    PMString name;
    pages->GetPageString(pages->GetNthPageUID(3), name, kFalse, kTrue, kFalse, kTrue);
    EXPECT_EQ(name.GetUTF8String(), "4");
    EXPECT_FALSE(name.GetTranslatable());
    EXPECT_EQ(pages->GetNthPageUID(4), kInvalidUID);
    EXPECT_EQ(pages->GetNthPageUID(-1), kInvalidUID);
    UIDList parsed;
    EXPECT_NE(pages->ParsePageRange(PMString("2-9"), &parsed, 0), kSuccess);
    EXPECT_TRUE(parsed.IsEmpty());
    EXPECT_EQ(parsed.GetDataBase(), GetDataBase(reopened));
    EXPECT_NE(pages->ParsePageRange(PMString("x"), nullptr, 0), kSuccess);
    EXPECT_EQ(host.Docs().Open(dir / "./B.indd", error), reopened) << "an open file is brought to the front";
    EXPECT_EQ(host.Docs().Count(), 1);
}

TEST_F(DocumentsTest, BadRequestsAreRefusedWithReasonsAndSameNamesFoundByPath) {
    EXPECT_FALSE(host.Docs().New(tshost::Documents::kMaxPages + 1, error));
    // What stands at a path that is no document file is named.
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::filesystem::create_symlink(dir / "loop", dir / "loop");
    std::filesystem::create_symlink(dir / "nothing", dir / "dangling");
    const std::pair<std::string, std::string> notFiles[] = {
        {dir.Path(), "is a folder"},
        {dir / "fifo", "is a FIFO"},
        {dir / "loop", "is a loop of symbolic links"},
        {dir / "dangling", "is a symbolic link to a file that does not exist"},
        {dir / "nothing", "no such file"},
    };
    for (const auto& [path, what] : notFiles) {
        EXPECT_FALSE(host.Docs().Open(path, error));
        EXPECT_EQ(error.find(path + ": " + what), 0u) << error;
    }
    IDocument* a = host.Docs().New(1, error);
    ASSERT_TRUE(host.Docs().SaveAs(a, dir / "A.indd", error)) << error;
    IDocument* b = host.Docs().New(1, error);
    EXPECT_FALSE(host.Docs().SaveAs(b, dir / "A.indd", error));
    EXPECT_NE(error.find("is the file of the open document A.indd"), std::string::npos) << error;
    EXPECT_FALSE(host.Docs().SaveAs(b, dir.Path(), error));
    EXPECT_FALSE(host.Docs().SaveAs(b, dir / "no/such/folder/B.indd", error));
    EXPECT_NE(error.find("B.indd"), std::string::npos) << error;

    // Two open documents of one name are found only by path.
    std::filesystem::create_directories(dir / "y");
    ASSERT_TRUE(host.Docs().SaveAs(b, dir / "y/A.indd", error)) << error;
    EXPECT_EQ(host.Docs().Find("A.indd", error), nullptr);
    EXPECT_NE(error.find("several"), std::string::npos);
    EXPECT_EQ(host.Docs().Find(dir / "y/A.indd", error), b);
    host.Docs().Close(a);
    host.Docs().Close(b);
    EXPECT_FALSE(host.Docs().Close(a));
    std::string workspace = host.WorkspacePath();
    ASSERT_TRUE(host.Quit(error)) << error;
    EXPECT_FALSE(host.Docs().Open(workspace, error));
    EXPECT_NE(error.find("not a document"), std::string::npos) << error;
}

}  // namespace
