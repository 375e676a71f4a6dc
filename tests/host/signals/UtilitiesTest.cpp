// The utilities a plug-in reaches with UtilsBoss::QueryUtils: the front document, number
// text, saving and opening through the document-file utility, and closing through the
// document-file handler, each with the signals it must send.
#include "Alerts.h"
#include "BossClasses.h"
#include "FileUtils.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "IDocument.h"
#include "IDocumentUtils.h"
#include "ILayoutUtils.h"
#include "INumberUtils.h"
#include "IPageList.h"
#include "InterfacePtr.h"
#include "PageList.h"
#include "SignalIDs.h"
#include "SignalsTestPlugin.h"
#include "UtilsBoss.h"

namespace sigtest {

namespace {

using Lines = std::vector<std::string>;

void RenameFirstPage(IDocument* document, const char* name) {
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    InterfacePtr<tshost::IPageData> page(GetDataBase(document), pages->GetNthPageUID(0), IID_OF<tshost::IPageData>());
    page->SetName(PMString(name, PMString::kNoTranslate));
}

std::string FirstPageName(IDocument* document) {
    InterfacePtr<IPageList> pages(document, IID_OF<IPageList>());
    PMString name;
    pages->GetPageString(pages->GetNthPageUID(0), name, kFalse, kTrue, kFalse, kTrue);
    return name.GetUTF8String();
}

class UtilitiesTest : public SignalsFixture {
protected:
    ErrorCode Open(UIDRef& ref, const std::string& path, bool16 bringToFront = kTrue) {
        InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
        return files->OpenDoc(ref, FileUtils::FromPosixPath(path), IDocFileUtils::kOpenOriginal, IDocFileUtils::kSuppressUI,
                              kFalse, bringToFront, 0);
    }
    ErrorCode Close(IDocument* document, int32 unsaved, bool16 allowCancel) {
        InterfacePtr<IDocumentUtils> utils(UtilsBoss::QueryUtils<IDocumentUtils>());
        InterfacePtr<IDocFileHandler> handler(utils->QueryDocFileHandler(GetUIDRef(document)));
        return handler ? handler->Close(GetUIDRef(document), unsaved, allowCancel, kTrue) : kInvalidParameterError;
    }
    // A document saved to `name` in the test folder, then modified.
    IDocument* SavedAndModified(const std::string& name) {
        IDocument* document = NewDoc();
        std::string error;
        EXPECT_TRUE(host.Docs().SaveAs(document, dir / name, error)) << error;
        RenameFirstPage(document, "changed");
        return document;
    }
};

TEST_F(UtilitiesTest, EachUtilityIsReachedByItsID) {
    EXPECT_TRUE(InterfacePtr<ILayoutUtils>(UtilsBoss::QueryUtils<ILayoutUtils>()));
    EXPECT_TRUE(InterfacePtr<IDocumentUtils>(UtilsBoss::QueryUtils<IDocumentUtils>()));
    EXPECT_TRUE(InterfacePtr<IDocFileUtils>(UtilsBoss::QueryUtils<IDocFileUtils>()));
    EXPECT_TRUE(InterfacePtr<INumberUtils>(UtilsBoss::QueryUtils<INumberUtils>()));
    EXPECT_EQ(QueryHostUtility(PMIID(0x7f6ee)), nullptr);
    tshost::BossClasses::Get().Withhold(tshost::kUtilsBoss, IID_OF<ILayoutUtils>());
    EXPECT_FALSE(InterfacePtr<ILayoutUtils>(UtilsBoss::QueryUtils<ILayoutUtils>()));
}

TEST_F(UtilitiesTest, NumbersAreWrittenInPlainDecimal) {
    InterfacePtr<INumberUtils> numbers(UtilsBoss::QueryUtils<INumberUtils>());
    struct Case { int32 number; const char* text; };
    for (Case c : {Case{0, "0"}, Case{7, "7"}, Case{5, "5"}, Case{2007, "2007"}, Case{86399, "86399"}, Case{-5, "-5"},
                   Case{1234567, "1234567"}, Case{INT32_MIN, "-2147483648"}, Case{INT32_MAX, "2147483647"}}) {
        PMString text = numbers->IntegerToText(c.number);
        EXPECT_EQ(text.GetUTF8String(), c.text);
        EXPECT_FALSE(text.GetTranslatable());
    }
}

TEST_F(UtilitiesTest, TheLayoutUtilityGivesTheFrontDocument) {
    InterfacePtr<ILayoutUtils> layout(UtilsBoss::QueryUtils<ILayoutUtils>());
    EXPECT_EQ(layout->GetFrontDocument(), nullptr);
    IDocument* first = NewDoc();
    IDocument* second = NewDoc();
    EXPECT_EQ(layout->GetFrontDocument(), second);
    host.Docs().BringToFront(first);
    EXPECT_EQ(layout->GetFrontDocument(), first);
    host.Docs().Close(first);
    EXPECT_EQ(layout->GetFrontDocument(), second);
}

TEST_F(UtilitiesTest, SaveWritesWithoutDialogsAndClearsTheModifiedState) {
    InterfacePtr<IDocFileUtils> files(UtilsBoss::QueryUtils<IDocFileUtils>());
    IDocument* untitled = NewDoc();
    EXPECT_EQ(files->Save(GetUIDRef(untitled), IDocFileUtils::kSuppressUI), kFailure);
    EXPECT_TRUE(tshost::AlertLog::Get().Records().empty());
    EXPECT_EQ(files->Save(GetUIDRef(untitled), IDocFileUtils::kMinimalUI), kFailure);
    ASSERT_EQ(tshost::AlertLog::Get().Records().size(), 1u);
    EXPECT_NE(tshost::AlertLog::Get().Records()[0].text.find("Untitled-1 has not been saved yet"), std::string::npos);
    EXPECT_EQ(files->Save(UIDRef::gNull, IDocFileUtils::kSuppressUI), kInvalidParameterError);

    IDocument* saved = SavedAndModified("Saved.indd");
    ASSERT_TRUE(GetDataBase(saved)->IsModified());
    Take();
    EXPECT_EQ(files->Save(GetUIDRef(saved), IDocFileUtils::kSuppressUI), kSuccess);
    EXPECT_FALSE(GetDataBase(saved)->IsModified());
    EXPECT_EQ(Take(), Lines{}) << "saving sends no signal";

    // Inside the before-close signal, as the usage log's metadata write does.
    RenameFirstPage(saved, "in close");
    Rec().saveInBeforeClose = true;
    host.Docs().Close(saved);
    Lines events = Take();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0], "A before-close Saved.indd saved=0 of 2");
    std::string error;
    IDocument* reopened = host.Docs().Open(dir / "Saved.indd", error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(FirstPageName(reopened), "in close");
}

TEST_F(UtilitiesTest, OpenDocOpensOrBringsToTheFront) {
    std::string error;
    IDocument* document = NewDoc();
    const std::string path = dir / "Flyer.indd";
    ASSERT_TRUE(host.Docs().SaveAs(document, path, error)) << error;
    host.Docs().Close(document);
    Take();

    UIDRef ref(nullptr, kInvalidUID);
    ASSERT_EQ(Open(ref, path), kSuccess);
    IDocument* opened = host.Docs().Front();
    EXPECT_EQ(ref, GetUIDRef(opened));
    EXPECT_EQ(Take(), (Lines{"A after-open Flyer.indd of 1", "A front-document Flyer.indd of 1", "C front-document Flyer.indd of 1"}));

    NewDoc();
    Take();
    UIDRef other;
    ASSERT_EQ(Open(other, path, kFalse), kSuccess);
    EXPECT_EQ(other, ref);
    EXPECT_EQ(Take(), Lines{}) << "left where it is";
    ASSERT_EQ(Open(other, path), kSuccess);
    EXPECT_EQ(other, ref);
    EXPECT_EQ(host.Docs().Count(), 2);
    EXPECT_EQ(Take(), (Lines{"A front-document Flyer.indd of 2", "C front-document Flyer.indd of 2"}));
    EXPECT_EQ(capture.shown.back(), "Flyer.indd is open already: brought to the front");
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
    };
    for (const Case& c : cases) {
        UIDRef ref(reinterpret_cast<IDataBase*>(0x1), UID(5));
        EXPECT_EQ(files->OpenDoc(ref, FileUtils::FromPosixPath(c.path), c.mode, IDocFileUtils::kSuppressUI, c.readOnly, kTrue,
                                 c.reserved),
                  c.result)
            << c.path << " mode " << c.mode;
        EXPECT_EQ(ref, UIDRef::gNull);
    }
    UIDRef ref;
    EXPECT_EQ(files->OpenDoc(ref, IDFile(), 2, 0, 0, 1, 0), kInvalidParameterError);
    EXPECT_EQ(host.Docs().Count(), 0);
    EXPECT_EQ(Take(), Lines{});
    EXPECT_TRUE(tshost::AlertLog::Get().Records().empty());
    EXPECT_EQ(tstest::ReadFile(dir / "text.indd"), "not a document");
}

TEST_F(UtilitiesTest, TheFileHandlerClosesAsItIsTold) {
    using H = IDocFileHandler;
    struct Case {
        const char* what;
        bool saved;     // has a file
        bool modified;
        int32 unsaved;
        bool16 allowCancel;
        ErrorCode result;
        bool closed;
        const char* pageOnDisk;  // the first page's name when reopened; null: not checked
    };
    const Case cases[] = {
        {"discard, no file", false, true, H::kDiscardUnsaved, kTrue, kSuccess, true, nullptr},
        {"discard, with file", true, true, H::kDiscardUnsaved, kTrue, kSuccess, true, "1"},
        {"keep open", false, true, H::kKeepOpenWhenUnsaved, kFalse, kCancel, false, nullptr},
        {"keep open, nothing to lose", true, false, H::kKeepOpenWhenUnsaved, kTrue, kSuccess, true, "1"},
        {"save, no file, may cancel", false, true, H::kSaveUnsaved, kTrue, kCancel, false, nullptr},
        {"save, no file, no cancel", false, true, H::kSaveUnsaved, kFalse, kSuccess, true, nullptr},
        {"save, with file", true, true, H::kSaveUnsaved, kTrue, kSuccess, true, "changed"},
        {"unknown choice", true, true, 3, kTrue, kInvalidParameterError, false, nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IDocument* document = NewDoc();
        std::string error, file = dir / ("Doc" + std::to_string(++n) + ".indd");
        if (c.saved) {
            ASSERT_TRUE(host.Docs().SaveAs(document, file, error)) << error;
        }
        if (c.modified) RenameFirstPage(document, "changed");
        std::string name = tshost::Documents::NameOf(document);
        EXPECT_EQ(Close(document, c.unsaved, c.allowCancel), c.result);
        EXPECT_EQ(host.Docs().Count(), c.closed ? 0 : 1);
        if (c.closed)
            EXPECT_EQ(capture.shown.back(), "closed " + name + ((c.modified && c.unsaved != H::kSaveUnsaved) || (c.modified && !c.saved)
                                                                    ? " (unsaved changes discarded)" : ""));
        else
            host.Docs().Close(document);
        if (c.pageOnDisk) {
            IDocument* reopened = host.Docs().Open(file, error);
            ASSERT_TRUE(reopened) << error;
            EXPECT_EQ(FirstPageName(reopened), c.pageOnDisk);
            host.Docs().Close(reopened);
        }
    }
}

TEST_F(UtilitiesTest, HandlerCloseSendsTheCloseSignalsAndTheNextFront) {
    IDocument* back = NewDoc();
    IDocument* front = NewDoc();
    RenameFirstPage(front, "changed");
    Take();
    InterfacePtr<IDocumentUtils> utils(UtilsBoss::QueryUtils<IDocumentUtils>());
    EXPECT_FALSE(InterfacePtr<IDocFileHandler>(utils->QueryDocFileHandler(UIDRef::gNull)));
    const UIDRef ref = GetUIDRef(front);
    InterfacePtr<IDocFileHandler> handler(utils->QueryDocFileHandler(ref));
    ASSERT_TRUE(handler);
    EXPECT_EQ(handler->Close(ref, 2, 1, 1), kSuccess);
    EXPECT_EQ(Take(), (Lines{"A before-close Untitled-2 of 2", "A after-close Untitled-2 of 1", "B after-close Untitled-2 of 1",
                             "C after-close Untitled-2 of 1", "A front-document Untitled-1 of 1", "C front-document Untitled-1 of 1"}));
    EXPECT_EQ(host.Docs().Front(), back);
    EXPECT_EQ(handler->Close(ref, 2, 1, 1), kInvalidParameterError) << "closed already";
    EXPECT_EQ(capture.shown.back(), "closed Untitled-2 (unsaved changes discarded)");
}

}  // namespace

}  // namespace sigtest
