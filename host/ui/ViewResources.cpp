#include "ViewResources.h"

#include <set>

#include "ResourceFile.h"
#include "ResourceSections.h"

namespace tshost {

namespace {

using nlohmann::json;

constexpr int kMaxDepth = 64;
constexpr int kMaxWidgets = 4096;

std::map<std::string, ClassID>& Kinds() {
    static std::map<std::string, ClassID> kinds;
    return kinds;
}

// Kinds whose widgets may hold children: their host classes have IPanelControlData.
bool IsContainerKind(const std::string& kind) {
    static const std::set<std::string> containers = {"panel", "group", "cluster", "dialog", "prefs-page", "tree-node", "tree-view"};
    return containers.count(kind) != 0;
}

struct Bad {
    std::string where;
    std::string what;
};

std::string Shown(const json& value) {
    if (value.is_array()) return "an array";
    if (value.is_object()) return "an object";
    std::string text = value.dump();
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

uint32 ID(const json& value, const std::string& where, const char* what) {
    std::optional<uint32> id = ParseResourceID(value);
    if (!id) throw Bad{where, std::string("bad ") + what + " ID " + Shown(value)};
    return *id;
}

std::string String(const json& object, const char* key, const std::string& where) {
    auto it = object.find(key);
    if (it == object.end()) return {};
    if (!it->is_string()) throw Bad{where + "/" + key, "must be a string, not " + Shown(*it)};
    return it->get<std::string>();
}

bool Bool(const json& object, const char* key, const std::string& where, bool otherwise) {
    auto it = object.find(key);
    if (it == object.end()) return otherwise;
    if (!it->is_boolean()) throw Bad{where + "/" + key, "must be true or false, not " + Shown(*it)};
    return it->get<bool>();
}

int32 Int(const json& object, const char* key, const std::string& where, int32 otherwise) {
    auto it = object.find(key);
    if (it == object.end()) return otherwise;
    if (!it->is_number_integer() || it->get<int64>() < INT32_MIN || it->get<int64>() > INT32_MAX)
        throw Bad{where + "/" + key, "must be a whole number, not " + Shown(*it)};
    return static_cast<int32>(it->get<int64>());
}

void ReadWidget(const json& w, const std::string& where, int depth, int& count, WidgetSpec& spec) {
    if (!w.is_object()) throw Bad{where, "must be an object, not " + Shown(w)};
    if (depth > kMaxDepth) throw Bad{where, "widgets nest deeper than 64 levels"};
    if (++count > kMaxWidgets) throw Bad{where, "a view has more than 4096 widgets"};
    if (w.contains("widget")) spec.widget = WidgetID(ID(w["widget"], where + "/widget", "widget"));
    spec.kind = String(w, "kind", where);
    if (spec.kind.empty()) throw Bad{where, "missing \"kind\""};
    if (!Kinds().count(spec.kind)) throw Bad{where + "/kind", "unknown widget kind \"" + spec.kind + "\""};
    if (w.contains("boss")) {
        const json& b = w["boss"];
        if (b.is_string() && !b.get<std::string>().empty()) spec.boss = b.get<std::string>();
        else spec.boss = std::to_string(ID(b, where + "/boss", "class"));
        if (spec.boss.rfind("0x", 0) == 0 || spec.boss.rfind("0X", 0) == 0) ID(b, where + "/boss", "class");
    }
    spec.label = PMString(String(w, "label", where));
    if (w.contains("frame")) {
        const json& f = w["frame"];
        if (!f.is_array() || f.size() != 4) throw Bad{where + "/frame", "must be [left, top, right, bottom]"};
        for (const json& n : f)
            if (!n.is_number()) throw Bad{where + "/frame", "must hold four numbers"};
        spec.frame = PMRect(f[0].get<double>(), f[1].get<double>(), f[2].get<double>(), f[3].get<double>());
    }
    spec.visible = Bool(w, "visible", where, true);
    spec.enabled = Bool(w, "enabled", where, true);
    if (w.contains("text")) spec.text = String(w, "text", where);
    if (w.contains("items")) {
        const json& items = w["items"];
        if (!items.is_array()) throw Bad{where + "/items", "must be an array of strings"};
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (!items[i].is_string()) throw Bad{where + "/items/" + std::to_string(i), "must be a string, not " + Shown(items[i])};
            spec.items.push_back(items[i].get<std::string>());
        }
    }
    if (w.contains("selected")) {
        const json& s = w["selected"];
        if (s.is_boolean()) spec.selected = s.get<bool>() ? 1 : -1;
        else spec.selected = Int(w, "selected", where, -1);
    }
    spec.minimum = Int(w, "min", where, 0);
    spec.maximum = Int(w, "max", where, 100);
    spec.value = Int(w, "value", where, 0);
    if (spec.maximum < spec.minimum) throw Bad{where + "/max", "is below \"min\""};
    if (w.contains("picture")) spec.picture = RsrcID(ID(w["picture"], where + "/picture", "picture resource"));
    if (w.contains("children")) {
        const json& children = w["children"];
        if (!children.is_array()) throw Bad{where + "/children", "must be an array"};
        if (!children.empty() && !IsContainerKind(spec.kind))
            throw Bad{where + "/children", "a " + spec.kind + " holds no children"};
        for (std::size_t i = 0; i < children.size(); ++i) {
            WidgetSpec child;
            ReadWidget(children[i], where + "/children/" + std::to_string(i), depth + 1, count, child);
            spec.children.push_back(std::move(child));
        }
    }
}

bool Check(PluginID plugin, const json& value, std::string& error) {
    std::vector<ViewSpec> views;
    return ViewResources::Parse(plugin, value, views, error);
}

void Apply(PluginID plugin, const json& value) {
    std::vector<ViewSpec> views;
    std::string error;
    if (!ViewResources::Parse(plugin, value, views, error)) return;
    for (ViewSpec& v : views) ViewResources::Get().Add(std::move(v));
}

ResourceSection gSection("views", Check, Apply);

}  // namespace

void RegisterWidgetKind(const std::string& kind, ClassID hostClass) { Kinds()[kind] = hostClass; }

ClassID WidgetKindClass(const std::string& kind) {
    auto it = Kinds().find(kind);
    return it == Kinds().end() ? kInvalidClass : it->second;
}

ViewResources& ViewResources::Get() {
    static ViewResources views;
    return views;
}

const ViewSpec* ViewResources::Find(PluginID plugin, RsrcID id) const {
    for (const auto& v : fViews)
        if (v->plugin == plugin && v->id == id) return v.get();
    return nullptr;
}

std::vector<const ViewSpec*> ViewResources::OfKind(const std::string& kind) const {
    std::vector<const ViewSpec*> out;
    for (const auto& v : fViews)
        if (v->top.kind == kind) out.push_back(v.get());
    return out;
}

const ViewSpec* ViewResources::FindPanel(WidgetID panel) const {
    for (const auto& v : fViews)
        if (v->top.kind == "panel" && v->top.widget == panel) return v.get();
    return nullptr;
}

void ViewResources::Add(ViewSpec view) { fViews.push_back(std::make_unique<ViewSpec>(std::move(view))); }

bool ViewResources::Parse(PluginID plugin, const json& value, std::vector<ViewSpec>& out, std::string& error) {
    try {
        if (!value.is_array()) throw Bad{"/views", "must be an array of views"};
        std::set<uint32> seen;
        for (std::size_t i = 0; i < value.size(); ++i) {
            std::string where = "/views/" + std::to_string(i);
            const json& v = value[i];
            if (!v.is_object()) throw Bad{where, "must be an object, not " + Shown(v)};
            if (!v.contains("id")) throw Bad{where, "missing \"id\""};
            ViewSpec view;
            view.plugin = plugin;
            view.id = RsrcID(ID(v["id"], where + "/id", "view"));
            if (!seen.insert(view.id.Get()).second) throw Bad{where + "/id", "view " + std::to_string(view.id.Get()) + " is given twice"};
            int count = 0;
            ReadWidget(v, where, 1, count, view.top);
            if (view.top.kind == "panel" && !view.top.widget.IsValid()) throw Bad{where, "a panel view needs its \"widget\" ID"};
            out.push_back(std::move(view));
        }
    } catch (const Bad& bad) {
        error = bad.where + ": " + bad.what;
        return false;
    } catch (const json::exception& e) {
        error = std::string("/views: ") + e.what();
        return false;
    }
    return true;
}

}  // namespace tshost
