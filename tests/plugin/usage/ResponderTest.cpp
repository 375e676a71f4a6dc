// The cases in which the responder writes nothing; what it books is the booked-time table's.
#include <gtest/gtest.h>

#include "BossClasses.h"
#include "IDocumentSignalData.h"
#include "SignalIDs.h"
#include "UsageFixture.h"

namespace {

using ResponderTest = UsageFixture;

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
    std::string error;
    IDocument* again = fHost->Docs().Open(path, error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(CloseAndRead(again), Log("09:06:40", {}, "09:06:40", "00:00:00"));
}

}  // namespace
