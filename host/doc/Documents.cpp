#include "Documents.h"

#include <algorithm>
#include <filesystem>
#include <set>

#include "HostIDs.h"
#include "InterfacePtr.h"
#include "MemoryStream.h"
#include "PageList.h"
#include "Transcript.h"
#include "Utf8.h"

namespace fs = std::filesystem;

namespace tshost {

namespace {

std::string Absolute(const std::string& path) {
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

// A document's pages as its file holds them: a whole list of one page or more, each a page
// object named once. Anything else is damage that would only show later, half-working.
bool PagesReadable(const DataBase& db, std::string& why) {
    const std::string* bytes = db.StoredBytes(db.GetRootUID(), kPageListImpl);
    if (!bytes) {
        why = "it has no page list";
        return false;
    }
    MemoryStream in(*bytes);
    int32 count = 0;
    in.XferInt32(count);
    if (!in.IsGood() || count < 1 || int64(count) * 4 != in.Remaining()) {
        why = "its page list is damaged";
        return false;
    }
    std::set<UID> seen;
    for (int32 i = 0; i < count; ++i) {
        UID page;
        in.XferID(page);
        if (db.GetClass(page) != kPageBoss || !seen.insert(page).second) {
            why = "its page list names object " + std::to_string(page.Get()) + ", which is not one of its pages";
            return false;
        }
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code ec;
    bool same = fs::equivalent(a, b, ec);
    return ec ? Absolute(a) == Absolute(b) : same;
}

}  // namespace

Documents::~Documents() {
    // Without events: whoever would hear them may be gone already.
    fObservers.clear();
    fFrontOrder.clear();
    fOpen.clear();
}

template <class Call>
void Documents::Notify(Call call) {
    // An observer may attach or detach others while it is called.
    std::vector<DocumentObserver*> observers = fObservers;
    for (DocumentObserver* o : observers)
        if (std::find(fObservers.begin(), fObservers.end(), o) != fObservers.end()) call(o);
}

DataBase* Documents::DataBaseOf(const IDocument* document) {
    Boss* boss = Boss::From(document);
    return boss ? boss->GetDataBase() : nullptr;
}

std::string Documents::NameOf(const IDocument* document) {
    if (!document) return {};
    PMString name;
    document->GetName(name);
    return name.GetUTF8String();
}

const Documents::OpenDocument* Documents::Entry(const IDocument* document) const {
    for (const OpenDocument& d : fOpen)
        if (d.document == document) return &d;
    return nullptr;
}

IDocument* Documents::At(int32 index) const {
    return index >= 0 && index < Count() ? fOpen[static_cast<std::size_t>(index)].document : nullptr;
}

IDocument* Documents::Adopt(std::unique_ptr<DataBase> db, bool isNew, std::string& error) {
    InterfacePtr<IDocument> document(db.get(), db->GetRootUID(), IID_OF<IDocument>());
    if (!document) {
        error = (db->Path().empty() ? db->DisplayName() : db->Path()) + ": the document object cannot be made";
        return nullptr;
    }
    // The database holds the boss for as long as the document is open.
    IDocument* raw = document.get();
    fOpen.push_back(OpenDocument{std::move(db), raw});
    fFrontOrder.insert(fFrontOrder.begin(), raw);
    Notify([&](DocumentObserver* o) { o->DocumentOpened(raw, isNew); });
    Notify([&](DocumentObserver* o) { o->FrontDocumentChanged(raw); });
    return raw;
}

IDocument* Documents::New(int32 pageCount, std::string& error) {
    if (pageCount < 1 || pageCount > kMaxPages) {
        error = "a new document has 1 to " + std::to_string(kMaxPages) + " pages, not " + std::to_string(pageCount);
        return nullptr;
    }
    std::unique_ptr<DataBase> db = DataBase::CreateNew(kDocBoss, "Untitled-" + std::to_string(fNextUntitled));
    if (!db) {
        error = "the document class is not defined";
        return nullptr;
    }
    InterfacePtr<IPageList> pageList(db.get(), db->GetRootUID(), IID_OF<IPageList>());
    auto* pages = dynamic_cast<PageList*>(pageList.get());
    if (!pages) {
        error = "documents have no page list";
        return nullptr;
    }
    std::vector<UID> uids;
    for (int32 i = 1; i <= pageCount; ++i) {
        UID page = db->NewObject(kPageBoss);
        InterfacePtr<IPageData> data(db.get(), page, IID_OF<IPageData>());
        if (!data) {
            error = "pages have no page data";
            return nullptr;
        }
        data->SetName(PMString(std::to_string(i), PMString::kNoTranslate));
        uids.push_back(page);
    }
    pages->SetPages(std::move(uids));
    pageList.reset();
    db->SetModified(kFalse);
    ++fNextUntitled;
    return Adopt(std::move(db), true, error);
}

IDocument* Documents::Open(const std::string& posixPath, std::string& error) {
    std::string path = Absolute(posixPath);
    for (const OpenDocument& d : fOpen)
        if (SameFile(d.db->Path(), path)) {
            BringToFront(d.document);
            return d.document;
        }
    // Checked also on what a journal beside the file would make of it, before it is played.
    auto isDocument = [](const DataBase& db, std::string& why) {
        if (db.GetClass(db.GetRootUID()) == kDocBoss) return PagesReadable(db, why);
        why = "it is not a document";
        return false;
    };
    std::unique_ptr<DataBase> db = DataBase::Open(path, error, nullptr, isDocument);
    if (!db) return nullptr;
    if (!db->HeldElsewhere().empty())
        Diagnose(OneLine(path + ": " + db->HeldElsewhere() + ", so it is opened read-only: saves go to another file, with save-as"));
    return Adopt(std::move(db), false, error);
}

bool Documents::Save(IDocument* document, std::string& error) {
    const OpenDocument* entry = Entry(document);
    if (!entry) {
        error = "no such open document";
        return false;
    }
    if (entry->db->Path().empty()) {
        error = entry->db->DisplayName() + " has not been saved yet: give it a file with save-as";
        return false;
    }
    if (entry->db->Save(error) != kSuccess) return false;
    if (entry->db->LastSaveReplacedFile())
        Diagnose(entry->db->Path() + ": the file was deleted or replaced by another since it was opened; "
                 "the whole document was written to it anew");
    Notify([&](DocumentObserver* o) { o->DocumentSaved(document); });
    return true;
}

bool Documents::SaveAs(IDocument* document, const std::string& posixPath, std::string& error) {
    const OpenDocument* entry = Entry(document);
    if (!entry) {
        error = "no such open document";
        return false;
    }
    std::string path = Absolute(posixPath);
    for (const OpenDocument& d : fOpen)
        if (d.document != document && SameFile(d.db->Path(), path)) {
            error = path + ": is the file of the open document " + d.db->DisplayName();
            return false;
        }
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = path + ": is a folder";
        return false;
    }
    if (entry->db->SaveAs(path, error) != kSuccess) return false;
    Notify([&](DocumentObserver* o) { o->DocumentSaved(document); });
    return true;
}

bool Documents::Close(IDocument* document) {
    if (!Entry(document) || std::find(fClosing.begin(), fClosing.end(), document) != fClosing.end()) return false;
    fClosing.push_back(document);
    Notify([&](DocumentObserver* o) { o->DocumentClosing(document); });
    std::string name = NameOf(document);
    IDocument* oldFront = Front();
    auto it = std::find_if(fOpen.begin(), fOpen.end(), [&](const OpenDocument& d) { return d.document == document; });
    std::unique_ptr<DataBase> db = std::move(it->db);
    fOpen.erase(it);
    std::erase(fFrontOrder, document);
    std::erase(fClosing, document);
    // The database outlives the after-close notification, so a reference to the document
    // taken then still leads somewhere; it goes right after.
    Notify([&](DocumentObserver* o) { o->DocumentClosed(name); });
    db.reset();
    if (oldFront == document) Notify([&](DocumentObserver* o) { o->FrontDocumentChanged(Front()); });
    return true;
}

void Documents::CloseAll() {
    while (!fOpen.empty()) {
        IDocument* last = fOpen.back().document;
        if (!Close(last)) break;
    }
}

bool Documents::BringToFront(IDocument* document) {
    if (!Entry(document)) return false;
    if (Front() == document) return true;
    std::erase(fFrontOrder, document);
    fFrontOrder.insert(fFrontOrder.begin(), document);
    Notify([&](DocumentObserver* o) { o->FrontDocumentChanged(document); });
    return true;
}

IDocument* Documents::Find(const std::string& nameOrPath, std::string& error) const {
    std::vector<IDocument*> matches;
    for (const OpenDocument& d : fOpen)
        if (NameOf(d.document) == nameOrPath) matches.push_back(d.document);
    if (matches.empty() && nameOrPath.find('/') != std::string::npos)
        for (const OpenDocument& d : fOpen)
            if (SameFile(d.db->Path(), nameOrPath)) matches.push_back(d.document);
    if (matches.size() == 1) return matches.front();
    error = matches.empty() ? "no open document named '" + nameOrPath + "'"
                            : "several open documents are named '" + nameOrPath + "': give the path";
    return nullptr;
}

void Documents::AddObserver(DocumentObserver* observer) {
    if (observer && std::find(fObservers.begin(), fObservers.end(), observer) == fObservers.end())
        fObservers.push_back(observer);
}

void Documents::RemoveObserver(DocumentObserver* observer) { std::erase(fObservers, observer); }

}  // namespace tshost
