// A host running the plug-in with the usage tracking in a known state: the virtual clock on
// 5 March 2007 at 09:00:00, the application in the foreground, the activity flags as at
// load, and a user name in the preferences. Time passes with idle time (the idle tasks run);
// setting the clock lets none pass. Helpers read the tracking items a document's metadata
// holds and build the lines expected there. Tests only: the test's main thread.
#pragma once

#include <string>
#include <vector>

#include "Documents.h"
#include "IdleScheduler.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "MetaData.h"
#include "PluginHostFixture.h"
#include "TSActiveMapper.h"
#include "TSActivityGlobals.h"

using Lines = std::vector<std::string>;

class UsageFixture : public PluginHostFixture {
protected:
    void SetUp() override {
        PluginHostFixture::SetUp();
        ResetActivity();
        SetClock("2007-03-05 09:00:00");
        SetUserName("ana");
        // After the host's own observers: the signals have been answered when it hears.
        fHost->Docs().AddObserver(&fClosing);
    }

    struct ClosingReader final : tshost::DocumentObserver {
        void DocumentClosing(IDocument* document) override {
            seen = true;
            items = Items(document);
        }
        bool seen = false;
        Lines items;
    };
    ClosingReader fClosing;

    static TSActiveMapper* Mapper() { return TSActiveMapper::TSActiveMapperFactory(); }
    static UIDRef Ref(IDocument* doc) { return ::GetUIDRef(doc); }

    // The activity state as at load, the application in the foreground.
    static void ResetActivity() {
        g_ActiveMouseStatus = kTrue;
        g_ActivityTime = INT32_MAX;
        g_IdleMouseStatus = kFalse;
        g_IdleAppStatus = kFalse;
        tshost::IdleScheduler::Get().SetBackground(false);
    }

    // "HH:MM:SS" on the fixture's day, or "YYYY-MM-DD HH:MM:SS", in milliseconds.
    static int64 Moment(const std::string& time) {
        auto ms = tshost::Clock::ParseLocal(time.size() == 8 ? "2007-03-05 " + time : time);
        EXPECT_TRUE(ms) << time;
        return ms.value_or(0);
    }
    // The user sets the date and time: no time passes.
    static void SetClock(const std::string& time) { tshost::Clock::SetVirtual(Moment(time)); }
    // Lets idle time pass, running the idle tasks that fall due.
    static void Idle(int64 seconds) { tshost::IdleScheduler::Get().Idle(seconds * 1000); }

    static void SetUserName(const char* name) {
        InterfacePtr<ITSPrefsData> prefs(InterfacePtr<IWorkspace>(gSession->QueryWorkspace()).get(), kTSPrefsDataInterfaceID);
        ASSERT_TRUE(prefs);
        prefs->SetUserName(PMString(name, PMString::kNoTranslate));
    }

    // The items of the user's tracking array; empty when there is none.
    static Lines Items(IDocument* doc, const std::string& user = "ana") {
        return tshost::ReadMetadataArray(doc, "http://ns.tessaron.com/xmp/tracking/1.0/", "tracking:" + user).value_or(Lines());
    }

    std::string SaveAs(IDocument* doc, const std::string& name) {
        std::string path = fHome + "/" + name, error;
        EXPECT_TRUE(fHost->Docs().SaveAs(doc, path, error)) << error;
        return path;
    }
    void Close(IDocument* doc) { fHost->Docs().Close(doc); }
    void Front(IDocument* doc) { fHost->Docs().BringToFront(doc); }

    // Closes a document and gives the items its metadata held once the before-close signal
    // was answered, without reopening it (which would change the other documents' logs).
    Lines CloseAndRead(IDocument* doc) {
        fClosing.items.clear();
        fClosing.seen = false;
        Close(doc);
        EXPECT_TRUE(fClosing.seen);
        return fClosing.items;
    }

    // A tracking line stamped on the fixture's day, e.g. At("doc_open", "09:00:00").
    static std::string At(const std::string& tag, const std::string& time) {
        return "<" + tag + ">20070305 " + time + "</" + tag + ">";
    }
    static std::string Active(const std::string& time) { return At("doc_active_at", time); }
    static std::string Inactive(const std::string& time) { return At("doc_inactive_at", time); }
    // A document's whole log: opened (and active) at `opened`, then `middle`, then the three
    // lines a close adds.
    static Lines Log(const std::string& opened, const Lines& middle, const std::string& closed, const std::string& active) {
        return Then(Then({At("doc_open", opened), Active(opened)}, middle), Closing(closed, active));
    }
    static Lines Then(Lines first, const Lines& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    }
    static Lines Closing(const std::string& time, const std::string& active, const std::string& pdf = "00:00:00") {
        return {At("doc_close", time), "<doc_total_active_time>" + active + "</doc_total_active_time>",
                "<pdf_total_generation_time>" + pdf + "</pdf_total_generation_time>"};
    }
};
