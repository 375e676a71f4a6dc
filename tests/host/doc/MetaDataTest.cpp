// Document metadata as the plug-in uses it: a namespace registered under a prefix, items
// appended per user name (any name: blanks, quotes, "<", digits) in order, kept through save
// and reopen; refusals that change nothing and print nothing; a damaged packet that is kept
// rather than overwritten.
#include <gtest/gtest.h>

#include <set>

#include "HostTestSupport.h"
#include "Alerts.h"
#include "DataBase.h"
#include "ExportIDs.h"
#include "Host.h"
#include "IMetaDataAccess.h"
#include "InterfacePtr.h"
#include "MemoryStream.h"
#include "MetaData.h"

namespace {

constexpr const char* kTracking = "http://ns.tessaron.example/tracking/1.0/";
using Lines = std::vector<std::string>;

class MetaDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(host.Boot(error)) << error;
        host.Start(dir.Path());
        document = host.Docs().New(1, error);
        ASSERT_TRUE(document && host.Docs().SaveAs(document, dir / "Flyer.indd", error)) << error;
        metadata = InterfacePtr<IMetaDataAccess>(document, IID_OF<IMetaDataAccess>());
    }

    // The plug-in's steps: register, look the prefix up, append under prefix + user name.
    std::string Register() {
        PMString prefix, uri;
        EXPECT_TRUE(metadata->RegisterNamespace(PMString(kTracking), PMString("tracking"), prefix));
        EXPECT_TRUE(metadata->GetNamespaceURI(prefix, uri));
        EXPECT_EQ(uri.GetUTF8String(), kTracking);
        return prefix.GetUTF8String();
    }
    void Append(const std::string& user, const Lines& lines) {
        const std::string prefix = Register();
        for (const std::string& line : lines)
            EXPECT_TRUE(metadata->AppendArrayItem(PMString(kTracking), PMString(prefix + user), PMString(line), 2, 0)) << user;
    }
    std::optional<Lines> Read(const std::string& user) { return tshost::ReadMetadataArray(document, kTracking, "tracking:" + user); }
    void SaveAndReopen() {
        std::string error;
        metadata.reset();
        ASSERT_TRUE(host.Docs().Save(document, error)) << error;
        host.Docs().Close(document);
        document = host.Docs().Open(dir / "Flyer.indd", error);
        ASSERT_TRUE(document) << error;
        metadata = InterfacePtr<IMetaDataAccess>(document, IID_OF<IMetaDataAccess>());
    }

    tstest::Capture capture;
    tstest::TempDir dir;
    tshost::Host host;
    IDocument* document = nullptr;
    InterfacePtr<IMetaDataAccess> metadata;  // released before the host goes
};

TEST(XmlNameTest, NamesThatAreNotXmlNamesAreEncodedDistinctly) {
    struct Case { std::string name, stored; };
    const Case cases[] = {
        {"ana", "ana"}, {"ana lee", "ana_x0020_lee"}, {"1abc", "_x0031_abc"}, {"a1-b.c", "a1-b.c"}, {"a_b", "a_b"},
        {"a_x0020_b", "a_x005F_x0020_b"}, {"_x", "_x005F_x"}, {"O'Brien <x>", "O_x0027_Brien_x0020__x003C_x_x003E_"},
        {"a:b", "a_x003A_b"}, {"José", "Jos_x00E9_"}, {"日本", "_x65E5__x672C_"}, {"·x", "_x00B7_x"}, {"😀", "_x1F600_"},
        {"", ""}, {"bad\xff", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(tshost::EncodeXmlName(c.name), c.stored) << c.name;
    const std::string names[] = {"a b", "a_x0020_b", "a_b", "a__b", "a_x005F_b", "_x", "x_", "a b ", "a  b"};
    std::set<std::string> stored;
    for (const std::string& name : names) stored.insert(tshost::EncodeXmlName(name));
    EXPECT_EQ(stored.size(), std::size(names));
}

TEST_F(MetaDataTest, NamespacesAreRegisteredUnderTheSuggestedPrefixWithItsColonOrAnother) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(Register(), "tracking:");
    EXPECT_EQ(Register(), "tracking:") << "registering again gives the same prefix";
    PMString other, uri;
    ASSERT_TRUE(metadata->RegisterNamespace(PMString("http://ns.tessaron.example/other/"), PMString("tracking"), other));
    EXPECT_NE(other.GetUTF8String(), "tracking:");
    EXPECT_EQ(other.GetUTF8String().back(), ':');
    ASSERT_TRUE(metadata->GetNamespaceURI(other, uri));
    EXPECT_EQ(uri.GetUTF8String(), "http://ns.tessaron.example/other/");
    EXPECT_TRUE(metadata->GetNamespaceURI(PMString("tracking"), uri)) << "the prefix without its colon works too";
    EXPECT_EQ(uri.GetUTF8String(), kTracking);

    for (const char* unknown : {"nobody", "a b", ""}) {
        EXPECT_FALSE(metadata->GetNamespaceURI(PMString(unknown), uri)) << unknown;
        EXPECT_TRUE(uri.IsEmpty());
    }
    EXPECT_FALSE(metadata->RegisterNamespace(PMString(""), PMString("x"), other));
    PMString odd;
    EXPECT_TRUE(metadata->RegisterNamespace(PMString("http://ns.tessaron.example/odd/"), PMString("1 odd"), odd));
    EXPECT_EQ(odd.GetUTF8String().back(), ':');
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(MetaDataTest, ItemsAccumulatePerUserInOrderAcrossSaveAndReopen) {
    // Some of these the XMP toolkit takes when writing but its parser refuses when reading.
    const std::string exotic[] = {"José", "日本", "😀", "ʰx", "ꀀ", "Ⅻ", "x‿", "tab\tname", "a:b", "\"q\" & <t>", "_x0041_", "1st user"};
    testing::internal::CaptureStderr();
    Append("ana lee", {"open 10:00", "close 10:05 <\"ok\">"});
    Append("ana", {"plain"});
    for (const std::string& user : exotic) Append(user, {"by " + user});
    SaveAndReopen();
    EXPECT_EQ(Read("ana lee"), (Lines{"open 10:00", "close 10:05 <\"ok\">"}));
    EXPECT_EQ(Read("ana"), Lines{"plain"}) << "a user whose name is valid keeps a property apart";
    for (const std::string& user : exotic) EXPECT_EQ(Read(user), Lines{"by " + user}) << user;
    EXPECT_EQ(Read("nobody"), std::nullopt);

    Append("ana lee", {"open 11:00"});
    EXPECT_TRUE(::GetDataBase(document)->IsModified());
    SaveAndReopen();
    EXPECT_EQ(Read("ana lee"), (Lines{"open 10:00", "close 10:05 <\"ok\">", "open 11:00"}));
    EXPECT_FALSE(::GetDataBase(document)->IsModified());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(MetaDataTest, RefusedAppendsChangeNothingAndPrintNothing) {
    Append("ana", {"first"});
    PMString other;
    ASSERT_TRUE(metadata->RegisterNamespace(PMString("http://ns.tessaron.example/second/"), PMString("second"), other));
    const std::string before = tshost::MetadataPacket(document);
    ::GetDataBase(document)->SetModified(kFalse);
    struct Case { const char* why; std::string ns, name, value; int32 form, options; };
    const Case cases[] = {
        {"form 0", kTracking, "tracking:ana", "x", 0, 0},
        {"form 4", kTracking, "tracking:ana", "x", 4, 0},
        {"item options", kTracking, "tracking:ana", "x", 2, 1},
        {"namespace not registered", "http://ns.tessaron.example/unknown/", "ana", "x", 2, 0},
        {"prefix of another namespace", kTracking, other.GetUTF8String() + "ana", "x", 2, 0},
        {"unknown prefix", kTracking, "nope:ana", "x", 2, 0},
        {"no name", kTracking, "tracking:", "x", 2, 0},
        {"name not UTF-8", kTracking, "tracking:a\xff", "x", 2, 0},
        {"value not UTF-8", kTracking, "tracking:ana", "bad\xff\xfe", 2, 0},
    };
    testing::internal::CaptureStderr();
    for (const Case& c : cases)
        EXPECT_FALSE(metadata->AppendArrayItem(PMString(c.ns), PMString(c.name), PMString(c.value), c.form, c.options)) << c.why;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(tshost::MetadataPacket(document), before);
    EXPECT_FALSE(::GetDataBase(document)->IsModified());
    EXPECT_EQ(Read("ana"), Lines{"first"});
}

TEST_F(MetaDataTest, TheOtherArrayFormsAreKept) {
    Register();
    for (const char* form : {"1", "3"}) {
        const std::string name = std::string("tracking:form") + form;
        for (const char* item : {"a", "b"})
            EXPECT_TRUE(metadata->AppendArrayItem(PMString(kTracking), PMString(name), PMString(item), std::stoi(form), 0));
        EXPECT_EQ(tshost::ReadMetadataArray(document, kTracking, name), (Lines{"a", "b"}));
    }
    const std::string packet = tshost::MetadataPacket(document);
    EXPECT_NE(packet.find("rdf:Bag"), std::string::npos);
    EXPECT_NE(packet.find("rdf:Alt"), std::string::npos);
}

// The stored form of a packet: its length, then its bytes.
std::string Stored(const std::string& packet, int32 length) {
    tshost::MemoryStream out;
    out.XferInt32(length);
    out.XferBytes(const_cast<char*>(packet.data()), static_cast<int32>(packet.size()));
    return out.TakeBytes();
}

// One damaged byte in the packet, or broken framing of its stored bytes: the first append
// sets the damage aside (kept in the file), warns once naming the document, and tracking
// goes on. The toolkit prints nothing.
TEST_F(MetaDataTest, DamagedMetadataIsSetAsideAndTrackingGoesOnWithOneWarning) {
    Append("ana", {"first"});
    const std::string good = tshost::MetadataPacket(document);
    auto damagedAt = [&](const std::string& near, std::size_t offset, char byte) {
        std::string damaged = good;
        damaged.at(damaged.find(near) + offset) = byte;
        return damaged;
    };
    const int32 length = static_cast<int32>(good.size());
    struct Case { const char* name; std::string stored, setAside; };
    const std::vector<Case> cases = {
        {"closing tag", Stored(damagedAt("</", 0, ' '), length), damagedAt("</", 0, ' ')},
        // Bytes the toolkit still reads (one not UTF-8 as Latin-1, a control byte as a blank):
        // no damage, nothing set aside, the old item stays.
        {"byte not UTF-8", Stored(damagedAt("first", 1, '\xff'), length), ""},
        {"control byte", Stored(damagedAt("first", 1, '\x01'), length), ""},
        {"name of an element", Stored(damagedAt("rdf:li", 3, '='), length), damagedAt("rdf:li", 3, '=')},
        {"half a packet", Stored(good.substr(0, good.size() / 2), length / 2), good.substr(0, good.size() / 2)},
        {"length past the end", Stored(good, length + 1), Stored(good, length + 1)},
        {"negative length", Stored(good, -1), Stored(good, -1)},
        {"bytes left over", Stored(good, length) + "xy", Stored(good, length) + "xy"},
        {"count of set-aside packets past the end", Stored(good, length) + Stored("", 1000), Stored(good, length) + Stored("", 1000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tshost::DataBase* db = tshost::Documents::DataBaseOf(document);
        db->Restore(db->GetRootUID(), tshost::kMetaDataAccessImpl, c.stored);
        db->SetModified(kFalse);
        tshost::AlertLog::Get().Clear();
        testing::internal::CaptureStderr();
        Append("ana", {"second"});
        Append("bo", {"third"});
        SaveAndReopen();
        Append("ana", {"fourth"});
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

        const auto& alerts = tshost::AlertLog::Get().Records();
        ASSERT_EQ(alerts.size(), c.setAside.empty() ? 0u : 1u);
        if (!alerts.empty()) {
            EXPECT_EQ(alerts[0].kind, tshost::AlertKind::kWarning);
            EXPECT_NE(alerts[0].text.find("metadata of Flyer.indd was damaged"), std::string::npos) << alerts[0].text;
        }
        if (c.setAside.empty()) {
            const Lines items = Read("ana").value_or(Lines());
            ASSERT_EQ(items.size(), 3u);
            EXPECT_EQ(Lines(items.begin() + 1, items.end()), (Lines{"second", "fourth"}));
            EXPECT_TRUE(tshost::SetAsideMetadata(document).empty());
        } else {
            EXPECT_EQ(Read("ana"), (Lines{"second", "fourth"}));
            EXPECT_EQ(tshost::SetAsideMetadata(document), std::vector<std::string>{c.setAside});
        }
        EXPECT_EQ(Read("bo"), Lines{"third"});
    }

    // Damage again: set-aside packets accumulate, oldest first, through save and reopen.
    const std::string earlier = cases.back().setAside;
    const std::string damaged = damagedAt("</", 0, ' ');
    int32 one = 1;
    tshost::MemoryStream count;
    count.XferInt32(one);
    tshost::DataBase* db = tshost::Documents::DataBaseOf(document);
    db->Restore(db->GetRootUID(), tshost::kMetaDataAccessImpl,
                Stored(damaged, length) + count.Bytes() + Stored(earlier, static_cast<int32>(earlier.size())));
    ASSERT_EQ(tshost::SetAsideMetadata(document), std::vector<std::string>{earlier});
    Append("ana", {"fifth"});
    SaveAndReopen();
    EXPECT_EQ(tshost::SetAsideMetadata(document), (std::vector<std::string>{earlier, damaged}));
    EXPECT_EQ(Read("ana"), Lines{"fifth"});
}

}  // namespace
