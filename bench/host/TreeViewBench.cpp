// Cost of expanding and collapsing one small group in the projects panel's tree while many
// other rows are shown: the host's tree view with the plug-in's model, adapter and widget
// manager, as a user meets them. The list has a group "Small" of ten projects and enough big
// groups, all expanded, to show the number of rows asked for.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "Host.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "Panels.h"
#include "PlugIn.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "Transcript.h"
#include "TreeView.h"
#include "platform/Overrides.h"

namespace {

constexpr int kSmallChildren = 10;
constexpr int kBigGroups = 10;

std::filesystem::path gScratch;

// "Small" first with its ten projects, then kBigGroups groups sharing the other rows.
void WriteList(int rows, const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::trunc);
    out << "<tessaron authenticated=\"1\" type=\"TESSARON_UPDATE\"><projectgroups>\n";
    out << "<projectgroup id=\"1\" name=\"Small\"/>\n";
    for (int g = 0; g < kBigGroups; ++g) out << "<projectgroup id=\"" << 10 + g << "\" name=\"Big " << g << "\"/>\n";
    out << "</projectgroups><projects>\n";
    int id = 100000;
    for (int p = 0; p < kSmallChildren; ++p) out << "<project id=\"" << ++id << "\" name=\"Small " << p << "\" project_group_id=\"1\"/>\n";
    const int projects = std::max(0, rows - 1 - kBigGroups);
    for (int g = 0; g < kBigGroups; ++g)
        for (int p = 0; p < projects / kBigGroups + (g < projects % kBigGroups ? 1 : 0); ++p) {
            ++id;
            out << "<project id=\"" << id << "\" name=\"Project " << id << "\" project_group_id=\"" << 10 + g << "\"/>\n";
        }
    out << "</projects></tessaron>\n";
}

struct Panel {
    tshost::Host host;
    tshost::TreeView* tree = nullptr;
    NodeID small;

    bool Open(int rows) {
        std::string error;
        if (!host.Boot(error) || !host.LoadPlugin(&GetPlugIn, std::string(TS_BIN_DIR) + "/Tessaron.json", error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        host.Start(gScratch.string());
        WriteList(rows, gScratch / "Tessaron" / "projects.xml");
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        InterfacePtr<ITSPrefsData> prefs(workspace.get(), kTSPrefsDataInterfaceID);
        // Nothing listens there: the download fails at once and the cached list is shown.
        if (prefs) prefs->SetTessaronInfo(PMString("http://127.0.0.1:1"));
        if (tshost::PanelMgrState::Current()->ShowPanelByWidgetID(kTSPanelWidgetID) != kSuccess) return false;
        tree = tshost::TreeView::Of(TSPanelUtils::GetWidgetOnPanel(kTSPanelWidgetID, kTSProjectTreeWidgetID));
        if (!tree) return false;
        std::vector<NodeID> big;
        for (const tshost::TreeView::Row& row : tree->Rows())
            if (row.children > kSmallChildren) big.push_back(row.node);
        for (const NodeID& node : big) tree->Expand(node);
        const int32 index = tree->RowNamed("Small");
        if (index < 0) return false;
        small = tree->Rows()[static_cast<std::size_t>(index)].node;
        return true;
    }
    ~Panel() {
        std::string error;
        host.Quit(error);
    }
};

// One iteration: one expand and one collapse.
void BM_ExpandCollapse(benchmark::State& state) {
    auto panel = std::make_unique<Panel>();
    if (!panel->Open(static_cast<int>(state.range(0)))) {
        state.SkipWithError("the panel could not be shown");
        return;
    }
    for (auto _ : state) {
        panel->tree->Expand(panel->small);
        panel->tree->Collapse(panel->small);
    }
    state.counters["rows"] = static_cast<double>(panel->tree->Rows().size());
}
BENCHMARK(BM_ExpandCollapse)->Arg(200)->Arg(2000)->Arg(20000)->ArgName("rows")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    char pattern[] = "/tmp/tsbench-tree-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    gScratch = pattern;
    ::setenv("HOME", gScratch.c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    tsplatform::Overrides overrides;
    overrides.applicationSupportRoot = gScratch.string();
    tsplatform::SetOverrides(overrides);
    tshost::Clock::MakeVirtual();
    tshost::SetTranscriptSink([](std::string_view) {});
    tshost::SetDiagnosticSink([](std::string_view) {});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(gScratch);
    return 0;
}
