// The Preferences page without a server: what it shows when it opens, how it lays itself out
// for each send-to target, how switching targets and Browse change it, and that a closed page
// hears nothing more. The prefs_page scenario shows the same page through the console.
#include <gtest/gtest.h>

#include <tuple>

#include "ISubject.h"
#include "PDFPresets.h"
#include "PrefsPageFixture.h"
#include "WidgetIDs.h"

namespace {

constexpr const char* kFolder = "Macintosh HD:Users:ana:PDF";
constexpr const char* kHotFolder = "Macintosh HD:Volumes:ids:hot";
constexpr WidgetID kServer = kTSPrefsServerRadioWidgetID, kToFolder = kTSPrefsFolderRadioWidgetID,
                   kIDServer = kTSPrefsIDServerRadioWidgetID;

StoredPrefs WithTarget(const std::string& sendTo, const std::string& status = "Proof",
                       const std::string& preset = "[Press Quality]") {
    return {"ana", "secret", sendTo, "http://proof.example", kFolder, kHotFolder, status, preset};
}

// Which rows a target shows, and where the groups and the two drop-down rows sit. The
// resource's frames differ from every layout, so matching one shows that the layout ran.
struct Layout {
    bool pathRow, statusRow;
    PMReal upperBottom, lowerTop, lowerBottom, statusTop, presetTop;
};
const Layout kServerLayout{false, true, 70, 100, 190, 20, 50};
const Layout kFolderLayout{true, false, 105, 135, 195, 0, 20};
const Layout kIDServerLayout{true, true, 105, 135, 225, 20, 50};

class PrefsPageTest : public PrefsPageFixture {
protected:
    void ExpectPage(WidgetID radioOn, const std::string& path, const Layout& l) const {
        for (WidgetID radio : {kServer, kToFolder, kIDServer}) EXPECT_EQ(IsOn(radio), radio == radioOn) << radio.Get();
        EXPECT_EQ(Text(kTSPrefsPathWidgetID), path);
        for (WidgetID id : {kTSPrefsPathLabelWidgetID, kTSPrefsPathWidgetID, kTSPrefsBrowseButtonWidgetID})
            EXPECT_EQ(Shown(id), l.pathRow) << id.Get();
        for (WidgetID id : {kTSPrefsStatusLabelWidgetID, kTSPrefsStatusWidgetID}) EXPECT_EQ(Shown(id), l.statusRow);
        EXPECT_EQ(Frame(kTSPrefsUpperGroupWidgetID), PMRect(10, 10, 610, l.upperBottom));
        EXPECT_EQ(Frame(kTSPrefsLowerGroupWidgetID), PMRect(10, l.lowerTop, 610, l.lowerBottom));
        if (l.statusRow) {  // a hidden row keeps whatever frame it had
            EXPECT_EQ(Frame(kTSPrefsStatusLabelWidgetID), PMRect(10, l.statusTop, 100, l.statusTop + 20));
            EXPECT_EQ(Frame(kTSPrefsStatusWidgetID), PMRect(105, l.statusTop, 400, l.statusTop + 20));
        }
        EXPECT_EQ(Frame(kTSPrefsPresetLabelWidgetID), PMRect(10, l.presetTop, 100, l.presetTop + 20));
        EXPECT_EQ(Frame(kTSPrefsPresetWidgetID), PMRect(105, l.presetTop, 400, l.presetTop + 20));
    }
};

// Per stored target the page turns its radio on (none for a target it does not know, which
// keeps the resource's rows), fills the path box and lays itself out. The drop-downs list
// every status of the cached project list and every preset, and select the last entry named
// exactly as stored, else the first; with nothing to list, nothing is selected.
TEST_F(PrefsPageTest, OpensOnTheStoredPreferences) {
    const std::vector<std::string> sample = {"Draft", "For Review", "Corrections", "Legal Check", "Proof", "Approved"};
    const std::vector<std::string> presets = {"[High Quality Print]", "[Press Quality]", "[Smallest File Size]"};
    const std::string twoDrafts = "<tessaron authenticated=\"1\" type=\"TESSARON_UPDATE\"><statuscodes>"
                                  "<statuscode id=\"1\" name=\"Draft\"/><statuscode id=\"2\" name=\"Proof\"/>"
                                  "<statuscode id=\"3\" name=\"Draft\"/></statuscodes></tessaron>";
    constexpr int32 kNone = IDropDownListController::kNoSelection;
    const struct {
        const char* sendTo;
        WidgetID radio;
        const char* path;
        Layout layout;
        std::string cache;  // for CacheProjects; "": no presets either
        std::string status, preset;
        std::vector<std::string> statuses;
        int32 statusChosen, presetChosen;
    } cases[] = {
        {"Tessaron", kServer, "", kServerLayout, "sample", "Proof", "[Press Quality]", sample, 4, 1},
        {"Folder", kToFolder, kFolder, kFolderLayout, "sample", "proof", "[press quality]", sample, 0, 0},
        {"InDesign Server", kIDServer, kHotFolder, kIDServerLayout, twoDrafts, "Draft", "[Smallest File Size]",
         {"Draft", "Proof", "Draft"}, 2, 2},
        {"folder", kInvalidWidgetID, "", kIDServerLayout, "", "Proof", "[Press Quality]", {}, kNone, kNone},
        {"Tessaron", kServer, "", kServerLayout, "<tessaron", "Proof", "", {}, kNone, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sendTo) + " " + c.status + " " + c.preset);
        CacheProjects(c.cache);
        std::vector<tshost::PresetSpec> specs;
        for (const std::string& name : presets) specs.push_back(tshost::PresetSpec{.name = name});
        if (c.cache.empty()) specs.clear();
        std::string error;
        ASSERT_TRUE(tshost::PDFPresetList::Of(InterfacePtr<IWorkspace>(gSession->QueryWorkspace()).get())->Set(specs, error));
        Open(WithTarget(c.sendTo, c.status, c.preset));
        ExpectPage(c.radio, c.path, c.layout);
        EXPECT_EQ(Entries(kTSPrefsStatusWidgetID), c.statuses);
        EXPECT_EQ(Selected(kTSPrefsStatusWidgetID), c.statusChosen);
        EXPECT_EQ(Entries(kTSPrefsPresetWidgetID), c.cache.empty() ? std::vector<std::string>{} : presets);
        EXPECT_EQ(Selected(kTSPrefsPresetWidgetID), c.presetChosen);
        Cancel();
    }
    EXPECT_EQ(Alerts().size(), 1u) << "only the unreadable list's own error";
}

// Switching the target refills the path box from the stored folders, so a typed path is
// dropped; the server hides the path row and keeps its text. Browse takes the host's text of
// exactly one chosen folder, and nothing is stored. Once the dialog has closed, the page's
// widgets no longer reach its observer.
TEST_F(PrefsPageTest, SwitchingAndBrowsingChangeOnlyThePageUntilItCloses) {
    Open(WithTarget("Folder"));
    SetText(kTSPrefsPathWidgetID, "Macintosh HD:typed");
    const std::tuple<WidgetID, const char*, Layout> steps[] = {
        {kIDServer, kHotFolder, kIDServerLayout}, {kToFolder, kFolder, kFolderLayout},
        {kServer, kFolder, kServerLayout},        {kIDServer, kHotFolder, kIDServerLayout}};
    for (const auto& [radio, path, layout] : steps) {
        SCOPED_TRACE(radio.Get());
        Click(radio);
        ExpectPage(radio, path, layout);
    }
    const std::pair<tshost::FolderAnswer, const char*> answers[] = {
        {{true, {}}, kHotFolder},
        {{false, {"/tmp/a", "/tmp/b"}}, kHotFolder},
        {{false, {"/tmp/proofs"}}, "Macintosh HD:tmp:proofs"}};
    for (const auto& [answer, path] : answers) {
        tshost::FolderDialogScript::Get().Queue(answer);
        Press(kTSPrefsBrowseButtonWidgetID);
        EXPECT_EQ(Text(kTSPrefsPathWidgetID), path);
    }

    const std::pair<WidgetID, PMIID> heard[] = {{kServer, IID_ITRISTATECONTROLDATA}, {kToFolder, IID_ITRISTATECONTROLDATA},
                                                {kIDServer, IID_ITRISTATECONTROLDATA},
                                                {kTSPrefsBrowseButtonWidgetID, IID_IBOOLEANCONTROLDATA}};
    std::vector<InterfacePtr<ISubject>> subjects;
    for (const auto& [id, iid] : heard) subjects.push_back(Get<ISubject>(id));
    InterfacePtr<ITextControlData> path = Get<ITextControlData>(kTSPrefsPathWidgetID);
    InterfacePtr<ITriStateControlData> folder = Get<ITriStateControlData>(kToFolder);
    for (int observers : {1, 0}) {
        for (std::size_t i = 0; i < subjects.size(); ++i)
            EXPECT_EQ(subjects[i]->CountObservers(heard[i].second), observers) << heard[i].first.Get();
        Cancel();
    }
    folder->Select(kTrue, kTrue);
    EXPECT_EQ(path->GetString().GetUTF8String(), "Macintosh HD:tmp:proofs");
    EXPECT_EQ(Stored(), WithTarget("Folder"));
}

}  // namespace
