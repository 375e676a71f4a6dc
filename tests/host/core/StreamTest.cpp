// Streams: what is written reads back the same; every truncated prefix reads without a
// crash into a failed stream with zero and empty values; damaged lengths never allocate.
// (Page lists that read back whole are seen by reopening documents.)
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
    bool operator==(const Values&) const = default;
};

Values Sample() {
    return {-123456, 0xFEDCBA98, kTrue, ActionID(0x61034), UID(77), PMString("Grüße, Welt", PMString::kNoTranslate),
            PMString(), {'x', '\0', 'y'}};
}

TEST(MemoryStreamTest, WhatIsWrittenReadsBackAndEveryTruncatedPrefixFailsCleanly) {
    tshost::MemoryStream out;
    Values written = Sample();
    written.Xfer(out);
    const std::string bytes = out.TakeBytes();
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        tshost::MemoryStream in(bytes.substr(0, length));
        Values v;
        v.text = PMString("stale");
        v.Xfer(in);
        EXPECT_EQ(in.Remaining(), 0) << "prefix " << length;
        if (length == bytes.size()) {
            EXPECT_TRUE(in.IsGood());
            EXPECT_TRUE(v == written);
            EXPECT_EQ(v.text.GetUTF8String(), "Grüße, Welt");
            continue;
        }
        EXPECT_FALSE(in.IsGood()) << "prefix " << length;
        // Whatever came after the cut reads as zero or empty.
        EXPECT_TRUE(length >= 4 + 4 + 1 + 4 + 4 + 4 || v.text.IsEmpty()) << "prefix " << length;
        EXPECT_EQ(v.raw[0], 0) << "prefix " << length;
    }
}

TEST(MemoryStreamTest, DamagedLengthsFailWithoutAllocating) {
    for (const std::string& bytes : {std::string("\xff\xff\xff\xff", 4), std::string("\xff\xff\xff\x7f", 4) + "abc",
                                     std::string("\x10\x00\x00\x00", 4) + "abc"}) {
        tshost::MemoryStream in(bytes);
        PMString text("stale");
        text.ReadWrite(&in);
        EXPECT_FALSE(in.IsGood());
        EXPECT_TRUE(text.IsEmpty());
        // A failed stream stays failed and yields zeros.
        int32 after = 5;
        in.XferInt32(after);
        EXPECT_EQ(after, 0);
    }
    // Page lists: a huge count, and every cut of a good list.
    tshost::PageList written(nullptr);
    written.SetPages({UID(3), UID(4), UID(9)});
    tshost::MemoryStream out;
    written.ReadWrite(&out, ImplementationID(0));
    const std::string bytes = out.TakeBytes();
    std::vector<std::string> damaged{std::string("\xff\xff\xff\x7f", 4)};
    for (std::size_t length = 0; length < bytes.size(); ++length) damaged.push_back(bytes.substr(0, length));
    for (const std::string& damage : damaged) {
        tshost::PageList partial(nullptr);
        tshost::MemoryStream cut(damage);
        partial.ReadWrite(&cut, ImplementationID(0));
        EXPECT_FALSE(cut.IsGood()) << damage.size() << " bytes";
        EXPECT_EQ(partial.GetPageCount(), 0) << damage.size() << " bytes";
    }
}

}  // namespace
