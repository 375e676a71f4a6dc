// A host running the plug-in with a real tessaron-proofd behind it, for the send workflow's
// tests: the preferences as the Preferences page stores them, the projects panel shown (it
// downloads the sample project list) with one project selected, the send dialog opened
// through the Send action and driven as a user drives it, and the alerts the plug-in showed.
// Tests only: the helpers run on the test's main thread; an upload started by a test is
// waited for before the host goes away.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "ConnectionTestSupport.h"
#include "IDialog.h"
#include "PMPoint.h"
#include "WidgetIDs.h"
#include "PluginHostFixture.h"

class SendTest : public PluginHostFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // demo's account on the test's server, sending to `sendTo`: "Tessaron", or "Folder" or
    // "InDesign Server" with the folder or hot folder at the POSIX path `folder`.
    StoredPrefs Prefs(const std::string& sendTo = "Tessaron", const std::string& folder = "") const;

    // Shows the projects panel and selects the row named `name` after expanding the rows
    // named in `path`; true when it is selected.
    bool SelectProject(std::initializer_list<const char*> path, const char* name);
    void HidePanel();

    bool ActionEnabled(ActionID action);
    // Opens the send dialog through the Send action; null when none opened.
    IDialog* OpenSendDialog();
    std::string Text(WidgetID widget);
    void SetText(WidgetID widget, const std::string& text);
    void Type(WidgetID widget, const std::string& text);
    void Click(WidgetID widget);
    WidgetID SelectedRadio();
    bool IsShown(WidgetID widget);
    PMRect Frame(WidgetID widget);
    std::vector<std::string> DropDownItems(WidgetID widget);
    std::string Title();
    // Presses OK; false when the dialog stayed open.
    bool PressOK();

    // The alerts shown since the last call, as "kind: text".
    std::vector<std::string> TakeAlerts();
    // Waits for a running upload to end (real time), then lets the progress task run.
    void WaitForUpload();
    void RunIdle(int64 ms);

    // Closes the document (saved, without unsaved changes), or with `quit` quits the host and
    // so closes every document, and gives the lines starting with `prefix` that the tracking
    // logs held, as written into the metadata for the preferences' user.
    std::vector<std::string> CloseAndReadLines(IDocument* doc, const std::string& prefix, bool quit = false);
    // The send lines, so.
    std::vector<std::string> CloseAndReadSendLines(IDocument* doc, bool quit = false) {
        return CloseAndReadLines(doc, "<send_to_tessaron_at ", quit);
    }
    // The send line of a send confirmed when the mapper's clock read `start`, today.
    static std::string SendLine(const std::string& method, int32 start);

    static std::string HostPath(const std::string& posixPath);

    tsconntest::Proofd fServer;
    IDialog* fDialog = nullptr;
};
