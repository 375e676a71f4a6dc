// Console commands for panels, dialogs and their widgets: show, hide, render and resize a
// panel; open, render, answer a dialog; set, type into, choose in and press widgets; read a
// widget's tip; send a raw event; open Preferences; script the folder chooser.
// A widget is named by its ID ("0x61012" or decimal) and looked up in the front dialog while
// one is open (a modal dialog leaves nothing else reachable, as for a user), else in the
// shown panels in showing order.
#include <cstdio>

#include "ConsoleCommands.h"
#include "Dialogs.h"
#include "Events.h"
#include "FolderDialog.h"
#include "Host.h"
#include "IControlView.h"
#include "IDropDownListController.h"
#include "IStringListControlData.h"
#include "ITextControlData.h"
#include "ITip.h"
#include "ITriStateControlData.h"
#include "InterfacePtr.h"
#include "Panels.h"
#include "Preferences.h"
#include "Render.h"
#include "Transcript.h"
#include "WidgetIDs.h"
#include "Widgets.h"
#include "HexText.h"

namespace tshost {

namespace {

bool ParseID(const std::string& text, uint32& id, std::string& error) {
    std::optional<uint32> parsed = ParseResourceIDText(text);
    if (!parsed) {
        error = "'" + text + "' is no ID: \"0x\" and hex digits, or a decimal number, not 0";
        return false;
    }
    id = *parsed;
    return true;
}

std::string Rest(const ConsoleArgs& args, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < args.words.size(); ++i) text += (i > from ? " " : "") + args.words[i];
    return text;
}

void ShowLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) Show(line);
}

// The widget a command names, not counted; null with `error`.
IControlView* Target(const std::string& text, std::string& error) {
    uint32 id = 0;
    if (!ParseID(text, id, error)) return nullptr;
    DialogMgr* dialogs = DialogMgr::Current();
    if (IDialog* front = dialogs ? dialogs->FrontDialog() : nullptr) {
        if (IControlView* found = FindWidgetFrom(front, WidgetID(id))) return found;
        auto* window = dynamic_cast<DialogWindow*>(front);
        if (window && window->IsModal()) {
            error = "the dialog \"" + window->ShownTitle() + "\" has no widget " + Hex(id);
            return nullptr;
        }
    }
    if (PanelMgrState* panels = PanelMgrState::Current())
        for (IPMUnknown* panel : panels->ShownPanels())
            if (IControlView* found = FindWidgetFrom(panel, WidgetID(id))) return found;
    error = "no open dialog or shown panel has widget " + Hex(id);
    return nullptr;
}

bool Reachable(IControlView* view, const std::string& what, std::string& error) {
    if (!view->IsVisible(kTrue)) error = what + " " + Hex(view->GetWidgetID().Get()) + " is hidden";
    else if (!view->IsEnabled()) error = what + " " + Hex(view->GetWidgetID().Get()) + " is disabled";
    else return true;
    return false;
}

bool PanelCommand(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    const std::vector<std::string>& w = args.words;
    PanelMgrState* panels = PanelMgrState::Current();
    if (!panels) {
        error = "the host has no panels";
        return false;
    }
    if (w.size() == 1 && w[0] == "list") {
        if (panels->ShownPanels().empty()) Show("no panels shown");
        for (IPMUnknown* panel : panels->ShownPanels())
            Show(Hex(ViewOf(panel)->GetWidgetID().Get()) + " \"" + DisplayText(LabelOf(panel)) + "\"");
        return true;
    }
    if (w.size() < 2) return Usage("panel", error);
    uint32 id = 0;
    if (!ParseID(w[1], id, error)) return false;
    WidgetID panel(id);
    if (w[0] == "show" && w.size() == 2) {
        if (panels->ShowPanelByWidgetID(panel) != kSuccess) {
            error = "no loaded plug-in has panel " + Hex(id);
            return false;
        }
        return true;
    }
    if (w[0] == "hide" && w.size() == 2) {
        if (panels->HidePanelByWidgetID(panel) != kSuccess) {
            error = "panel " + Hex(id) + " is not shown";
            return false;
        }
        return true;
    }
    InterfacePtr<IControlView> view(panels->QueryPanelByWidgetID(panel));
    if (w[0] == "render" && (w.size() == 2 || (w.size() == 3 && w[2] == "frames"))) {
        if (!view) {
            error = "panel " + Hex(id) + " is not shown";
            return false;
        }
        ShowLines(RenderWidgetTree(view.get(), RenderOptions{w.size() == 3}));
        return true;
    }
    if (w[0] == "resize" && w.size() == 4) {
        char* end = nullptr;
        double width = std::strtod(w[2].c_str(), &end);
        bool bad = *end != '\0';
        double height = std::strtod(w[3].c_str(), &end);
        if (bad || *end != '\0' || !(width >= 0 && width <= 1e6) || !(height >= 0 && height <= 1e6)) {
            error = "a size is two numbers from 0 to 1000000";
            return false;
        }
        PMPoint applied;
        if (panels->Resize(panel, width, height, applied) != kSuccess) {
            error = "panel " + Hex(id) + " is not shown";
            return false;
        }
        char text[96];
        std::snprintf(text, sizeof text, "[panel] %s resized to %.17g x %.17g", Hex(id).c_str(), applied.X(), applied.Y());
        Show(text);
        return true;
    }
    return Usage("panel", error);
}

IDialog* FrontDialog(std::string& error) {
    DialogMgr* dialogs = DialogMgr::Current();
    IDialog* front = dialogs ? dialogs->FrontDialog() : nullptr;
    if (!front) error = "no dialog is open";
    return front;
}

bool DialogCommand(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    const std::vector<std::string>& w = args.words;
    DialogMgr* dialogs = DialogMgr::Current();
    if (!dialogs) {
        error = "the host has no dialog manager";
        return false;
    }
    if (w.empty()) return Usage("dialog", error);
    if (w[0] == "open" && (w.size() == 2 || w.size() == 3)) {
        uint32 view = 0, plugin = 0;
        if (!ParseID(w.back(), view, error)) return false;
        if (w.size() == 3) {
            if (!ParseID(w[1], plugin, error)) return false;
        } else {
            for (const LoadedPlugin& p : context.host.Plugins())
                if (const ViewSpec* spec = ViewResources::Get().Find(p.id, RsrcID(view)); spec && spec->top.kind == "dialog") {
                    plugin = p.id.Get();
                    break;
                }
        }
        dialogs->Reap();
        IDialog* dialog = dialogs->CreateNewDialog(RsrcSpec(MLocaleSetting::GetLocale(), PluginID(plugin), kViewRsrcType, RsrcID(view)),
                                                   IDialogMgr::kModal, kTrue, kTrue);
        if (!dialog) {
            error = "no loaded plug-in has dialog view " + std::to_string(view);
            return false;
        }
        dialog->Open(0);
        return true;
    }
    IDialog* front = FrontDialog(error);
    if (!front) return false;
    if (w[0] == "render" && (w.size() == 1 || (w.size() == 2 && w[1] == "frames"))) {
        auto* window = dynamic_cast<DialogWindow*>(front);
        Show("dialog \"" + (window ? window->ShownTitle() : std::string()) + "\"");
        for (IControlView* child : ChildrenOf(front)) {
            std::vector<std::string> lines = RenderWidgetTree(child, RenderOptions{w.size() == 2});
            for (std::string& line : lines) Show("  " + line);
        }
        return true;
    }
    if ((w[0] == "ok" || w[0] == "cancel") && w.size() == 1)
        return PressDialogButton(front, w[0] == "ok" ? kOKButtonWidgetID : kCancelButtonWidgetID, error);
    return Usage("dialog", error);
}

bool SetText(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() < 1) return Usage("set-text", error);
    IControlView* view = Target(args.words[0], error);
    if (!view) return false;
    InterfacePtr<ITextControlData> text(view, IID_OF<ITextControlData>());
    if (!text) {
        error = "widget " + args.words[0] + " holds no text";
        return false;
    }
    text->SetString(PMString(Rest(args, 1), PMString::kNoTranslate), kTrue, kTrue, kTrue);
    return true;
}

bool Type(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() < 2) return Usage("type", error);
    IControlView* view = Target(args.words[0], error);
    if (!view || !Reachable(view, "edit box", error)) return false;
    TypeText(view, Rest(args, 1));
    return true;
}

bool Key(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() < 2) return Usage("key", error);
    IControlView* view = Target(args.words[0], error);
    if (!view || !Reachable(view, "edit box", error)) return false;
    for (std::size_t i = 1; i < args.words.size(); ++i) {
        const std::string& k = args.words[i];
        if (k == "backspace") TypeKey(view, IEvent::kVKBackspace);
        else if (k == "delete") TypeKey(view, IEvent::kVKDelete);
        else {
            error = "'" + k + "' is no key: backspace or delete";
            return false;
        }
    }
    return true;
}

bool Choose(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.empty()) return Usage("choose", error);
    IControlView* view = Target(args.words[0], error);
    if (!view || !Reachable(view, "widget", error)) return false;
    InterfacePtr<IStringListControlData> list(view, IID_OF<IStringListControlData>());
    InterfacePtr<IDropDownListController> controller(view, IID_OF<IDropDownListController>());
    if (list && controller) {
        std::string entry = Rest(args, 1);
        int32 index = -1;
        for (int32 i = 0; i < list->Length(); ++i)
            if (DisplayText(list->GetString(i)) == entry || list->GetString(i).GetUTF8String() == entry) index = index < 0 ? i : index;
        if (index < 0) {
            error = "drop-down " + args.words[0] + " has no entry \"" + entry + "\"";
            return false;
        }
        controller->Select(index, kTrue, kTrue);
        return true;
    }
    if (args.words.size() != 1 || KindOf(view) != "radio") {
        error = "widget " + args.words[0] + " is neither a drop-down (give the entry) nor a radio button";
        return false;
    }
    Click(view);
    return true;
}

bool Press(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1) return Usage("press", error);
    IControlView* view = Target(args.words[0], error);
    if (!view || !Reachable(view, "widget", error)) return false;
    DialogMgr* dialogs = DialogMgr::Current();
    IDialog* front = dialogs ? dialogs->FrontDialog() : nullptr;
    if (front && FindWidgetFrom(front, view->GetWidgetID()) == view) return PressDialogButton(front, view->GetWidgetID(), error);
    Click(view);
    return true;
}

bool Tip(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1) return Usage("tip", error);
    IControlView* view = Target(args.words[0], error);
    if (!view) return false;
    InterfacePtr<ITip> tip(view, IID_OF<ITip>());
    TipWindowPlacementAdvice advice;
    std::string text = tip ? DisplayText(tip->GetTipText(PMPoint(1, 1), &advice)) : std::string();
    Show("[tip] " + args.words[0] + (text.empty() ? " (none)" : " \"" + text + "\""));
    return true;
}

bool EventCommand(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 2 && args.words.size() != 4) return Usage("event", error);
    IControlView* view = Target(args.words[0], error);
    if (!view) return false;
    IEvent::EventType type = EventTypeNamed(args.words[1]);
    if (type == IEvent::kInvalid) {
        error = "'" + args.words[1] + "' is no event: an event-handler operation such as LButtonDn, RButtonDn or KeyUp";
        return false;
    }
    SysPoint where;
    if (args.words.size() == 4) {
        where.h = std::atoi(args.words[2].c_str());
        where.v = std::atoi(args.words[3].c_str());
    }
    Event e(type, where);
    bool16 handled = Deliver(view, e);
    Show("[event] " + args.words[1] + " on " + Hex(view->GetWidgetID().Get()) + (handled ? " handled" : " not handled"));
    return true;
}

bool Prefs(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    const std::vector<std::string>& w = args.words;
    uint32 page = 0;
    if (w.size() >= 1 && w[0] == "open" && w.size() <= 2) {
        if (w.size() == 2 && !ParseID(w[1], page, error)) return false;
        return OpenPreferences(WidgetID(page), error) != nullptr;
    }
    if (w.size() == 2 && w[0] == "page") {
        if (!ParseID(w[1], page, error)) return false;
        IDialog* front = FrontDialog(error);
        if (!front) return false;
        InterfacePtr<IPanelSwitcher> switcher(FindWidgetFrom(front, kPrefsPanelSwitcherWidgetID), IID_OF<IPanelSwitcher>());
        if (!switcher) {
            error = "the front dialog has no pages";
            return false;
        }
        if (!switcher->SwitchToPanel(WidgetID(page))) {
            error = "no Preferences page has widget " + Hex(page);
            return false;
        }
        return true;
    }
    if (w.size() == 1 && w[0] == "pages") {
        std::vector<std::pair<WidgetID, PMString>> pages = PanelSwitcher::AvailablePages();
        if (pages.empty()) Show("no Preferences pages");
        for (const auto& [id, label] : pages) Show(Hex(id.Get()) + " \"" + DisplayText(label) + "\"");
        return true;
    }
    return Usage("prefs", error);
}

bool FolderAnswerCommand(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.empty()) return Usage("folder-answer", error);
    FolderAnswer answer;
    if (args.words.size() == 1 && args.words[0] == "cancel") {
        answer.cancel = true;
    } else {
        answer.cancel = false;
        for (const std::string& folder : args.words) {
            if (folder.empty() || folder[0] != '/') {
                error = "'" + folder + "' is no absolute folder path";
                return false;
            }
            answer.posixFolders.push_back(folder);
        }
    }
    FolderDialogScript::Get().Queue(std::move(answer));
    return true;
}

ConsoleCommand gPanel("panel", "panel show|hide|render|resize ID [W H | frames] | panel list",
                      "show, hide, draw or resize a plug-in's palette panel by its widget ID", PanelCommand);
ConsoleCommand gDialog("dialog", "dialog open [PLUGIN] VIEW | dialog render [frames] | dialog ok | dialog cancel",
                       "open a plug-in's dialog view, draw the front dialog, or press its OK or Cancel", DialogCommand);
ConsoleCommand gSetText("set-text", "set-text WIDGET TEXT", "set a text widget's text as a program does (no events)", SetText);
ConsoleCommand gType("type", "type WIDGET TEXT", "type TEXT into an edit box, each key as KeyDown, KeyCmd, KeyUp", Type);
ConsoleCommand gKey("key", "key WIDGET backspace|delete ...", "press editing keys in an edit box", Key);
ConsoleCommand gChoose("choose", "choose WIDGET [ENTRY]", "pick a drop-down's entry, or click a radio button", Choose);
ConsoleCommand gPress("press", "press WIDGET", "click a button (OK and Cancel included)", Press);
ConsoleCommand gTip("tip", "tip WIDGET", "show the tooltip the widget gives", Tip);
ConsoleCommand gEvent("event", "event WIDGET TYPE [X Y]", "deliver one event (LButtonDn, RButtonDn, KeyUp, ...) to a widget's handler", EventCommand);
ConsoleCommand gPrefs("prefs", "prefs open [PAGE] | prefs page PAGE | prefs pages",
                      "open the Preferences dialog (on a page), switch its page, or list the pages", Prefs);
ConsoleCommand gFolderAnswer("folder-answer", "folder-answer cancel | folder-answer FOLDER...",
                             "how the next folder dialog is answered: cancelled, or with these folders", FolderAnswerCommand);

}  // namespace

}  // namespace tshost
