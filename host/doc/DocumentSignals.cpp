// Turns the document list's events into the document signals (Signals.h) and tells the
// active-selection observers of each change of front document.
#include <string>
#include <vector>

#include "ActiveSelection.h"
#include "Documents.h"
#include "Host.h"
#include "HostModule.h"
#include "SignalIDs.h"
#include "Signals.h"

namespace tshost {

namespace {

// Turns the document list's events into signals.
class DocumentSignals final : public DocumentObserver {
public:
    void Reset() { fClosing.clear(); }

    void DocumentOpened(IDocument* document, bool isNew) override {
        SendSignal(isNew ? kAfterNewDocSignal : kAfterOpenDocSignal, GetUIDRef(document), Documents::NameOf(document));
    }

    void DocumentClosing(IDocument* document) override {
        UIDRef ref = GetUIDRef(document);
        std::string name = Documents::NameOf(document);
        fClosing.push_back(ref);
        SendSignal(kBeforeCloseDocSignal, ref, name);
    }

    void DocumentClosed(const std::string& name) override {
        // A close runs whole inside the before-close signal of any close around it, so the
        // latest closing document is this one, whatever it is called now (a responder may
        // have saved it under another name).
        UIDRef ref = UIDRef::gNull;
        if (!fClosing.empty()) {
            ref = fClosing.back();
            fClosing.pop_back();
        }
        SendSignal(kAfterCloseDocSignal, ref, name);
    }

    void FrontDocumentChanged(IDocument* front) override {
        if (front) SendSignal(kFrontDocChangedSignal, GetUIDRef(front), Documents::NameOf(front));
        NotifyActiveSelectionChanged();
    }

private:
    std::vector<UIDRef> fClosing;
};

DocumentSignals gDocumentSignals;

// Also the one moment a new host's document list can be reached: modules run when it boots.
HostModule gModule("document list signals", 1, [] {
    if (Host* host = Host::Current()) {
        gDocumentSignals.Reset();
        host->Docs().AddObserver(&gDocumentSignals);
    }
});

}  // namespace

}  // namespace tshost
