// The PDF export as the plug-in runs it: exactly the listed pages or spreads in a real PDF
// with the preset, the UI flags and the document recorded; the progress bar handed to the
// preset moved by the export; every failure leaving no file behind and the global error set.
#include <filesystem>

#include "ExportTestSupport.h"
#include "PDFExportCommand.h"
#include "PdfInspect.h"
#include "ProgressBars.h"

namespace {

using tstest::ExportLikeThePlugin;
using tstest::InspectPdf;

class PDFExportTest : public tstest::HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        out = dir / "out";
        std::filesystem::create_directory(out);
    }
    std::string out;
};

TEST_F(PDFExportTest, WritesExactlyTheListedPagesWithTheSettingsRecorded) {
    IDocument* document = NewDocument(5);
    const std::string path = out + "/Flyer (proof).pdf";
    ASSERT_EQ(ExportLikeThePlugin(document, "[Press Quality]", path, "2, 4-5"), kSuccess) << tshost::LastExportProblem();
    tstest::PdfFacts pdf = InspectPdf(path);
    ASSERT_TRUE(pdf.readable);
    EXPECT_EQ(pdf.pageWidths, (std::vector<double>{595, 595, 595}));
    EXPECT_EQ(pdf.info["Title"], "Untitled-1");
    EXPECT_EQ(pdf.info["Subject"], "[Press Quality]");
    EXPECT_EQ(pdf.info["Keywords"], "ui-flags=0; spreads=0; items=2,4,5");
    EXPECT_EQ(tstest::FilesIn(out), std::vector<std::string>{"Flyer (proof).pdf"});
    EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
}

TEST_F(PDFExportTest, AMissingPresetFallsBackAndAMissingFallbackIsRefused) {
    IDocument* document = NewDocument(2);
    ASSERT_EQ(ExportLikeThePlugin(document, "No Such Preset", out + "/a.pdf", "1-2"), kSuccess);
    EXPECT_EQ(InspectPdf(out + "/a.pdf").info["Subject"], "[High Quality Print]");

    std::string error;
    ASSERT_TRUE(Presets()->Remove("[High Quality Print]", error)) << error;
    EXPECT_EQ(ExportLikeThePlugin(document, "No Such Preset", out + "/b.pdf", "1-2"), tstest::kRefusedBeforeExport);
    EXPECT_FALSE(std::filesystem::exists(out + "/b.pdf"));
}

TEST_F(PDFExportTest, APresetAskingForSpreadsWritesOnePdfPagePerSpread) {
    std::string error;
    ASSERT_TRUE(Presets()->Add({"Spreads", true}, error)) << error;
    IDocument* document = NewDocument(4);
    const std::string path = out + "/spreads.pdf";
    ASSERT_EQ(ExportLikeThePlugin(document, "Spreads", path, "1-4"), kSuccess) << tshost::LastExportProblem();
    tstest::PdfFacts pdf = InspectPdf(path);
    EXPECT_EQ(pdf.pageWidths, (std::vector<double>{595, 1190, 595}));
    EXPECT_EQ(pdf.info["Keywords"], "ui-flags=0; spreads=1; items=1,2+3,4");
    EXPECT_EQ(pdf.info["Subject"], "Spreads");
}

TEST_F(PDFExportTest, TheBarHandedToThePresetIsAdvancedThroughTheCopy) {
    IDocument* document = NewDocument(4);
    {
        RangeProgressBar bar(PMString("Generating", PMString::kNoTranslate), 0, 100, kTrue);
        bar.SetPosition(0);
        ASSERT_EQ(ExportLikeThePlugin(document, "[High Quality Print]", out + "/a.pdf", "1-4", &bar), kSuccess);
    }
    const tshost::ProgressRecord& record = tshost::ProgressLog::Get().Records().back();
    EXPECT_EQ(record.positions, (std::vector<int32>{0, 25, 50, 75, 100}));
    EXPECT_FALSE(record.open);

    // The preset still names the bar destroyed above: the next export must leave it alone.
    const std::size_t bars = tshost::ProgressLog::Get().Records().size();
    InterfacePtr<IPDFExportPrefs> preset(Presets()->GetNthStyleRef(0), IID_OF<IPDFExportPrefs>());
    ASSERT_NE(preset->GetProgressBar(), nullptr);
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
    InterfacePtr<IPDFExportPrefs> prefs(command.get(), IID_OF<IPDFExportPrefs>());
    prefs->CopyPrefs(preset.get());
    InterfacePtr<ISysFileData>(command.get(), IID_OF<ISysFileData>())->Set(FileUtils::FromPosixPath(out + "/b.pdf"));
    InterfacePtr<IOutputPages> outputs(command.get(), IID_OF<IOutputPages>());
    outputs->SetDataBase(::GetDataBase(document));
    outputs->AppendOutputPageUIDRef(UIDRef(::GetDataBase(document), InterfacePtr<IPageList>(document, IID_OF<IPageList>())->GetNthPageUID(0)));
    EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), kSuccess) << tshost::LastExportProblem();
    EXPECT_EQ(tshost::ProgressLog::Get().Records().size(), bars);
    EXPECT_EQ(tshost::ProgressLog::Get().Records().back().positions, (std::vector<int32>{0, 25, 50, 75, 100}));
}

// Each case spoils one part of a sound export; nothing may be written, an existing file at
// the path must stay as it was, and ProcessCommand's result must be the global error code.
TEST_F(PDFExportTest, EveryFailureLeavesNoFileAndSetsTheGlobalError) {
    IDocument* document = NewDocument(3);
    IDocument* other = NewDocument(1);
    IDataBase* db = ::GetDataBase(document);
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    const UIDRef page1(db, pages->GetNthPageUID(0));
    const UIDRef foreignPage(::GetDataBase(other), InterfacePtr<IPageList>(other, IID_OF<IPageList>())->GetNthPageUID(0));
    const std::string existing = out + "/existing.pdf";
    tstest::WriteFile(existing, "earlier export");
    std::filesystem::create_directory(out + "/folder.pdf");

    struct Case {
        const char* name;
        std::string path;
        std::function<void(IOutputPages*)> items;
        ErrorCode expected;
        bool inject = false;
    };
    auto onePage = [&](IOutputPages* o) { o->SetDataBase(db); o->AppendOutputPageUIDRef(page1); };
    const Case cases[] = {
        {"injected", out + "/x.pdf", onePage, 7, true},
        {"injected over an existing file", existing, onePage, 7, true},
        {"missing folder", out + "/missing/x.pdf", onePage, kFailure},
        {"path is a folder", out + "/folder.pdf", onePage, kFailure},
        {"no file", "", onePage, kInvalidParameterError},
        {"no items", out + "/x.pdf", [&](IOutputPages* o) { o->SetDataBase(db); }, kInvalidParameterError},
        {"no database", out + "/x.pdf", [&](IOutputPages* o) { o->AppendOutputPageUIDRef(page1); }, kInvalidParameterError},
        {"page of another document", out + "/x.pdf",
         [&](IOutputPages* o) { o->SetDataBase(db); o->AppendOutputPageUIDRef(page1); o->AppendOutputPageUIDRef(foreignPage); },
         kInvalidParameterError},
        {"not a page", out + "/x.pdf", [&](IOutputPages* o) { o->SetDataBase(db); o->AppendOutputPageUIDRef(UIDRef(db, db->GetRootUID())); },
         kInvalidParameterError},
        {"book", out + "/x.pdf", [&](IOutputPages* o) { onePage(o); o->SetIsBook(kTrue); }, kInvalidParameterError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.inject) tshost::FailNextExports(1, c.expected);
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
        if (!c.path.empty())
            InterfacePtr<ISysFileData>(command.get(), IID_OF<ISysFileData>())->Set(FileUtils::FromPosixPath(c.path));
        c.items(InterfacePtr<IOutputPages>(command.get(), IID_OF<IOutputPages>()).get());
        ErrorCode result = CmdUtils::ProcessCommand(command.get());
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), result);
        EXPECT_FALSE(tshost::LastExportProblem().empty());
        EXPECT_EQ(tstest::FilesIn(out), (std::vector<std::string>{"existing.pdf", "folder.pdf"}));
        EXPECT_EQ(tstest::ReadFile(existing), "earlier export");
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    }
    EXPECT_EQ(tshost::PendingExportFailures(), 0);
    ASSERT_EQ(ExportLikeThePlugin(document, "[Press Quality]", existing, "1-3"), kSuccess) << "a sound export replaces the file";
    EXPECT_EQ(InspectPdf(existing).pageWidths.size(), 3u);
    EXPECT_TRUE(tshost::LastExportProblem().empty());
}

TEST_F(PDFExportTest, ACommandOutlivingItsDocumentFailsCleanly) {
    IDocument* document = NewDocument(2);
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
    InterfacePtr<ISysFileData>(command.get(), IID_OF<ISysFileData>())->Set(FileUtils::FromPosixPath(out + "/x.pdf"));
    InterfacePtr<IOutputPages> outputs(command.get(), IID_OF<IOutputPages>());
    outputs->SetDataBase(::GetDataBase(document));
    outputs->AppendOutputPageUIDRef(UIDRef(::GetDataBase(document), InterfacePtr<IPageList>(document, IID_OF<IPageList>())->GetNthPageUID(0)));
    host->Docs().Close(document);
    EXPECT_EQ(CmdUtils::ProcessCommand(command.get()), kInvalidParameterError);
    EXPECT_TRUE(tstest::FilesIn(out).empty());
}

TEST_F(PDFExportTest, InjectedFailuresAreCountedAndThenStop) {
    IDocument* document = NewDocument(1);
    tshost::FailNextExports(2);
    EXPECT_EQ(ExportLikeThePlugin(document, "[Press Quality]", out + "/a.pdf", "1"), kFailure);
    EXPECT_EQ(ExportLikeThePlugin(document, "[Press Quality]", out + "/a.pdf", "1"), kFailure);
    EXPECT_EQ(ExportLikeThePlugin(document, "[Press Quality]", out + "/a.pdf", "1"), kSuccess);
    tshost::FailNextExports(3);
    Restart();
    EXPECT_EQ(tshost::PendingExportFailures(), 0) << "a new host starts without failures";
}

}  // namespace
