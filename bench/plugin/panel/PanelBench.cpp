// Times the projects panel as a user meets it, for panel-timings.sh, which runs each mode in a
// process of its own beside `curl -o` of the same answer. Prints one line of "name value"
// pairs; peak_kib is the process's peak resident memory.
//   panel_bench bare FILE          a bare parse of FILE with the XML library's defaults
//   panel_bench show SERVER_URL    a host with Tessaron.so and an empty settings folder:
//                                  panel show (download, parse, tree drawn), then Refresh
//                                  with the list cached (no update), then Refresh once the
//                                  cache is gone (a full update again)
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "Events.h"
#include "Host.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "Panels.h"
#include "TSID.h"
#include "Transcript.h"
#include "TreeView.h"
#include "WidgetIDs.h"
#include "Widgets.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int Bare(const char* file) {
    using namespace xercesc;
    XMLPlatformUtils::Initialize();
    const auto start = Clock::now();
    DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(u"LS");
    DOMLSParser* parser = impl->createLSParser(DOMImplementationLS::MODE_SYNCHRONOUS, nullptr);
    DOMDocument* document = parser->parseURI(file);
    const bool ok = document && document->getDocumentElement();
    const double seconds = Since(start);
    std::printf("seconds %.3f ok %d peak_kib %ld\n", seconds, ok ? 1 : 0, PeakKiB());
    parser->release();
    XMLPlatformUtils::Terminate();
    return ok ? 0 : 1;
}

IControlView* PanelWidget(WidgetID id) {
    InterfacePtr<IControlView> panel(tshost::PanelMgrState::Current()->QueryPanelByWidgetID(kTSPanelWidgetID));
    return panel ? tshost::FindWidgetFrom(panel.get(), id) : nullptr;
}

int Show(const char* url) {
    char pattern[] = "/tmp/tspanel-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 2;
    const fs::path home = pattern;
    ::setenv("HOME", pattern, 1);
    ::unsetenv("XDG_DATA_HOME");
    tshost::SetTranscriptSink([](std::string_view) {});
    tshost::Host host;
    std::string error;
    if (!host.Boot(error) || !host.LoadPlugin(std::string(TS_BIN_DIR) + "/Tessaron.so", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    host.Start(home.string());
    {
        InterfacePtr<IWorkspace> workspace(host.Session()->QueryWorkspace());
        InterfacePtr<ITSPrefsData> prefs(workspace.get(), kTSPrefsDataInterfaceID);
        if (!prefs) return 2;
        prefs->SetUserName(PMString("demo"));
        prefs->SetPassword(PMString("demo"));
        prefs->SetTessaronInfo(PMString(url));
    }
    auto start = Clock::now();
    const bool shown = tshost::PanelMgrState::Current()->ShowPanelByWidgetID(kTSPanelWidgetID) == kSuccess;
    tshost::TreeView* tree = tshost::TreeView::Of(PanelWidget(kTSProjectTreeWidgetID));
    const std::size_t rows = tree ? tree->RowLines().size() : 0;
    const double show = Since(start);

    IControlView* refresh = PanelWidget(kTSRefreshButtonWidgetID);
    start = Clock::now();
    tshost::Click(refresh);
    const double cachedRefresh = Since(start);

    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(home, ec))
        if (entry.path().filename() == "projects.xml") fs::remove(entry.path(), ec);
    start = Clock::now();
    tshost::Click(PanelWidget(kTSRefreshButtonWidgetID));
    const double updateRefresh = Since(start);
    tree = tshost::TreeView::Of(PanelWidget(kTSProjectTreeWidgetID));
    const bool ok = shown && rows > 0 && tree && tree->RowLines().size() == rows;

    std::printf("show %.3f refresh %.3f update %.3f rows %zu ok %d peak_kib %ld\n", show, cachedRefresh,
                updateRefresh, rows, ok ? 1 : 0, PeakKiB());
    tshost::PanelMgrState::Current()->HidePanelByWidgetID(kTSPanelWidgetID);
    host.Quit(error);
    fs::remove_all(home, ec);
    return ok ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr, "usage: panel_bench bare FILE | show SERVER_URL\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Usage();
    const std::string mode = argv[1];
    if (mode == "bare") return Bare(argv[2]);
    if (mode == "show") return Show(argv[2]);
    return Usage();
}
