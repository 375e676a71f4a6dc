// The utilities a plug-in reaches with UtilsBoss::QueryUtils: saving and opening through
// the document-file utility, and closing through the document-file handler,
// each with the signals it must send.
#include "Alerts.h"
#include "FileUtils.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "IDocumentUtils.h"
#include "IPageList.h"
#include "PageList.h"
#include "SignalsTestPlugin.h"
#include "UtilsBoss.h"

namespace sigtest {

namespace {

// The first page's name, renamed first when `rename` is given: a change that reaches the file.
std::string FirstPage(IDocument* document, const char* rename = nullptr) {
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    InterfacePtr<tshost::IPageData> page(GetDataBase(document), pages->GetNthPageUID(0), IID_OF<tshost::IPageData>());
    if (rename) page->SetName(PMString(rename, PMString::kNoTranslate));
    return page->GetName().GetUTF8String();
}

ErrorCode Open(UIDRef& ref, const std::string& path, bool16 bringToFront = kTrue) {
    InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
    return files->OpenDoc(ref, FileUtils::FromPosixPath(path), IDocFileUtils::kOpenOriginal, IDocFileUtils::kSuppressUI, kFalse,
                          bringToFront, 0);
}

class UtilitiesTest : public SignalsFixture {};

TEST_F(UtilitiesTest, SaveAndOpenDocWorkWithoutDialogs) {
    InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
    const UIDRef untitled = GetUIDRef(NewDoc());
    EXPECT_EQ(files->Save(untitled, IDocFileUtils::kSuppressUI), kFailure);
    EXPECT_EQ(files->Save(untitled, IDocFileUtils::kMinimalUI), kFailure);
    ASSERT_EQ(tshost::AlertLog::Get().Records().size(), 1u) << "an alert only when asked for";
    EXPECT_NE(tshost::AlertLog::Get().Records()[0].text.find("Untitled-1 has not been saved yet"), std::string::npos);
    EXPECT_EQ(files->Save(UIDRef::gNull, IDocFileUtils::kSuppressUI), kInvalidParameterError);

    IDocument* saved = NewDoc("Saved.indd");
    FirstPage(saved, "changed");
    Take();
    EXPECT_EQ(files->Save(GetUIDRef(saved), IDocFileUtils::kSuppressUI), kSuccess);
    EXPECT_FALSE(GetDataBase(saved)->IsModified());
    EXPECT_EQ(Take(), Lines{}) << "saving sends no signal";

    // Inside the before-close signal, as the usage log's metadata write does; then opened again.
    FirstPage(saved, "in close");
    Rec().saveInBeforeClose = true;
    host.Docs().Close(saved);
    EXPECT_EQ(Take().at(0), "A before-close Saved.indd saved=0 of 2");
    UIDRef ref;
    ASSERT_EQ(Open(ref, dir / "Saved.indd"), kSuccess);
    EXPECT_EQ(ref, GetUIDRef(host.Docs().Front()));
    EXPECT_EQ(Take(), (Lines{"A after-open Saved.indd of 2", "A front-document Saved.indd of 2", "C front-document Saved.indd of 2"}));
    EXPECT_EQ(FirstPage(host.Docs().Front()), "in close");

    // Once more while it is open, behind the other document.
    host.Docs().BringToFront(host.Docs().At(0));
    Take();
    UIDRef again;
    ASSERT_EQ(Open(again, dir / "Saved.indd", kFalse), kSuccess);
    EXPECT_EQ(again, ref);
    EXPECT_EQ(Take(), Lines{}) << "left where it is";
    ASSERT_EQ(Open(again, dir / "Saved.indd"), kSuccess);
    EXPECT_EQ(again, ref);
    EXPECT_EQ(Take(), (Lines{"A front-document Saved.indd of 2", "C front-document Saved.indd of 2"}));
    EXPECT_EQ(shown.back(), "Saved.indd is open already: brought to the front");
}

TEST_F(UtilitiesTest, OpenDocRefusesWhatItCannotDo) {
    tstest::WriteFile(dir / "text.indd", "not a document");
    InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
    struct Case { std::string path; int32 mode; bool16 readOnly; int32 reserved; ErrorCode result; };
    const Case cases[] = {
        {dir / "missing.indd", IDocFileUtils::kOpenOriginal, kFalse, 0, kFailure},
        {dir / "text.indd", IDocFileUtils::kOpenDefault, kFalse, 0, kFailure},
        {dir / "text.indd", IDocFileUtils::kOpenCopy, kFalse, 0, kInvalidParameterError},
        {dir / "text.indd", IDocFileUtils::kOpenOriginal, kTrue, 0, kInvalidParameterError},
        {dir / "text.indd", IDocFileUtils::kOpenOriginal, kFalse, 7, kInvalidParameterError},
        {"", IDocFileUtils::kOpenOriginal, kFalse, 0, kInvalidParameterError},
    };
    for (const Case& c : cases) {
        UIDRef ref(reinterpret_cast<IDataBase*>(0x1), UID(5));
        const IDFile file = c.path.empty() ? IDFile() : FileUtils::FromPosixPath(c.path);
        EXPECT_EQ(files->OpenDoc(ref, file, c.mode, IDocFileUtils::kSuppressUI, c.readOnly, kTrue, c.reserved), c.result) << c.path;
        EXPECT_EQ(ref, UIDRef::gNull);
    }
    EXPECT_EQ(host.Docs().Count(), 0);
    EXPECT_EQ(Take(), Lines{});
    EXPECT_TRUE(tshost::AlertLog::Get().Records().empty());
    EXPECT_EQ(tstest::ReadFile(dir / "text.indd"), "not a document");
}

TEST_F(UtilitiesTest, TheFileHandlerClosesAsItIsTold) {
    using H = IDocFileHandler;
    // Closed when the result is kSuccess; pageOnDisk: the first page's name when reopened, null: not checked.
    struct Case { const char* what; bool saved, modified; int32 unsaved; bool16 allowCancel; ErrorCode result; bool discarded;
                  const char* pageOnDisk; };
    const Case cases[] = {
        {"discard, no file", false, true, H::kDiscardUnsaved, kTrue, kSuccess, true, nullptr},
        {"discard, with file", true, true, H::kDiscardUnsaved, kTrue, kSuccess, true, "1"},
        {"keep open", false, true, H::kKeepOpenWhenUnsaved, kFalse, kCancel, false, nullptr},
        {"keep open, nothing to lose", true, false, H::kKeepOpenWhenUnsaved, kTrue, kSuccess, false, "1"},
        {"save, no file, may cancel", false, true, H::kSaveUnsaved, kTrue, kCancel, false, nullptr},
        {"save, no file, no cancel", false, true, H::kSaveUnsaved, kFalse, kSuccess, true, nullptr},
        {"save, with file", true, true, H::kSaveUnsaved, kTrue, kSuccess, false, "changed"},
        {"save, with file, the save fails", true, true, H::kSaveUnsaved, kFalse, kFailure, false, nullptr},
        {"unknown choice", true, true, 3, kTrue, kInvalidParameterError, false, nullptr},
    };
    InterfacePtr<IDocumentUtils> utils(UtilsBoss::QueryUtils<IDocumentUtils>());
    EXPECT_FALSE(InterfacePtr<IDocFileHandler>(utils->QueryDocFileHandler(UIDRef::gNull)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A save that fails: the file's folder is gone.
        const bool saveFails = c.result == kFailure;
        const std::string file = std::string(c.what) + (saveFails ? "/A.indd" : ".indd");
        if (saveFails) std::filesystem::create_directories(dir / c.what);
        IDocument* document = NewDoc(c.saved ? file : "");
        if (c.modified) FirstPage(document, "changed");
        if (saveFails) std::filesystem::remove_all(dir / c.what);
        const std::string name = tshost::Documents::NameOf(document);
        const UIDRef ref = GetUIDRef(document);
        InterfacePtr<IDocFileHandler> handler(utils->QueryDocFileHandler(ref));
        EXPECT_EQ(handler->Close(ref, c.unsaved, c.allowCancel, kTrue), c.result);
        EXPECT_EQ(host.Docs().Count(), c.result == kSuccess ? 0 : 1);
        if (c.result == kSuccess) {
            EXPECT_EQ(shown.back(), "closed " + name + (c.discarded ? " (unsaved changes discarded)" : ""));
            EXPECT_EQ(handler->Close(ref, H::kDiscardUnsaved, kTrue, kTrue), kInvalidParameterError) << "closed already";
        } else {
            host.Docs().Close(document);
        }
        if (!c.pageOnDisk) continue;
        std::string error;
        IDocument* reopened = host.Docs().Open(dir / file, error);
        ASSERT_TRUE(reopened) << error;
        EXPECT_EQ(FirstPage(reopened), c.pageOnDisk);
        host.Docs().Close(reopened);
    }
}

}  // namespace

}  // namespace sigtest
