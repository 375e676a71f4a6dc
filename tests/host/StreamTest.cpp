// Streams: what is written reads back the same; every truncated prefix reads without a
// crash into a failed stream with zero and empty values; damaged lengths never allocate.
#include <gtest/gtest.h>

#include "MemoryStream.h"
#include "PMString.h"
#include "PageList.h"

namespace {

struct Values {
    int32 number = 0;
    uint32 unsignedNumber = 0;
    bool16 flag = kFalse;
    ActionID action;
    UID uid;
    PMString text;
    PMString empty;
    char raw[3] = {0, 0, 0};

    void Xfer(IPMStream& s) {
        s.XferInt32(number);
        s.XferUInt32(unsignedNumber);
        s.XferBool(flag);
        s.XferID(action);
        s.XferID(uid);
        text.ReadWrite(&s);
        empty.ReadWrite(&s);
        s.XferBytes(raw, 3);
    }
};

std::string Written() {
    Values v;
    v.number = -123456;
    v.unsignedNumber = 0xFEDCBA98;
    v.flag = kTrue;
    v.action = ActionID(0x61034);
    v.uid = UID(77);
    v.text = PMString("Grüße, Welt", PMString::kNoTranslate);
    v.raw[0] = 'x'; v.raw[1] = '\0'; v.raw[2] = 'y';
    tshost::MemoryStream out;
    v.Xfer(out);
    EXPECT_TRUE(out.IsWriting());
    EXPECT_EQ(out.Remaining(), 0);
    return out.TakeBytes();
}

TEST(MemoryStreamTest, WhatIsWrittenReadsBack) {
    tshost::MemoryStream in(Written());
    Values v;
    v.Xfer(in);
    EXPECT_TRUE(in.IsGood());
    EXPECT_EQ(in.Remaining(), 0);
    EXPECT_EQ(v.number, -123456);
    EXPECT_EQ(v.unsignedNumber, 0xFEDCBA98u);
    EXPECT_EQ(v.flag, kTrue);
    EXPECT_EQ(v.action, ActionID(0x61034));
    EXPECT_EQ(v.uid, UID(77));
    EXPECT_EQ(v.text.GetUTF8String(), "Grüße, Welt");
    EXPECT_TRUE(v.empty.IsEmpty());
    EXPECT_EQ(std::string(v.raw, 3), std::string("x\0y", 3));
}

TEST(MemoryStreamTest, EveryTruncatedPrefixFailsCleanly) {
    const std::string bytes = Written();
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        tshost::MemoryStream in(bytes.substr(0, length));
        Values v;
        v.text = PMString("stale");
        v.Xfer(in);
        EXPECT_FALSE(in.IsGood()) << "prefix " << length;
        EXPECT_EQ(in.Remaining(), 0) << "prefix " << length;
        // Whatever came after the cut reads as zero or empty.
        if (length < 4 + 4 + 1 + 4 + 4 + 4) {
            EXPECT_TRUE(v.text.IsEmpty()) << "prefix " << length;
        }
        EXPECT_EQ(v.raw[0], 0) << "prefix " << length;
    }
}

TEST(MemoryStreamTest, DamagedStringLengthsFailWithoutAllocating) {
    struct Case { const char* name; std::string bytes; };
    const Case cases[] = {
        {"negative", std::string("\xff\xff\xff\xff", 4)},
        {"huge", std::string("\xff\xff\xff\x7f", 4) + "abc"},
        {"longer than the rest", std::string("\x10\x00\x00\x00", 4) + "abc"},
    };
    for (const Case& c : cases) {
        tshost::MemoryStream in(c.bytes);
        PMString text("stale");
        text.ReadWrite(&in);
        EXPECT_FALSE(in.IsGood()) << c.name;
        EXPECT_TRUE(text.IsEmpty()) << c.name;
        // A failed stream stays failed and yields zeros.
        int32 after = 5;
        in.XferInt32(after);
        EXPECT_EQ(after, 0) << c.name;
    }
}

TEST(MemoryStreamTest, PageListsRoundTripAndRefuseDamage) {
    tshost::PageList written(nullptr);
    written.SetPages({UID(3), UID(4), UID(9)});
    tshost::MemoryStream out;
    written.ReadWrite(&out, ImplementationID(0));
    const std::string bytes = out.TakeBytes();

    tshost::PageList read(nullptr);
    tshost::MemoryStream in(bytes);
    read.ReadWrite(&in, ImplementationID(0));
    ASSERT_TRUE(in.IsGood());
    ASSERT_EQ(read.GetPageCount(), 3);
    EXPECT_EQ(read.GetNthPageUID(2), UID(9));
    EXPECT_EQ(read.GetNthPageUID(3), kInvalidUID);
    EXPECT_EQ(read.GetNthPageUID(-1), kInvalidUID);

    for (std::size_t length = 0; length < bytes.size(); ++length) {
        tshost::PageList partial(nullptr);
        tshost::MemoryStream cut(bytes.substr(0, length));
        partial.ReadWrite(&cut, ImplementationID(0));
        EXPECT_FALSE(cut.IsGood()) << "prefix " << length;
        EXPECT_EQ(partial.GetPageCount(), 0) << "prefix " << length;
    }
    tshost::PageList huge(nullptr);
    tshost::MemoryStream claim(std::string("\xff\xff\xff\x7f", 4));
    huge.ReadWrite(&claim, ImplementationID(0));
    EXPECT_FALSE(claim.IsGood());
    EXPECT_EQ(huge.GetPageCount(), 0);
}

}  // namespace
