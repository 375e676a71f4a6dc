// The usage log itself: the clock and its stamps, the timers and totals, the tracking lines
// of each document, and the record written into a document's metadata.
#include <gtest/gtest.h>

#include "IDocument.h"
#include "UsageFixture.h"

namespace {

class MapperTest : public UsageFixture {
protected:
    // Documents as if the responder had not touched them: no entries, no lines. Made
    // first and cleared after, since each new one writes a line for the one before it.
    std::vector<IDocument*> FreshDocuments(int count) {
        std::vector<IDocument*> docs;
        for (int i = 0; i < count; ++i) docs.push_back(NewDocument(1));
        for (IDocument* doc : docs) {
            Mapper()->CloseXMPFile(Ref(doc), 0);
            Mapper()->ClearMonitorLog(Ref(doc));
        }
        return docs;
    }
    // Writes the document's lines as the responder does at close, and reads them back.
    Lines Write(IDocument* doc) {
        Mapper()->UpdateXMPProperty(Ref(doc));
        Mapper()->ClearMonitorLog(Ref(doc));
        return Items(doc);
    }
};

TEST_F(MapperTest, DurationsDatesAndTheClock) {
    const std::pair<int32, const char*> durations[] = {
        {0, "00:00:00"},    {59, "00:00:59"},     {3599, "00:59:59"},     {3600, "01:00:00"},
        {3725, "01:02:05"}, {86399, "23:59:59"}, {360000, "100:00:00"}, {-65, "-00:01:05"},
    };
    for (const auto& [seconds, text] : durations) {
        PMString stamp("at ", PMString::kNoTranslate);
        Mapper()->TimeConversion(seconds, stamp);
        EXPECT_EQ(stamp.GetUTF8String(), std::string("at ") + text) << seconds;
    }
    const std::tuple<const char*, const char*, int32> days[] = {{"2007-01-09 00:00:00", "20070109", 0},
                                                                 {"2007-12-10 23:59:59", "20071210", 86399}};
    for (const auto& [now, day, clock] : days) {
        SetClock(now);
        PMString date("", PMString::kNoTranslate);
        Mapper()->DateConversion(date);
        EXPECT_EQ(date.GetUTF8String(), day) << now;
        EXPECT_EQ(Mapper()->TimeOfDay(Mapper()->Time()), clock) << now;
    }
    // The clock counts elapsed seconds, over midnight too.
    SetClock("2007-03-05 23:59:00");
    const int32 before = Mapper()->Time();
    Idle(90);
    EXPECT_EQ(Mapper()->Time() - before, 90);
    EXPECT_EQ(Mapper()->TimeOfDay(before + 90), 30);
}

TEST_F(MapperTest, TimersBookElapsedPeriodsAndCloseWithTheTotals) {
    IDocument* doc = FreshDocuments(1)[0];
    UIDRef ref = Ref(doc);
    TSActiveMapper* m = Mapper();
    SetClock("00:00:00");
    const int32 t0 = m->Time();
    m->ModifyActiveTime(ref, t0 + 500);
    m->ModifyPdfGenerationTime(ref, 9);
    m->CloseXMPFile(ref, t0 + 600);
    EXPECT_EQ(m->LookUpActiveTime(ref), 0) << "untracked documents change nothing";

    m->AddAction(ref, t0 + 1000);
    m->AddAction(ref, t0 + 2000);
    EXPECT_EQ(m->LookUpActiveTime(ref), t0 + 1000) << "tracked already";
    m->ModifyActiveTime(ref, t0 + 1090);
    m->UpdateActiveTimer(ref, t0 + 1200);
    m->ModifyActiveTime(ref, t0 + 1230);
    m->ModifyPdfGenerationTime(ref, 4);
    m->ModifyPdfGenerationTime(ref, 3);
    m->UpdateFirstActiveEntry(ref, t0 + 1000);
    m->CloseXMPFile(ref, t0 + 3725);
    EXPECT_EQ(m->LookUpActiveTime(ref), 0);
    m->CloseXMPFile(ref, t0 + 3800);

    // A period over midnight counts what it lasted; the stamp is the time of day.
    m->AddAction(ref, t0 + 86390);
    m->ModifyActiveTime(ref, t0 + 86410);
    // A timer holding the clock's first moment, 0, still counts as tracked.
    m->UpdateActiveTimer(ref, 0);
    m->AddAction(ref, 40);
    EXPECT_EQ(m->LookUpActiveTime(ref), 0);
    m->ModifyActiveTime(ref, 30);
    // A period that would end before it began books nothing rather than taking time off.
    m->UpdateActiveTimer(ref, t0 + 7200);
    m->ModifyActiveTime(ref, t0 + 3600);
    // A line carries the date of its moment.
    m->CloseXMPFile(ref, t0 + 86410);
    EXPECT_EQ(Write(doc), Then(Then({At("doc_open", "00:16:40")}, Closing("01:02:05", "00:02:00", "00:00:07")),
                               {"<doc_close>20070306 00:00:10</doc_close>",
                                "<doc_total_active_time>00:00:50</doc_total_active_time>",
                                "<pdf_total_generation_time>00:00:00</pdf_total_generation_time>"}));
}

// A document with changes the user has not saved, or a session without a user name, gets no
// lines; a saved document is saved again with its items appended to each user's own array.
TEST_F(MapperTest, WritesOnlyWithAUserNameAndNoUnsavedChangesAndSavesAgain) {
    std::vector<IDocument*> docs = FreshDocuments(2);
    SetClock("00:00:00");
    const int32 t0 = Mapper()->Time();
    IDocument* doc = docs[0];
    std::string path = SaveAs(doc, "Flyer.indd");
    Mapper()->UpdateFirstActiveEntry(Ref(doc), t0 + 1);
    SetUserName("");
    Mapper()->UpdateXMPProperty(Ref(doc));
    SetUserName("ana");
    EXPECT_TRUE(Items(doc, "").empty());
    tshost::DataBase* db = tshost::Documents::DataBaseOf(doc);
    db->SetModified(kTrue);
    Mapper()->UpdateXMPProperty(Ref(doc));
    EXPECT_TRUE(Items(doc).empty());
    EXPECT_TRUE(db->IsModified());
    db->SetModified(kFalse);
    EXPECT_EQ(Write(doc), Lines{At("doc_open", "00:00:01")});
    EXPECT_FALSE(db->IsModified()) << "marked clean after the write";
    Mapper()->UpdateFirstActiveEntry(Ref(docs[1]), t0 + 4);
    EXPECT_EQ(Write(docs[1]), Lines{At("doc_open", "00:00:04")});
    EXPECT_FALSE(docs[1]->IsSaved()) << "a document without a file is not saved";

    SetUserName("Zoë \"<Z>\" 2");
    Mapper()->UpdateFirstActiveEntry(Ref(doc), t0 + 2);
    Write(doc);
    SetUserName("ana");
    Mapper()->UpdateActiveEntry(Ref(doc), t0 + 3);
    Write(doc);
    // Reading the file proves the save: nothing else wrote it since the items went in.
    Close(doc);
    std::string error;
    IDocument* again = fHost->Docs().Open(path, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(Items(again), (Lines{At("doc_open", "00:00:01"), Active("00:00:03")}));
    EXPECT_EQ(Items(again, "Zoë \"<Z>\" 2"), Lines{At("doc_open", "00:00:02")});
}

}  // namespace
