// A booted host in a temporary home for the export tests, with its transcript kept for
// reading, and the plug-in's way of running a PDF export (preset lookup with its fallback,
// the progress bar handed to the preset's settings, the copy into the command's, the output
// file, no UI, then pages or spreads) so the tests drive the host as the plug-in will.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../HostTestSupport.h"
#include "CmdUtils.h"
#include "FileUtils.h"
#include "Host.h"
#include "IOutputPages.h"
#include "IPDFExportPrefs.h"
#include "IPDFExptStyleListMgr.h"
#include "IPageList.h"
#include "ISession.h"
#include "ISpreadList.h"
#include "ISysFileData.h"
#include "IUIFlagData.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "PDFExportCmd.h"
#include "PDFPresets.h"
#include "RangeProgressBar.h"
#include "Transcript.h"

namespace tstest {

// What the plug-in's export answers besides the command's result: that it stopped before
// processing because the preset or the range was refused.
constexpr ErrorCode kRefusedBeforeExport = -1;

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        tshost::SetTranscriptSink([this](std::string_view line) { shown.emplace_back(line); });
        std::string error;
        host = std::make_unique<tshost::Host>();
        ASSERT_TRUE(host->Boot(error)) << error;
        host->Start(dir.Path());
    }
    void TearDown() override {
        host.reset();
        tshost::SetTranscriptSink({});
    }

    // Quits and starts a new host on the same home, as a restart does.
    void Restart() {
        std::string error;
        EXPECT_TRUE(host->Quit(error)) << error;
        host.reset();
        host = std::make_unique<tshost::Host>();
        ASSERT_TRUE(host->Boot(error)) << error;
        host->Start(dir.Path());
    }

    IDocument* NewDocument(int32 pages) {
        std::string error;
        IDocument* document = host->Docs().New(pages, error);
        EXPECT_TRUE(document) << error;
        return document;
    }

    tshost::PDFPresetList* Presets() {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        return tshost::PDFPresetList::Of(workspace.get());
    }

    TempDir dir;
    std::unique_ptr<tshost::Host> host;
    std::vector<std::string> shown;
};

inline ErrorCode ExportLikeThePlugin(IDocument* document, const std::string& presetName, const std::string& posixPath,
                                     const std::string& range, RangeProgressBar* bar = nullptr) {
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    InterfacePtr<IPDFExptStyleListMgr> presets(workspace.get(), IID_OF<IPDFExptStyleListMgr>());
    if (!document || !presets) return kRefusedBeforeExport;
    int32 index = presets->GetStyleIndexByName(PMString(presetName, PMString::kNoTranslate));
    if (index == -1) index = presets->GetStyleIndexByName(PMString("[High Quality Print]", PMString::kNoTranslate));
    UIDRef presetRef = presets->GetNthStyleRef(index);
    if (!presetRef.GetDataBase()) return kRefusedBeforeExport;
    InterfacePtr<IPDFExportPrefs> presetPrefs(presetRef.GetDataBase(), presetRef.GetUID(), IID_OF<IPDFExportPrefs>());
    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
    if (!presetPrefs || !command) return kRefusedBeforeExport;
    presetPrefs->SetProgressBar(bar);
    InterfacePtr<IPDFExportPrefs> prefs(command.get(), IID_OF<IPDFExportPrefs>());
    prefs->CopyPrefs(presetPrefs.get());
    InterfacePtr<ISysFileData> file(command.get(), IID_OF<ISysFileData>());
    IDFile output;
    FileUtils::PMStringToSysFile(PMString(FileUtils::FromPosixPath(posixPath).GetPath(), PMString::kNoTranslate), output);
    file->Set(output);
    InterfacePtr<IUIFlagData> uiFlags(command.get(), IID_OF<IUIFlagData>());
    uiFlags->Set(0);

    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    UIDList chosen;
    if (pages->ParsePageRange(PMString(range, PMString::kNoTranslate), &chosen, 0) != kSuccess) return kRefusedBeforeExport;
    UIDList items(::GetDataBase(document));
    if (prefs->GetExportReaderSpreads()) {
        InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
        for (int32 i = 0; i < spreads->GetSpreadCount(); ++i) items.Append(spreads->GetNthSpreadUID(i));
    } else {
        items = chosen;
    }
    InterfacePtr<IOutputPages> outputs(command.get(), IID_OF<IOutputPages>());
    if (!outputs) return kRefusedBeforeExport;
    outputs->Clear();
    outputs->SetDataBase(::GetDataBase(document));
    outputs->SetIsBook(kFalse);
    for (int32 i = 0; i < items.Length(); ++i) outputs->AppendOutputPageUIDRef(items.GetRef(i));
    return CmdUtils::ProcessCommand(command.get());
}

// The files in a folder, by name.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tstest
