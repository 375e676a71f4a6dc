// The document signals as the host sends them, and the usage log each document ends up
// with: open and active lines, switches, closes with their totals, and the cases in which
// nothing is written.
#include <gtest/gtest.h>

#include "BossClasses.h"
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
    SetClock("09:01:00");
    IDocument* b = NewDocument(1);
    SetClock("09:02:00");
    IDocument* c = NewDocument(1);
    SetClock("09:03:00");
    Close(c);
    IDocument* d = NewDocument(1);
    SetClock("09:04:00");
    EXPECT_EQ(CloseAndRead(a), Log("09:00:00", {Inactive("09:01:00")}, "09:04:00", "00:01:00"));
    SetClock("09:05:00");
    Front(b);
    SetClock("09:07:00");
    EXPECT_EQ(CloseAndRead(b), Log("09:01:00",
                                   {Inactive("09:02:00"), Active("09:03:00"), Inactive("09:03:00"), Active("09:05:00")},
                                   "09:07:00", "00:03:00"));
    SetClock("09:09:00");
    EXPECT_EQ(CloseAndRead(d), Log("09:03:00", {Inactive("09:05:00"), Active("09:07:00")}, "09:09:00", "00:04:00"));
}

// A document opened while the signal carried no data is never tracked; lines that cannot be
// written for want of a user name are dropped, not kept for the document's next session.
TEST_F(ResponderTest, LinesAreDroppedWhenTheyCannotBeTrackedOrWritten) {
    tshost::BossClasses::Get().Withhold(tshost::kSignalMgrBoss, IID_OF<IDocumentSignalData>());
    IDocument* quiet = NewDocument(1);
    tshost::BossClasses::Get().Restore(tshost::kSignalMgrBoss, IID_OF<IDocumentSignalData>());
    SaveAs(quiet, "Quiet.indd");
    EXPECT_TRUE(CloseAndRead(quiet).empty());

    IDocument* doc = NewDocument(1);
    std::string path = SaveAs(doc, "Flyer.indd");
    SetUserName("");
    EXPECT_TRUE(CloseAndRead(doc).empty());
    SetUserName("ana");
    SetClock("09:30:00");
    std::string error;
    IDocument* again = fHost->Docs().Open(path, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(CloseAndRead(again), Log("09:30:00", {}, "09:30:00", "00:00:00"));
}

}  // namespace
