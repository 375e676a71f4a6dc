#include "SendTestSupport.h"

#include "ActionMgr.h"
#include "Alerts.h"
#include "Dialogs.h"
#include "Documents.h"
#include "Events.h"
#include "IControlView.h"
#include "IDropDownListController.h"
#include "IPanelControlData.h"
#include "IPanelMgr.h"
#include "IStringListControlData.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "IWindow.h"
#include "IdleScheduler.h"
#include "InterfacePtr.h"
#include "MetaData.h"
#include "Panels.h"
#include "TSActiveMapper.h"
#include "TSID.h"
#include "TSIdleTask.h"
#include "TSSendDialogIDs.h"
#include "TSUploadGlobals.h"
#include "TreeView.h"
#include "UtilsBoss.h"
#include "Widgets.h"
#include "platform/HfsPath.h"

void SendTest::SetUp() {
    PluginHostFixture::SetUp();
    ASSERT_TRUE(fServer.Running());
    tshost::AlertLog::Get().Clear();
}

void SendTest::TearDown() {
    WaitForUpload();
    PluginHostFixture::TearDown();
}

StoredPrefs SendTest::Prefs(const std::string& sendTo, const std::string& folder) const {
    const std::string path = folder.empty() ? "" : HostPath(folder);
    return {"demo", "demo", sendTo, fServer.Url(), sendTo == "Folder" ? path : "", sendTo == "Folder" ? "" : path, "Approved",
            "[Press Quality]"};
}

bool SendTest::SelectProject(std::initializer_list<const char*> path, const char* name) {
    InterfacePtr<IPanelMgr> panels(UtilsBoss::QueryUtils<IPanelMgr>());
    if (!panels || !panels->IsPanelWithWidgetIDShown(kTSPanelWidgetID)) {
        if (!panels || panels->ShowPanelByWidgetID(kTSPanelWidgetID) != 0) return false;
    }
    for (tshost::TreeView* tree : tshost::TreeView::Live()) {
        bool found = true;
        for (const char* group : path) {
            const int32 row = tree->RowNamed(group);
            if (row < 0) {
                found = false;
                break;
            }
            tree->Expand(tree->Rows()[static_cast<std::size_t>(row)].node);
        }
        const int32 row = found ? tree->RowNamed(name) : -1;
        if (row < 0) continue;
        return tree->SelectOnly(tree->Rows()[static_cast<std::size_t>(row)].node, true) == 0;
    }
    return false;
}

void SendTest::HidePanel() {
    InterfacePtr<IPanelMgr> panels(UtilsBoss::QueryUtils<IPanelMgr>());
    if (panels) panels->HidePanelByWidgetID(kTSPanelWidgetID);
}

bool SendTest::ActionEnabled(ActionID action) {
    tshost::ActionMgr* actions = tshost::ActionMgr::Current();
    return actions && actions->IsEnabled(action);
}

IDialog* SendTest::OpenSendDialog() {
    tshost::ActionMgr* actions = tshost::ActionMgr::Current();
    tshost::DialogMgr* dialogs = tshost::DialogMgr::Current();
    if (!actions || !dialogs) return nullptr;
    actions->PerformAction(fHost->ActiveContext(), kTSSendActionID);
    fDialog = dialogs->FrontDialog();
    return fDialog;
}

namespace {

IControlView* Widget(IDialog* dialog, WidgetID widget) { return dialog ? tshost::FindWidgetFrom(dialog, widget) : nullptr; }

}  // namespace

std::string SendTest::Text(WidgetID widget) {
    InterfacePtr<ITextControlData> text(Widget(fDialog, widget), IID_OF<ITextControlData>());
    return text ? text->GetString().GetUTF8String() : "<none>";
}

void SendTest::SetText(WidgetID widget, const std::string& value) {
    InterfacePtr<ITextControlData> text(Widget(fDialog, widget), IID_OF<ITextControlData>());
    ASSERT_TRUE(text);
    text->SetString(PMString(value, PMString::kNoTranslate));
}

void SendTest::Type(WidgetID widget, const std::string& value) {
    IControlView* view = Widget(fDialog, widget);
    ASSERT_TRUE(view);
    tshost::TypeText(view, value);
}

void SendTest::Click(WidgetID widget) {
    IControlView* view = Widget(fDialog, widget);
    ASSERT_TRUE(view);
    tshost::Click(view);
}

WidgetID SendTest::SelectedRadio() {
    for (WidgetID radio : {kTSAllPagesRadioWidgetID, kTSPageRangeRadioWidgetID}) {
        InterfacePtr<ITriStateControlData> state(Widget(fDialog, radio), IID_OF<ITriStateControlData>());
        if (state && state->IsSelected()) return radio;
    }
    return kInvalidWidgetID;
}

bool SendTest::IsShown(WidgetID widget) {
    IControlView* view = Widget(fDialog, widget);
    return view && view->IsVisible(kFalse);
}

PMRect SendTest::Frame(WidgetID widget) {
    IControlView* view = widget == kTSSendDialogWidgetID && fDialog ? fDialog->GetDialogPanel() : Widget(fDialog, widget);
    return view ? view->GetFrame() : PMRect();
}

std::vector<std::string> SendTest::DropDownItems(WidgetID widget) {
    IControlView* view = Widget(fDialog, widget);
    InterfacePtr<IStringListControlData> list(view, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> selection(view, IID_OF<IDropDownListController>());
    std::vector<std::string> items;
    if (!list || !selection) return items;
    for (int32 i = 0; i < list->Length(); ++i)
        items.push_back((i == selection->GetSelected() ? "*" : "") + list->GetString(i).GetUTF8String());
    return items;
}

std::string SendTest::Title() {
    InterfacePtr<IWindow> window(fDialog, IID_OF<IWindow>());
    return window ? window->GetTitle().GetUTF8String() : "<none>";
}

bool SendTest::PressOK() {
    std::string error;
    EXPECT_TRUE(tshost::PressDialogButton(fDialog, kOKButtonWidgetID, error)) << error;
    return !fDialog->IsOpen();
}

std::vector<std::string> SendTest::TakeAlerts() {
    std::vector<std::string> out;
    for (const tshost::AlertRecord& r : tshost::AlertLog::Get().Records())
        out.push_back(std::string(tshost::AlertKindName(r.kind)) + ": " + r.text);
    tshost::AlertLog::Get().Clear();
    return out;
}

void SendTest::WaitForUpload() {
    EXPECT_TRUE(TSIdleTask::WaitForUpload(std::chrono::seconds(60)));
    RunIdle(30);
}

void SendTest::RunIdle(int64 ms) { tshost::IdleScheduler::Get().Idle(ms); }

std::string SendTest::HostPath(const std::string& posixPath) {
    std::string out;
    tsplatform::PosixToHfs(posixPath, out);
    return out;
}

namespace {

struct LineReader final : tshost::DocumentObserver {
    explicit LineReader(const std::string& prefix) : prefix(prefix) {}
    void DocumentClosing(IDocument* document) override {
        seen = true;
        const auto items = tshost::ReadMetadataArray(document, "http://ns.tessaron.com/xmp/tracking/1.0/", "tracking:demo");
        for (const std::string& item : items.value_or(std::vector<std::string>()))
            if (item.rfind(prefix, 0) == 0) lines.push_back(item);
    }
    std::string prefix;
    bool seen = false;
    std::vector<std::string> lines;
};

}  // namespace

std::vector<std::string> SendTest::CloseAndReadLines(IDocument* doc, const std::string& prefix, bool quit) {
    LineReader reader(prefix);
    fHost->Docs().AddObserver(&reader);
    if (quit) {
        // The documents go with the host, and the reader with them.
        Quit();
    } else {
        fHost->Docs().Close(doc);
        fHost->Docs().RemoveObserver(&reader);
    }
    EXPECT_TRUE(reader.seen);
    return reader.lines;
}

std::string SendTest::SendLine(const std::string& method, int32 start) {
    TSActiveMapper* mapper = TSActiveMapper::TSActiveMapperFactory();
    PMString line("<send_to_tessaron_at method=\"" + method + "\">", PMString::kNoTranslate);
    mapper->DateConversion(line);
    line.Append(" ");
    mapper->TimeConversion(mapper->TimeOfDay(start), line);
    line.Append("</send_to_tessaron_at>");
    return line.GetUTF8String();
}
