// A host running the plug-in, with its Preferences page opened the way a user does: the
// stored preferences set beforehand through the plug-in's own command, the page's widgets
// reached by ID, radios clicked, buttons pressed and the dialog confirmed through the host.
// The settings folder is the fixture's home's; alerts and folder-dialog answers are the
// host's logs, cleared before each test. Tests only: the test's main thread.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "Alerts.h"
#include "Dialogs.h"
#include "FolderDialog.h"
#include "IControlView.h"
#include "IDropDownListController.h"
#include "ISession.h"
#include "IStringListControlData.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "IWorkspace.h"
#include "PluginHostFixture.h"
#include "Preferences.h"
#include "TSConnection.h"
#include "TSPanelUtils.h"
#include "TSPrefsIDs.h"
#include "Transcript.h"
#include "Widgets.h"

class PrefsPageFixture : public PluginHostFixture {
protected:
    void SetUp() override {
        PluginHostFixture::SetUp();
        tshost::SetTranscriptSink([](std::string_view) {});
        tshost::AlertLog::Get().Clear();
        tshost::FolderDialogScript::Get().Clear();
        g_ServerDetailChanged = kFalse;
        TSConnection::SetTimeOuts(std::chrono::seconds(2), std::chrono::seconds(5));
    }
    void TearDown() override {
        Cancel();
        TSConnection::ResetTimeOuts();
        PluginHostFixture::TearDown();
    }

    // Puts a project list ("sample": the sample one) into the cache the page reads its
    // statuses from; "" empties the cache.
    static void CacheProjects(const std::string& xml) {
        const std::filesystem::path folder(TSPanelUtils::GetTessaronFolderPath().GetUTF8String());
        std::filesystem::create_directories(folder);
        std::filesystem::remove(folder / "projects.xml");
        if (xml == "sample") std::filesystem::copy_file(TS_SOURCE_DIR "/samples/projects.xml", folder / "projects.xml");
        else if (!xml.empty()) tstest::WriteFile(folder / "projects.xml", xml);
    }

    void Open(const StoredPrefs& stored) { Store(stored); Open(); }
    void Open() {
        std::string error;
        fDialog = tshost::OpenPreferences(kTSPrefsPanelWidgetID, error);
        ASSERT_TRUE(fDialog) << error;
    }
    void Cancel() {
        if (fDialog && fDialog->IsOpen()) fDialog->Close(kTrue);
        fDialog = nullptr;
    }
    // A button as the user presses it, OK by default; for OK, true when the dialog closed.
    bool Press(WidgetID button = WidgetID(0x602)) {
        std::string error;
        EXPECT_TRUE(tshost::PressDialogButton(fDialog, button, error)) << error;
        return !fDialog->IsOpen();
    }

    IControlView* Widget(WidgetID id) const { return tshost::FindWidgetFrom(fDialog, id); }
    template <class I> InterfacePtr<I> Get(WidgetID id) const { return InterfacePtr<I>(Widget(id), IID_OF<I>()); }
    std::string Text(WidgetID id) const { return Get<ITextControlData>(id)->GetString().GetUTF8String(); }
    void SetText(WidgetID id, const std::string& value) {
        Get<ITextControlData>(id)->SetString(PMString(value, PMString::kNoTranslate));
    }
    // Clicks a radio as the user does: it is selected and tells its observers.
    void Click(WidgetID radio) { Get<ITriStateControlData>(radio)->Select(kTrue, kTrue); }
    bool IsOn(WidgetID radio) const { return Get<ITriStateControlData>(radio)->GetState() == ITriStateControlData::kSelected; }
    bool Shown(WidgetID id) const { return Widget(id) && Widget(id)->IsVisible(kFalse); }
    PMRect Frame(WidgetID id) const { return Widget(id) ? Widget(id)->GetFrame() : PMRect(); }

    std::vector<std::string> Entries(WidgetID id) const {
        auto list = Get<IStringListControlData>(id);
        std::vector<std::string> out;
        for (int32 i = 0; list && i < list->Length(); ++i) out.push_back(list->GetString(i).GetUTF8String());
        return out;
    }
    int32 Selected(WidgetID id) const { return Get<IDropDownListController>(id)->GetSelected(); }
    static const std::vector<tshost::AlertRecord>& Alerts() { return tshost::AlertLog::Get().Records(); }

    IDialog* fDialog = nullptr;  // the host's dialog manager owns it
};
