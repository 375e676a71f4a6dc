#include "Render.h"

#include <cstdio>
#include <map>

#include "IControlView.h"
#include "IDropDownListController.h"
#include "IProgressBarControlData.h"
#include "IStringListControlData.h"
#include "ITextControlData.h"
#include "ITriStateControlData.h"
#include "InterfacePtr.h"
#include "Transcript.h"
#include "Widgets.h"

namespace tshost {

namespace {

std::map<std::string, WidgetRenderer>& Renderers() {
    static std::map<std::string, WidgetRenderer> renderers;
    return renderers;
}

std::string Number(PMReal value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Value(IPMUnknown* widget, const std::string& kind) {
    std::string out;
    if (InterfacePtr<IStringListControlData> list(widget, IID_OF<IStringListControlData>()); list) {
        InterfacePtr<IDropDownListController> controller(widget, IID_OF<IDropDownListController>());
        int32 selected = controller ? controller->GetSelected() : -1;
        out = "[";
        for (int32 i = 0; i < list->Length(); ++i)
            out += (i ? ", " : "") + std::string(i == selected ? "*" : "") + Quoted(DisplayText(list->GetString(i)));
        return out + "]";
    }
    if (InterfacePtr<ITextControlData> text(widget, IID_OF<ITextControlData>()); text)
        return "text=" + Quoted(DisplayText(text->GetString()));
    if (InterfacePtr<IProgressBarControlData> bar(widget, IID_OF<IProgressBarControlData>()); bar)
        return "value=" + std::to_string(bar->GetValue()) + "/" + std::to_string(bar->GetMinimum()) + ".." +
               std::to_string(bar->GetMaximum()) + " style=" + std::to_string(bar->GetStyle());
    if (kind == "radio" || kind == "expander") {
        InterfacePtr<ITriStateControlData> state(widget, IID_OF<ITriStateControlData>());
        if (state) return state->GetState() == ITriStateControlData::kSelected ? "on" : "off";
    }
    IControlView* view = ViewOf(widget);
    if (view && view->GetRsrcID().IsValid()) return "picture=" + std::to_string(view->GetRsrcID().Get());
    return out;
}

void Render(IPMUnknown* widget, int depth, const RenderOptions& options, std::vector<std::string>& lines) {
    if (!widget || depth > 256) return;
    IControlView* view = ViewOf(widget);
    std::string kind = KindOf(widget);
    char id[16];
    std::snprintf(id, sizeof id, "0x%x", view ? view->GetWidgetID().Get() : 0);
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += (kind.empty() ? "widget" : kind) + " " + id;
    std::string label = DisplayText(LabelOf(widget));
    if (!label.empty()) line += " " + Quoted(label);
    std::vector<std::string> extra;
    auto custom = Renderers().find(kind);
    std::string value = custom != Renderers().end() ? custom->second(widget, extra) : Value(widget, kind);
    if (!value.empty()) line += " " + value;
    if (view && !view->IsVisible(kFalse)) line += " hidden";
    if (view && !view->IsEnabled()) line += " disabled";
    if (view && options.frames) {
        PMRect f = view->GetFrame();
        line += " @" + Number(f.Left()) + "," + Number(f.Top()) + "," + Number(f.Right()) + "," + Number(f.Bottom());
    }
    lines.push_back(line);
    if (custom != Renderers().end()) {
        for (const std::string& e : extra) lines.push_back(std::string(static_cast<std::size_t>(depth + 1) * 2, ' ') + e);
        return;
    }
    for (IControlView* child : ChildrenOf(widget)) Render(child, depth + 1, options, lines);
}

}  // namespace

void RegisterWidgetRenderer(const std::string& kind, WidgetRenderer renderer) { Renderers()[kind] = renderer; }

std::vector<std::string> RenderWidgetTree(IPMUnknown* root, const RenderOptions& options) {
    std::vector<std::string> lines;
    Render(root, 0, options, lines);
    return lines;
}

}  // namespace tshost
