// The PDF presets of the workspace (defaults, exact lookup, the reference for -1, edits and
// their refusals, restarts) and the spreads of documents (facing pages, saved with the
// document without making it modified); and every stream of them read back whole or cut.
#include <filesystem>

#include "ExportTestSupport.h"
#include "MemoryStream.h"
#include "MetaData.h"
#include "SpreadList.h"

namespace {

using tshost::PresetSpec;
using PresetVec = std::vector<PresetSpec>;

class PresetsTest : public tstest::HostFixture {};

TEST_F(PresetsTest, ANewWorkspaceHasTheDefaultsAndLooksNamesUpExactly) {
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    InterfacePtr<IPDFExptStyleListMgr> list(workspace.get(), IID_OF<IPDFExptStyleListMgr>());
    ASSERT_TRUE(list);
    EXPECT_EQ(Presets()->Presets(), tshost::DefaultPresets());
    struct Case { const char* name; int32 index; };
    const Case cases[] = {
        {"[High Quality Print]", 0}, {"[Press Quality]", 1}, {"[Smallest File Size]", 2},
        {"[high quality print]", -1}, {"[High Quality Print] ", -1}, {"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(list->GetStyleIndexByName(PMString(c.name, PMString::kNoTranslate)), c.index) << c.name;
    for (int32 index : {-1, 3, 1000}) {
        EXPECT_EQ(list->GetNthStyleRef(index).GetDataBase(), nullptr) << index;
        EXPECT_TRUE(list->GetNthStyleName(index).IsEmpty());
    }
    UIDRef second = list->GetNthStyleRef(1);
    EXPECT_EQ(second.GetDataBase(), host->Workspace());
    InterfacePtr<IPDFExportPrefs> prefs(second, IID_OF<IPDFExportPrefs>());
    ASSERT_TRUE(prefs);
    EXPECT_EQ(prefs->GetPresetName().GetUTF8String(), "[Press Quality]");
    EXPECT_FALSE(prefs->GetPresetName().GetTranslatable());
}

TEST_F(PresetsTest, BadEditsAreRefusedAndChangeNothing) {
    tshost::PDFPresetList* list = Presets();
    std::string error;
    ASSERT_TRUE(list->Add({"Mine", true}, error)) << error;
    const PresetVec before = list->Presets();
    const std::string tooLong(tshost::kMaxPresetNameBytes + 1, 'p');
    EXPECT_FALSE(list->Add({"Mine", false}, error));
    EXPECT_FALSE(list->Add({"", false}, error));
    EXPECT_FALSE(list->Add({tooLong, false}, error));
    EXPECT_FALSE(list->Remove("mine", error));
    EXPECT_FALSE(list->Set({{"A", false}, {"A", true}}, error));
    EXPECT_FALSE(list->Set({{"A", false}, {"", true}}, error));
    EXPECT_EQ(list->Presets(), before);
    EXPECT_TRUE(list->Add({std::string(tshost::kMaxPresetNameBytes, 'p'), false}, error)) << error;
}

TEST_F(PresetsTest, TheListSurvivesARestartWithAndWithoutTheFallback) {
    std::string error;
    const PresetVec mine{{"Proof", false}, {"Spreads", true}};
    ASSERT_TRUE(Presets()->Set(mine, error)) << error;
    Restart();
    EXPECT_EQ(Presets()->Presets(), mine);
    EXPECT_EQ(Presets()->GetStyleIndexByName(PMString("[High Quality Print]")), -1);
    ASSERT_TRUE(Presets()->Set({}, error));
    Restart();
    EXPECT_EQ(Presets()->GetNumStyles(), 0) << "an emptied list stays empty: the defaults come only once";
    ASSERT_TRUE(Presets()->Add({"[High Quality Print]", false}, error));
    ASSERT_TRUE(Presets()->Remove("[High Quality Print]", error));
    ASSERT_TRUE(Presets()->Add({"[High Quality Print]", true}, error));
    Restart();
    EXPECT_EQ(Presets()->Presets(), (PresetVec{{"[High Quality Print]", true}}));
}

TEST_F(PresetsTest, ADefaultListThatWasNeverUsedIsStillMadeAfterARestart) {
    Restart();
    EXPECT_EQ(Presets()->Presets(), tshost::DefaultPresets());
    Restart();
    EXPECT_EQ(Presets()->Presets(), tshost::DefaultPresets());
    EXPECT_EQ(Presets()->GetNthStyleRef(0), Presets()->GetNthStyleRef(0));
}

TEST(FacingSpreadsTest, PageOneStandsAloneThenPagesPairUp) {
    using Spreads = std::vector<std::vector<int32>>;
    EXPECT_EQ(tshost::FacingSpreads(0), Spreads{});
    EXPECT_EQ(tshost::FacingSpreads(1), (Spreads{{0}}));
    EXPECT_EQ(tshost::FacingSpreads(2), (Spreads{{0}, {1}}));
    EXPECT_EQ(tshost::FacingSpreads(3), (Spreads{{0}, {1, 2}}));
    EXPECT_EQ(tshost::FacingSpreads(6), (Spreads{{0}, {1, 2}, {3, 4}, {5}}));
}

class SpreadsTest : public tstest::HostFixture {
protected:
    std::vector<std::vector<UID>> SpreadPages(IDocument* document) {
        InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
        std::vector<std::vector<UID>> result;
        for (int32 s = 0; spreads && s < spreads->GetSpreadCount(); ++s) {
            InterfacePtr<tshost::ISpreadData> data(::GetDataBase(document), spreads->GetNthSpreadUID(s), IID_OF<tshost::ISpreadData>());
            result.emplace_back();
            for (int32 p = 0; data && p < data->GetPageCount(); ++p) result.back().push_back(data->GetNthPageUID(p));
        }
        return result;
    }
};

TEST_F(SpreadsTest, SpreadsHoldThePagesAndAreSavedWithoutModifyingTheDocument) {
    IDocument* document = NewDocument(5);
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    auto page = [&](int32 i) { return pages->GetNthPageUID(i); };
    const std::vector<std::vector<UID>> expected{{page(0)}, {page(1), page(2)}, {page(3), page(4)}};
    EXPECT_EQ(SpreadPages(document), expected);
    EXPECT_FALSE(::GetDataBase(document)->IsModified());
    InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
    EXPECT_EQ(spreads->GetNthSpreadUID(-1), kInvalidUID);
    EXPECT_EQ(spreads->GetNthSpreadUID(3), kInvalidUID);
    const UID firstSpread = spreads->GetNthSpreadUID(0);
    spreads.reset();
    pages.reset();

    std::string error;
    const std::string path = dir / "Spreads.indd";
    ASSERT_TRUE(host->Docs().SaveAs(document, path, error)) << error;
    host->Docs().Close(document);
    IDocument* reopened = host->Docs().Open(path, error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(SpreadPages(reopened), expected) << "the same spread objects come back";
    EXPECT_EQ(InterfacePtr<ISpreadList>(reopened, IID_OF<ISpreadList>())->GetNthSpreadUID(0), firstSpread);
}

// Each persistent implementation: what it writes reads back to the same bytes, and every
// cut-short prefix reads into a failed stream, never a crash or a huge allocation.
template <class Impl>
void ExpectStreamsRoundTrip(const std::string& written) {
    for (std::size_t length = 0; length <= written.size(); ++length) {
        tshost::MemoryStream in(written.substr(0, length));
        Impl impl(nullptr);
        impl.ReadWrite(&in, kInvalidImpl);
        if (length == written.size()) {
            ASSERT_TRUE(in.IsGood());
            tshost::MemoryStream again;
            impl.ReadWrite(&again, kInvalidImpl);
            EXPECT_EQ(again.Bytes(), written);
        } else {
            EXPECT_FALSE(in.IsGood()) << "prefix " << length << " of " << written.size();
        }
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
    ExpectStreamsRoundTrip<tshost::MetaDataAccess>(Int32s({3}) + "<x>");
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
    const std::string damaged[] = {Int32s({1, -1}), Int32s({1, 0x7fffffff}), Int32s({9, 0})};
    for (const std::string& bytes : damaged) {
        tshost::MemoryStream spreads(bytes), presets(bytes), metadata(Int32s({0x7fffffff}));
        tshost::SpreadList spreadList(nullptr);
        spreadList.ReadWrite(&spreads, kInvalidImpl);
        tshost::PDFPresetList presetList(nullptr);
        presetList.ReadWrite(&presets, kInvalidImpl);
        tshost::MetaDataAccess access(nullptr);
        access.ReadWrite(&metadata, kInvalidImpl);
        EXPECT_FALSE(spreads.IsGood());
        EXPECT_FALSE(presets.IsGood());
        EXPECT_FALSE(metadata.IsGood());
        EXPECT_TRUE(access.Packet().empty());
    }
}

}  // namespace
