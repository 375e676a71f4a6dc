// Cost of the project tree on a large project list: the model's Rebuild plus the child count
// of every top-level group, beside the bare parse of the same file in the same run; and the
// cost of expanding one group, by the number of that group's own children; and the parse of
// a hostile list that nests its projects deep; and projects among very many status codes;
// and hostile lists of one kind or another: a group with very many attributes, elements the
// reader never reads, nested deep or side by side, with the XML library's peak memory.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemoryManager.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "ProgressBars.h"
#include "TSPanelDataModel.h"
#include "TSPanelNodeData.h"
#include "TSXmlDataHandling.h"
#include "Transcript.h"
#include "platform/Overrides.h"

namespace {

using Clock = std::chrono::steady_clock;

std::filesystem::path gScratch;

// The XML library's memory, counted: what it holds now and the most it held since the last
// ResetPeak. One thread only, as the reader.
class CountingMemoryManager : public xercesc::MemoryManager {
public:
    xercesc::MemoryManager* getExceptionMemoryManager() override { return this; }
    void* allocate(XMLSize_t size) override {
        auto* block = static_cast<std::max_align_t*>(::operator new(size + sizeof(std::max_align_t)));
        *reinterpret_cast<XMLSize_t*>(block) = size;
        fHeld += size;
        fPeak = std::max(fPeak, fHeld);
        return block + 1;
    }
    void deallocate(void* p) override {
        if (!p) return;
        auto* block = static_cast<std::max_align_t*>(p) - 1;
        fHeld -= *reinterpret_cast<XMLSize_t*>(block);
        ::operator delete(block);
    }
    void ResetPeak() { fPeak = fHeld; }
    double PeakMiB() const { return static_cast<double>(fPeak) / (1 << 20); }

private:
    std::size_t fHeld = 0, fPeak = 0;
};
CountingMemoryManager gLibraryMemory;

std::filesystem::path ProjectsFile() { return gScratch / "Tessaron" / "projects.xml"; }

std::filesystem::path ListFile(int projects);

bool Generate(int groups, int projects, const std::filesystem::path& file) {
    std::filesystem::create_directories(file.parent_path());
    const std::string command = "python3 '" TS_SOURCE_DIR "/scripts/gen-projects.py' --groups " +
                                std::to_string(groups) + " --projects " + std::to_string(projects) + " > '" +
                                file.string() + "'";
    return std::system(command.c_str()) == 0;
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
    if (FILE* out = std::fopen(file.c_str(), "w")) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
}

// The library alone: with its defaults, or with the features the reader sets but none of its
// safeguards or error handling.
double BareParseSeconds(bool readerFeatures) {
    using namespace xercesc;
    DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(u"LS");
    const auto start = Clock::now();
    DOMLSParser* parser = impl->createLSParser(DOMImplementationLS::MODE_SYNCHRONOUS, nullptr);
    if (readerFeatures) {
        DOMConfiguration* config = parser->getDomConfig();
        config->setParameter(XMLUni::fgDOMNamespaces, false);
        config->setParameter(XMLUni::fgXercesSchema, false);
        config->setParameter(XMLUni::fgXercesSchemaFullChecking, false);
        config->setParameter(XMLUni::fgDOMValidateIfSchema, true);
        config->setParameter(XMLUni::fgDOMDatatypeNormalization, true);
    }
    DOMDocument* document = parser->parseURI(ProjectsFile().c_str());
    benchmark::DoNotOptimize(document);
    parser->release();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double RebuildAndCountSeconds(TSPanelDataModel& model, int32& loaded) {
    const auto start = Clock::now();
    model.Rebuild();
    const int32 top = model.GetChildCount(model.GetRootID());
    loaded = top;
    for (int32 i = 0; i < top; ++i) loaded += model.GetChildCount(model.GetNthChildID(model.GetRootID(), i));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// All measured in every iteration, in turn, so that all see the same machine state.
void BM_RebuildAndTopLevelCountsVsBareParse(benchmark::State& state) {
    TSPanelDataModel model(nullptr);
    double defaults = 0, bare = 0, tree = 0;
    int32 loaded = 0;
    for (auto _ : state) {
        defaults += BareParseSeconds(false);
        bare += BareParseSeconds(true);
        tree += RebuildAndCountSeconds(model, loaded);
        tshost::ProgressLog::Get().Clear();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["default_parse_ms"] = 1000 * defaults / n;
    state.counters["bare_parse_ms"] = 1000 * bare / n;
    state.counters["rebuild_counts_ms"] = 1000 * tree / n;
    state.counters["ratio"] = tree / bare;
    state.counters["records"] = loaded;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(ProjectsFile())) / 1e6;
}
BENCHMARK(BM_RebuildAndTopLevelCountsVsBareParse)->Unit(benchmark::kMillisecond)->Iterations(5);

struct GroupInfo {
    int32 xmlID;
    int32 children;
};

// A reader of its own over one generated file, with every reachable group's child count.
struct LoadedList {
    TSXmlDataHandling reader;
    std::vector<GroupInfo> groups;
};

std::filesystem::path ListFile(int projects) { return gScratch / ("list-" + std::to_string(projects) + ".xml"); }

// Readers hold library memory: they go before the library does.
std::map<int, std::unique_ptr<LoadedList>> gLists;
void ReleaseLists() { gLists.clear(); }

LoadedList& Loaded(int projects) {
    std::unique_ptr<LoadedList>& list = gLists[projects];
    if (list) return *list;
    list = std::make_unique<LoadedList>();
    list->reader.InitializeDOMnode(ListFile(projects).c_str());
    TSPanelNodeData root;
    root.SetData(PMString("Root"), -1, false, -1);
    std::map<int32, TSPanelNodeData*> nodes;
    std::vector<TSPanelNodeData*> pending{&root};
    while (!pending.empty()) {
        TSPanelNodeData* node = pending.back();
        pending.pop_back();
        list->reader.UpdateChildInfo(*node, nodes);
        if (node != &root) list->groups.push_back({node->GetProjectXMLID(), node->ChildCount()});
        for (int32 i = 0; i < node->ChildCount(); ++i) {
            TSPanelNodeData* child = nodes[node->GetNthChild(i).GetProjectID()];
            if (child && !child->IsProject()) pending.push_back(child);
        }
    }
    for (auto& [id, node] : nodes) delete node;
    tshost::ProgressLog::Get().Clear();
    return *list;
}

// Expands the group whose number of children is nearest to the second argument, in a list of
// as many projects as the first, again and again into fresh records.
void BM_ExpandOneGroup(benchmark::State& state) {
    LoadedList& list = Loaded(static_cast<int>(state.range(0)));
    const int32 wanted = static_cast<int32>(state.range(1));
    const GroupInfo group = *std::min_element(list.groups.begin(), list.groups.end(),
                                              [&](const GroupInfo& a, const GroupInfo& b) {
                                                  return std::abs(a.children - wanted) < std::abs(b.children - wanted);
                                              });
    for (auto _ : state) {
        TSPanelNodeData parent;
        parent.SetData(PMString("group"), group.xmlID, false, 1 << 30);
        std::map<int32, TSPanelNodeData*> nodes;
        list.reader.UpdateChildInfo(parent, nodes);
        benchmark::DoNotOptimize(parent.ChildCount());
        for (auto& [id, node] : nodes) delete node;
        tshost::ProgressLog::Get().Clear();
    }
    state.counters["children"] = group.children;
    state.SetItemsProcessed(state.iterations() * group.children);
}
BENCHMARK(BM_ExpandOneGroup)
    ->ArgsProduct({{10000, 100000}, {5, 40, 150}})
    ->ArgNames({"projects", "children"})
    ->Unit(benchmark::kMicrosecond);

// A hostile list: projects each inside the one before's first "pages", as many as the
// argument, with one page at the bottom that every project takes. The parse should grow in
// proportion to the depth (twice the argument, within the depth the reader accepts).
void BM_ParseProjectsInsideOneAnother(benchmark::State& state) {
    const auto depth = static_cast<std::size_t>(state.range(0));
    const std::filesystem::path file = gScratch / ("deep-" + std::to_string(depth) + ".xml");
    std::string text = R"(<tessaron><projectgroups><projectgroup id="1" name="G"/></projectgroups><projects>)";
    for (std::size_t i = 1; i <= depth; ++i)
        text += R"(<project id=")" + std::to_string(i) + R"(" name="P" project_group_id="1"><pages>)";
    text += R"(<page pagefrom="1" pageto="2"/>)";
    for (std::size_t i = 0; i < depth; ++i) text += "</pages></project>";
    text += "</projects></tessaron>";
    WriteText(file, text);
    TSXmlDataHandling reader;
    for (auto _ : state) {
        reader.InitializeDOMnode(file.c_str());
        benchmark::DoNotOptimize(reader.GetRootElement());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseProjectsInsideOneAnother)
    ->RangeMultiplier(2)
    ->Range(1000, 4000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// Expanding a group of 1,000 projects that each name three status codes, in a list of as
// many status codes as the argument: a project should cost what it names, not the list.
void BM_ExpandAmongStatusCodes(benchmark::State& state) {
    const auto codes = static_cast<int>(state.range(0));
    const std::filesystem::path file = gScratch / ("codes-" + std::to_string(codes) + ".xml");
    std::string text = R"(<tessaron><projectgroups><projectgroup id="1" name="G"/></projectgroups><projects>)";
    for (int i = 1; i <= 1000; ++i)
        text += R"(<project id=")" + std::to_string(i) + R"(" name="P" statuscodes="1,)" + std::to_string(codes / 2) +
                "," + std::to_string(codes) + R"(" project_group_id="1"/>)";
    text += "</projects><statuscodes>";
    for (int i = 1; i <= codes; ++i)
        text += R"(<statuscode id=")" + std::to_string(i) + R"(" name="Stage" description="A stage of the proof"/>)";
    text += "</statuscodes></tessaron>";
    WriteText(file, text);
    TSXmlDataHandling reader;
    reader.InitializeDOMnode(file.c_str());
    for (auto _ : state) {
        TSPanelNodeData group;
        group.SetData(PMString("G"), 1, false, 1 << 30);
        std::map<int32, TSPanelNodeData*> nodes;
        reader.UpdateChildInfo(group, nodes);
        benchmark::DoNotOptimize(group.ChildCount());
        for (auto& [id, node] : nodes) delete node;
    }
}
BENCHMARK(BM_ExpandAmongStatusCodes)->Arg(12)->Arg(10000)->Unit(benchmark::kMicrosecond);

// A small list around `inside`, put as the root's first child (0), into a group (1), a
// project (2) or the status codes list (3).
std::string SmallListAround(const std::string& inside, int where) {
    const auto at = [&](int here) { return where == here ? inside : std::string(); };
    return R"(<tessaron authenticated="1" filename="x">)" + at(0) + R"(<projectgroups><projectgroup id="1" name="G">)" +
           at(1) + R"(</projectgroup><projectgroup id="2" name="H"/></projectgroups><projects>)" +
           R"(<project id="5" name="P" statuscodes="1" project_group_id="1">)" + at(2) +
           R"(</project></projects><statuscodes><statuscode id="1" name="One"/>)" + at(3) +
           "</statuscodes></tessaron>";
}

// What the user waits for when the panel shows a list: the parse, the top-level groups and
// the child count of each.
void ShowTopLevel(TSXmlDataHandling& reader, const std::filesystem::path& file) {
    reader.InitializeDOMnode(file.c_str());
    TSPanelNodeData root;
    root.SetData(PMString("Root"), -1, false, -1);
    std::map<int32, TSPanelNodeData*> nodes;
    reader.UpdateChildInfo(root, nodes);
    std::vector<TSPanelNodeData*> top;
    for (auto& [id, node] : nodes) top.push_back(node);
    for (TSPanelNodeData* group : top) reader.UpdateChildInfo(*group, nodes);
    for (auto& [id, node] : nodes) delete node;
    tshost::ProgressLog::Get().Clear();
}

void ReportFileAndPeak(benchmark::State& state, const std::filesystem::path& file) {
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    state.counters["library_peak_MiB"] = gLibraryMemory.PeakMiB();
}

// As many attributes as the first argument, each of its own name, besides their groups' ids
// and names: all on one group (second argument 0) or 998 on each of as many groups as that
// takes (1). Showing the list should grow in proportion to them.
void BM_ShowGroupsWithManyAttributes(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    const int perGroup = state.range(1) == 0 ? count : 998;
    std::string groups;
    for (int made = 0; made < count;) {
        groups += R"(<projectgroup id=")" + std::to_string(3 + made) + R"(" name="Many")";
        for (const int end = std::min(count, made + perGroup); made < end; ++made)
            groups += " a" + std::to_string(made) + R"(="v")";
        groups += "/>";
    }
    const std::filesystem::path file =
        gScratch / ("attributes-" + std::to_string(count) + "-" + std::to_string(state.range(1)) + ".xml");
    WriteText(file, SmallListAround(groups, 1));
    TSXmlDataHandling reader;
    gLibraryMemory.ResetPeak();
    for (auto _ : state) ShowTopLevel(reader, file);
    ReportFileAndPeak(state, file);
}
BENCHMARK(BM_ShowGroupsWithManyAttributes)
    ->ArgsProduct({{50000, 100000, 200000}, {0, 1}})
    ->ArgNames({"attributes", "spread"})
    ->Unit(benchmark::kMillisecond);

// Elements the reader never reads, as many as the first argument, in nests as deep as the
// second (the whole number: one nest, deeper than the reader takes), put where the third says
// (see SmallListAround). Shown, the list's time should grow in proportion and the library's
// peak memory should stay what the small list costs.
void BM_ShowAmongUnreadElements(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const auto depth = static_cast<std::size_t>(state.range(1));
    std::string nest;
    for (std::size_t i = 0; i < depth; ++i) nest += "<x>";
    for (std::size_t i = 0; i < depth; ++i) nest += "</x>";
    std::string inside;
    for (std::size_t made = 0; made < count; made += depth) inside += nest;
    const std::filesystem::path file = gScratch / ("unread-" + std::to_string(count) + "-" + std::to_string(depth) +
                                                   "-" + std::to_string(state.range(2)) + ".xml");
    WriteText(file, SmallListAround(inside, static_cast<int>(state.range(2))));
    TSXmlDataHandling reader;
    gLibraryMemory.ResetPeak();
    for (auto _ : state) ShowTopLevel(reader, file);
    ReportFileAndPeak(state, file);
}
BENCHMARK(BM_ShowAmongUnreadElements)
    ->ArgsProduct({{1000000}, {1, 20, 1000000}, {0, 1, 2, 3}})
    ->ArgNames({"elements", "depth", "where"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    char pattern[] = "/tmp/tsbench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    gScratch = pattern;
    tsplatform::Overrides overrides;
    overrides.applicationSupportRoot = gScratch.string();
    tsplatform::SetOverrides(overrides);
    if (!Generate(2000, 100000, ProjectsFile()) || !Generate(2000, 100000, ListFile(100000)) ||
        !Generate(200, 10000, ListFile(10000))) {
        std::fprintf(stderr, "could not generate the project list\n");
        return 1;
    }
    xercesc::XMLPlatformUtils::Initialize(xercesc::XMLUni::fgXercescDefaultLocale, nullptr, nullptr, &gLibraryMemory);
    tshost::SetTranscriptSink([](std::string_view) {});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    domparseFile.ReleaseDocument();
    ReleaseLists();
    xercesc::XMLPlatformUtils::Terminate();
    std::filesystem::remove_all(gScratch);
    return 0;
}
