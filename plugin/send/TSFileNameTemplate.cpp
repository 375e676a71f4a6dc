#include "TSFileNameTemplate.h"

#include <string>
#include <string_view>

#include <unicode/uchar.h>

#include "FileUtils.h"
#include "IActiveContext.h"
#include "IDocument.h"
#include "IPageList.h"
#include "ISession.h"
#include "ITSPrefsData.h"
#include "IWorkspace.h"
#include "InterfacePtr.h"
#include "TSPanelNodeData.h"
#include "TSPanelUtils.h"

PMString g_FileNameDefination;

namespace {

constexpr std::string_view kForbidden = ":/\"?\\<>|*";

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// The character at the start of `text` (not empty) and, in `length`, the bytes it takes.
// An ill-formed sequence (a stray continuation byte, an overlong form, a surrogate, a code
// point past U+10FFFF, a cut sequence) gives U+FFFD and the length of its longest
// well-formed beginning, at least 1: each maximal ill-formed part is one replacement.
char32_t DecodeUtf8(std::string_view text, std::size_t& length) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    length = 1;
    if (lead < 0x80) return lead;
    std::size_t following = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        following = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        following = 2;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        following = 3;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return kReplacementCharacter;
    }
    for (std::size_t i = 1; i <= following; ++i) {
        if (i >= text.size() || at(i) < low || at(i) > high) {
            length = i;
            return kReplacementCharacter;
        }
        code = (code << 6) | (at(i) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    length = following + 1;
    return code;
}

// Characters that show nothing, by the Unicode properties ICU keeps up to date: controls
// (terminal escapes among them), format characters (zero-width, soft hyphen, tags), line and
// paragraph separators, bidirectional controls (a name that shows a false extension,
// "\u202Etxt.exe") and whatever else is default-ignorable (Hangul fillers, variation
// selectors). A name made of them looks nameless; one that starts with them can hide a ".".
bool ShowsNothing(char32_t c) {
    const UChar32 code = static_cast<UChar32>(c);
    switch (u_charType(code)) {
        case U_CONTROL_CHAR:
        case U_FORMAT_CHAR:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
            return true;
        default:
            return u_hasBinaryProperty(code, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) ||
                   u_hasBinaryProperty(code, UCHAR_BIDI_CONTROL);
    }
}

// The byte length of the blank characters (U+00A0 and U+3000 as well as ASCII blanks) at the
// start of `text`, or at its end with `fromEnd`.
std::size_t BlankLength(std::string_view text, bool fromEnd) {
    std::size_t blank = 0;
    while (blank < text.size()) {
        std::size_t at = fromEnd ? text.size() - blank - 1 : blank;
        if (fromEnd)
            while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
        std::size_t length = 0;
        const char32_t c = DecodeUtf8(text.substr(at), length);
        if (!u_isUWhiteSpace(static_cast<UChar32>(c))) break;
        blank += length;
    }
    return blank;
}

}  // namespace

PMString TSFileNameTemplate::Expand(const PMString& templateText, const Values& values, bool* reachedUserInput) {
    if (reachedUserInput) *reachedUserInput = false;
    const std::string& text = templateText.GetUTF8String();
    PMString result;
    std::size_t start = 0;
    for (std::size_t end = text.find('$'); end != std::string::npos; start = end + 1, end = text.find('$', start)) {
        const std::string_view piece(text.data() + start, end - start);
        if (piece.empty()) continue;
        if (piece == "project_code") {
            result.Append(values.projectCode);
        } else if (piece == "file_name") {
            result.Append(values.fileName);
        } else if (piece == "user_name") {
            result.Append(values.userName);
        } else if (piece == "page_number") {
            if (!values.pageNumber) break;
            result.Append(*values.pageNumber);
        } else if (piece == "user_input") {
            if (reachedUserInput) *reachedUserInput = true;
            result.Append(values.userInput);
        } else if (piece == "project_group_name") {
            result.Append(values.projectGroupName);
        } else if (piece == "project_name") {
            result.Append(values.projectName);
        } else {
            result.Append(piece);
        }
    }
    RemoveForbiddenCharacters(result);
    result.SetTranslatable(kFalse);
    return result;
}

void TSFileNameTemplate::RemoveForbiddenCharacters(PMString& name) {
    for (char c : kForbidden) name.RemoveAll(c);
}

PMString TSFileNameTemplate::VisibleText(const PMString& text) {
    const std::string_view bytes(text.GetUTF8String());
    std::string kept;
    kept.reserve(bytes.size());
    for (std::size_t at = 0, length = 0; at < bytes.size(); at += length) {
        const char32_t c = DecodeUtf8(bytes.substr(at), length);
        if (c == kReplacementCharacter)
            kept.append(kReplacementUtf8);
        else if (!ShowsNothing(c))
            kept.append(bytes.substr(at, length));
    }
    std::string_view visible(kept);
    visible.remove_prefix(BlankLength(visible, false));
    visible.remove_suffix(BlankLength(visible, true));
    PMString result(visible, PMString::kNoTranslate);
    result.SetTranslatable(kFalse);
    return result;
}

bool TSFileNameTemplate::CleanFileName(const PMString& typed, std::string_view extension, PMString& name) {
    PMString allowed(typed);
    RemoveForbiddenCharacters(allowed);
    PMString stem = VisibleText(allowed);
    name = PMString();
    name.SetTranslatable(kFalse);
    if (stem.IsEmpty()) return false;

    IDFile file;
    FileUtils::PMStringToSysFile(stem, file);
    PMString present;
    FileUtils::GetExtension(file, present);
    const std::string suffix = "." + std::string(extension);
    if (present.GetUTF8String() == extension) stem.Truncate(stem.ByteLength() - static_cast<int32>(suffix.size()));
    if (!IsVisibleFileName(stem)) return false;
    stem.Truncate(static_cast<int32>(kMaxFileNameBytes - suffix.size()));
    name = stem;
    name.Append(suffix);
    name.SetTranslatable(kFalse);
    return true;
}

bool TSFileNameTemplate::IsVisibleFileName(const PMString& name) {
    return !name.IsEmpty() && name.GetUTF8String().front() != '.';
}

PMString TSFileNameTemplate::DocumentBaseName(const PMString& documentName) {
    const int32 at = documentName.IndexOf(std::string_view(".indd"));
    PMString base = at < 0 ? documentName : documentName.Substring(0, at);
    base.SetTranslatable(kFalse);
    return base;
}

TSFileNameTemplate::Values TSFileNameTemplate::CurrentValues() {
    Values values;
    TSPanelNodeData node;
    if (TSPanelUtils::GetNodeData(node) && node.IsProject()) {
        values.projectCode = node.GetPrjFileNameText();
        values.projectName = node.GetNodeName();
        if (const TSPanelNodeData* group = node.GetParent()) values.projectGroupName = group->GetNodeName();
    }
    IActiveContext* context = gSession ? gSession->GetActiveContext() : nullptr;
    if (IDocument* document = context ? context->GetContextDocument() : nullptr) {
        PMString name;
        document->GetName(name);
        values.fileName = DocumentBaseName(name);
    }
    InterfacePtr<IWorkspace> workspace(gSession ? gSession->QueryWorkspace() : nullptr);
    InterfacePtr<ITSPrefsData> prefs(workspace.get(), IID_OF<ITSPrefsData>());
    if (prefs) values.userName = prefs->GetUserName();
    return values;
}

bool16 TSFileNameTemplate::AllPages(IDocument* document, UIDList& pages) {
    InterfacePtr<IPageList> pageList(document, IID_OF<IPageList>());
    if (!pageList) return kFalse;
    pages = UIDList(GetDataBase(document));
    for (int32 i = 0; i < pageList->GetPageCount(); ++i) pages.Append(pageList->GetNthPageUID(i));
    return kTrue;
}

bool16 TSFileNameTemplate::AllPagesRangeText(IDocument* document, PMString& range) {
    InterfacePtr<IPageList> pageList(document, IID_OF<IPageList>());
    UIDList pages;
    if (!pageList || !AllPages(document, pages)) return kFalse;
    range.Clear();
    pageList->GetPageRangeString(pages, range, 1, 0, 0, 0, 1);
    range.SetTranslatable(kFalse);
    return kTrue;
}
