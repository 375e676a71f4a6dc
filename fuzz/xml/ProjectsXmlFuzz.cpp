// The projects-file reader on arbitrary bytes: parsing must never crash, hang or fetch
// anything, a failed parse must leave nothing to read, and a good one must give a tree
// whose every record is reachable once, in byte order among its siblings.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <xercesc/util/PlatformUtils.hpp>

#include "Alerts.h"
#include "ProgressBars.h"
#include "StatusCodeInfo.h"
#include "TSPanelNodeData.h"
#include "TSXmlDataHandling.h"
#include "Transcript.h"

namespace {

// Enough records for any tree a small input can describe, few enough to stay quick.
constexpr std::size_t kMaxRecords = 20000;

std::string gInput;

void Check(bool condition) {
    if (!condition) std::abort();
}

void WalkTree(TSXmlDataHandling& reader) {
    TSPanelNodeData root;
    root.SetData(PMString("Root"), -1, false, -1);
    std::map<int32, TSPanelNodeData*> nodes;
    std::vector<TSPanelNodeData*> pending{&root};
    TSXmlDataHandling::fPrjID = 0;
    while (!pending.empty() && nodes.size() < kMaxRecords) {
        TSPanelNodeData* node = pending.back();
        pending.pop_back();
        if (node->IsProject()) continue;
        reader.UpdateChildInfo(*node, nodes);
        for (int32 i = 0; i < node->ChildCount(); ++i) {
            const TSPanelNodeData& copy = node->GetNthChild(i);
            Check(copy.GetParent() == node);
            if (i > 0)
                Check(std::strcmp(node->GetNthChild(i - 1).GetNodeName().GrabCString(), copy.GetNodeName().GrabCString()) <= 0 ||
                      (!node->GetNthChild(i - 1).IsProject() && copy.IsProject()));
            auto found = nodes.find(copy.GetProjectID());
            Check(found != nodes.end());
            // A sub-group may repeat an ancestor's id and so go on for ever: kMaxRecords ends it.
            if (!found->second->IsProject() && found->second->ChildCount() == 0) pending.push_back(found->second);
        }
    }
    for (auto& [id, node] : nodes) delete node;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    xercesc::XMLPlatformUtils::Initialize();
    tshost::SetTranscriptSink([](std::string_view) {});
    char path[] = "/tmp/fuzz-projects-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) std::abort();
    close(fd);
    gInput = path;
    std::atexit([] { std::remove(gInput.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FILE* file = std::fopen(gInput.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    TSXmlDataHandling reader;
    reader.InitializeDOMnode(gInput.c_str());
    if (reader.ParseFailed()) {
        Check(reader.GetRootElement() == nullptr);
        Check(!tshost::AlertLog::Get().Records().empty());
    } else {
        K2Vector<StatusCodeInfo> codes;
        reader.GetStatusCodesInfo(codes);
        PMString text;
        reader.GetFileNameDefination(text);
        WalkTree(reader);
    }
    tshost::AlertLog::Get().Clear();
    tshost::ProgressLog::Get().Clear();
    return 0;
}
