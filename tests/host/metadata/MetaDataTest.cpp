// Document metadata as the plug-in uses it: a namespace registered under a prefix, items
// appended per user name (any name: blanks, quotes, "<", digits) in order, kept through save
// and reopen and after more sessions; refusals that change nothing and print nothing; a
// damaged packet that is kept rather than overwritten.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <set>

#include "../HostTestSupport.h"
#include "DataBase.h"
#include "ExportIDs.h"
#include "Host.h"
#include "IMetaDataAccess.h"
#include "InterfacePtr.h"
#include "MetaData.h"
#include "MemoryStream.h"
#include "Transcript.h"

namespace {

constexpr const char* kTracking = "http://ns.tessaron.example/tracking/1.0/";
using Lines = std::vector<std::string>;

// What the process writes to standard error while it lives.
class StderrCapture {
public:
    StderrCapture() : fFile(std::tmpfile()) {
        std::fflush(stderr);
        fSaved = ::dup(2);
        ::dup2(::fileno(fFile), 2);
    }
    ~StderrCapture() { Restore(); std::fclose(fFile); }
    std::string Text() {
        Restore();
        std::string text;
        std::rewind(fFile);
        for (int c; (c = std::fgetc(fFile)) != EOF;) text += static_cast<char>(c);
        return text;
    }

private:
    void Restore() {
        if (fSaved < 0) return;
        std::fflush(stderr);
        ::dup2(fSaved, 2);
        ::close(fSaved);
        fSaved = -1;
    }
    std::FILE* fFile;
    int fSaved = -1;
};

class MetaDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        tshost::SetTranscriptSink([](std::string_view) {});
        std::string error;
        host = std::make_unique<tshost::Host>();
        ASSERT_TRUE(host->Boot(error)) << error;
        host->Start(dir.Path());
    }
    void TearDown() override {
        host.reset();
        tshost::SetTranscriptSink({});
    }

    IDocument* NewDocument() {
        std::string error;
        IDocument* document = host->Docs().New(1, error);
        EXPECT_TRUE(document) << error;
        return document;
    }

    // The plug-in's steps: register, look the prefix up, append under prefix + user name.
    static std::string Register(IDocument* document) {
        InterfacePtr<IMetaDataAccess> metadata(document, IID_OF<IMetaDataAccess>());
        PMString prefix, uri;
        EXPECT_TRUE(metadata->RegisterNamespace(PMString(kTracking), PMString("tracking"), prefix));
        EXPECT_TRUE(metadata->GetNamespaceURI(prefix, uri));
        EXPECT_EQ(uri.GetUTF8String(), kTracking);
        return prefix.GetUTF8String();
    }
    static void Append(IDocument* document, const std::string& user, const Lines& lines) {
        std::string prefix = Register(document);
        InterfacePtr<IMetaDataAccess> metadata(document, IID_OF<IMetaDataAccess>());
        for (const std::string& line : lines)
            EXPECT_TRUE(metadata->AppendArrayItem(PMString(kTracking), PMString(prefix + user), PMString(line), 2, 0)) << user;
    }
    static std::optional<Lines> Read(IDocument* document, const std::string& user) {
        return tshost::ReadMetadataArray(document, kTracking, "tracking:" + user);
    }

    tstest::TempDir dir;
    std::unique_ptr<tshost::Host> host;
};

TEST(XmlNameTest, NamesThatAreNotXmlNamesAreEncodedDistinctly) {
    struct Case { std::string name, stored; };
    const Case cases[] = {
        {"ana", "ana"},
        {"ana lee", "ana_x0020_lee"},
        {"1abc", "_x0031_abc"},
        {"a1-b.c", "a1-b.c"},
        {"a_b", "a_b"},
        {"a_x0020_b", "a_x005F_x0020_b"},
        {"_x", "_x005F_x"},
        {"O'Brien <x>", "O_x0027_Brien_x0020__x003C_x_x003E_"},
        {"a:b", "a_x003A_b"},
        {"José", "Jos_x00E9_"},
        {"日本", "_x65E5__x672C_"},
        {"·x", "_x00B7_x"},
        {"😀", "_x1F600_"},
        {"", ""},
        {"bad\xff", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(tshost::EncodeXmlName(c.name), c.stored) << c.name;
    const std::string names[] = {"a b", "a_x0020_b", "a_b", "a__b", "a_x005F_b", "_x", "x_", "a b ", "a  b"};
    std::set<std::string> stored;
    for (const std::string& name : names) stored.insert(tshost::EncodeXmlName(name));
    EXPECT_EQ(stored.size(), std::size(names));
}

TEST_F(MetaDataTest, NamespacesAreRegisteredUnderTheSuggestedPrefixOrAnother) {
    IDocument* document = NewDocument();
    EXPECT_EQ(Register(document), "tracking:");
    EXPECT_EQ(Register(document), "tracking:") << "registering again gives the same prefix";
    InterfacePtr<IMetaDataAccess> metadata(document, IID_OF<IMetaDataAccess>());
    PMString other, uri;
    ASSERT_TRUE(metadata->RegisterNamespace(PMString("http://ns.tessaron.example/other/"), PMString("tracking"), other));
    EXPECT_NE(other.GetUTF8String(), "tracking:");
    EXPECT_EQ(other.GetUTF8String().back(), ':');
    ASSERT_TRUE(metadata->GetNamespaceURI(other, uri));
    EXPECT_EQ(uri.GetUTF8String(), "http://ns.tessaron.example/other/");
    EXPECT_TRUE(metadata->GetNamespaceURI(PMString("tracking"), uri));
    EXPECT_EQ(uri.GetUTF8String(), kTracking);

    StderrCapture err;
    EXPECT_FALSE(metadata->GetNamespaceURI(PMString("nobody"), uri));
    EXPECT_TRUE(uri.IsEmpty());
    EXPECT_FALSE(metadata->GetNamespaceURI(PMString("a b"), uri));
    EXPECT_FALSE(metadata->GetNamespaceURI(PMString(""), uri));
    EXPECT_FALSE(metadata->RegisterNamespace(PMString(""), PMString("x"), other));
    PMString odd;
    EXPECT_TRUE(metadata->RegisterNamespace(PMString("http://ns.tessaron.example/odd/"), PMString("1 odd"), odd));
    EXPECT_EQ(odd.GetUTF8String().back(), ':');
    EXPECT_EQ(err.Text(), "");
}

TEST_F(MetaDataTest, ItemsAccumulatePerUserInOrderAcrossSaveAndReopen) {
    IDocument* document = NewDocument();
    const std::string path = dir / "Flyer.indd";
    std::string error;
    ASSERT_TRUE(host->Docs().SaveAs(document, path, error)) << error;
    StderrCapture err;
    Append(document, "ana lee", {"open 10:00", "close 10:05 <\"ok\">"});
    Append(document, "1st user", {"line"});
    Append(document, "ana", {"plain"});
    EXPECT_TRUE(::GetDataBase(document)->IsModified());
    ASSERT_TRUE(host->Docs().Save(document, error)) << error;
    host->Docs().Close(document);

    document = host->Docs().Open(path, error);
    ASSERT_TRUE(document) << error;
    EXPECT_EQ(Read(document, "ana lee"), (Lines{"open 10:00", "close 10:05 <\"ok\">"}));
    EXPECT_EQ(Read(document, "1st user"), Lines{"line"});
    EXPECT_EQ(Read(document, "ana"), Lines{"plain"}) << "a user whose name is valid keeps a property apart";
    EXPECT_EQ(Read(document, "nobody"), std::nullopt);
    Append(document, "ana lee", {"open 11:00"});
    ASSERT_TRUE(host->Docs().Save(document, error)) << error;
    host->Docs().Close(document);

    document = host->Docs().Open(path, error);
    ASSERT_TRUE(document) << error;
    EXPECT_EQ(Read(document, "ana lee"), (Lines{"open 10:00", "close 10:05 <\"ok\">", "open 11:00"}));
    EXPECT_FALSE(::GetDataBase(document)->IsModified());
    EXPECT_EQ(err.Text(), "");
}

TEST_F(MetaDataTest, EveryKindOfUserNameIsReadBackAfterReopening) {
    // Some of these the XMP toolkit takes when writing but its parser refuses when reading.
    const std::string users[] = {"José", "日本", "😀", "ʰx", "ꀀ", "Ⅻ", "x‿", "tab\tname", "a:b", "\"q\" & <t>", "_x0041_"};
    IDocument* document = NewDocument();
    const std::string path = dir / "Names.indd";
    std::string error;
    ASSERT_TRUE(host->Docs().SaveAs(document, path, error)) << error;
    StderrCapture err;
    for (const std::string& user : users) Append(document, user, {"by " + user});
    ASSERT_TRUE(host->Docs().Save(document, error)) << error;
    host->Docs().Close(document);
    document = host->Docs().Open(path, error);
    ASSERT_TRUE(document) << error;
    for (const std::string& user : users) EXPECT_EQ(Read(document, user), Lines{"by " + user}) << user;
    EXPECT_EQ(err.Text(), "");
}

TEST_F(MetaDataTest, RefusedAppendsChangeNothingAndPrintNothing) {
    IDocument* document = NewDocument();
    Append(document, "ana", {"first"});
    InterfacePtr<IMetaDataAccess> metadata(document, IID_OF<IMetaDataAccess>());
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
    StderrCapture err;
    for (const Case& c : cases)
        EXPECT_FALSE(metadata->AppendArrayItem(PMString(c.ns), PMString(c.name), PMString(c.value), c.form, c.options)) << c.why;
    EXPECT_EQ(err.Text(), "");
    EXPECT_EQ(tshost::MetadataPacket(document), before);
    EXPECT_FALSE(::GetDataBase(document)->IsModified());
    EXPECT_EQ(Read(document, "ana"), Lines{"first"});
}

TEST_F(MetaDataTest, TheOtherArrayFormsAreKept) {
    IDocument* document = NewDocument();
    Register(document);
    InterfacePtr<IMetaDataAccess> metadata(document, IID_OF<IMetaDataAccess>());
    for (int32 form : {1, 3}) {
        std::string name = "tracking:form" + std::to_string(form);
        EXPECT_TRUE(metadata->AppendArrayItem(PMString(kTracking), PMString(name), PMString("a"), form, 0));
        EXPECT_TRUE(metadata->AppendArrayItem(PMString(kTracking), PMString(name), PMString("b"), form, 0));
        EXPECT_EQ(tshost::ReadMetadataArray(document, kTracking, name), (Lines{"a", "b"}));
    }
    std::string packet = tshost::MetadataPacket(document);
    EXPECT_NE(packet.find("rdf:Bag"), std::string::npos);
    EXPECT_NE(packet.find("rdf:Alt"), std::string::npos);
}

TEST_F(MetaDataTest, ADamagedPacketIsKeptAndNotOverwritten) {
    IDocument* document = NewDocument();
    tshost::DataBase* db = tshost::Documents::DataBaseOf(document);
    InterfacePtr<IMetaDataAccess> metadata(document, IID_OF<IMetaDataAccess>());
    Register(document);
    const std::string damaged = "<x:xmpmeta garbage";
    tshost::MemoryStream bytes;
    int32 length = static_cast<int32>(damaged.size());
    bytes.XferInt32(length);
    bytes.XferBytes(const_cast<char*>(damaged.data()), length);
    db->Restore(db->GetRootUID(), tshost::kMetaDataAccessImpl, bytes.TakeBytes());
    ASSERT_EQ(tshost::MetadataPacket(document), damaged);

    StderrCapture err;
    EXPECT_FALSE(metadata->AppendArrayItem(PMString(kTracking), PMString("tracking:ana"), PMString("x"), 2, 0));
    EXPECT_EQ(tshost::MetadataPacket(document), damaged);
    EXPECT_EQ(tshost::ReadAllMetadata(document), std::nullopt);
    err.Text();
}

}  // namespace
