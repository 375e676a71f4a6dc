// Reads the proofing server's projects file and writes the job ticket of a send to a hot
// folder.
//
// A reader parses one file into a document it keeps in memory (the projects inside the first
// "projects" element as facts read during the parse, not as nodes), then answers from it:
// whether a fresh server answer authenticates the user and replaces the cached project list,
// the children of one tree node at a time (as new TSPanelNodeData records, sorted by name),
// the list of all status codes and the file-name template. The file comes from a server, so
// the parser refuses a document type, loads no external entity and bounds entity expansion;
// anything the parser reports fails the parse, costs the user one alert ("Line No = …") and
// leaves nothing loaded; so does a list whose elements nest deeper than kMaxDepth or that has
// an element with more than kMaxAttributes attributes or a tag or other markup longer than
// about kMaxMarkupBytes. Ids that are not whole numbers count as missing. Of the document
// only what the reader reads is kept. A reader remembers which version of which file it
// holds, so that an unchanged file need not be parsed again.
//
// Children are found through an index of the document (groups by server id, projects by
// group id, status codes in list order) built the first time it is needed, so expanding a
// group costs time in proportion to that group's own children.
//
// Ownership: the reader owns its document and index. Both hold library memory: call
// ReleaseDocument (or destroy the reader) before the XML library is terminated.
// User-interface thread only; fPrjID and the global reader behind the tree model are
// process-wide and unguarded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/util/XercesDefs.hpp>

#include "K2Vector.h"
#include "PMString.h"
#include "UIDRef.h"

XERCES_CPP_NAMESPACE_BEGIN
class DOMDocument;
class DOMElement;
class DOMNode;
XERCES_CPP_NAMESPACE_END

class IDocument;
class StatusCodeInfo;
class TSPanelNodeData;

class TSXmlDataHandling {
public:
    // Bytes of the path buffers, terminating NUL included: a longer path is refused.
    static constexpr std::size_t kPathSize = 256;
    // The most elements a list may nest in one another, the root included; the most
    // attributes one element may have; about the most bytes of a tag or other markup.
    static constexpr std::size_t kMaxDepth = 10000;
    static constexpr std::size_t kMaxAttributes = 1000;
    static constexpr std::size_t kMaxMarkupBytes = std::size_t{1} << 20;

    // The internal id the next group or project record receives.
    static int32 fPrjID;

    TSXmlDataHandling();
    TSXmlDataHandling(const TSXmlDataHandling&) = delete;
    TSXmlDataHandling& operator=(const TSXmlDataHandling&) = delete;
    ~TSXmlDataHandling();

    // Parses the file at a POSIX path, dropping the previous document first. Afterwards
    // ParseFailed tells whether anything of it may be used.
    void InitializeDOMnode(const char* filePath);
    // True when this reader holds a good parse of the file at `filePath` and the file has not
    // changed since: parsing it again would give the same document.
    bool IsParseOf(const char* filePath) const;
    // True after construction, after ReleaseDocument and after any parse the parser reported on.
    bool ParseFailed() const { return fParseFailed; }
    xercesc::DOMElement* GetRootElement() const { return fRoot; }
    // The path of the last parse, or null.
    const char* GetFilePath() const { return fFilePath.get(); }
    // Frees the document and the index; the reader then holds nothing.
    void ReleaseDocument();
    // Tells one parse from another: a number of the document held, 0 without one.
    uint64_t DocumentGeneration() const { return fGeneration; }

    // Whether the answer file's root element says "authenticated, here is an update". Reads
    // only as far as the root's start tag and reports nothing; the full parse decides.
    static bool IsUpdateAnswer(const char* filePath);
    // Records that the file at `copyPath` is a copy of the file just parsed, so that this
    // reader's document is also its parse (see IsParseOf).
    void TakeAsParseOf(const char* copyPath);

    // Judges a fresh server answer held by this reader. Sets `status` to 1 when the user is
    // authenticated (never clears it); copies `tempFile` over `projectsFile` (both host paths)
    // when the answer is an update. True only when that copy was made.
    bool UpdateProjectsInfo(PMString tempFile, PMString projectsFile, int16& status);

    // Creates the children of `parent` (server id -1: the top-level groups; any other group:
    // its sub-groups, then its projects), attaches them sorted by name and adds them to
    // `nodesById`, which owns them from then on.
    void UpdateChildInfo(TSPanelNodeData& parent, std::map<int32, TSPanelNodeData*>& nodesById);
    // A new group record for a shown "projectgroup" node, else null. Takes the next internal id.
    TSPanelNodeData* GetGroupNode(xercesc::DOMNode* node);
    // A new project record for a "project" element, else null. Takes the next internal id.
    TSPanelNodeData* GetProjectNode(xercesc::DOMElement* element);
    // The progress bar the last UpdateChildInfo showed while it made sub-groups: its range
    // and the number of groups made; a range of -1 when it showed none.
    struct LoadProgress {
        int32 range = -1;
        int32 made = 0;
    };
    LoadProgress LastLoadProgress() const { return fLastLoadProgress; }
    // Shows that bar again, as the load would.
    static void ShowLoadProgress(const LoadProgress& progress);
    // Attaches the status codes whose id text is among `ids`, in the order of the file's list;
    // of two codes with one id, the first.
    void FillStatusCodeInfo(TSPanelNodeData& project, std::vector<std::string> ids);
    // Sorts the batch by name, links each record to `parent` and hands it to `nodesById`.
    void UpdateProjectTree(std::vector<TSPanelNodeData*>& batch, TSPanelNodeData& parent,
                           std::map<int32, TSPanelNodeData*>& nodesById);
    // Byte order of the names, case-sensitive.
    static bool sort_function(const TSPanelNodeData* a, const TSPanelNodeData* b);

    // Appends every status code of the document, in list order.
    void GetStatusCodesInfo(K2Vector<StatusCodeInfo>& codes);
    // Appends the root's file-name template when it is not empty.
    void GetFileNameDefination(PMString& text);

    // Writes the job ticket for a hot folder at `ticketPath` (host path), naming the document
    // file (host path), the output name, the project code and the names of `pages` in
    // `document`. The ticket appears whole or not at all, and nothing planted in the hot
    // folder (a link at any name) can redirect it. True when it was written.
    bool ExportXML(PMString ticketPath, PMString documentPath, const PMString& outputName, IDocument* document,
                   UIDList pages, PMString projectCode);

    // What a project record is made of (defined with the reader).
    struct ProjectFacts;

private:
    struct Index;
    Index& GetIndex();
    TSPanelNodeData* MakeProjectNode(const ProjectFacts& facts);

    // What tells one version of a file from another without reading it.
    struct FileIdentity {
        static FileIdentity Of(const char* path);
        bool Valid() const { return fValid; }
        bool operator==(const FileIdentity& other) const;

        bool fValid = false;
        unsigned long long fDevice = 0, fInode = 0;
        long long fSize = 0, fModified = 0, fChanged = 0;  // times in nanoseconds
    };
    FileIdentity fIdentity;
    uint64_t fGeneration = 0;
    LoadProgress fLastLoadProgress;

    bool fParseFailed = true;
    xercesc::DOMDocument* fDocument = nullptr;  // owned
    xercesc::DOMElement* fRoot = nullptr;
    std::unique_ptr<char[]> fFilePath;
    std::unique_ptr<Index> fIndex;
};
