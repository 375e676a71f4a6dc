// The send dialog against a running host and tessaron-proofd: what it shows for each target,
// how the file name follows the user's edits, and what a send to a folder or a hot folder
// leaves behind, the document's link to its project included.
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "ActionMgr.h"
#include "Alerts.h"
#include "CmdUtils.h"
#include "Dialogs.h"
#include "IActionComponent.h"
#include "ITSDynActionIDsData.h"
#include "IDataBase.h"
#include "IDocument.h"
#include "ITSDocData.h"
#include "ITSDocPathPrjIdData.h"
#include "ISession.h"
#include "IWorkspace.h"
#include "IMetaDataAccess.h"
#include "IPanelSwitcher.h"
#include "InterfacePtr.h"
#include "MetaData.h"
#include "Widgets.h"
#include "PDFExportCommand.h"
#include "PDFPresets.h"
#include "Preferences.h"
#include "SendTestSupport.h"
#include "TSID.h"
#include "TSPanelUtils.h"
#include "TSPrefsIDs.h"
#include "TSSendDialogIDs.h"
#include "TSUploadGlobals.h"

namespace fs = std::filesystem;

namespace {

const std::initializer_list<const char*> kSpring = {"Northwind Books", "Spring Catalogue"};

class SendWorkflowTest : public SendTest {
protected:
    // A saved three-page document "Flyer.indd" in front.
    IDocument* SavedFlyer() {
        IDocument* doc = NewDocument(3);
        std::string error;
        EXPECT_TRUE(fHost->Docs().SaveAs(doc, fFiles.Path() + "/Flyer.indd", error)) << error;
        return doc;
    }
    std::pair<int32, int32> DocLink(IDocument* doc) {
        InterfacePtr<ITSDocData> data(doc, IID_OF<ITSDocData>());
        return data ? std::make_pair(data->GetProjectXMLID(), data->GetStatusID()) : std::make_pair(-2, -2);
    }
    std::vector<int32> LinkedProjects() {
        InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
        InterfacePtr<ITSDocPathPrjIdData> store(workspace.get(), IID_OF<ITSDocPathPrjIdData>());
        std::vector<int32> out;
        for (const auto& record : store->GetDocPathPrjIDContainer()) out.push_back(record.prjID);
        return out;
    }

    // Sends the front document with `name` typed into the file-name box; the alerts shown.
    std::vector<std::string> SendTyping(const std::string& name) {
        EXPECT_TRUE(OpenSendDialog());
        SetText(kTSFileNameEditBoxWidgetID, name);
        EXPECT_TRUE(PressOK());
        return TakeAlerts();
    }
    std::vector<std::string> Listing(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The value of the ticket's attribute `name`, as the serializer wrote it.
    static std::string TicketAttribute(const std::string& ticket, const std::string& name) {
        const std::string key = " " + name + "=\"";
        const std::size_t at = ticket.find(key);
        if (at == std::string::npos) return "<none>";
        const std::size_t from = at + key.size();
        return ticket.substr(from, ticket.find('"', from) - from);
    }

    tstest::TempDir fFiles;
    tstest::TempDir fOut;
};

TEST_F(SendWorkflowTest, FolderSendWritesTheTemplatedPdfAndLinksTheDocument) {
    Store(Prefs("Folder", fOut.Path()));
    IDocument* doc = SavedFlyer();
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    // Each export takes seven seconds.
    tshost::Clock::SetVirtual(*tshost::Clock::ParseLocal("2007-03-05 14:03:09"));
    tshost::SetExportTime(7000);
    ASSERT_TRUE(OpenSendDialog());
    EXPECT_EQ(Title(), "Send to Tessaron \"Cover\"");
    EXPECT_TRUE(IsShown(kTSPresetGroupWidgetID));
    EXPECT_FALSE(IsShown(kTSStatusDropDownWidgetID));
    EXPECT_TRUE(IsShown(kTSFileNameGroupWidgetID));
    EXPECT_FALSE(IsShown(kTSUserInputEditBoxWidgetID));  // the sample template has no user input
    EXPECT_EQ(Frame(kTSSendDialogWidgetID).Bottom(), 320);
    EXPECT_EQ(Frame(kTSPagesGroupWidgetID).Top(), 130);
    EXPECT_EQ(DropDownItems(kTSPresetDropDownWidgetID),
              (std::vector<std::string>{"[High Quality Print]", "*[Press Quality]", "[Smallest File Size]"}));
    EXPECT_EQ(SelectedRadio(), kTSAllPagesRadioWidgetID);
    EXPECT_EQ(Text(kTSPageRangeEditBoxWidgetID), "1-3");
    EXPECT_EQ(Text(kTSFileNameEditBoxWidgetID), "NWB-SP-COV_Flyer_1-3");

    ASSERT_TRUE(PressOK());
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_regular_file(fOut.Path() + "/NWB-SP-COV_Flyer_1-3.pdf"));
    // Linked: the project and no status (the folder target offers none); saved again, so
    // the link is not an unsaved change.
    EXPECT_EQ(DocLink(doc), std::make_pair(1001, -1));
    EXPECT_FALSE(GetDataBase(doc)->IsModified());
    EXPECT_EQ(LinkedProjects(), std::vector<int32>{1001});

    // The same document to the same project again: still one record.
    ASSERT_TRUE(OpenSendDialog());
    ASSERT_TRUE(PressOK());
    EXPECT_EQ(LinkedProjects(), std::vector<int32>{1001});

    // Each export is logged with its time from its start, and booked for the document.
    tshost::SetExportTime(0);
    const std::string line = "<pdf_generation_at duration=\"00:00:07\" preset=\"[Press Quality]\">20070305 ";
    EXPECT_EQ(CloseAndReadLines(doc, "<pdf_"),
              (std::vector<std::string>{line + "14:03:09</pdf_generation_at>", line + "14:03:16</pdf_generation_at>",
                                        "<pdf_total_generation_time>00:00:14</pdf_total_generation_time>"}));
}

TEST_F(SendWorkflowTest, FileNameFollowsTheRangeAndThePageRadios) {
    Store(Prefs("Folder", fOut.Path()));
    SavedFlyer();
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    ASSERT_TRUE(OpenSendDialog());
    SetText(kTSPageRangeEditBoxWidgetID, "");
    Type(kTSPageRangeEditBoxWidgetID, "2-3");
    EXPECT_EQ(SelectedRadio(), kTSPageRangeRadioWidgetID);
    EXPECT_EQ(Text(kTSFileNameEditBoxWidgetID), "NWB-SP-COV_Flyer_2-3");
    Click(kTSAllPagesRadioWidgetID);
    EXPECT_EQ(Text(kTSFileNameEditBoxWidgetID), "NWB-SP-COV_Flyer_1-3");
    Click(kTSPageRangeRadioWidgetID);
    EXPECT_EQ(Text(kTSFileNameEditBoxWidgetID), "NWB-SP-COV_Flyer_2-3");

    // A range the host cannot read exports nothing.
    SetText(kTSPageRangeEditBoxWidgetID, "9-12");
    ASSERT_TRUE(PressOK());
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"warning: The PDF could not be written to the folder."});
    EXPECT_TRUE(fs::is_empty(fOut.Path()));
}

// The template is the one in the cached project list as the dialog finds it, also when the
// list changed since the panel read it, and the default when the list names none or cannot
// be read. A "user_input" token shows the user-input box; what is typed there, trimmed,
// takes the token's place, and the PDF is named so.
TEST_F(SendWorkflowTest, TheTemplateComesFromTheCachedListOrTheDefaultAndTakesTheTypedInput) {
    Store(Prefs("Folder", fOut.Path()));
    SavedFlyer();
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    const std::string cached = TSPanelUtils::GetTessaronFolderPath().GetUTF8String() + "/projects.xml";
    const std::string downloaded = tstest::ReadFile(cached);
    const std::string sampleTemplate = " filename=\"$project_code$_$file_name$_$page_number$\"";
    ASSERT_NE(downloaded.find(sampleTemplate), std::string::npos);
    const auto withTemplate = [&](const std::string& attribute) {
        std::string list = downloaded;
        return list.replace(list.find(sampleTemplate), sampleTemplate.size(), attribute);
    };
    const struct {
        const char* name;
        std::string list;
        const char* opened;  // the file name when the dialog opens
        bool userInputShown;
        const char* typed;
        const char* sent;  // the PDF's name without ".pdf"
    } cases[] = {
        {"the list the panel read", downloaded, "NWB-SP-COV_Flyer_1-3", false, "", "NWB-SP-COV_Flyer_1-3"},
        {"a list changed since", withTemplate(" filename=\"$project_name$ $user_input$\""), "Cover user_input", true, "draft",
         "Cover draft"},
        {"a list without a template", withTemplate(""), "NWB-SP-COV_Flyer-user_input", true, " draft 2 ",
         "NWB-SP-COV_Flyer-draft 2"},
        {"blanks typed", withTemplate(" filename=\"\""), "NWB-SP-COV_Flyer-user_input", true, "  ",
         "NWB-SP-COV_Flyer-user_input"},
        {"a list that cannot be read", "<tessaron", "NWB-SP-COV_Flyer-user_input", true, "x", "NWB-SP-COV_Flyer-x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.list != tstest::ReadFile(cached)) tstest::WriteFile(cached, c.list);
        ASSERT_TRUE(OpenSendDialog());
        EXPECT_EQ(Text(kTSFileNameEditBoxWidgetID), c.opened);
        EXPECT_EQ(IsShown(kTSUserInputEditBoxWidgetID), c.userInputShown);
        if (*c.typed) Type(kTSUserInputEditBoxWidgetID, c.typed);
        ASSERT_TRUE(PressOK());
        const std::vector<std::string> alerts = TakeAlerts();
        // The reader reports a list it cannot read.
        EXPECT_EQ(alerts.size(), c.list == "<tessaron" ? 1u : 0u) << (alerts.empty() ? "" : alerts[0]);
        EXPECT_EQ(Listing(fOut.Path()), std::vector<std::string>{std::string(c.sent) + ".pdf"});
        fs::remove(fOut.Path() + "/" + c.sent + ".pdf");
    }
}

TEST_F(SendWorkflowTest, FolderFailuresWarnAndChangeNothing) {
    Store(Prefs());
    IDocument* doc = SavedFlyer();
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    // A folder that is missing or not set, for either target: the specific warning first,
    // nothing written, the document neither linked nor closed.
    const std::string folderError = "warning: The PDF could not be written to the folder.";
    const std::string ticketError = "warning: The job ticket could not be written to the hot folder.";
    const struct {
        const char* target;
        std::string folder;
        const std::string& error;
    } missing[] = {
        {"Folder", fOut.Path() + "/gone", folderError},
        {"Folder", "", folderError},
        {"InDesign Server", fOut.Path() + "/gone", ticketError},
        {"InDesign Server", "", ticketError},
    };
    for (const auto& c : missing) {
        SCOPED_TRACE(std::string(c.target) + " in \"" + c.folder + "\"");
        Store(Prefs(c.target, c.folder));
        ASSERT_TRUE(OpenSendDialog());
        ASSERT_TRUE(PressOK());
        EXPECT_EQ(TakeAlerts(), (std::vector<std::string>{"warning: The folder does not exist.", c.error}));
        EXPECT_EQ(DocLink(doc), std::make_pair(-1, -1));
        EXPECT_TRUE(LinkedProjects().empty());
        EXPECT_EQ(fHost->Docs().Front(), doc);
        EXPECT_TRUE(fs::is_empty(fOut.Path()));
    }

    // A typed name is cleaned as a file name, and cannot reach outside the folder; one with
    // nothing left, or only a hidden name, is refused.
    Store(Prefs("Folder", fOut.Path()));
    EXPECT_EQ(SendTyping("\x01\x02 :/ \x1b"), std::vector<std::string>{"warning: The PDF could not be written to the folder."});
    EXPECT_EQ(SendTyping("../../x"), std::vector<std::string>{"warning: The PDF could not be written to the folder."});
    EXPECT_EQ(SendTyping("::x/\x1by.PDF"), std::vector<std::string>{});
    EXPECT_EQ(Listing(fOut.Path()), std::vector<std::string>{"xy.PDF.pdf"});
}

TEST_F(SendWorkflowTest, HotFolderGetsATicketNamedAfterTheDocumentAndClosesIt) {
    Store(Prefs("InDesign Server", fOut.Path()));
    IDocument* unsaved = NewDocument(2);
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    ASSERT_TRUE(OpenSendDialog());
    EXPECT_FALSE(IsShown(kTSPresetGroupWidgetID));
    EXPECT_EQ(Frame(kTSPagesGroupWidgetID).Top(), 20);
    EXPECT_EQ(Frame(kOKButtonWidgetID).Bottom(), 190);
    ASSERT_TRUE(PressOK());
    EXPECT_EQ(TakeAlerts(), (std::vector<std::string>{"warning: Save the document first.",
                                                      "warning: The job ticket could not be written to the hot folder."}));
    EXPECT_EQ(DocLink(unsaved), std::make_pair(-1, -1));

    // The output name is cleaned as the folder target's: one with nothing left, or a hidden
    // one, is refused, and so is a range the host cannot read; the document then stays open.
    // The ticket names the pages of the range typed, or all of them.
    const struct {
        const char* typed;
        const char* range;   // empty: All
        const char* output;  // empty: refused
        const char* pages;
    } sends[] = {
        {"\x01 / \x02", "", "", ""},
        {"../../x", "", "", ""},
        {"y", "9-12", "", ""},
        {"::y\x1b.indd", "", "y.indd", "1,2,3"},
        {"a/../b", "", "a..b.indd", "1,2,3"},
        {"y", "2-3", "y.indd", "2,3"},
    };
    for (const auto& c : sends) {
        SCOPED_TRACE(std::string(c.typed) + " pages " + c.range);
        IDocument* doc = fHost->Docs().Front() == unsaved ? SavedFlyer() : fHost->Docs().Front();
        ASSERT_TRUE(OpenSendDialog());
        if (*c.range) {
            Click(kTSPageRangeRadioWidgetID);
            SetText(kTSPageRangeEditBoxWidgetID, c.range);
        }
        SetText(kTSFileNameEditBoxWidgetID, c.typed);
        ASSERT_TRUE(PressOK());
        if (!*c.output) {
            EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"warning: The job ticket could not be written to the hot folder."});
            EXPECT_TRUE(fs::is_empty(fOut.Path()));
            EXPECT_EQ(fHost->Docs().Front(), doc);
            continue;
        }
        EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
        const std::string ticket = tstest::ReadFile(fOut.Path() + "/Flyer.xml");
        EXPECT_EQ(TicketAttribute(ticket, "name"), c.output);
        EXPECT_EQ(TicketAttribute(ticket, "newitemcode"), c.pages);
        EXPECT_EQ(TicketAttribute(ticket, "projectcode"), "NWB-SP-COV");
        EXPECT_EQ(fHost->Docs().Count(), 1);
        EXPECT_EQ(fHost->Docs().Front(), unsaved);
        fs::remove(fOut.Path() + "/Flyer.xml");
    }
}

// Hot folders are shared: whatever another user planted there, the ticket goes only to its
// own name, as a new file readable by the server, and nothing else is touched.
TEST_F(SendWorkflowTest, ATicketIsNeverRedirectedByALinkInTheHotFolder) {
    Store(Prefs("InDesign Server", fOut.Path()));
    const std::string victim = fFiles.Path() + "/victim.txt";
    tstest::WriteFile(victim, "keep me");
    const std::vector<std::string> planted = {".tessaron-ticket-" + std::to_string(::getpid()) + ".part", "Flyer.xml"};
    for (const std::string& name : planted) fs::create_symlink(victim, fOut.Path() + "/" + name);
    SavedFlyer();
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    EXPECT_EQ(SendTyping("y"), std::vector<std::string>{});
    EXPECT_EQ(tstest::ReadFile(victim), "keep me");
    const fs::path ticket = fOut.Path() + "/Flyer.xml";
    ASSERT_FALSE(fs::is_symlink(ticket));
    EXPECT_EQ(TicketAttribute(tstest::ReadFile(ticket), "name"), "y.indd");
    struct stat info {};
    ASSERT_EQ(::stat(ticket.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    // Only the ticket came; no temporary file stays behind.
    EXPECT_EQ(Listing(fOut.Path()), (std::vector<std::string>{planted[0], "Flyer.xml"}));
}

// A ":" is an ordinary character of a POSIX file name: the ticket keeps the document's name,
// in the hot folder itself, less what shows nothing. The hot folder's server passes over hidden
// files: a document whose ticket would be one, or would look nameless, is not sent, and stays
// open.
TEST_F(SendWorkflowTest, ATicketIsNamedAfterTheDocumentUnlessItWouldBeHidden) {
    Store(Prefs("InDesign Server", fOut.Path()));
    const struct {
        std::string name;
        std::string ticket;  // empty: not sent
    } cases[] = {
        {"a:b", "a:b.xml"},
        {":lead", ":lead.xml"},
        {"trail:", "trail:.xml"},
        {"x::y:z", "x::y:z.xml"},
        {":", ":.xml"},
        {"\xe2\x80\xaetxt.exe", "txt.exe.xml"},
        {"\xe3\x80\x80" "a\xe2\x81\xa0" "b\xc2\xa0", "ab.xml"},
        // The documents not sent stay open: they come last.
        {".", ""},
        {"", ""},
        {".draft", ""},
        {"\xe2\x81\xa0.draft", ""},
        {"\xef\xbb\xbf\xe3\x85\xa4", ""},
        {"\xc2\xa0\xe3\x80\x80", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool hidden = c.ticket.empty();
        IDocument* doc = NewDocument(1);
        std::string error;
        ASSERT_TRUE(fHost->Docs().SaveAs(doc, fFiles.Path() + "/" + c.name + ".indd", error)) << error;
        ASSERT_TRUE(SelectProject(kSpring, "Cover"));
        EXPECT_EQ(SendTyping("out"), hidden ? std::vector<std::string>{"warning: The job ticket could not be written to the hot folder."}
                                            : std::vector<std::string>{});
        if (hidden) {
            EXPECT_TRUE(fs::is_empty(fOut.Path()));
            ASSERT_EQ(fHost->Docs().Front(), doc);
            EXPECT_EQ(DocLink(doc), std::make_pair(-1, -1));
            continue;
        }
        EXPECT_EQ(Listing(fOut.Path()), std::vector<std::string>{c.ticket});
        EXPECT_EQ(TicketAttribute(tstest::ReadFile(fOut.Path() + "/" + c.ticket), "path"),
                  fFiles.Path() + "/" + c.name + ".indd");
        EXPECT_EQ(fHost->Docs().Count(), 0) << "the document is closed once its ticket is written";
        for (const auto& entry : fs::directory_iterator(fOut.Path())) fs::remove_all(entry.path());
    }
}

// A ticket the disk takes only in part never reaches the hot folder, where the server would
// take it for a whole one: the send fails and the document stays open and unlinked.
TEST_F(SendWorkflowTest, ATicketWrittenInPartIsNeitherKeptNorReportedSent) {
    Store(Prefs("InDesign Server", fOut.Path()));
    IDocument* doc = SavedFlyer();
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    ASSERT_TRUE(OpenSendDialog());
    // Files may grow to 64 bytes only: the ticket's first write is cut short, the next refused.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{64, limit.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool closed = PressOK();
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(closed);
    EXPECT_EQ(TakeAlerts(), std::vector<std::string>{"warning: The job ticket could not be written to the hot folder."});
    EXPECT_TRUE(fs::is_empty(fOut.Path()));
    EXPECT_EQ(fHost->Docs().Front(), doc);
    EXPECT_EQ(DocLink(doc), std::make_pair(-1, -1));
}

// The preset chosen in the dialog makes the PDF, a page for each page or, when it asks for
// them, for each spread (the first page stands alone, then pages pair up). The preset may be
// gone by the time of the export: the PDF is then made with "[High Quality Print]" rather
// than not at all.
TEST_F(SendWorkflowTest, ThePresetMakesThePdfAndAVanishedOneFallsBackToHighQualityPrint) {
    InterfacePtr<IWorkspace> workspace(gSession->QueryWorkspace());
    tshost::PDFPresetList* presets = tshost::PDFPresetList::Of(workspace.get());
    std::string error;
    ASSERT_TRUE(presets->Add({"Spreads", true}, error)) << error;
    Store(Prefs());
    SavedFlyer();
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    const struct {
        const char* preset;
        bool vanishes;
        const char* madeWith;
        std::size_t pdfPages;
    } cases[] = {
        {"Spreads", false, "Spreads", 2},
        {"[Smallest File Size]", false, "[Smallest File Size]", 3},
        {"[Press Quality]", true, "[High Quality Print]", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        StoredPrefs prefs = Prefs("Folder", fOut.Path());
        prefs.preset = c.preset;
        Store(prefs);
        ASSERT_TRUE(OpenSendDialog());
        SetText(kTSFileNameEditBoxWidgetID, "proof");
        if (c.vanishes) {
            ASSERT_TRUE(presets->Remove(c.preset, error)) << error;
        }
        ASSERT_TRUE(PressOK());
        EXPECT_EQ(TakeAlerts(), std::vector<std::string>{});
        const std::string pdf = tstest::ReadFile(fOut.Path() + "/proof.pdf");
        EXPECT_NE(pdf.find("/Subject (" + std::string(c.madeWith) + ")"), std::string::npos);
        static const std::regex page(R"(/Type /Page\b[^s])");
        EXPECT_EQ(static_cast<std::size_t>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator())),
                  c.pdfPages);
        fs::remove(fOut.Path() + "/proof.pdf");
    }
}

// The ticket names the file on disk: unsaved changes are saved first, then the document closes.
TEST_F(SendWorkflowTest, UnsavedChangesAreSavedBeforeTheTicketIsWritten) {
    Store(Prefs("InDesign Server", fOut.Path()));
    IDocument* doc = SavedFlyer();
    const PMString ns("http://example.com/test/", PMString::kNoTranslate);
    {
        InterfacePtr<IMetaDataAccess> metadata(doc, IID_OF<IMetaDataAccess>());
        ASSERT_TRUE(metadata);
        PMString prefix;
        metadata->RegisterNamespace(ns, PMString("test", PMString::kNoTranslate), prefix);
        ASSERT_TRUE(metadata->AppendArrayItem(ns, PMString(prefix.GetUTF8String() + "mark", PMString::kNoTranslate),
                                              PMString("changed", PMString::kNoTranslate), 2, 0));
    }
    ASSERT_TRUE(GetDataBase(doc)->IsModified());
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    EXPECT_EQ(SendTyping("y"), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_regular_file(fOut.Path() + "/Flyer.xml"));
    ASSERT_EQ(fHost->Docs().Count(), 0);
    std::string error;
    IDocument* reopened = fHost->Docs().Open(fFiles.Path() + "/Flyer.indd", error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(tshost::ReadMetadataArray(reopened, ns.GetUTF8String(), "test:mark"), std::vector<std::string>{"changed"});
    EXPECT_EQ(DocLink(reopened).first, 1001);
}

TEST_F(SendWorkflowTest, SendActionNeedsAProjectADocumentAndNoUpload) {
    Store(Prefs());
    EXPECT_FALSE(ActionEnabled(kTSSendActionID));
    ASSERT_TRUE(SelectProject(kSpring, "Cover"));
    EXPECT_FALSE(ActionEnabled(kTSSendActionID));  // no document
    NewDocument(1);
    EXPECT_TRUE(ActionEnabled(kTSSendActionID));
    g_sendToAllowed.store(false);
    EXPECT_FALSE(ActionEnabled(kTSSendActionID));
    g_sendToAllowed.store(true);
    ASSERT_TRUE(SelectProject({}, "Spring Catalogue"));
    EXPECT_FALSE(ActionEnabled(kTSSendActionID));
    // About and Preferences stay reachable whatever is selected.
    EXPECT_TRUE(ActionEnabled(kTSAboutActionID));
    EXPECT_TRUE(ActionEnabled(kTSPreferencesActionID));
    HidePanel();
    EXPECT_FALSE(ActionEnabled(kTSSendActionID));
}

TEST_F(SendWorkflowTest, ActionsShowAboutAndPreferencesAndOpenLinkedDocuments) {
    IDocument* doc = SavedFlyer();
    const std::string path = fFiles.Path() + "/Flyer.indd";
    ASSERT_TRUE(fHost->Docs().Close(doc));
    {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTSDynActionIDsDataCmdBoss));
        InterfacePtr<ITSDynActionIDsData> data(command.get(), IID_OF<ITSDynActionIDsData>());
        ASSERT_TRUE(data);
        data->AddEntry(kTSFirstDocumentActionID, PMString(HostPath(path)));
        ASSERT_EQ(CmdUtils::ProcessCommand(command.get()), 0);
    }
    InterfacePtr<IActionComponent> component(tshost::ActionMgr::Current()->ComponentBoss(ClassID(0x61000)),
                                             IID_OF<IActionComponent>());
    ASSERT_TRUE(component);

    component->DoAction(fHost->ActiveContext(), kTSFirstDocumentActionID);
    ASSERT_EQ(fHost->Docs().Count(), 1);
    EXPECT_EQ(tshost::Documents::NameOf(fHost->Docs().Front()), "Flyer.indd");
    ASSERT_TRUE(fHost->Docs().Close(fHost->Docs().Front()));
    // A damaged file is refused by the host; nothing is thrown through the plug-in.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "UPDATE meta SET value = NULL WHERE key = 'format'", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    EXPECT_NO_THROW(component->DoAction(fHost->ActiveContext(), kTSFirstDocumentActionID));
    EXPECT_EQ(fHost->Docs().Count(), 0);
    fs::remove(path);
    component->DoAction(fHost->ActiveContext(), kTSFirstDocumentActionID);
    // An ID the store does not hold, such as one no code handles, is no document either.
    component->DoAction(fHost->ActiveContext(), ActionID(kTSPrefix + 0x5));
    EXPECT_EQ(fHost->Docs().Count(), 0);

    component->DoAction(fHost->ActiveContext(), kTSAboutAlternateActionID);
    EXPECT_EQ(TakeAlerts(), (std::vector<std::string>{"info: Document doesn't exists", "info: Document doesn't exists",
                                                      "alert: Tessaron 1.0 - sends your layouts to the Tessaron proofing server."}));

    // Preferences opens the host's Preferences dialog on the plug-in's page.
    component->DoAction(fHost->ActiveContext(), kTSPreferencesActionID);
    IDialog* prefs = tshost::DialogMgr::Current()->FrontDialog();
    ASSERT_TRUE(prefs && prefs->IsOpen());
    InterfacePtr<IPanelSwitcher> pages(tshost::FindWidgetFrom(prefs, kPrefsPanelSwitcherWidgetID), IID_OF<IPanelSwitcher>());
    auto* switcher = dynamic_cast<tshost::PanelSwitcher*>(pages.get());
    ASSERT_TRUE(switcher);
    EXPECT_EQ(switcher->SwitchingIDs(), (std::vector<uint32>{0x699, 0x608, 0x607, 0x623}));
    EXPECT_EQ(switcher->GetCurrentPanel(), kTSPrefsPanelWidgetID);
    std::string error;
    EXPECT_TRUE(tshost::PressDialogButton(prefs, kCancelButtonWidgetID, error)) << error;
}

}  // namespace
