// Console command for the layout views: the user's clicks and keys on a document's pages.
#include "ConsoleCommands.h"
#include "Documents.h"
#include "Events.h"
#include "Host.h"
#include "IEventHandler.h"
#include "InterfacePtr.h"
#include "LayoutViews.h"
#include "Transcript.h"

namespace tshost {

namespace {

bool Layout(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.empty() || args.words.size() > 2) {
        error = std::string("usage: ") + ConsoleCommand::Find("layout")->Usage();
        return false;
    }
    const std::string& what = args.words[0];
    IDocument* document = nullptr;
    if (args.words.size() == 2) {
        document = context.host.Docs().Find(args.words[1], error);
        if (!document) return false;
    } else if (!(document = context.host.Docs().Front())) {
        error = "no document is open";
        return false;
    }
    IPMUnknown* view = LayoutViewOf(document);
    if (!view) {
        error = Documents::NameOf(document) + " has no layout view";
        return false;
    }

    bool handled = false;
    if (what == "click") {
        handled = Click(view);
    } else if (what == "GetKeyFocus") {
        InterfacePtr<IEventHandler> handler(view, IID_OF<IEventHandler>());
        handled = handler && handler->GetKeyFocus();
    } else {
        IEvent::EventType type = EventTypeNamed(what);
        if (type == IEvent::kInvalid) {
            error = "'" + what + "' is no event: click, GetKeyFocus or an event-handler operation such as LButtonDn, KeyDown or MouseMove";
            return false;
        }
        Event e(type);
        handled = Deliver(view, e) != kFalse;
    }
    Show("[layout] " + what + " on " + Documents::NameOf(document) + (handled ? " handled" : " not handled"));
    return true;
}

ConsoleCommand gLayout("layout", "layout click|GetKeyFocus|EVENT [NAME]",
                       "a click, the key focus or one event (KeyDown, MouseMove, ...) on the layout view of the front document or the one named",
                       Layout);

}  // namespace

}  // namespace tshost
