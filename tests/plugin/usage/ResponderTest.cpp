// The document signals as the host sends them, and the usage log each document ends up
// with: open and active lines, switches, closes with their totals, and the cases in which
// nothing is written.
#include <gtest/gtest.h>

#include "Alerts.h"
#include "BossClasses.h"
#include "ExportIDs.h"
#include "IDocumentSignalData.h"
#include "SignalIDs.h"
#include "UsageFixture.h"

namespace {

using ResponderTest = UsageFixture;

// Only the front document's time is booked, whether it closes, goes behind or a document
// behind it closes; a document made after the front one closed may get that one's database
// address, and so its reference, and must start a log of its own.
TEST_F(ResponderTest, SwitchesAndClosesBookOnlyTheFrontDocumentsTime) {
    IDocument* a = NewDocument(1);
    SleepUntil("09:01:00");
    IDocument* b = NewDocument(1);
    SleepUntil("09:02:00");
    IDocument* c = NewDocument(1);
    SleepUntil("09:03:00");
    Close(c);
    IDocument* d = NewDocument(1);
    SleepUntil("09:04:00");
    EXPECT_EQ(CloseAndRead(a), Log("09:00:00", {Inactive("09:01:00")}, "09:04:00", "00:01:00"));
    SleepUntil("09:05:00");
    Front(b);
    SleepUntil("09:07:00");
    EXPECT_EQ(CloseAndRead(b), Log("09:01:00",
                                   {Inactive("09:02:00"), Active("09:03:00"), Inactive("09:03:00"), Active("09:05:00")},
                                   "09:07:00", "00:03:00"));
    SleepUntil("09:09:00");
    EXPECT_EQ(CloseAndRead(d), Log("09:03:00", {Inactive("09:05:00"), Active("09:07:00")}, "09:09:00", "00:04:00"));
}

// A document opened while the signal carried no data is never tracked, nor marked inactive
// in front; lines that cannot be written for want of a user name are dropped, not kept for
// the document's next session.
TEST_F(ResponderTest, LinesAreDroppedWhenTheyCannotBeTrackedOrWritten) {
    tshost::BossClasses::Get().Withhold(tshost::kSignalMgrBoss, IID_OF<IDocumentSignalData>());
    IDocument* quiet = NewDocument(1);
    tshost::BossClasses::Get().Restore(tshost::kSignalMgrBoss, IID_OF<IDocumentSignalData>());
    SaveAs(quiet, "Quiet.indd");
    Idle(400);
    EXPECT_TRUE(CloseAndRead(quiet).empty());

    IDocument* doc = NewDocument(1);
    std::string path = SaveAs(doc, "Flyer.indd");
    SetUserName("");
    EXPECT_TRUE(CloseAndRead(doc).empty());
    SetUserName("ana");
    SleepUntil("09:30:00");
    std::string error;
    IDocument* again = fHost->Docs().Open(path, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(CloseAndRead(again), Log("09:30:00", {}, "09:30:00", "00:00:00"));
}

// A damaged byte in a saved document's metadata: its close tells the user once, keeps the
// damaged packet aside and writes its log into fresh metadata; later sessions append to it.
TEST_F(ResponderTest, DamagedMetadataIsReportedOnceAndTrackingGoesOn) {
    IDocument* doc = NewDocument(1);
    const std::string path = SaveAs(doc, "Flyer.indd");
    ASSERT_EQ(CloseAndRead(doc).size(), 5u);
    std::string error;
    SleepUntil("09:10:00");
    doc = fHost->Docs().Open(path, error);
    ASSERT_TRUE(doc) << error;
    tshost::DataBase* db = tshost::Documents::DataBaseOf(doc);
    std::string stored = db->CurrentBytes(db->GetRootUID(), tshost::kMetaDataAccessImpl);
    const std::size_t at = stored.find("</");
    ASSERT_NE(at, std::string::npos);
    stored[at] = ' ';
    db->Restore(db->GetRootUID(), tshost::kMetaDataAccessImpl, stored);
    db->SetModified(kFalse);
    tshost::AlertLog::Get().Clear();
    EXPECT_EQ(CloseAndRead(doc), Log("09:10:00", {}, "09:10:00", "00:00:00"));
    ASSERT_EQ(tshost::AlertLog::Get().Records().size(), 1u);
    EXPECT_NE(tshost::AlertLog::Get().Records()[0].text.find("Flyer.indd"), std::string::npos);

    SleepUntil("09:20:00");
    doc = fHost->Docs().Open(path, error);
    ASSERT_TRUE(doc) << error;
    ASSERT_EQ(tshost::SetAsideMetadata(doc).size(), 1u);
    EXPECT_EQ(tshost::SetAsideMetadata(doc)[0], stored.substr(4));
    EXPECT_EQ(CloseAndRead(doc), Then(Log("09:10:00", {}, "09:10:00", "00:00:00"), Log("09:20:00", {}, "09:20:00", "00:00:00")));
    EXPECT_EQ(tshost::AlertLog::Get().Records().size(), 1u) << "told once per document";
}

}  // namespace
