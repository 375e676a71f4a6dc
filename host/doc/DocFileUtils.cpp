// The document-file utility (save, open) and the document-file handler (close). Each shows
// on the transcript what the user would see happen, as the console's document commands do,
// and with a user-interface flag also shows failures as error alerts.
#include <string>

#include "CAlert.h"
#include "CPMUnknown.h"
#include "FileUtils.h"
#include "Guard.h"
#include "Host.h"
#include "HostModule.h"
#include "IDocFileHandler.h"
#include "IDocFileUtils.h"
#include "SignalIDs.h"
#include "Transcript.h"
#include "DocumentUtilities.h"
#include "Utilities.h"

namespace tshost {

namespace {

ErrorCode Fail(ErrorCode code, int32 uiFlags, const std::string& message) {
    Diagnose(message);
    if (uiFlags != IDocFileUtils::kSuppressUI) CAlert::ErrorAlert(PMString(message, PMString::kNoTranslate));
    return code;
}

class DocFileUtils final : public CPMUnknown<IDocFileUtils> {
public:
    explicit DocFileUtils(IPMUnknown* boss) : CPMUnknown<IDocFileUtils>(boss) {}

    ErrorCode Save(const UIDRef& ref, int32 uiFlags) override {
        return Guarded("saving a document", kFailure, [&] { return SaveDoc(ref, uiFlags); });
    }

    ErrorCode OpenDoc(UIDRef& ref, const IDFile& file, int32 openMode, int32 uiFlags, bool16 readOnly,
                      bool16 bringToFront, int32 reserved) override {
        ref = UIDRef::gNull;
        return Guarded("opening a document", kFailure,
                       [&] { return Open(ref, file, openMode, uiFlags, readOnly, bringToFront, reserved); });
    }

private:
    ErrorCode SaveDoc(const UIDRef& ref, int32 uiFlags) {
        Host* host = Host::Current();
        IDocument* document = OpenDocumentFor(ref);
        if (!host || !document) return Fail(kInvalidParameterError, uiFlags, "save: the reference names no open document");
        std::string error;
        if (!host->Docs().Save(document, error)) return Fail(kFailure, uiFlags, error);
        Show("saved " + Documents::NameOf(document));
        return kSuccess;
    }

    ErrorCode Open(UIDRef& ref, const IDFile& file, int32 openMode, int32 uiFlags, bool16 readOnly,
                   bool16 bringToFront, int32 reserved) {
        Host* host = Host::Current();
        if (!host) return kFailure;
        if (openMode != kOpenDefault && openMode != kOpenOriginal)
            return Fail(kInvalidParameterError, uiFlags, "open: documents open only as themselves, not as copies");
        if (readOnly != kFalse) return Fail(kInvalidParameterError, uiFlags, "open: documents open only for writing");
        if (reserved != 0 || uiFlags < kSuppressUI || uiFlags > kFullUI)
            return Fail(kInvalidParameterError, uiFlags, "open: unknown options");
        std::string path = FileUtils::GetPosixPath(file);
        if (path.empty()) return Fail(kInvalidParameterError, uiFlags, "open: '" + file.GetPath() + "' is not a path");

        Documents& docs = host->Docs();
        std::string ignored;
        if (IDocument* open = docs.Find(path, ignored)) {
            if (bringToFront != kFalse && docs.Front() != open) {
                docs.BringToFront(open);
                Show(Documents::NameOf(open) + " is open already: brought to the front");
            }
            ref = GetUIDRef(open);
            return kSuccess;
        }
        std::string error;
        IDocument* document = docs.Open(path, error);
        if (!document) return Fail(kFailure, uiFlags, error);
        Show("opened " + Documents::NameOf(document));
        ref = GetUIDRef(document);
        return kSuccess;
    }
};

class DocFileHandler final : public CPMUnknown<IDocFileHandler> {
public:
    explicit DocFileHandler(IPMUnknown* boss) : CPMUnknown<IDocFileHandler>(boss) {}

    ErrorCode Close(const UIDRef& ref, int32 unsavedChanges, bool16 allowCancel, bool16 immediately) override {
        return Guarded("closing a document", kFailure, [&] { return CloseDoc(ref, unsavedChanges, allowCancel); });
    }

private:
    ErrorCode CloseDoc(const UIDRef& ref, int32 unsavedChanges, bool16 allowCancel) {
        Host* host = Host::Current();
        IDocument* document = OpenDocumentFor(ref);
        if (!host || !document) return kInvalidParameterError;
        if (unsavedChanges < kKeepOpenWhenUnsaved || unsavedChanges > kDiscardUnsaved) return kInvalidParameterError;
        DataBase* db = Documents::DataBaseOf(document);
        std::string name = Documents::NameOf(document);
        bool discarded = false;
        if (db && db->IsModified()) {
            if (unsavedChanges == kKeepOpenWhenUnsaved) return kCancel;
            if (unsavedChanges == kSaveUnsaved) {
                if (!db->Path().empty()) {
                    std::string error;
                    if (!host->Docs().Save(document, error)) {
                        Diagnose(error + ": " + name + " stays open");
                        return kFailure;
                    }
                } else if (allowCancel != kFalse) {
                    return kCancel;
                } else {
                    discarded = true;
                }
            } else {
                discarded = true;
            }
        }
        // Fails only for a document that is closing already, whose close goes on.
        if (!host->Docs().Close(document)) return kFailure;
        Show("closed " + name + (discarded ? " (unsaved changes discarded)" : ""));
        return kSuccess;
    }
};

HostModule gModule("document files", 1, [] {
    RegisterHostImplementation(HostImplementation<DocFileUtils>(kDocFileUtilsImpl));
    RegisterHostImplementation(HostImplementation<DocFileHandler>(kDocFileHandlerImpl));
});

}  // namespace

}  // namespace tshost
