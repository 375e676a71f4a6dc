// The projects-file reader on arbitrary bytes: parsing must never crash, hang or fetch
// anything, a failed parse must leave nothing to read, and a good one must give a tree
// whose every record is reachable once, in byte order among its siblings. The verdict
// step then runs on the same answer: it may replace the projects file only with an
// accepted update, and then with exactly the bytes that came.
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
#include "platform/HfsPath.h"
#include "ProgressBars.h"
#include "StatusCodeInfo.h"
#include "TSPanelNodeData.h"
#include "TSXmlDataHandling.h"
#include "Transcript.h"

namespace {

// Enough records for any tree a small input can describe, few enough to stay quick.
constexpr std::size_t kMaxRecords = 20000;

std::string gInput;
std::string gProjects;
PMString gInputHfs;
PMString gProjectsHfs;

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

std::string ReadAll(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

// The projects file starts each run as a marker the verdict step may only replace whole.
void CheckVerdict(TSXmlDataHandling& reader, const uint8_t* data, std::size_t size) {
    const std::string marker = "previous projects file";
    FILE* file = std::fopen(gProjects.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(marker.data(), 1, marker.size(), file);
    std::fclose(file);
    int16 status = 0;
    const bool replaced = reader.UpdateProjectsInfo(gInputHfs, gProjectsHfs, status);
    const std::string now = ReadAll(gProjects);
    if (replaced) {
        Check(status == 1);
        Check(now == std::string(reinterpret_cast<const char*>(data), size));
    } else {
        Check(now == marker);
    }
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
    char projects[] = "/tmp/fuzz-projects-XXXXXX";
    fd = mkstemp(projects);
    if (fd < 0) std::abort();
    close(fd);
    gProjects = projects;
    std::string hfs;
    if (!tsplatform::PosixToHfs(gInput, hfs)) std::abort();
    gInputHfs = PMString(hfs.c_str(), PMString::kNoTranslate);
    if (!tsplatform::PosixToHfs(gProjects, hfs)) std::abort();
    gProjectsHfs = PMString(hfs.c_str(), PMString::kNoTranslate);
    std::atexit([] {
        std::remove(gInput.c_str());
        std::remove(gProjects.c_str());
    });
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
    CheckVerdict(reader, data, size);
    tshost::AlertLog::Get().Clear();
    tshost::ProgressLog::Get().Clear();
    return 0;
}
