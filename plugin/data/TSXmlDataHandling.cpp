#include "TSXmlDataHandling.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <unordered_map>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/framework/Wrapper4InputSource.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/parsers/DOMLSParserImpl.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/InputSource.hpp>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/BinFileInputStream.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "CAlert.h"
#include "FileUtils.h"
#include "IDFile.h"
#include "IDocument.h"
#include "IPageList.h"
#include "InterfacePtr.h"
#include "RangeProgressBar.h"
#include "StatusCodeInfo.h"
#include "TSDOMErrorHandler.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"

using namespace xercesc;

int32 TSXmlDataHandling::fPrjID = 0;

namespace {

uint64_t gGenerations = 0;

// A server answer has no business with entities: a handful of expansions is plenty.
constexpr XMLSize_t kEntityExpansionLimit = 100;

// Every external entity and DTD is refused; with default resolution disabled the parser
// then reports the reference as an error instead of fetching it.
class TSRefusingResolver : public DOMLSResourceResolver {
public:
    DOMLSInput* resolveResource(const XMLCh*, const XMLCh*, const XMLCh*, const XMLCh*, const XMLCh*) override {
        return nullptr;
    }
};

// The library's objects are released, never deleted.
struct TSXercesRelease {
    template <class T>
    void operator()(T* object) const {
        if (object) object->release();
    }
};
template <class T>
using TSXercesPtr = std::unique_ptr<T, TSXercesRelease>;

// Puts the bytes at `path` whole or not at all. A hot folder is usually shared, so nothing in
// it is trusted: the bytes go into a new file that mkstemp makes exclusively under a name
// nobody can foresee (no link or file planted there is ever opened), reach the disk, and the
// file is then renamed over `path`, which replaces a link at `path` instead of following it.
// The hot folder's server ignores names that begin with ".".
bool WriteFileWhole(const std::string& path, const char* data, std::size_t size) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return false;
    std::string temporary = path.substr(0, slash + 1) + ".tessaron-ticket-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    // The server that reads the ticket often runs as another user; mkstemp's mode is 0600.
    bool written = ::fchmod(fd, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH) == 0;
    while (written && size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            written = false;
            break;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    written = written && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

bool IsElementNamed(const DOMNode* node, const XMLCh* name) {
    return node && node->getNodeType() == DOMNode::ELEMENT_NODE && XMLString::equals(node->getNodeName(), name);
}

// Visits the elements below `scope` named `name`, in document order, until `visit` says stop.
// The siblings still to visit are kept on a stack: the library's way back up to a parent is
// far slower than its way down.
template <class Visit>
void ForEachDescendant(DOMNode* scope, const XMLCh* name, Visit visit) {
    if (!scope) return;
    std::vector<DOMNode*> pending;
    DOMNode* node = scope->getFirstChild();
    while (node) {
        if (IsElementNamed(node, name) && !visit(static_cast<DOMElement*>(node))) return;
        DOMNode* next = node->getNextSibling();
        if (DOMNode* child = node->getFirstChild()) {
            if (next) pending.push_back(next);
            node = child;
        } else if (next) {
            node = next;
        } else if (!pending.empty()) {
            node = pending.back();
            pending.pop_back();
        } else {
            node = nullptr;
        }
    }
}

DOMElement* FirstDescendant(DOMNode* scope, const XMLCh* name) {
    DOMElement* found = nullptr;
    ForEachDescendant(scope, name, [&](DOMElement* element) {
        found = element;
        return false;
    });
    return found;
}

DOMElement* FirstChildElement(DOMNode* scope, const XMLCh* name) {
    for (DOMNode* node = scope ? scope->getFirstChild() : nullptr; node; node = node->getNextSibling())
        if (IsElementNamed(node, name)) return static_cast<DOMElement*>(node);
    return nullptr;
}

// The number PMString::GetAsNumber reads from an attribute text. Only ASCII can be part of
// a number, so other characters are replaced by one that ends it.
int32 NumberOf(const XMLCh* text) {
    std::string ascii;
    for (const XMLCh* c = text; c && *c; ++c) ascii.push_back(*c < 0x80 ? static_cast<char>(*c) : '?');
    return PMString(ascii).GetAsNumber();
}

// Calls `visit(name, value)` for each attribute of `node`, in the order the library keeps.
template <class Visit>
void ForEachAttribute(DOMNode* node, Visit visit) {
    DOMNamedNodeMap* attributes = node->getAttributes();
    const XMLSize_t count = attributes ? attributes->getLength() : 0;
    for (XMLSize_t i = 0; i < count; ++i) {
        DOMNode* attribute = attributes->item(i);
        visit(attribute->getNodeName(), attribute->getNodeValue());
    }
}

// Appends a record for each group among the child nodes of `list`, in document order; a
// `progress` bar moves to the number of groups after each.
void AppendGroups(TSXmlDataHandling& reader, DOMNode* list, std::vector<TSPanelNodeData*>& groups,
                  RangeProgressBar* progress = nullptr) {
    for (DOMNode* node = list->getFirstChild(); node; node = node->getNextSibling()) {
        TSPanelNodeData* group = reader.GetGroupNode(node);
        if (!group) continue;
        groups.push_back(group);
        if (progress) progress->SetPosition(static_cast<int32>(groups.size()));
    }
}

bool IsXmlBlank(XMLCh c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// An id is a whole number in the range of int32, blanks around it allowed. Anything else
// ("x1", "12abc", "99999999999", "") is no id at all, so that no group or project is ever taken
// for another one: IdOf gives -1 for it, as for a missing attribute.
bool ParseId(const XMLCh* text, int32& id) {
    if (!text) return false;
    const XMLCh* c = text;
    while (IsXmlBlank(*c)) ++c;
    bool negative = false;
    if (*c == u'-' || *c == u'+') negative = *c++ == u'-';
    if (*c < u'0' || *c > u'9') return false;
    int64 value = 0;
    for (; *c >= u'0' && *c <= u'9'; ++c) {
        value = value * 10 + (*c - u'0');
        if (value > int64{std::numeric_limits<int32>::max()} + 1) return false;
    }
    while (IsXmlBlank(*c)) ++c;
    if (*c) return false;
    if (negative) value = -value;
    if (value > std::numeric_limits<int32>::max()) return false;
    id = static_cast<int32>(value);
    return true;
}

int32 IdOf(const XMLCh* text) {
    int32 id = -1;
    return ParseId(text, id) ? id : -1;
}

// Text for the host: UTF-8, whatever the process locale says; most texts of a list are ASCII,
// which is its own UTF-8. A caller converting many texts passes its own UTF-8 transcoder.
std::string Utf8Of(const XMLCh* text, XMLTranscoder* transcoder = nullptr) {
    if (!text || !*text) return {};
    std::string ascii;
    ascii.reserve(XMLString::stringLen(text));
    const XMLCh* c = text;
    for (; *c && *c < 0x80; ++c) ascii.push_back(static_cast<char>(*c));
    if (!*c) return ascii;
    if (transcoder) {
        TranscodeToStr utf8(text, transcoder);
        return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
    }
    TranscodeToStr utf8(text, "UTF-8");
    return std::string(reinterpret_cast<const char*>(utf8.str()), utf8.length());
}

}  // namespace

// The "project" element's attributes and the page range of the first "page" in its first
// "pages": taken while the list is parsed, or from the document.
struct TSXmlDataHandling::ProjectFacts {
    bool hasAttributes = false;
    bool badId = false;  // an id that is not a number
    int32 id = -1;
    std::string name, fileNameText, statusCodes;
    bool hasPageFrom = false, hasPageTo = false;
    int32 pageFrom = -1, pageTo = -1;

    void TakeAttribute(const XMLCh* attribute, const XMLCh* value) {
        hasAttributes = true;
        if (XMLString::equals(attribute, u"name"))
            name = Utf8Of(value);
        else if (XMLString::equals(attribute, u"id"))
            badId = !ParseId(value, id) || badId;
        else if (XMLString::equals(attribute, u"filename_text"))
            fileNameText = Utf8Of(value);
        else if (XMLString::equals(attribute, u"statuscodes"))
            statusCodes = Utf8Of(value);
    }
    void TakePage(const XMLCh* from, const XMLCh* to) {
        if ((hasPageFrom = from != nullptr)) pageFrom = NumberOf(from);
        if ((hasPageTo = to != nullptr)) pageTo = NumberOf(to);
    }
};

namespace {

using ProjectFacts = TSXmlDataHandling::ProjectFacts;

// Hears how much of a file the library reads without handing anything on: the bytes that
// are neither blank nor NUL. A run of blanks costs the library nothing, wherever it stands,
// and NUL is half of each ASCII character of a list in UTF-16.
class TSReadMeter {
public:
    virtual void Read(XMLSize_t marked) = 0;
    // What was counted since the library last handed anything on.
    virtual std::size_t Unbroken() const = 0;

protected:
    ~TSReadMeter() = default;
};

class TSMeteredFileStream : public BinFileInputStream {
public:
    TSMeteredFileStream(const XMLCh* path, TSReadMeter& meter) : BinFileInputStream(path), fMeter(meter) {}
    XMLSize_t readBytes(XMLByte* const toFill, const XMLSize_t maxToRead) override {
        const XMLSize_t read = BinFileInputStream::readBytes(toFill, maxToRead);
        // Looking at every byte would cost an ordinary list a tenth of its parse, which hands
        // things on all through each piece read: only a piece read after one that saw nothing
        // handed on is looked at, and the first is counted whole.
        if (fMeter.Unbroken() == 0) {
            fMeter.Read(read);
        } else {
            fMeter.Read(static_cast<XMLSize_t>(std::count_if(toFill, toFill + read, [](XMLByte b) {
                return b != ' ' && b != '\n' && b != '\r' && b != '\t' && b != 0;
            })));
        }
        return read;
    }

private:
    TSReadMeter& fMeter;
};

class TSMeteredFile : public InputSource {
public:
    TSMeteredFile(const char* path, TSReadMeter& meter) : InputSource(path), fMeter(meter) {}
    BinInputStream* makeStream() const override {
        auto* stream = new TSMeteredFileStream(getSystemId(), fMeter);
        if (stream->getIsOpen()) return stream;
        delete stream;
        return nullptr;
    }

private:
    TSReadMeter& fMeter;
};

// A list is read from a few of its elements, and only those become nodes: the reader looks
// at the root's attributes; the first "projectgroups", every "projectgroup" inside it with
// its id and name, and each group's own children and sub-group lists ("projectgroups"), whose
// number of child nodes (blanks and comments included) is the range of the progress bar shown
// while the group's sub-groups load; and every "statuscode" inside the first "statuscodes",
// with its five attributes. So what is read is made under the nearest element made: in the
// document made, an element read has the descendants it had, in document order. An element of
// another name that is a child of a group or of a group list is made too, bare (no
// attributes, nothing inside but what is read), but only once something read turns up inside
// it, so that this stays inside it and does not become a child of the group; it is made then,
// still in its place, as nothing else came into the group meanwhile. The child nodes of a
// group list are counted as the parse meets them, as the library would have made them (a
// run of text one node), and no text, comment or processing instruction is made. Nothing else
// costs a node, however much of it a list holds, and of the attributes only those read are
// made: every other one cost a node and a name kept in the document's pool, whose look-up
// grows with the names held (an element with 200,000 attributes took seconds). (The library's
// node filter would make each node and then take it out again, at a fifth of the parse's
// time.)
//
// The first "projects" element, the bulk of a list, is read as it is parsed: the "project"
// elements inside it become facts with their group ids, in document order, and are not made
// into nodes. Those nodes were most of a large list's memory and of its parse, and walking
// them again cost as much as making the records of a whole list.
//
// What no reading could keep in proportion is refused with the parse's alert, where it goes
// too far. The library keeps state for every open element, whether made or not, hundreds of
// bytes each: elements may nest kMaxDepth deep, far beyond any tree a user could open. After
// an element with very many attributes, the library's every later start tag costs time in
// proportion to them: an element may have kMaxAttributes, where the format has at most six.
// And the library scans a whole start tag before it hands any of it on, at some twenty-five
// bytes of memory for each byte of its attributes: it may read kMaxMarkupBytes of the file,
// blanks aside (give or take the kilobytes it reads ahead), between two things it hands on,
// an element's start or end, a comment or a piece of text (long text comes in pieces).
class TSListParser : public DOMLSParserImpl, public TSReadMeter {
public:
    struct Project {
        int32 group;
        ProjectFacts facts;
    };
    using Projects = std::vector<Project>;
    // The number of child nodes of each group list made that has any.
    using ChildCounts = std::unordered_map<const DOMNode*, int32>;

    // Ends a parse that goes on no further: where in the file and why.
    struct Refusal {
        XMLFileLoc line, column;
        std::string message;
    };

    TSListParser() : fRead(8, false), fNoAttributes(1, false) {}

    // Refuses to read on once more than kMaxMarkupBytes were read since the library last
    // handed anything on.
    void Read(XMLSize_t marked) override {
        if (fUnbroken > TSXmlDataHandling::kMaxMarkupBytes)
            Refuse("A tag, comment or other markup is longer than " +
                   std::to_string(TSXmlDataHandling::kMaxMarkupBytes >> 20) + " MiB");
        fUnbroken += marked;
    }
    std::size_t Unbroken() const override { return fUnbroken; }

    void docCharacters(const XMLCh* const, const XMLSize_t, const bool cdataSection) override {
        fUnbroken = 0;
        CountChild(cdataSection ? Child::kOther : Child::kText);
    }
    void docComment(const XMLCh* const) override {
        fUnbroken = 0;
        CountChild(Child::kOther);
    }
    void docPI(const XMLCh* const, const XMLCh* const) override {
        fUnbroken = 0;
        CountChild(Child::kOther);
    }

    // The library ends an empty element from inside its start, through endElement.
    void startElement(const XMLElementDecl& declaration, const unsigned int urlId, const XMLCh* const prefix,
                      const RefVectorOf<XMLAttr>& attributes, const XMLSize_t count, const bool isEmpty,
                      const bool isRoot) override {
        fUnbroken = 0;
        if (fOpen.size() >= TSXmlDataHandling::kMaxDepth)
            Refuse("Elements are nested more than " + std::to_string(TSXmlDataHandling::kMaxDepth) + " deep");
        if (count > TSXmlDataHandling::kMaxAttributes)
            Refuse("An element has more than " + std::to_string(TSXmlDataHandling::kMaxAttributes) + " attributes");
        const XMLCh* name = declaration.getFullName();
        const int depth = static_cast<int>(fOpen.size()) + 1;
        if (fProjects.IsOpen()) TakeProjectParts(name, depth, attributes, count, isEmpty);
        CountChild(Child::kOther);
        const Made made = Classify(name, depth, isRoot);
        fOpen.push_back(made);
        if (made == Made::kNo || made == Made::kPending) {
            if (made == Made::kPending) fPending = {depth, &declaration};
            if (isEmpty) CloseElement();
            return;
        }
        if (fPending.depth > 0) MakePending();
        if (made == Made::kList) fCounts.push_back({});
        fRead.removeAllElements();
        if (const XMLCh* const* read = AttributesRead(made, name, isRoot))
            for (XMLSize_t i = 0; i < count; ++i)
                for (const XMLCh* const* wanted = read; *wanted; ++wanted)
                    if (XMLString::equals(attributes.elementAt(i)->getQName(), *wanted))
                        fRead.addElement(const_cast<XMLAttr*>(attributes.elementAt(i)));
        DOMLSParserImpl::startElement(declaration, urlId, prefix, fRead, fRead.size(), isEmpty, isRoot);
    }

    void endElement(const XMLElementDecl& declaration, const unsigned int urlId, const bool isRoot,
                    const XMLCh* const prefix) override {
        fUnbroken = 0;
        const Made made = fOpen.back();
        if (made == Made::kList) {
            // Still the list: the library moves up only in its own endElement.
            if (fCounts.back().count > 0) fChildCounts.emplace(fCurrentParent, fCounts.back().count);
            fCounts.pop_back();
        }
        CloseElement();
        if (made != Made::kNo && made != Made::kPending)
            DOMLSParserImpl::endElement(declaration, urlId, isRoot, prefix);
    }

    Projects TakeProjects() { return std::move(fProjectList); }
    ChildCounts TakeChildCounts() { return std::move(fChildCounts); }

private:
    enum class Made : unsigned char {
        kNo,
        kPlain,    // made; its child nodes are not read
        kGroup,    // a group read: its child elements are made
        kList,     // a group list read: its child elements are made, its child nodes counted
        kPending,  // of another name, inside a group or group list: made once something read is
    };

    // A child element of a group or group list not made yet, while it is open.
    struct Pending {
        int depth = 0;
        const XMLElementDecl* declaration = nullptr;
    };

    // The child nodes of an open group list as the library would make them.
    enum class Child : unsigned char { kText, kOther };
    struct ListCount {
        int32 count = 0;
        Child last = Child::kOther;
    };

    // The first element of one name, while it is open.
    struct FirstOfItsName {
        int depth = 0;
        bool seen = false;
        bool IsOpen() const { return depth > 0; }
        // Opens it when `name` is its name and none came before.
        bool Opens(const XMLCh* name, const XMLCh* itsName, int at) {
            if (seen || !XMLString::equals(name, itsName)) return false;
            seen = true;
            depth = at;
            return true;
        }
        void Close(int at) {
            if (depth == at) depth = 0;
        }
    };

    [[noreturn]] void Refuse(std::string message) const {
        const Locator* at = getScanner()->getLocator();
        throw Refusal{at->getLineNumber(), at->getColumnNumber(), std::move(message)};
    }

    // A run of text is one node however many pieces it comes in.
    void CountChild(Child child) {
        if (fOpen.empty() || fOpen.back() != Made::kList) return;
        ListCount& list = fCounts.back();
        if (child == Child::kOther || list.last != Child::kText) ++list.count;
        list.last = child;
    }

    void MakePending() {
        DOMLSParserImpl::startElement(*fPending.declaration, 0, u"", fNoAttributes, 0, false, false);
        fOpen[static_cast<std::size_t>(fPending.depth - 1)] = Made::kPlain;
        fPending = Pending();
    }

    Made Classify(const XMLCh* name, int depth, bool isRoot) {
        if (isRoot) return Made::kPlain;
        const Made parent = fOpen.back();
        if (fGroups.IsOpen()) {
            if (XMLString::equals(name, u"projectgroup")) return Made::kGroup;
            if (parent == Made::kGroup && XMLString::equals(name, u"projectgroups")) return Made::kList;
        } else if (fGroups.Opens(name, u"projectgroups", depth)) {
            return Made::kList;
        }
        if (fCodes.IsOpen()) {
            if (XMLString::equals(name, u"statuscode")) return Made::kPlain;
        } else if (fCodes.Opens(name, u"statuscodes", depth)) {
            return Made::kPlain;
        }
        // Its projects are read as it is parsed; the element itself is not.
        if (!fProjects.IsOpen()) fProjects.Opens(name, u"projects", depth);
        return parent == Made::kGroup || parent == Made::kList ? Made::kPending : Made::kNo;
    }

    // The names of the attributes read of an element made, null-terminated, or null for none.
    const XMLCh* const* AttributesRead(Made made, const XMLCh* name, bool isRoot) const {
        static const XMLCh* const kRoot[] = {u"authenticated", u"type", u"filename", nullptr};
        static const XMLCh* const kGroup[] = {u"id", u"name", nullptr};
        static const XMLCh* const kCode[] = {u"id", u"name", u"description", u"bgcolor", u"textcolor", nullptr};
        if (isRoot) return kRoot;
        if (made == Made::kGroup) return kGroup;
        if (fCodes.IsOpen() && XMLString::equals(name, u"statuscode")) return kCode;
        return nullptr;
    }

    // A project's page range comes from the first "page" inside its first "pages". Finding it
    // stays linear however deep a hostile list nests its elements: the open projects that
    // have met no "pages" yet are the top of their stack, the open first "pages" that have met
    // no "page" yet are the top of theirs, and each project is given its range once.
    struct OpenProject {
        int depth;
        std::size_t project;  // in fProjectList
    };
    struct OpenPages {
        int depth;
        std::size_t from, to;  // the projects in fOpenProjects whose first "pages" this is
    };

    void CloseElement() {
        const int depth = static_cast<int>(fOpen.size());
        if (!fOpenPages.empty() && fOpenPages.back().depth == depth) fOpenPages.pop_back();
        fPagelessFrom = std::min(fPagelessFrom, fOpenPages.size());
        if (!fOpenProjects.empty() && fOpenProjects.back().depth == depth) fOpenProjects.pop_back();
        fPagesFreeFrom = std::min(fPagesFreeFrom, fOpenProjects.size());
        fGroups.Close(depth);
        fCodes.Close(depth);
        fProjects.Close(depth);
        if (fPending.depth == depth) fPending = Pending();
        fOpen.pop_back();
    }

    static const XMLCh* ValueOf(const RefVectorOf<XMLAttr>& attributes, XMLSize_t count, const XMLCh* name) {
        for (XMLSize_t i = 0; i < count; ++i)
            if (XMLString::equals(attributes.elementAt(i)->getQName(), name)) return attributes.elementAt(i)->getValue();
        return nullptr;
    }

    void TakeProjectParts(const XMLCh* name, int depth, const RefVectorOf<XMLAttr>& attributes, XMLSize_t count,
                          bool isEmpty) {
        if (XMLString::equals(name, u"project")) {
            Project project{IdOf(ValueOf(attributes, count, u"project_group_id")), {}};
            for (XMLSize_t i = 0; i < count; ++i)
                project.facts.TakeAttribute(attributes.elementAt(i)->getQName(), attributes.elementAt(i)->getValue());
            fProjectList.push_back(std::move(project));
            if (!isEmpty) fOpenProjects.push_back({depth, fProjectList.size() - 1});
        } else if (XMLString::equals(name, u"pages")) {
            if (!isEmpty && fPagesFreeFrom < fOpenProjects.size())
                fOpenPages.push_back({depth, fPagesFreeFrom, fOpenProjects.size()});
            fPagesFreeFrom = fOpenProjects.size();
        } else if (XMLString::equals(name, u"page")) {
            const XMLCh* from = ValueOf(attributes, count, u"pagefrom");
            const XMLCh* to = ValueOf(attributes, count, u"pageto");
            for (std::size_t pages = fPagelessFrom; pages < fOpenPages.size(); ++pages)
                for (std::size_t open = fOpenPages[pages].from; open < fOpenPages[pages].to; ++open)
                    fProjectList[fOpenProjects[open].project].facts.TakePage(from, to);
            fPagelessFrom = fOpenPages.size();
        }
    }

    std::size_t fUnbroken = 0;  // bytes read since the library last handed anything on
    std::vector<Made> fOpen;    // every open element, the innermost last
    Pending fPending;
    std::vector<ListCount> fCounts;  // of the open group lists, the innermost last
    ChildCounts fChildCounts;
    FirstOfItsName fGroups, fCodes, fProjects;
    RefVectorOf<XMLAttr> fRead;  // the attributes read of the element being made, not owned
    RefVectorOf<XMLAttr> fNoAttributes;
    Projects fProjectList;
    std::vector<OpenProject> fOpenProjects;
    std::size_t fPagesFreeFrom = 0;  // open projects from here on have met no "pages"
    std::vector<OpenPages> fOpenPages;
    std::size_t fPagelessFrom = 0;  // open first "pages" from here on have met no "page"
};

std::basic_string<XMLCh> Utf16Of(const PMString& text) {
    const std::string& bytes = text.GetUTF8String();
    TranscodeFromStr utf16(reinterpret_cast<const XMLByte*>(bytes.data()), bytes.size(), "UTF-8");
    return std::basic_string<XMLCh>(utf16.str(), utf16.length());
}

// Notes the root element's verdict and whether a document type came first; reports nothing.
// Reads no further than the full parse would before the root: past kMaxMarkupBytes it
// gives up.
class TSRootReader : public DefaultHandler, public TSReadMeter {
public:
    struct TooFar {};
    void Read(XMLSize_t marked) override {
        if (fRead > TSXmlDataHandling::kMaxMarkupBytes) throw TooFar{};
        fRead += marked;
    }
    std::size_t Unbroken() const override { return fRead; }

    void startElement(const XMLCh* const, const XMLCh* const, const XMLCh* const, const Attributes& attributes) override {
        if (fRootSeen) return;
        fRootSeen = true;
        int32 verdict = 0;
        const XMLCh* type = attributes.getValue(u"type");
        fUpdate = ParseId(attributes.getValue(u"authenticated"), verdict) && verdict == 1 && type &&
                  XMLString::compareIStringASCII(type, u"TESSARON_UPDATE") == 0;
    }
    void startDTD(const XMLCh* const, const XMLCh* const, const XMLCh* const) override { fDoctype = true; }
    void fatalError(const SAXParseException&) override { fFailed = true; }

    bool fRootSeen = false, fUpdate = false, fDoctype = false, fFailed = false;
    std::size_t fRead = 0;
};

std::string Utf8OfMessage(const XMLCh* message) {
    std::string text;
    if (message) {
        TranscodeToStr utf8(message, "UTF-8");
        text.assign(reinterpret_cast<const char*>(utf8.str()), utf8.length());
    }
    return text;
}

}  // namespace

// What the lazy loading needs from the document: the projects by group as the parse found
// them, the rest gathered in one walk each when first needed.
struct TSXmlDataHandling::Index {
    struct StatusEntry {
        std::string idText;
        StatusCodeInfo info;
    };

    Index() {
        XMLTransService::Codes code = XMLTransService::Ok;
        fUtf8.reset(XMLPlatformUtils::fgTransService->makeNewTranscoderFor(XMLRecognizer::UTF_8, code, 16 * 1024));
    }

    std::string Utf8Of(const XMLCh* text) const { return ::Utf8Of(text, fUtf8.get()); }
    PMString TextOf(const XMLCh* text) const { return PMString(Utf8Of(text), PMString::kNoTranslate); }

    // The "statuscode" elements of the first "statuscodes" list, in document order.
    void BuildStatusCodes(DOMElement* root) {
        if (fStatusBuilt) return;
        fStatusBuilt = true;
        ForEachDescendant(FirstDescendant(root, u"statuscodes"), u"statuscode", [&](DOMElement* element) {
            StatusEntry entry;
            entry.idText = Utf8Of(element->getAttribute(u"id"));
            ForEachAttribute(element, [&](const XMLCh* name, const XMLCh* value) {
                if (XMLString::equals(name, u"name"))
                    entry.info.name = TextOf(value);
                else if (XMLString::equals(name, u"description"))
                    entry.info.description = TextOf(value);
                else if (XMLString::equals(name, u"bgcolor"))
                    entry.info.bgcolor = NumberOf(value);
                else if (XMLString::equals(name, u"textcolor"))
                    entry.info.textcolor = NumberOf(value);
                else if (XMLString::equals(name, u"id"))
                    entry.info.id = IdOf(value);
            });
            fStatusByIdText.emplace(entry.idText, fStatusCodes.size());
            fStatusCodes.push_back(std::move(entry));
            return true;
        });
    }

    std::unique_ptr<XMLTranscoder> fUtf8;

    bool fGroupsBuilt = false;
    DOMElement* fGroups = nullptr;  // the first "projectgroups"
    std::unordered_map<int32, DOMElement*> fGroupById;

    // Filled by the parse.
    std::unordered_map<const DOMNode*, int32> fChildCounts;  // of the group lists, when not 0
    std::vector<ProjectFacts> fProjectFacts;
    std::unordered_map<int32, std::vector<std::size_t>> fProjectsByGroup;  // indexes into fProjectFacts

    bool fStatusBuilt = false;
    std::vector<StatusEntry> fStatusCodes;
    std::unordered_map<std::string, std::size_t> fStatusByIdText;  // the first entry with each id
    std::vector<std::size_t> fListed;                               // scratch of FillStatusCodeInfo
};

TSXmlDataHandling::TSXmlDataHandling() = default;

TSXmlDataHandling::~TSXmlDataHandling() {
    // A reader that outlives the library (the global one, destroyed when the plug-in is
    // unloaded) must not hand memory back to it: the library's memory is gone already.
    if (!XMLPlatformUtils::fgMemoryManager) {
        (void)fIndex.release();
        fDocument = nullptr;
        return;
    }
    ReleaseDocument();
}

TSXmlDataHandling::FileIdentity TSXmlDataHandling::FileIdentity::Of(const char* path) {
    FileIdentity identity;
    struct stat facts {};
    if (!path || ::stat(path, &facts) != 0 || !S_ISREG(facts.st_mode)) return identity;
    constexpr long long kNano = 1000000000LL;
    identity.fValid = true;
    identity.fDevice = facts.st_dev;
    identity.fInode = facts.st_ino;
    identity.fSize = facts.st_size;
    identity.fModified = facts.st_mtim.tv_sec * kNano + facts.st_mtim.tv_nsec;
    identity.fChanged = facts.st_ctim.tv_sec * kNano + facts.st_ctim.tv_nsec;
    return identity;
}

bool TSXmlDataHandling::FileIdentity::operator==(const FileIdentity& other) const {
    return fValid == other.fValid && fDevice == other.fDevice && fInode == other.fInode && fSize == other.fSize &&
           fModified == other.fModified && fChanged == other.fChanged;
}

void TSXmlDataHandling::ReleaseDocument() {
    fGeneration = 0;
    fIdentity = FileIdentity();
    fIndex.reset();
    if (fDocument) fDocument->release();
    fDocument = nullptr;
    fRoot = nullptr;
    fParseFailed = true;
}

TSXmlDataHandling::Index& TSXmlDataHandling::GetIndex() {
    if (!fIndex) fIndex = std::make_unique<Index>();
    return *fIndex;
}

void TSXmlDataHandling::InitializeDOMnode(const char* filePath) {
    ReleaseDocument();
    fFilePath.reset();
    if (!filePath) return;
    std::size_t length = strnlen(filePath, kPathSize);
    if (length >= kPathSize) {
        TSDOMErrorHandler::ShowReport(0, 0, "The file path is longer than 255 bytes");
        return;
    }
    fFilePath = std::make_unique<char[]>(kPathSize);
    std::memcpy(fFilePath.get(), filePath, length);

    const FileIdentity before = FileIdentity::Of(fFilePath.get());
    TSDOMErrorHandler handler;
    TSRefusingResolver resolver;
    SecurityManager security;
    security.setEntityExpansionLimit(kEntityExpansionLimit);
    DOMDocument* document = nullptr;
    TSListParser::Projects projects;
    TSListParser::ChildCounts childCounts;
    try {
        XMLPlatformUtils::recognizeNEL(false);
        auto* listParser = new TSListParser;
        TSXercesPtr<DOMLSParser> parser(listParser);
        DOMConfiguration* config = parser->getDomConfig();
        config->setParameter(XMLUni::fgDOMNamespaces, false);
        config->setParameter(XMLUni::fgXercesSchema, false);
        config->setParameter(XMLUni::fgXercesSchemaFullChecking, false);
        config->setParameter(XMLUni::fgDOMValidateIfSchema, true);
        config->setParameter(XMLUni::fgDOMDatatypeNormalization, true);
        // The server's format has no document type. One in an answer could only turn on
        // validation (a report per element), fetch files or expand entities: refused outright.
        config->setParameter(XMLUni::fgDOMDisallowDoctype, true);
        config->setParameter(XMLUni::fgXercesLoadExternalDTD, false);
        config->setParameter(XMLUni::fgXercesDisableDefaultEntityResolution, true);
        config->setParameter(XMLUni::fgDOMResourceResolver, static_cast<DOMLSResourceResolver*>(&resolver));
        config->setParameter(XMLUni::fgXercesSecurityManager, &security);
        config->setParameter(XMLUni::fgXercesUserAdoptsDOMDocument, true);
        config->setParameter(XMLUni::fgDOMErrorHandler, static_cast<DOMErrorHandler*>(&handler));
        TSMeteredFile file(fFilePath.get(), *listParser);
        Wrapper4InputSource input(&file, false);
        document = parser->parse(&input);
        projects = listParser->TakeProjects();
        childCounts = listParser->TakeChildCounts();
    } catch (const TSListParser::Refusal& refusal) {
        handler.Add(refusal.line, refusal.column, refusal.message);
    } catch (const XMLException& e) {
        handler.Add(0, 0, Utf8OfMessage(e.getMessage()));
    } catch (const OutOfMemoryException&) {
        handler.Add(0, 0, "Out of memory");
    } catch (const DOMException& e) {
        handler.Add(0, 0, Utf8OfMessage(e.getMessage()));
    } catch (const std::exception& e) {
        handler.Add(0, 0, e.what());
    }
    handler.ShowReports();
    // A fatal error still leaves a partial document: only the handler's verdict counts.
    if (!document || handler.ErrorSeen() || !document->getDocumentElement()) {
        if (document) document->release();
        return;
    }
    fDocument = document;
    fRoot = document->getDocumentElement();
    fParseFailed = false;
    fGeneration = ++gGenerations;
    Index& index = GetIndex();
    index.fChildCounts = std::move(childCounts);
    index.fProjectFacts.reserve(projects.size());
    for (TSListParser::Project& project : projects) {
        index.fProjectsByGroup[project.group].push_back(index.fProjectFacts.size());
        index.fProjectFacts.push_back(std::move(project.facts));
    }
    // A file changed while it was read is not known by its identity.
    if (before.Valid() && before == FileIdentity::Of(fFilePath.get())) fIdentity = before;
}

bool TSXmlDataHandling::IsUpdateAnswer(const char* filePath) {
    if (!filePath) return false;
    TSRootReader handler;
    TSRefusingResolver resolver;
    try {
        std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
        reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, false);
        reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
        reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
        reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
        reader->setContentHandler(&handler);
        reader->setLexicalHandler(&handler);
        reader->setErrorHandler(&handler);
        XMLPScanToken token;
        TSMeteredFile file(filePath, handler);
        if (!reader->parseFirst(file, token)) return false;
        while (!handler.fRootSeen && !handler.fDoctype && !handler.fFailed && reader->parseNext(token)) {
        }
        reader->parseReset(token);
    } catch (...) {
        return false;
    }
    return handler.fRootSeen && handler.fUpdate && !handler.fDoctype && !handler.fFailed;
}

void TSXmlDataHandling::TakeAsParseOf(const char* copyPath) {
    const FileIdentity copy = FileIdentity::Of(copyPath);
    const std::size_t length = copyPath ? strnlen(copyPath, kPathSize) : kPathSize;
    // A copy of another size is no copy, and a path the reader could not parse is not taken.
    if (fParseFailed || !fIdentity.Valid() || !copy.Valid() || copy.fSize != fIdentity.fSize || length >= kPathSize) {
        fIdentity = FileIdentity();
        return;
    }
    std::memcpy(fFilePath.get(), copyPath, length);
    fFilePath[length] = '\0';
    fIdentity = copy;
}

bool TSXmlDataHandling::IsParseOf(const char* filePath) const {
    if (fParseFailed || !fFilePath || !filePath || std::strcmp(fFilePath.get(), filePath) != 0) return false;
    return fIdentity.Valid() && fIdentity == FileIdentity::Of(filePath);
}

bool TSXmlDataHandling::UpdateProjectsInfo(PMString tempFile, PMString projectsFile, int16& status) {
    if (!fRoot) return false;
    Index& index = GetIndex();
    const XMLCh* authenticated = fRoot->getAttribute(u"authenticated");
    if (!authenticated || !*authenticated) return false;
    // A verdict that is not a number is no verdict; "1abc" must not let anybody in.
    int32 verdict = 0;
    if (!ParseId(authenticated, verdict)) return false;
    switch (verdict) {
    case 1: {
        status = 1;
        PMString type = index.TextOf(fRoot->getAttribute(u"type"));
        if (!type.IsEqual(PMString("TESSARON_UPDATE", PMString::kNoTranslate), kFalse, kFalse)) return false;
        IDFile from, to;
        FileUtils::PMStringToIDFile(tempFile, from);
        FileUtils::PMStringToIDFile(projectsFile, to);
        if (!FileUtils::DoesFileExist(from)) return false;
        return FileUtils::CopyFile(from, to) != kFalse;
    }
    case 0:
        CAlert::WarningAlert(PMString("0x61000kTSInCorrectUsrNamePwd"));
        return false;
    case -1:
        CAlert::WarningAlert(PMString("0x61000kTSImProperUserRights"));
        return false;
    default:
        return false;
    }
}

void TSXmlDataHandling::ShowLoadProgress(const LoadProgress& progress) {
    if (progress.range < 0) return;
    RangeProgressBar bar(PMString("0x61000kTSLoadingXMLStatusKey"), 0, progress.range, kTrue);
    for (int32 made = 1; made <= progress.made; ++made) bar.SetPosition(made);
}

void TSXmlDataHandling::UpdateChildInfo(TSPanelNodeData& parent, std::map<int32, TSPanelNodeData*>& nodesById) {
    fLastLoadProgress = LoadProgress();
    if (!fRoot) return;
    Index& index = GetIndex();
    if (!index.fGroupsBuilt) {
        index.fGroupsBuilt = true;
        index.fGroups = FirstDescendant(fRoot, u"projectgroups");
        // The first group with an id answers for it.
        ForEachDescendant(index.fGroups, u"projectgroup", [&](DOMElement* group) {
            index.fGroupById.emplace(IdOf(group->getAttribute(u"id")), group);
            return true;
        });
    }
    if (!index.fGroups) return;

    const int32 parentID = parent.GetProjectXMLID();
    fLastLoadProgress = LoadProgress();
    std::vector<TSPanelNodeData*> groups;
    if (parentID == -1) {
        AppendGroups(*this, index.fGroups, groups);
        UpdateProjectTree(groups, parent, nodesById);
        return;
    }

    auto found = index.fGroupById.find(parentID);
    if (found == index.fGroupById.end()) return;
    DOMElement* groupElement = found->second;

    // Only the group's own wrapper: one of a sub-group's would list that sub-group's children.
    if (DOMElement* subGroups = FirstChildElement(groupElement, u"projectgroups")) {
        const auto counted = index.fChildCounts.find(subGroups);
        const int32 count = counted == index.fChildCounts.end() ? 0 : counted->second;
        RangeProgressBar progress(PMString("0x61000kTSLoadingXMLStatusKey"), 0, count, kTrue);
        AppendGroups(*this, subGroups, groups, &progress);
        fLastLoadProgress = {count, static_cast<int32>(groups.size())};
    } else {
        AppendGroups(*this, groupElement, groups);
    }
    UpdateProjectTree(groups, parent, nodesById);

    auto members = index.fProjectsByGroup.find(parentID);
    if (members == index.fProjectsByGroup.end()) return;
    std::vector<TSPanelNodeData*> projects;
    projects.reserve(members->second.size());
    for (std::size_t facts : members->second)
        if (TSPanelNodeData* project = MakeProjectNode(index.fProjectFacts[facts])) projects.push_back(project);
    UpdateProjectTree(projects, parent, nodesById);
}

TSPanelNodeData* TSXmlDataHandling::GetGroupNode(DOMNode* node) {
    if (!IsElementNamed(node, u"projectgroup") || !node->hasAttributes()) return nullptr;
    Index& index = GetIndex();
    PMString name;
    int32 id = -1;
    ForEachAttribute(node, [&](const XMLCh* attributeName, const XMLCh* value) {
        if (XMLString::equals(attributeName, u"name"))
            name = index.TextOf(value);
        else if (XMLString::equals(attributeName, u"id"))
            id = IdOf(value);
    });
    if (id == -1 || name.IsEmpty()) return nullptr;
    auto* group = new TSPanelNodeData;
    group->SetData(name, id, false, fPrjID);
    ++fPrjID;
    return group;
}

TSPanelNodeData* TSXmlDataHandling::GetProjectNode(DOMElement* element) {
    if (!IsElementNamed(element, u"project") || !element->hasAttributes()) return nullptr;
    ProjectFacts facts;
    ForEachAttribute(element, [&](const XMLCh* name, const XMLCh* value) { facts.TakeAttribute(name, value); });
    if (DOMElement* page = FirstDescendant(FirstDescendant(element, u"pages"), u"page")) {
        const DOMAttr* from = page->getAttributeNode(u"pagefrom");
        const DOMAttr* to = page->getAttributeNode(u"pageto");
        facts.TakePage(from ? from->getValue() : nullptr, to ? to->getValue() : nullptr);
    }
    return MakeProjectNode(facts);
}

TSPanelNodeData* TSXmlDataHandling::MakeProjectNode(const ProjectFacts& facts) {
    // A project that names an id which is none is not shown: nothing could be sent to it.
    if (!facts.hasAttributes || facts.badId) return nullptr;
    auto* project = new TSPanelNodeData;
    project->SetData(PMString(facts.name, PMString::kNoTranslate), facts.id, true, fPrjID);
    ++fPrjID;
    project->SetPrjFileNameText(PMString(facts.fileNameText, PMString::kNoTranslate));

    const std::string& statusCodes = facts.statusCodes;
    if (!statusCodes.empty()) {
        // Every text before a "," is an id, empty ones included; the rest only when not empty.
        std::vector<std::string> ids;
        std::size_t start = 0;
        for (std::size_t comma; (comma = statusCodes.find(',', start)) != std::string::npos; start = comma + 1)
            ids.emplace_back(statusCodes, start, comma - start);
        if (start < statusCodes.size()) ids.emplace_back(statusCodes, start);
        FillStatusCodeInfo(*project, std::move(ids));
    }
    if (facts.hasPageFrom) project->SetPageFromInfo(facts.pageFrom);
    if (facts.hasPageTo) project->SetPageToInfo(facts.pageTo);
    return project;
}

void TSXmlDataHandling::FillStatusCodeInfo(TSPanelNodeData& project, std::vector<std::string> ids) {
    if (!fRoot || ids.empty()) return;
    Index& index = GetIndex();
    index.BuildStatusCodes(fRoot);
    // In list order, each once, and only the first code with an id: a project costs what it
    // names, however long the list or often it repeats an id.
    std::vector<std::size_t>& listed = index.fListed;
    listed.clear();
    for (const std::string& id : ids) {
        auto found = index.fStatusByIdText.find(id);
        if (found != index.fStatusByIdText.end()) listed.push_back(found->second);
    }
    std::sort(listed.begin(), listed.end());
    listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
    project.ReserveStatusCodes(static_cast<int32>(listed.size()));
    for (std::size_t entry : listed) project.AddStatusCode(index.fStatusCodes[entry].info);
}

bool TSXmlDataHandling::sort_function(const TSPanelNodeData* a, const TSPanelNodeData* b) {
    return std::strcmp(a->NodeName().GrabCString(), b->NodeName().GrabCString()) < 0;
}

void TSXmlDataHandling::UpdateProjectTree(std::vector<TSPanelNodeData*>& batch, TSPanelNodeData& parent,
                                          std::map<int32, TSPanelNodeData*>& nodesById) {
    // Stable, so that equal names keep their document order.
    if (batch.size() > 1) std::stable_sort(batch.begin(), batch.end(), sort_function);
    for (TSPanelNodeData* node : batch) {
        node->SetParent(&parent);
        // The parent's list holds what the model reads of a child (ids, name, kind, parent:
        // all that equality compares); the record in the map holds the rest. A whole copy
        // would double the memory of every project's status codes.
        TSPanelNodeData child;
        child.SetData(node->NodeName(), node->GetProjectXMLID(), node->IsProject(), node->GetProjectID());
        child.SetParent(&parent);
        parent.AddChild(std::move(child));
        // A record whose id is taken already would belong to nobody.
        if (!nodesById.emplace(node->GetProjectID(), node).second) delete node;
    }
    batch.clear();
}

void TSXmlDataHandling::GetStatusCodesInfo(K2Vector<StatusCodeInfo>& codes) {
    if (!fRoot) return;
    Index& index = GetIndex();
    index.BuildStatusCodes(fRoot);
    for (const Index::StatusEntry& entry : index.fStatusCodes) codes.push_back(entry.info);
}

void TSXmlDataHandling::GetFileNameDefination(PMString& text) {
    if (!fRoot) return;
    PMString definition = GetIndex().TextOf(fRoot->getAttribute(u"filename"));
    if (!definition.IsEmpty()) text.Append(definition);
}

bool TSXmlDataHandling::ExportXML(PMString ticketPath, PMString documentPath, const PMString& outputName,
                                  IDocument* document, UIDList pages, PMString projectCode) {
    // A path that does not convert, or whose POSIX form does not fit, is refused.
    char ticket[kPathSize] = {};
    char documentFile[kPathSize] = {};
    if (!TSPanelUtils::GetAsUnixPath(ticketPath.GrabCString(), ticket, sizeof ticket) || !ticket[0]) return false;
    if (!TSPanelUtils::GetAsUnixPath(documentPath.GrabCString(), documentFile, sizeof documentFile) ||
        !documentFile[0])
        return false;
    ticketPath = PMString(ticket, PMString::kNoTranslate);
    documentPath = PMString(documentFile, PMString::kNoTranslate);

    PMString pageNames;
    if (!pages.IsEmpty()) {
        InterfacePtr<IPageList> pageList(document, IID_OF<IPageList>());
        if (!pageList) return false;
        for (int32 i = 0; i < pages.Length(); ++i) {
            PMString name;
            pageList->GetPageString(pages[i], name, kFalse, kTrue, kFalse, kTrue);
            pageNames.Append(name);
            if (i + 1 < pages.Length()) pageNames.Append(",");
        }
    }

    bool written = false;
    TSDOMErrorHandler handler;
    try {
        DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(u"LS");
        if (!impl) return false;
        TSXercesPtr<DOMDocument> ticketDocument(impl->createDocument(nullptr, u"kelvaneactivate", nullptr));
        DOMElement* root = ticketDocument->getDocumentElement();
        root->setAttribute(u"type", u"indesign");
        root->setAttribute(u"name", Utf16Of(outputName).c_str());
        root->setAttribute(u"path", Utf16Of(documentPath).c_str());
        root->setAttribute(u"projectcode", Utf16Of(projectCode).c_str());
        root->setAttribute(u"newitemcode", Utf16Of(pageNames).c_str());

        TSXercesPtr<DOMLSSerializer> serializer(impl->createLSSerializer());
        serializer->getDomConfig()->setParameter(XMLUni::fgDOMErrorHandler, static_cast<DOMErrorHandler*>(&handler));
        TSXercesPtr<DOMLSOutput> output(impl->createLSOutput());
        output->setEncoding(u"UTF-8");
        MemBufFormatTarget bytes;
        output->setByteStream(&bytes);
        written = serializer->write(ticketDocument.get(), output.get()) &&
                  WriteFileWhole(ticket, reinterpret_cast<const char*>(bytes.getRawBuffer()), bytes.getLen());
    } catch (const XMLException&) {
        written = false;
    } catch (const OutOfMemoryException&) {
        written = false;
    } catch (const DOMException&) {
        written = false;
    } catch (const std::exception&) {
        written = false;
    }
    handler.ShowReports();
    return written;
}
