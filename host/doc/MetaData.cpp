#include "MetaData.h"

#include <exempi/xmp.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <type_traits>

#include "IDocument.h"
#include "IPMStream.h"
#include "InterfacePtr.h"
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

}  // namespace

void InitXmpOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
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
    if (!xmp || !xmp_append_array_item(xmp.get(), uri.c_str(), path.c_str(), form, value.c_str(), 0)) return kFalse;
    XmpText packet;
    if (!xmp_serialize(xmp.get(), packet, XMP_SERIAL_OMITPACKETWRAPPER | XMP_SERIAL_USECOMPACTFORMAT, 0)) return kFalse;
    std::string text = packet.Get();
    // What cannot be read back is not stored: the document would lose all its metadata.
    if (text.size() > kMaxMetadataBytes || !Parse(text)) return kFalse;
    PreDirty();
    fPacket = std::move(text);
    return kTrue;
}

void MetaDataAccess::ReadWrite(IPMStream* stream, ImplementationID) {
    if (!stream) return;
    int32 length = static_cast<int32>(fPacket.size());
    stream->XferInt32(length);
    if (stream->IsReading()) {
        fPacket.clear();
        if (length < 0 || static_cast<std::size_t>(length) > kMaxMetadataBytes || length > stream->Remaining()) {
            stream->SetFailed();
            return;
        }
        fPacket.resize(static_cast<std::size_t>(length));
    }
    if (length > 0 && stream->XferBytes(fPacket.data(), length) != length) stream->SetFailed();
    if (!stream->IsGood() && stream->IsReading()) fPacket.clear();
}

std::optional<std::vector<std::string>> ReadMetadataArray(IDocument* document, const std::string& namespaceURI,
                                                          const std::string& property) {
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

}  // namespace tshost
