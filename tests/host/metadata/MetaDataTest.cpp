// Document metadata as the plug-in uses it: a namespace registered under a prefix, items
// appended per user name (any name: blanks, quotes, "<", digits) in order, kept through save
// and reopen; refusals that change nothing and print nothing; a damaged packet that is kept
// rather than overwritten.
#include <gtest/gtest.h>

#include <set>

#include "../HostTestSupport.h"
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

TEST_F(MetaDataTest, AnUnparsablePacketIsKeptAndAppendsToItAreRefused) {
    Register();
    const std::string damaged = "<x:xmpmeta garbage";
    tshost::MemoryStream bytes;
    int32 length = static_cast<int32>(damaged.size());
    bytes.XferInt32(length);
    bytes.XferBytes(const_cast<char*>(damaged.data()), length);
    tshost::DataBase* db = tshost::Documents::DataBaseOf(document);
    db->Restore(db->GetRootUID(), tshost::kMetaDataAccessImpl, bytes.TakeBytes());
    ASSERT_EQ(tshost::MetadataPacket(document), damaged);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(metadata->AppendArrayItem(PMString(kTracking), PMString("tracking:ana"), PMString("x"), 2, 0));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(tshost::MetadataPacket(document), damaged);
    EXPECT_EQ(tshost::ReadAllMetadata(document), std::nullopt);
}

}  // namespace
