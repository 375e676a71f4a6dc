// The stand-in host application as one object: the runtime (Runtime.h: object model,
// plug-ins, workspace, start-up and shut-down services) with the open documents (Documents.h)
// and the active context, whose document is the front one. At quit the documents close
// first, with their signals going to plug-ins that are still running; then the plug-ins shut
// down; then the workspace is saved.
//
// One Host exists at a time; Host::Current() is it. Destroying it quits if needed and then
// empties the process-wide registries, so a test can make a fresh one.
// User-interface thread only.
#pragma once

#include "Documents.h"
#include "Runtime.h"

namespace tshost {

class Host final : public Runtime {
public:
    Host();
    ~Host();

    static Host* Current();

    IActiveContext* ActiveContext() override { return &fActiveContext; }
    Documents& Docs() { return fDocuments; }

private:
    class FrontContext final : public IActiveContext {
    public:
        explicit FrontContext(Host& host) : fHost(host) {}
        IDocument* GetContextDocument() const override { return fHost.fDocuments.Front(); }

    private:
        Host& fHost;
    };

    void CloseDocuments() override { fDocuments.CloseAll(); }

    Documents fDocuments;
    FrontContext fActiveContext{*this};
};

}  // namespace tshost
