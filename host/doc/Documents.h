// The open documents: new, open, save, save as, close, the front document and the list in
// opening order. Each document is one DataBase whose root is a kDocBoss; a saved document's
// file is that database's SQLite file. New documents are "Untitled-N" (N counts up for the
// whole run) with pages named "1".."N", and start unmodified. Closing never asks: unsaved
// changes are discarded. Opening a file that is open already brings it to the front. A file
// another run of the host has open is opened read-only, and the user told so: saving it
// into its file is refused, saving it as another file is not.
//
// Observers hear every change, so later subsystems (document signals, panels) attach here:
// DocumentOpened after a document joined the list and became the front one, DocumentClosing
// while it is still listed, DocumentClosed after it left the list, FrontDocumentChanged when
// the front document changes (null once the last one closed), DocumentSaved after a save.
// User-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DataBase.h"
#include "IDocument.h"

namespace tshost {

class DocumentObserver {
public:
    virtual void DocumentOpened(IDocument* document, bool isNew) {}
    virtual void DocumentSaved(IDocument* document) {}
    virtual void DocumentClosing(IDocument* document) {}
    virtual void DocumentClosed(const std::string& name) {}
    virtual void FrontDocumentChanged(IDocument* front) {}

protected:
    virtual ~DocumentObserver() = default;
};

class Documents {
public:
    static constexpr int32 kMaxPages = 9999;

    Documents() = default;
    ~Documents();
    Documents(const Documents&) = delete;
    Documents& operator=(const Documents&) = delete;

    // Each returns the document (not counted) or null with `error` saying why.
    IDocument* New(int32 pageCount, std::string& error);
    IDocument* Open(const std::string& posixPath, std::string& error);

    bool Save(IDocument* document, std::string& error);
    bool SaveAs(IDocument* document, const std::string& posixPath, std::string& error);
    bool Close(IDocument* document);
    void CloseAll();
    bool BringToFront(IDocument* document);

    // Not counted; null when none is open.
    IDocument* Front() const { return fFrontOrder.empty() ? nullptr : fFrontOrder.front(); }
    int32 Count() const { return static_cast<int32>(fOpen.size()); }
    // In opening order; null when out of range.
    IDocument* At(int32 index) const;
    // By the name the user sees, or by the file's path; null with `error` when none or several match.
    IDocument* Find(const std::string& nameOrPath, std::string& error) const;

    static DataBase* DataBaseOf(const IDocument* document);
    static std::string NameOf(const IDocument* document);

    void AddObserver(DocumentObserver* observer);
    void RemoveObserver(DocumentObserver* observer);

private:
    struct OpenDocument {
        std::unique_ptr<DataBase> db;
        IDocument* document;
    };
    IDocument* Adopt(std::unique_ptr<DataBase> db, bool isNew, std::string& error);
    const OpenDocument* Entry(const IDocument* document) const;
    void SetFront(IDocument* document);
    template <class Call>
    void Notify(Call call);

    std::vector<OpenDocument> fOpen;       // opening order
    std::vector<IDocument*> fFrontOrder;   // front first
    std::vector<DocumentObserver*> fObservers;
    std::vector<IDocument*> fClosing;
    int32 fNextUntitled = 1;
};

}  // namespace tshost
