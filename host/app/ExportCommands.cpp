// Console commands for the PDF export and document metadata: the PDF presets of the
// workspace, a failure for the next exports, running the export command as the plug-in
// does, and reading a document's spreads and metadata.
#include <charconv>
#include <filesystem>

#include "CmdUtils.h"
#include "ConsoleCommands.h"
#include "FileUtils.h"
#include "Host.h"
#include "IPDFExportPrefs.h"
#include "IPageList.h"
#include "ISession.h"
#include "ISpreadList.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "MetaData.h"
#include "PDFExportCommand.h"
#include "PDFPresets.h"
#include "RangeProgressBar.h"
#include "SpreadList.h"
#include "Transcript.h"

namespace tshost {

namespace {

constexpr const char* kDefaultPreset = "[High Quality Print]";
constexpr int32 kMaxInjectedFailures = 1000;

PDFPresetList* Presets(std::string& error) {
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    PDFPresetList* list = PDFPresetList::Of(workspace.get());
    if (!list) error = "the workspace has no PDF presets";
    return list;
}

std::string Describe(const PresetSpec& preset) { return preset.name + (preset.spreads ? " (spreads)" : ""); }

bool ListPresets(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("presets", error);
    PDFPresetList* list = Presets(error);
    if (!list) return false;
    std::vector<PresetSpec> presets = list->Presets();
    if (presets.empty()) Show("no PDF presets");
    for (const PresetSpec& preset : presets) Show("  " + Describe(preset));
    return true;
}

// A run that does not save its workspace says so where it confirms a change of it.
std::string Kept(const Host& host) { return host.WorkspacePath().empty() ? " (for this run only: its workspace is not saved)" : ""; }

bool AddPreset(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.empty() || args.words.size() > 2 || (args.words.size() == 2 && args.words[1] != "spreads"))
        return Usage("preset-add", error);
    PDFPresetList* list = Presets(error);
    PresetSpec preset{args.words[0], args.words.size() == 2};
    if (!list || !list->Add(preset, error)) return false;
    Show("added PDF preset " + Describe(preset) + Kept(context.host));
    return true;
}

bool RemovePreset(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1) return Usage("preset-remove", error);
    PDFPresetList* list = Presets(error);
    if (!list || !list->Remove(args.words[0], error)) return false;
    Show("removed PDF preset " + args.words[0] + Kept(context.host));
    return true;
}

bool FailExports(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() > 1) return Usage("export-fail", error);
    int32 count = 1;
    if (!args.words.empty()) {
        const std::string& text = args.words[0];
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
        if (ec != std::errc() || end != text.data() + text.size() || count < 0 || count > kMaxInjectedFailures) {
            error = "COUNT must be a number from 0 to " + std::to_string(kMaxInjectedFailures) + ", not '" + text + "'";
            return false;
        }
    }
    FailNextExports(count);
    Show(count == 0 ? std::string("PDF exports no longer fail")
         : count == 1 ? std::string("the next PDF export fails")
                      : "the next " + std::to_string(count) + " PDF exports fail");
    return true;
}

// The range text of a spread's pages, as the page list writes it.
std::string SpreadText(IDataBase* db, const IPageList* pages, UID spread) {
    InterfacePtr<ISpreadData> data(db, spread, IID_OF<ISpreadData>());
    UIDList list(db);
    for (int32 p = 0; data && p < data->GetPageCount(); ++p) list.Append(data->GetNthPageUID(p));
    PMString text;
    pages->GetPageRangeString(list, text, 1, 0, 0, 0, 1);
    return text.GetUTF8String();
}

bool SpreadHoldsAny(IDataBase* db, UID spread, const UIDList& pages) {
    InterfacePtr<ISpreadData> data(db, spread, IID_OF<ISpreadData>());
    for (int32 p = 0; data && p < data->GetPageCount(); ++p)
        for (int32 i = 0; i < pages.Length(); ++i)
            if (pages[i] == data->GetNthPageUID(p)) return true;
    return false;
}

bool Export(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.empty() || args.words.size() > 3) return Usage("export", error);
    IDocument* document = context.host.Docs().Front();
    if (!document) {
        error = "no document is open";
        return false;
    }
    PDFPresetList* list = Presets(error);
    if (!list) return false;
    const std::string presetName = args.words.size() > 1 ? args.words[1] : kDefaultPreset;
    int32 index = list->GetStyleIndexByName(PMString(presetName, PMString::kNoTranslate));
    InterfacePtr<IPDFExportPrefs> presetPrefs(list->GetNthStyleRef(index), IID_OF<IPDFExportPrefs>());
    if (!presetPrefs) {
        error = "there is no PDF preset named " + presetName;
        return false;
    }
    std::error_code ec;
    std::string path = std::filesystem::absolute(args.words[0], ec).lexically_normal().string();
    IDFile file = FileUtils::FromPosixPath(ec ? args.words[0] : path);
    if (file.IsEmpty()) {
        error = "'" + args.words[0] + "' is no file path";
        return false;
    }

    IDataBase* db = ::GetDataBase(document);
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
    if (!pages || !spreads) {
        error = "the document has no pages";
        return false;
    }
    UIDList chosen(db);
    if (args.words.size() > 2) {
        if (pages->ParsePageRange(PMString(args.words[2], PMString::kNoTranslate), &chosen, 0) != kSuccess) {
            error = "'" + args.words[2] + "' is no range of this document's pages";
            return false;
        }
    } else {
        for (int32 i = 0; i < pages->GetPageCount(); ++i) chosen.Append(pages->GetNthPageUID(i));
    }

    InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kPDFExportCmdBoss));
    InterfacePtr<IPDFExportPrefs> commandPrefs(command.get(), IID_OF<IPDFExportPrefs>());
    InterfacePtr<ISysFileData> output(command.get(), IID_OF<ISysFileData>());
    InterfacePtr<IUIFlagData> uiFlags(command.get(), IID_OF<IUIFlagData>());
    InterfacePtr<IOutputPages> outputPages(command.get(), IID_OF<IOutputPages>());
    if (!commandPrefs || !output || !uiFlags || !outputPages) {
        error = "the PDF export command cannot be made";
        return false;
    }
    RangeProgressBar bar(PMString("Exporting PDF", PMString::kNoTranslate), 0, 100, kFalse);
    bar.SetPosition(0);
    presetPrefs->SetProgressBar(&bar);
    commandPrefs->CopyPrefs(presetPrefs.get());
    presetPrefs->SetProgressBar(nullptr);
    output->Set(file);
    uiFlags->Set(IUIFlagData::kShowNoUI);
    outputPages->Clear();
    outputPages->SetDataBase(db);
    outputPages->SetIsBook(kFalse);
    std::string what;
    if (commandPrefs->GetExportReaderSpreads()) {
        for (int32 s = 0; s < spreads->GetSpreadCount(); ++s) {
            UID spread = spreads->GetNthSpreadUID(s);
            if (!SpreadHoldsAny(db, spread, chosen)) continue;
            outputPages->AppendOutputPageUIDRef(UIDRef(db, spread));
            what += (what.empty() ? "spreads " : " | ") + SpreadText(db, pages.get(), spread);
        }
    } else {
        for (int32 i = 0; i < chosen.Length(); ++i) outputPages->AppendOutputPageUIDRef(chosen.GetRef(i));
        PMString range;
        pages->GetPageRangeString(chosen, range, 1, 0, 0, 0, 1);
        what = "pages " + range.GetUTF8String();
    }
    ErrorCode result = CmdUtils::ProcessCommand(command.get());
    if (result != kSuccess) {
        ErrorUtils::PMSetGlobalErrorCode(kSuccess);
        error = "the PDF export failed (error " + std::to_string(result) + "): " + LastExportProblem();
        return false;
    }
    Show("exported " + Documents::NameOf(document) + " (" + what + ") with " + presetName + " to " +
         FileUtils::GetPosixPath(file));
    return true;
}

bool ListSpreads(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() > 1) return Usage("spreads", error);
    IDocument* document = FrontOrNamed(context.host, args, error);
    if (!document) return false;
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    InterfacePtr<ISpreadList> spreads(document, IID_OF<ISpreadList>());
    if (!pages || !spreads) {
        error = Documents::NameOf(document) + " has no spreads";
        return false;
    }
    Show("spreads of " + Documents::NameOf(document) + ":");
    for (int32 s = 0; s < spreads->GetSpreadCount(); ++s)
        Show("  " + std::to_string(s + 1) + ": " + SpreadText(::GetDataBase(document), pages.get(), spreads->GetNthSpreadUID(s)));
    return true;
}

bool ShowMetadata(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() > 1) return Usage("metadata", error);
    IDocument* document = FrontOrNamed(context.host, args, error);
    if (!document) return false;
    std::optional<std::vector<MetadataEntry>> entries = ReadAllMetadata(document);
    if (!entries) {
        error = "the metadata of " + Documents::NameOf(document) + " cannot be read";
        return false;
    }
    if (entries->empty()) {
        Show(Documents::NameOf(document) + " has no metadata");
        return true;
    }
    Show("metadata of " + Documents::NameOf(document) + ":");
    for (const MetadataEntry& entry : *entries) Show("  " + entry.path + " = " + entry.value);
    return true;
}

ConsoleCommand gPresets("presets", "presets", "list the PDF export presets", ListPresets);
ConsoleCommand gPresetAdd("preset-add", "preset-add NAME [spreads]", "add a PDF export preset, exporting spreads if asked",
                          AddPreset);
ConsoleCommand gPresetRemove("preset-remove", "preset-remove NAME", "remove a PDF export preset", RemovePreset);
ConsoleCommand gExportFail("export-fail", "export-fail [COUNT]", "make the next COUNT PDF exports fail (1 when not given, 0 ends it)",
                           FailExports);
ConsoleCommand gExport("export", "export PATH [PRESET] [RANGE]",
                       "export the front document's pages (all when no RANGE) as a PDF with a preset ([High Quality Print] when not given)",
                       Export);
ConsoleCommand gSpreads("spreads", "spreads [NAME]", "list the spreads of the front document or the one named", ListSpreads);
ConsoleCommand gMetadata("metadata", "metadata [NAME]", "show the metadata of the front document or the one named", ShowMetadata);

}  // namespace

}  // namespace tshost
