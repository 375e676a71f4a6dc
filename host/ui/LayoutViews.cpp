#include "LayoutViews.h"

#include <map>
#include <string>

#include "Documents.h"
#include "Host.h"
#include "HostModule.h"
#include "IPMUnknown.h"
#include "Transcript.h"
#include "Widgets.h"

namespace tshost {

namespace {

class LayoutViews final : public DocumentObserver {
public:
    // A new host starts with none; a view of an earlier host went with its documents.
    void Reset() { fViews.clear(); }

    IPMUnknown* Find(const IDocument* document) const {
        auto it = fViews.find(document);
        return it == fViews.end() ? nullptr : it->second;
    }

    void DocumentOpened(IDocument* document, bool) override {
        if (fViews.count(document)) return;
        WidgetSpec spec;
        spec.widget = kLayoutViewWidgetID;
        spec.kind = "layout";
        spec.label = PMString(Documents::NameOf(document), PMString::kNoTranslate);
        std::string error;
        if (IPMUnknown* view = BuildWidget(spec, kInvalidPlugin, error)) {
            fViews[document] = view;
        } else {
            Diagnose("no layout view for " + Documents::NameOf(document) + ": " + error);
        }
    }

    void DocumentClosing(IDocument* document) override {
        auto it = fViews.find(document);
        if (it == fViews.end()) return;
        IPMUnknown* view = it->second;
        fViews.erase(it);
        view->Release();
    }

private:
    std::map<const IDocument*, IPMUnknown*> fViews;  // one reference each
};

LayoutViews gLayoutViews;

// After the widget classes (20) and the plug-ins' add-ins to them, which a view's handler
// is made of only when the view is built.
HostModule gModule("ui layout views", 22, [] {
    gLayoutViews.Reset();
    if (Host* host = Host::Current()) host->Docs().AddObserver(&gLayoutViews);
});

}  // namespace

IPMUnknown* LayoutViewOf(const IDocument* document) { return gLayoutViews.Find(document); }

}  // namespace tshost
