// Heap taken, for panel-timings.sh, by what the shown projects panel holds of a project list:
// the reader's document (beside a bare parse's), the records of the top-level groups and of
// their children (the rows' expanders ask for those) and the reader's per-parent index.
//   panel_parts FILE
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <map>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include "TSPanelNodeData.h"
#include "TSXmlDataHandling.h"
#include "Transcript.h"

namespace {

// Heap in use, large blocks the allocator maps on their own included.
double HeapMB() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / 1e6;
}

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int Parts(const char* file) {
    xercesc::XMLPlatformUtils::Initialize();
    tshost::SetTranscriptSink([](std::string_view) {});
    const double base = HeapMB();
    double document = 0, index = 0, records = 0;
    std::size_t count = 0;
    {
        xercesc::DOMImplementation* impl = xercesc::DOMImplementationRegistry::getDOMImplementation(u"LS");
        const auto start = Clock::now();
        xercesc::DOMLSParser* parser = impl->createLSParser(xercesc::DOMImplementationLS::MODE_SYNCHRONOUS, nullptr);
        parser->parseURI(file);
        std::printf("bare_parse_s %.3f bare_document_mb %.1f ", Since(start), HeapMB() - base);
        parser->release();
    }
    {
        TSXmlDataHandling reader;
        auto start = Clock::now();
        reader.InitializeDOMnode(file);
        std::printf("parse_s %.3f ", Since(start));
        document = HeapMB() - base;
        start = Clock::now();
        TSPanelNodeData root;
        root.SetData(PMString("Root"), -1, false, -1);
        std::map<int32, TSPanelNodeData*> nodes;
        reader.UpdateChildInfo(root, nodes);
        for (int32 i = 0; i < root.ChildCount(); ++i) reader.UpdateChildInfo(*nodes[root.GetNthChild(i).GetProjectID()], nodes);
        const double built = HeapMB() - base;
        std::printf("records_s %.3f ", Since(start));
        count = nodes.size();
        for (auto& [id, node] : nodes) delete node;
        nodes.clear();
        TSPanelNodeData empty;
        root = empty;
        index = HeapMB() - base - document;
        records = built - document - index;
    }
    xercesc::XMLPlatformUtils::Terminate();
    std::printf("document_mb %.1f records_mb %.1f records %zu index_mb %.1f\n", document, records, count, index);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: panel_parts FILE\n");
        return 2;
    }
    return Parts(argv[1]);
}
