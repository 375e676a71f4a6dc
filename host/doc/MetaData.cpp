#include "MetaData.h"

#include <exempi/xmp.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <type_traits>

#include "CAlert.h"
#include "Documents.h"
#include "Guard.h"
#include "IDocument.h"
#include "IPMStream.h"
#include "InterfacePtr.h"
#include "MemoryStream.h"
#include "Utf8.h"

namespace tshost {

namespace {

// XMP has no constant of its own for the form of an alternative array.
constexpr uint32_t kArrayIsAlternate = 0x00000800UL;

struct XmpDeleter {
    void operator()(XmpPtr xmp) const { xmp_free(xmp); }
};
using Xmp = std::unique_ptr<std::remove_pointer_t<XmpPtr>, XmpDeleter>;

class XmpText {
public:
    XmpText() : fText(xmp_string_new()) {}
    ~XmpText() { xmp_string_free(fText); }
    XmpText(const XmpText&) = delete;
    XmpText& operator=(const XmpText&) = delete;
    operator XmpStringPtr() const { return fText; }
    std::string Get() const {
        const char* text = xmp_string_cstr(fText);
        return text ? std::string(text, xmp_string_len(fText)) : std::string();
    }

private:
    XmpStringPtr fText;
};

// Only ASCII name characters are kept: the toolkit takes many more when a property is
// made, but its XML parser refuses some of those when the packet is read back (U+1F600,
// U+02B0, U+A000, …), which would leave a saved document's metadata unreadable.
bool IsNameStart(uint32 c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool IsNameChar(uint32 c) { return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9'); }

// A prefix as the toolkit takes it: an XML name, without its colon.
std::string BarePrefix(const std::string& prefix) {
    std::string bare = prefix;
    if (!bare.empty() && bare.back() == ':') bare.pop_back();
    return !bare.empty() && EncodeXmlName(bare) == bare ? bare : std::string();
}

// The namespace's registered prefix with its colon, or empty when it is not registered.
std::string PrefixOf(const std::string& namespaceURI) {
    if (namespaceURI.empty() || !IsUtf8(namespaceURI)) return {};
    XmpText prefix;
    return xmp_namespace_prefix(namespaceURI.c_str(), prefix) ? prefix.Get() : std::string();
}

// The stored path of a property name in a namespace with `prefix` ("tracking:"); empty when
// the name is empty or carries another namespace's prefix.
std::string PropertyPath(const std::string& prefix, const std::string& name) {
    std::string local = name;
    if (std::size_t colon = name.find(':'); colon != std::string::npos) {
        if (name.substr(0, colon + 1) != prefix) return {};
        local = name.substr(colon + 1);
    }
    std::string encoded = EncodeXmlName(local);
    return encoded.empty() ? std::string() : prefix + encoded;
}

// The packet parsed, or null when it cannot be; an empty packet is empty metadata.
Xmp Parse(const std::string& packet) {
    InitXmpOnce();
    Xmp xmp(xmp_new_empty());
    if (xmp && !packet.empty() && !xmp_parse(xmp.get(), packet.data(), packet.size())) xmp.reset();
    return xmp;
}

MetaDataAccess* AccessOf(IDocument* document) {
    if (!document) return nullptr;
    InterfacePtr<IMetaDataAccess> access(document, IID_OF<IMetaDataAccess>());
    // The document's boss holds the implementation.
    return dynamic_cast<MetaDataAccess*>(access.get());
}

// The toolkit's C interface also prints each failure on std::cerr; the host reads the
// result, and the user must not see the toolkit's own words. While one of these lives,
// std::cerr writes nowhere. User-interface thread only, like every caller of the toolkit.
class QuietXmp {
public:
    QuietXmp() : fSaved(std::cerr.rdbuf(nullptr)) {}
    ~QuietXmp() { std::cerr.rdbuf(fSaved); }
    QuietXmp(const QuietXmp&) = delete;
    QuietXmp& operator=(const QuietXmp&) = delete;

private:
    std::streambuf* fSaved;
};

// Splits the stored form into the packet and the packets set aside; false when its framing
// is broken (a length or count out of range, bytes missing or left over).
bool ReadStored(const std::string& stored, std::string& packet, std::vector<std::string>& setAside) {
    MemoryStream in(stored);
    // A packet set aside may be a whole stored form that was broken, so larger than a packet.
    auto take = [&](std::string& bytes, std::size_t limit) {
        int32 length = 0;
        in.XferInt32(length);
        if (!in.IsGood() || length < 0 || static_cast<std::size_t>(length) > limit || length > in.Remaining())
            return false;
        bytes.resize(static_cast<std::size_t>(length));
        return in.XferBytes(bytes.data(), length) == length;
    };
    if (!take(packet, kMaxMetadataBytes)) return false;
    if (in.Remaining() == 0) return true;
    int32 count = 0;
    in.XferInt32(count);
    // Each set-aside packet takes at least its length's four bytes.
    if (!in.IsGood() || count < 1 || count > in.Remaining() / 4) return false;
    setAside.resize(static_cast<std::size_t>(count));
    for (std::string& bytes : setAside)
        if (!take(bytes, kMaxStoredMetadataBytes)) return false;
    return in.Remaining() == 0;
}

}  // namespace

void InitXmpOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        QuietXmp quiet;
        if (!xmp_init()) std::fprintf(stderr, "tessaron-host: the XMP toolkit cannot be initialised\n");
    });
}

std::string EncodeXmlName(const std::string& name) {
    std::string out;
    bool first = true;
    for (std::size_t i = 0; i < name.size();) {
        uint32 cp = 0;
        std::size_t length = DecodeUtf8(name, i, cp);
        if (length == 0) return {};
        // "_x" would read as the start of a code: the "_" itself is written as one.
        bool escapesUnderscore = cp == '_' && i + 1 < name.size() && name[i + 1] == 'x';
        if (!escapesUnderscore && (first ? IsNameStart(cp) : IsNameChar(cp))) {
            out.append(name, i, length);
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "_x%04X_", cp);
            out += code;
        }
        i += length;
        first = false;
    }
    return out;
}

bool16 MetaDataAccess::RegisterNamespace(const PMString& namespaceURI, const PMString& suggestedPrefix,
                                         PMString& registeredPrefix) {
    QuietXmp quiet;
    registeredPrefix = PMString("", PMString::kNoTranslate);
    const std::string& uri = namespaceURI.GetUTF8String();
    if (uri.empty() || !IsUtf8(uri)) return kFalse;
    InitXmpOnce();
    std::string suggested = suggestedPrefix.GetUTF8String();
    if (!suggested.empty() && suggested.back() == ':') suggested.pop_back();
    suggested = EncodeXmlName(suggested);
    if (suggested.empty()) suggested = "ns";
    XmpText prefix;
    // The result is false whenever the suggestion was not taken: the prefix is the answer.
    xmp_register_namespace(uri.c_str(), suggested.c_str(), prefix);
    std::string registered = prefix.Get();
    if (registered.empty()) registered = PrefixOf(uri);
    if (registered.empty()) return kFalse;
    registeredPrefix = PMString(registered, PMString::kNoTranslate);
    return kTrue;
}

bool16 MetaDataAccess::GetNamespaceURI(const PMString& prefix, PMString& namespaceURI) const {
    QuietXmp quiet;
    namespaceURI = PMString("", PMString::kNoTranslate);
    std::string bare = BarePrefix(prefix.GetUTF8String());
    if (bare.empty()) return kFalse;
    InitXmpOnce();
    XmpText uri;
    if (!xmp_prefix_namespace_uri(bare.c_str(), uri) || uri.Get().empty()) return kFalse;
    namespaceURI = PMString(uri.Get(), PMString::kNoTranslate);
    return kTrue;
}

bool16 MetaDataAccess::AppendArrayItem(const PMString& namespaceURI, const PMString& arrayName,
                                       const PMString& itemValue, int32 arrayForm, int32 itemOptions) {
    QuietXmp quiet;
    return Guarded("appending document metadata", kFalse,
                   [&] { return Append(namespaceURI, arrayName, itemValue, arrayForm, itemOptions); });
}

bool16 MetaDataAccess::Append(const PMString& namespaceURI, const PMString& arrayName, const PMString& itemValue,
                              int32 arrayForm, int32 itemOptions) {
    uint32_t form = 0;
    switch (arrayForm) {
        case kUnorderedArray: form = XMP_PROP_VALUE_IS_ARRAY; break;
        case kOrderedArray: form = XMP_PROP_VALUE_IS_ARRAY | XMP_PROP_ARRAY_IS_ORDERED; break;
        case kAlternativeArray: form = XMP_PROP_VALUE_IS_ARRAY | XMP_PROP_ARRAY_IS_ORDERED | kArrayIsAlternate; break;
        default: return kFalse;
    }
    const std::string& uri = namespaceURI.GetUTF8String();
    const std::string& value = itemValue.GetUTF8String();
    if (itemOptions != 0 || !IsUtf8(value)) return kFalse;
    InitXmpOnce();
    std::string prefix = PrefixOf(uri);
    std::string path = prefix.empty() ? std::string() : PropertyPath(prefix, arrayName.GetUTF8String());
    if (path.empty()) return kFalse;
    Xmp xmp = Parse(fPacket);
    // A packet that does not parse is set aside below, once the append to a fresh one worked.
    const bool packetDamaged = !xmp;
    if (packetDamaged) xmp = Parse(std::string());
    if (!xmp || !xmp_append_array_item(xmp.get(), uri.c_str(), path.c_str(), form, value.c_str(), 0)) return kFalse;
    XmpText packet;
    if (!xmp_serialize(xmp.get(), packet, XMP_SERIAL_OMITPACKETWRAPPER | XMP_SERIAL_USECOMPACTFORMAT, 0)) return kFalse;
    std::string text = packet.Get();
    // What cannot be read back is not stored: the document would lose all its metadata.
    if (text.size() > kMaxMetadataBytes || !Parse(text)) return kFalse;
    PreDirty();
    if (packetDamaged) fSetAside.push_back(std::move(fPacket));
    const bool tell = packetDamaged || fDamageRead;
    fDamageRead = false;
    fPacket = std::move(text);
    if (tell) TellDamaged();
    return kTrue;
}

void MetaDataAccess::TellDamaged() const {
    InterfacePtr<IDocument> document(this, IID_OF<IDocument>());
    std::string name = document ? Documents::NameOf(document.get()) : std::string("a document");
    CAlert::WarningAlert(PMString("The metadata of " + name +
                                      " was damaged. The damaged metadata is kept in the document; new metadata has been started.",
                                  PMString::kNoTranslate));
}

void MetaDataAccess::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    if (stream->IsWriting()) {
        auto put = [&](std::string& bytes) {
            int32 length = static_cast<int32>(bytes.size());
            stream->XferInt32(length);
            stream->XferBytes(bytes.data(), length);
        };
        put(fPacket);
        if (fSetAside.empty()) return;
        int32 count = static_cast<int32>(fSetAside.size());
        stream->XferInt32(count);
        for (std::string& bytes : fSetAside) put(bytes);
        return;
    }
    fPacket.clear();
    fSetAside.clear();
    fDamageRead = false;
    const int64 size = stream->Remaining();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxStoredMetadataBytes) {
        stream->SetFailed();
        return;
    }
    std::string stored(static_cast<std::size_t>(size), '\0');
    if (stream->XferBytes(stored.data(), static_cast<int32>(size)) != size) {
        stream->SetFailed();
        return;
    }
    // Nothing stored is no metadata: there is nothing to keep aside.
    if (!stored.empty() && !ReadStored(stored, fPacket, fSetAside)) {
        // Broken framing: every byte is kept aside as it was, and the metadata starts afresh.
        fPacket.clear();
        fSetAside.assign(1, std::move(stored));
        fDamageRead = true;
    }
}

std::optional<std::vector<std::string>> ReadMetadataArray(IDocument* document, const std::string& namespaceURI,
                                                          const std::string& property) {
    QuietXmp quiet;
    MetaDataAccess* access = AccessOf(document);
    if (!access) return std::nullopt;
    Xmp xmp = Parse(access->Packet());
    std::string prefix = xmp ? PrefixOf(namespaceURI) : std::string();
    std::string path = prefix.empty() ? std::string() : PropertyPath(prefix, property);
    if (path.empty()) return std::nullopt;
    uint32_t bits = 0;
    if (!xmp_get_property(xmp.get(), namespaceURI.c_str(), path.c_str(), nullptr, &bits) || !XMP_IS_PROP_ARRAY(bits))
        return std::nullopt;
    std::vector<std::string> items;
    XmpText item;
    // Array items count from 1.
    for (int32_t index = 1; xmp_get_array_item(xmp.get(), namespaceURI.c_str(), path.c_str(), index, item, nullptr); ++index)
        items.push_back(item.Get());
    return items;
}

std::optional<std::vector<MetadataEntry>> ReadAllMetadata(IDocument* document) {
    QuietXmp quiet;
    MetaDataAccess* access = AccessOf(document);
    if (!access) return std::nullopt;
    Xmp xmp = Parse(access->Packet());
    if (!xmp) return std::nullopt;
    std::vector<MetadataEntry> entries;
    XmpIteratorPtr iterator = xmp_iterator_new(xmp.get(), nullptr, nullptr, XMP_ITER_JUSTLEAFNODES);
    if (!iterator) return entries;
    XmpText schema, path, value;
    uint32_t options = 0;
    while (xmp_iterator_next(iterator, schema, path, value, &options))
        if (!path.Get().empty()) entries.push_back({schema.Get(), path.Get(), value.Get()});
    xmp_iterator_free(iterator);
    return entries;
}

std::string MetadataPacket(IDocument* document) {
    MetaDataAccess* access = AccessOf(document);
    return access ? access->Packet() : std::string();
}

std::vector<std::string> SetAsideMetadata(IDocument* document) {
    MetaDataAccess* access = AccessOf(document);
    return access ? access->SetAside() : std::vector<std::string>();
}

}  // namespace tshost
