// The attached active-selection observers, and telling them of a change.
#include <algorithm>
#include <vector>

#include "ActiveSelectionObserver.h"
#include "ActiveSelection.h"
#include "Transcript.h"

namespace tshost {

namespace {

std::vector<ActiveSelectionObserver*>& Attached() {
    static std::vector<ActiveSelectionObserver*> attached;
    return attached;
}

struct FrontDocumentMessage final : ISelectionMessage {};

}  // namespace

void NotifyActiveSelectionChanged() {
    // An observer may detach itself or others, or be destroyed, while it is called.
    std::vector<ActiveSelectionObserver*> observers = Attached();
    FrontDocumentMessage message;
    for (ActiveSelectionObserver* o : observers) {
        auto& attached = Attached();
        if (std::find(attached.begin(), attached.end(), o) == attached.end()) continue;
        o->AddRef();
        try {
            o->HandleActiveSelectionChanged(&message);
        } catch (...) {
            Diagnose("an active-selection observer failed with an exception");
        }
        o->Release();
    }
}

int32 ActiveSelectionObserverCount() { return static_cast<int32>(Attached().size()); }

}  // namespace tshost

void AttachActiveSelectionObserver(ActiveSelectionObserver* observer) {
    auto& attached = tshost::Attached();
    if (observer && std::find(attached.begin(), attached.end(), observer) == attached.end()) attached.push_back(observer);
}

void DetachActiveSelectionObserver(ActiveSelectionObserver* observer) { std::erase(tshost::Attached(), observer); }
