// Times one request of the plug-in's connection for connection-timings.sh, which compares it
// with the curl program against the same server. Prints one line:
//   seconds S ok 0|1 peak_kib K
// where K is the process's peak resident memory.
//   connection_bench upload FILE SERVER_URL
//   connection_bench download SERVER_URL SUPPORT_FOLDER   (no cached list: a full update)
//   connection_bench parse FILE                           (the reader alone)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include <xercesc/util/PlatformUtils.hpp>

#include "TSConnection.h"
#include "TSStartupShutdown.h"
#include "TSUploadGlobals.h"
#include "TSXmlDataHandling.h"
#include "Transcript.h"
#include "platform/Overrides.h"

namespace {

int Report(const std::function<bool()>& run) {
    auto started = std::chrono::steady_clock::now();
    bool ok = run();
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("seconds %.3f ok %d peak_kib %ld\n", elapsed.count(), ok ? 1 : 0, usage.ru_maxrss);
    return ok ? 0 : 1;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: connection_bench upload FILE SERVER_URL\n"
                 "       connection_bench download SERVER_URL SUPPORT_FOLDER\n"
                 "       connection_bench parse FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) return Usage();
    std::string mode = argv[1];
    // Alerts and progress bars would only add console time to the figures.
    tshost::SetTranscriptSink([](std::string_view) {});
    TSStartupShutdown::UpdateSystemInfo();
    TSConnection::InitializeLibrary();

    if (mode == "upload" && argc == 4) {
        g_Name = PMString("demo");
        g_Password = PMString("demo");
        g_ProjectID = PMString("1001");
        g_StatusID = PMString("2");
        g_PageNumber = PMString("1-4");
        return Report([&] { return TSConnection().UploadPDFToServer(argv[2], argv[3]); });
    }

    xercesc::XMLPlatformUtils::Initialize();
    int result = 2;
    if (mode == "download" && argc == 4) {
        tsplatform::Overrides overrides;
        overrides.applicationSupportRoot = argv[3];
        tsplatform::SetOverrides(overrides);
        std::filesystem::remove(std::filesystem::path(argv[3]) / "Tessaron" / "projects.xml");
        result = Report([&] {
            short status = 0;
            return TSConnection().GetProjectsData(PMString("demo"), PMString("demo"), PMString(argv[2]), status) == kTrue;
        });
    } else if (mode == "parse" && argc == 3) {
        result = Report([&] {
            TSXmlDataHandling reader;
            reader.InitializeDOMnode(argv[2]);
            return !reader.ParseFailed();
        });
    } else {
        Usage();
    }
    xercesc::XMLPlatformUtils::Terminate();
    return result;
}
