// The PDF presets of the workspace (defaults, exact lookup, the reference for -1, edits and
// their refusals, restarts) and the spreads of documents (facing pages, saved with the
// document without making it modified); and every stream of them read back whole or cut.
#include "ExportTestSupport.h"
#include "IPageList.h"
#include "ISpreadList.h"
#include "MemoryStream.h"
#include "MetaData.h"
#include "PDFExportCommand.h"
#include "SpreadList.h"

namespace {

using PresetVec = std::vector<tshost::PresetSpec>;

class PresetsTest : public tstest::HostFixture {};

TEST_F(PresetsTest, ANewWorkspaceHasTheDefaultsAndLooksNamesUpExactly) {
    tshost::PDFPresetList* list = Presets();
    EXPECT_EQ(list->Presets(), tshost::DefaultPresets());
    struct Case { const char* name; int32 index; };
    const Case cases[] = {
        {"[High Quality Print]", 0}, {"[Press Quality]", 1}, {"[Smallest File Size]", 2},
        {"[high quality print]", -1}, {"[High Quality Print] ", -1}, {"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(list->GetStyleIndexByName(PMString(c.name, PMString::kNoTranslate)), c.index) << c.name;
    for (int32 index : {-1, 3, 1000}) {
        EXPECT_EQ(list->GetNthStyleRef(index), UIDRef::gNull) << index;
        EXPECT_TRUE(list->GetNthStyleName(index).IsEmpty());
    }
}

TEST_F(PresetsTest, TheListSurvivesRestartsRefusesBadEditsAndGetsTheDefaultsOnlyOnce) {
    Start();
    EXPECT_EQ(Presets()->Presets(), tshost::DefaultPresets()) << "a default list that was never used is still made";
    std::string error;
    const PresetVec mine{{"Proof", false}, {"Spreads", true}};
    ASSERT_TRUE(Presets()->Set(mine, error)) << error;
    EXPECT_FALSE(Presets()->Add({"Proof", false}, error));
    EXPECT_FALSE(Presets()->Add({"", false}, error));
    EXPECT_FALSE(Presets()->Add({std::string(tshost::kMaxPresetNameBytes + 1, 'p'), false}, error));
    EXPECT_FALSE(Presets()->Remove("proof", error));
    EXPECT_FALSE(Presets()->Set({{"A", false}, {"A", true}}, error));
    EXPECT_FALSE(Presets()->Set({{"A", false}, {"", true}}, error));
    tshost::FailNextExports(3);
    Start();
    EXPECT_EQ(Presets()->Presets(), mine) << "kept, and unchanged by the refused edits";
    EXPECT_EQ(tshost::PendingExportFailures(), 0) << "a new host starts without failures";
    ASSERT_TRUE(Presets()->Set({}, error));
    Start();
    EXPECT_EQ(Presets()->GetNumStyles(), 0) << "an emptied list stays empty";
    const std::string longest(tshost::kMaxPresetNameBytes, 'p');
    ASSERT_TRUE(Presets()->Add({longest, false}, error)) << error;
    ASSERT_TRUE(Presets()->Add({"[High Quality Print]", false}, error));
    ASSERT_TRUE(Presets()->Remove("[High Quality Print]", error));
    ASSERT_TRUE(Presets()->Add({"[High Quality Print]", true}, error));
    Start();
    EXPECT_EQ(Presets()->Presets(), (PresetVec{{longest, false}, {"[High Quality Print]", true}}));

    // A workspace whose object IDs are used up says so, and keeps its list.
    host.reset();
    ASSERT_EQ(tstest::Sql(dir / ".tessaron-host/workspace.db", "UPDATE meta SET value = 4294967295 WHERE key = 'next'"), "");
    Start();
    for (bool add : {true, false}) {
        EXPECT_FALSE(add ? Presets()->Add({"More", false}, error) : Presets()->Set({{"More", false}}, error));
        EXPECT_EQ(error, "the workspace has used up its object IDs: it can hold no further PDF preset");
    }
    EXPECT_EQ(Presets()->GetNumStyles(), 2);
}

// The pages of each spread of a document.
std::vector<std::vector<UID>> SpreadPages(IDocument* document) {
    InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
    std::vector<std::vector<UID>> result;
    for (int32 s = 0; s < spreads->GetSpreadCount(); ++s) {
        InterfacePtr<tshost::ISpreadData> data(::GetDataBase(document), spreads->GetNthSpreadUID(s), IID_OF<tshost::ISpreadData>());
        result.emplace_back();
        for (int32 p = 0; data && p < data->GetPageCount(); ++p) result.back().push_back(data->GetNthPageUID(p));
    }
    return result;
}

class SpreadsTest : public tstest::HostFixture {};

TEST_F(SpreadsTest, PageOneStandsAloneThenPagesPairUpInSpreadsSavedWithoutModifyingTheDocument) {
    IDocument* document = NewDocument(5);
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    auto page = [&](int32 i) { return pages->GetNthPageUID(i); };
    const std::vector<std::vector<UID>> expected{{page(0)}, {page(1), page(2)}, {page(3), page(4)}};
    pages.reset();
    EXPECT_EQ(SpreadPages(document), expected);
    EXPECT_FALSE(::GetDataBase(document)->IsModified());
    InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
    EXPECT_EQ(spreads->GetNthSpreadUID(-1), kInvalidUID);
    EXPECT_EQ(spreads->GetNthSpreadUID(3), kInvalidUID);
    const UID firstSpread = spreads->GetNthSpreadUID(0);
    spreads.reset();

    std::string error;
    ASSERT_TRUE(host->Docs().SaveAs(document, dir / "Spreads.indd", error)) << error;
    host->Docs().Close(document);
    IDocument* reopened = host->Docs().Open(dir / "Spreads.indd", error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(SpreadPages(reopened), expected) << "the same spread objects come back";
    EXPECT_EQ(InterfacePtr<ISpreadList>(reopened, IID_OF<ISpreadList>())->GetNthSpreadUID(0), firstSpread);
}

// Each persistent implementation: what it writes reads back to the same bytes, and every
// cut-short prefix reads into a failed stream, never a crash or a huge allocation.
template <class Impl>
void ExpectStreamsRoundTrip(const std::string& written) {
    for (std::size_t length = 0; length <= written.size(); ++length) {
        tshost::MemoryStream in(written.substr(0, length)), again;
        Impl impl(nullptr);
        impl.ReadWrite(&in, kInvalidImpl);
        EXPECT_EQ(in.IsGood(), length == written.size()) << "prefix " << length << " of " << written.size();
        if (length < written.size()) continue;
        impl.ReadWrite(&again, kInvalidImpl);
        EXPECT_EQ(again.Bytes(), written);
    }
}

std::string Int32s(std::initializer_list<int32> values) {
    tshost::MemoryStream out;
    for (int32 v : values) out.XferInt32(v);
    return out.TakeBytes();
}

TEST(ExportStreamsTest, EachStreamReadsBackWholeAndFailsWhenCut) {
    ExpectStreamsRoundTrip<tshost::SpreadList>(Int32s({1, 3, 7, 8, 9}));
    ExpectStreamsRoundTrip<tshost::SpreadData>(Int32s({2, 4, 5}));
    ExpectStreamsRoundTrip<tshost::PDFPresetList>(Int32s({1, 2, 11, 12}));
    // Metadata keeps what it cannot read aside instead: no byte of it is lost.
    const std::string metadata = Int32s({3}) + "<x>";
    for (std::size_t length = 0; length <= metadata.size(); ++length) {
        tshost::MemoryStream in(metadata.substr(0, length));
        tshost::MetaDataAccess access(nullptr);
        access.ReadWrite(&in, kInvalidImpl);
        EXPECT_TRUE(in.IsGood());
        EXPECT_EQ(access.Packet(), length == metadata.size() ? "<x>" : "") << length;
        const std::vector<std::string> aside = length == 0 || length == metadata.size()
                                                   ? std::vector<std::string>()
                                                   : std::vector<std::string>{metadata.substr(0, length)};
        EXPECT_EQ(access.SetAside(), aside) << length;
    }
    tshost::MemoryStream prefs;
    int32 format = 1;
    prefs.XferInt32(format);
    PMString name("[Press Quality]", PMString::kNoTranslate);
    name.ReadWrite(&prefs);
    bool16 spreads = kTrue;
    prefs.XferBool(spreads);
    ExpectStreamsRoundTrip<tshost::PDFExportPrefs>(prefs.TakeBytes());
}

TEST(ExportStreamsTest, DamagedCountsAreRefusedWithoutAllocating) {
    for (const std::string& bytes : {Int32s({1, -1}), Int32s({1, 0x7fffffff}), Int32s({9, 0})}) {
        tshost::MemoryStream spreads(bytes), presets(bytes);
        tshost::SpreadList(nullptr).ReadWrite(&spreads, kInvalidImpl);
        tshost::PDFPresetList(nullptr).ReadWrite(&presets, kInvalidImpl);
        EXPECT_FALSE(spreads.IsGood());
        EXPECT_FALSE(presets.IsGood());
    }
    tshost::MemoryStream metadata(Int32s({0x7fffffff}));
    tshost::MetaDataAccess access(nullptr);
    access.ReadWrite(&metadata, kInvalidImpl);
    EXPECT_TRUE(access.Packet().empty());
    EXPECT_EQ(access.SetAside(), std::vector<std::string>{Int32s({0x7fffffff})});
}

}  // namespace
