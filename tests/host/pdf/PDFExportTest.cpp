// The PDF export as the plug-in runs it: exactly the listed pages or spreads in a real PDF
// with the preset, the UI flags and the document recorded; the progress bar handed to the
// preset moved by the export and left alone once destroyed; every failure leaving no file
// behind and the global error set.
#include <cerrno>
#include <functional>
#include <map>
#include <regex>
#include <set>

#include "CmdUtils.h"
#include "ExportTestSupport.h"
#include "FileCalls.h"
#include "FileUtils.h"
#include "IPageList.h"
#include "ISpreadList.h"
#include "PDFExportCommand.h"
#include "ProgressBars.h"
#include "RangeProgressBar.h"

namespace {

// The plug-in's steps: the preset's settings, with the progress bar handed to them, copied
// into the command; the output file; no UI; then the pages of `range`, or every spread when
// the preset asks for spreads.
ErrorCode Export(IDocument* document, const std::string& preset, const std::string& path, const std::string& range,
                 RangeProgressBar* bar = nullptr) {
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    InterfacePtr<IPDFExptStyleListMgr> presets(workspace.get(), IID_OF<IPDFExptStyleListMgr>());
    const UIDRef presetRef = presets->GetNthStyleRef(presets->GetStyleIndexByName(PMString(preset, PMString::kNoTranslate)));
    InterfacePtr<IPDFExportPrefs> presetPrefs(presetRef, IID_OF<IPDFExportPrefs>());
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
    if (!presetPrefs) return kFailure;
    if (bar) presetPrefs->SetProgressBar(bar);
    InterfacePtr<IPDFExportPrefs> prefs(command.get(), IID_OF<IPDFExportPrefs>());
    prefs->CopyPrefs(presetPrefs.get());
    InterfacePtr<ISysFileData>(command.get(), IID_OF<ISysFileData>())->Set(FileUtils::FromPosixPath(path));
    InterfacePtr<IUIFlagData>(command.get(), IID_OF<IUIFlagData>())->Set(0);

    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    UIDList items;
    EXPECT_EQ(pages->ParsePageRange(PMString(range, PMString::kNoTranslate), &items, 0), kSuccess) << range;
    if (prefs->GetExportReaderSpreads()) {
        InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
        items = UIDList(::GetDataBase(document));
        for (int32 i = 0; i < spreads->GetSpreadCount(); ++i) items.Append(spreads->GetNthSpreadUID(i));
    }
    InterfacePtr<IOutputPages> outputs(command.get(), IID_OF<IOutputPages>());
    outputs->SetDataBase(::GetDataBase(document));
    for (int32 i = 0; i < items.Length(); ++i) outputs->AppendOutputPageUIDRef(items.GetRef(i));
    return CmdUtils::ProcessCommand(command.get());
}

// What cairo 1.16 writes, uncompressed: each page's width in page order, and the document
// information strings, which it writes as literals when they are ASCII.
struct PdfFacts { bool readable = false; std::vector<double> pageWidths; std::map<std::string, std::string> info; };

PdfFacts InspectPdf(const std::string& path) {
    PdfFacts facts;
    const std::string pdf = tstest::ReadFile(path);
    if (pdf.rfind("%PDF-", 0) != 0 || pdf.find("%%EOF") == std::string::npos) return facts;
    facts.readable = true;
    static const std::regex page(R"(/Type /Page\b[^s][\s\S]*?/MediaBox \[ 0 0 ([0-9.]+) ([0-9.]+) \])");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), page); it != std::sregex_iterator(); ++it)
        facts.pageWidths.push_back(std::stod((*it)[1].str()));
    static const std::regex info(R"(/(Title|Subject|Keywords|Creator) \(((?:\\.|[^\\)])*)\))"), escape(R"(\\(.))");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), info); it != std::sregex_iterator(); ++it)
        facts.info[(*it)[1].str()] = std::regex_replace((*it)[2].str(), escape, "$1");
    return facts;
}

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

class PDFExportTest : public tstest::HostFixture {};

TEST_F(PDFExportTest, WritesExactlyTheListedPagesOrSpreadsWithTheSettingsRecorded) {
    std::string error;
    ASSERT_TRUE(Presets()->Add({"Spreads", true}, error)) << error;
    struct Case { int32 pages; const char* preset; const char* range; std::vector<double> widths; const char* keywords; };
    const Case cases[] = {
        {5, "[Press Quality]", "2, 4-5", {595, 595, 595}, "ui-flags=0; spreads=0; items=2,4,5"},
        {4, "Spreads", "1-4", {595, 1190, 595}, "ui-flags=0; spreads=1; items=1,2+3,4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        IDocument* document = NewDocument(c.pages);
        const std::string path = out + "/" + tshost::Documents::NameOf(document) + " (proof).pdf";
        ASSERT_EQ(Export(document, c.preset, path, c.range), kSuccess) << tshost::LastExportProblem();
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), kSuccess);
        PdfFacts pdf = InspectPdf(path);
        ASSERT_TRUE(pdf.readable);
        EXPECT_EQ(pdf.pageWidths, c.widths);
        EXPECT_EQ(pdf.info["Title"], tshost::Documents::NameOf(document));
        EXPECT_EQ(pdf.info["Subject"], c.preset);
        EXPECT_EQ(pdf.info["Keywords"], c.keywords);
    }
    EXPECT_EQ(FilesIn(out), (std::set<std::string>{"Untitled-1 (proof).pdf", "Untitled-2 (proof).pdf"}));
}

TEST_F(PDFExportTest, TheBarHandedToThePresetIsAdvancedThroughTheCopyAndThenLeftAlone) {
    IDocument* document = NewDocument(4);
    {
        RangeProgressBar bar(PMString("Generating", PMString::kNoTranslate), 0, 100, kTrue);
        bar.SetPosition(0);
        ASSERT_EQ(Export(document, "[High Quality Print]", out + "/a.pdf", "1-4", &bar), kSuccess);
    }
    const std::vector<tshost::ProgressRecord>& bars = tshost::ProgressLog::Get().Records();
    const std::size_t count = bars.size();
    EXPECT_EQ(bars.back().positions, (std::vector<int32>{0, 25, 50, 75, 100}));
    EXPECT_FALSE(bars.back().open);

    // The preset still names the bar destroyed above: the next export must leave it alone.
    ASSERT_NE(InterfacePtr<IPDFExportPrefs>(Presets()->GetNthStyleRef(0), IID_OF<IPDFExportPrefs>())->GetProgressBar(), nullptr);
    EXPECT_EQ(Export(document, "[High Quality Print]", out + "/b.pdf", "1"), kSuccess) << tshost::LastExportProblem();
    EXPECT_EQ(bars.size(), count);
    EXPECT_EQ(bars.back().positions, (std::vector<int32>{0, 25, 50, 75, 100}));
}

// Each case spoils one part of a sound export; nothing may be written, an existing file at
// the path must stay as it was, and ProcessCommand's result must be the global error code.
TEST_F(PDFExportTest, EveryFailureLeavesNoFileAndSetsTheGlobalError) {
    IDocument* document = NewDocument(3);
    IDocument* other = NewDocument(1);
    IDataBase* db = ::GetDataBase(document);
    auto firstPage = [](IDocument* d) { return UIDRef(::GetDataBase(d), InterfacePtr<IPageList>(d, IID_OF<IPageList>())->GetNthPageUID(0)); };
    const UIDRef page1 = firstPage(document), foreignPage = firstPage(other);
    const std::string existing = out + "/existing.pdf";
    tstest::WriteFile(existing, "earlier export");
    std::filesystem::create_directory(out + "/folder.pdf");

    struct Case {
        const char* name;
        std::string path;
        std::function<void(IOutputPages*)> items;
        ErrorCode expected;
        bool inject = false;    // an export failure
        bool failSync = false;  // the written file cannot be flushed to the disk
    };
    auto onePage = [&](IOutputPages* o) { o->SetDataBase(db); o->AppendOutputPageUIDRef(page1); };
    auto otherPage = [&](IOutputPages* o) { o->SetDataBase(foreignPage.GetDataBase()); o->AppendOutputPageUIDRef(foreignPage); };
    const std::string x = out + "/x.pdf";
    constexpr ErrorCode kBad = kInvalidParameterError;
    const Case cases[] = {
        {"injected", x, onePage, 7, true},
        {"flushing fails", existing, onePage, kFailure, false, true},
        {"missing folder", out + "/missing/x.pdf", onePage, kFailure},
        {"path is a folder", out + "/folder.pdf", onePage, kFailure},
        {"no file", "", onePage, kBad},
        {"no items", x, [&](IOutputPages* o) { o->SetDataBase(db); }, kBad},
        {"no database", x, [&](IOutputPages* o) { o->AppendOutputPageUIDRef(page1); }, kBad},
        {"page of another document", x, [&](IOutputPages* o) { onePage(o); o->AppendOutputPageUIDRef(foreignPage); }, kBad},
        {"not a page", x, [&](IOutputPages* o) { o->SetDataBase(db); o->AppendOutputPageUIDRef(UIDRef(db, db->GetRootUID())); }, kBad},
        {"book", x, [&](IOutputPages* o) { onePage(o); o->SetIsBook(kTrue); }, kBad},
        // The command outlives the document its items belong to.
        {"document closed", x, [&](IOutputPages* o) { otherPage(o); host->Docs().Close(other); }, kBad},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.inject) tshost::FailNextExports(1, c.expected);
        if (c.failSync)
            tshost::FileCalls::Get().sync = [](int) {
                errno = EIO;
                return -1;
            };
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
        if (!c.path.empty())
            InterfacePtr<ISysFileData>(command.get(), IID_OF<ISysFileData>())->Set(FileUtils::FromPosixPath(c.path));
        c.items(InterfacePtr<IOutputPages>(command.get(), IID_OF<IOutputPages>()).get());
        ErrorCode result = CmdUtils::ProcessCommand(command.get());
        tshost::FileCalls::Get() = tshost::FileCalls::System();
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(ErrorUtils::PMGetGlobalErrorCode(), result);
        EXPECT_FALSE(tshost::LastExportProblem().empty());
        EXPECT_EQ(FilesIn(out), (std::set<std::string>{"existing.pdf", "folder.pdf"}));
        EXPECT_EQ(tstest::ReadFile(existing), "earlier export");
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
    }
    EXPECT_EQ(tshost::PendingExportFailures(), 0);
    ASSERT_EQ(Export(document, "[Press Quality]", existing, "1-3"), kSuccess) << "a sound export replaces the file";
    EXPECT_EQ(InspectPdf(existing).pageWidths.size(), 3u);
    EXPECT_TRUE(tshost::LastExportProblem().empty());
}

}  // namespace
