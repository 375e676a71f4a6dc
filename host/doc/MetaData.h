// A document's metadata (IMetaDataAccess), kept as the document's XMP packet: persistent,
// written into the document's file with the rest of the document. The XMP toolkit (exempi)
// parses and writes the packet; each change works on a fresh copy and replaces the packet
// only when it succeeded, so a refused change leaves the metadata exactly as it was, and a
// damaged packet read from a file is kept, never overwritten.
//
// The toolkit is initialised once for the process, when the host boots, and never
// terminated: its init and terminate calls are counted, plug-ins pair their own, and using
// it after a balanced terminate crashes.
// User-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "CPMUnknown.h"
#include "IMetaDataAccess.h"

class IDocument;
class IPMStream;

namespace tshost {

// Larger packets are refused when appending and are damage when read.
constexpr std::size_t kMaxMetadataBytes = 16u << 20;

void InitXmpOnce();

// The local part of a property name as stored: itself when it is an ASCII XML name, else
// encoded as IMetaDataAccess.h describes. Empty for an empty name or text that is not UTF-8.
std::string EncodeXmlName(const std::string& name);

struct MetadataEntry {
    std::string schema;  // namespace URI
    std::string path;    // "tracking:ana[1]"
    std::string value;
};

// The test hooks. The items of the array property `property` ("prefix:name" or a bare name,
// encoded as when appended) in the namespace, in order; nullopt when the document has no such
// array or its metadata cannot be read.
std::optional<std::vector<std::string>> ReadMetadataArray(IDocument* document, const std::string& namespaceURI,
                                                          const std::string& property);
// Every value in the document's metadata, in the packet's order; nullopt when unreadable.
std::optional<std::vector<MetadataEntry>> ReadAllMetadata(IDocument* document);
// The packet as stored; empty when the document has no metadata yet.
std::string MetadataPacket(IDocument* document);

class MetaDataAccess final : public CPMUnknown<IMetaDataAccess> {
public:
    explicit MetaDataAccess(IPMUnknown* boss) : CPMUnknown<IMetaDataAccess>(boss) {}

    bool16 RegisterNamespace(const PMString& namespaceURI, const PMString& suggestedPrefix,
                             PMString& registeredPrefix) override;
    bool16 GetNamespaceURI(const PMString& prefix, PMString& namespaceURI) const override;
    bool16 AppendArrayItem(const PMString& namespaceURI, const PMString& arrayName, const PMString& itemValue,
                           int32 arrayForm, int32 itemOptions) override;

    const std::string& Packet() const { return fPacket; }
    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    std::string fPacket;
};

}  // namespace tshost
