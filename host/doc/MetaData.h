// A document's metadata (IMetaDataAccess), kept as the document's XMP packet: persistent,
// written into the document's file with the rest of the document. The XMP toolkit (exempi)
// parses and writes the packet; each change works on a fresh copy and replaces the packet
// only when it succeeded, so a refused change leaves the metadata exactly as it was.
//
// A damaged packet (one the toolkit cannot parse, or stored bytes whose framing is broken)
// is never thrown away and never stops the metadata: the first append after the damage was
// read sets the damaged bytes aside, kept in the document's file with the packet, tells the
// user once with a warning alert, and starts a fresh packet. Nothing the toolkit prints
// about a failure reaches standard error.
//
// Stored form: the packet as a 32-bit length and its bytes; then, only when some were set
// aside, their count and each as a length and its bytes, oldest first.
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
// Larger stored forms, packets set aside included, are refused when read.
constexpr std::size_t kMaxStoredMetadataBytes = 64u << 20;

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
// The damaged packets set aside, oldest first.
std::vector<std::string> SetAsideMetadata(IDocument* document);

class MetaDataAccess final : public CPMUnknown<IMetaDataAccess> {
public:
    explicit MetaDataAccess(IPMUnknown* boss) : CPMUnknown<IMetaDataAccess>(boss) {}

    bool16 RegisterNamespace(const PMString& namespaceURI, const PMString& suggestedPrefix,
                             PMString& registeredPrefix) override;
    bool16 GetNamespaceURI(const PMString& prefix, PMString& namespaceURI) const override;
    bool16 AppendArrayItem(const PMString& namespaceURI, const PMString& arrayName, const PMString& itemValue,
                           int32 arrayForm, int32 itemOptions) override;

    const std::string& Packet() const { return fPacket; }
    const std::vector<std::string>& SetAside() const { return fSetAside; }
    void ReadWrite(IPMStream* stream, ImplementationID implID);

private:
    bool16 Append(const PMString& namespaceURI, const PMString& arrayName, const PMString& itemValue, int32 arrayForm,
                  int32 itemOptions);
    void TellDamaged() const;

    std::string fPacket;
    std::vector<std::string> fSetAside;
    // Damage was read that the user has not been told of yet: the packet does not parse, or
    // the stored bytes were broken and sit in fSetAside already.
    bool fDamageRead = false;
};

}  // namespace tshost
