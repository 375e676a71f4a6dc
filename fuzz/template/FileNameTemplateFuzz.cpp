// The file-name template expansion on arbitrary templates and token values: it must never
// crash, the name it gives must hold none of the characters a file name must not, and it
// can only be made of the template's literal text and the values its tokens name; the file
// name cleaned from it fits, is not hidden and shows all it holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "TSFileNameTemplate.h"

namespace {

constexpr std::string_view kForbidden = ":/\"?\\<>|*";

void Check(bool condition) {
    if (!condition) std::abort();
}

PMString Value(FuzzedDataProvider& in) {
    return PMString(in.ConsumeRandomLengthString(40), PMString::kNoTranslate);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    TSFileNameTemplate::Values values;
    values.projectCode = Value(in);
    values.fileName = Value(in);
    values.userName = Value(in);
    if (in.ConsumeBool()) values.pageNumber = Value(in);
    values.userInput = Value(in);
    values.projectGroupName = Value(in);
    values.projectName = Value(in);
    const std::string text = in.ConsumeRemainingBytesAsString();

    bool reachedUserInput = true;
    const PMString name = TSFileNameTemplate::Expand(PMString(text, PMString::kNoTranslate), values, &reachedUserInput);
    const std::string& out = name.GetUTF8String();
    Check(out.find_first_of(kForbidden) == std::string::npos);
    Check(!name.GetTranslatable());
    // The first piece starts the text, every later one follows a "$".
    if (reachedUserInput) Check(text.find("user_input$") != std::string::npos);
    // Text after the last "$" is dropped, so a template without one gives nothing.
    if (text.find('$') == std::string::npos) Check(out.empty());
    std::size_t longest = 0;
    for (const PMString* v : {&values.projectCode, &values.fileName, &values.userName, &values.userInput,
                              &values.projectGroupName, &values.projectName})
        longest = std::max(longest, v->GetUTF8String().size());
    if (values.pageNumber) longest = std::max(longest, values.pageNumber->GetUTF8String().size());
    Check(out.size() <= text.size() * (longest + 1));

    // A file name made of it fits, is not hidden, and shows every character it holds.
    PMString file("stale");
    if (TSFileNameTemplate::CleanFileName(name, "pdf", file)) {
        const std::string& fileName = file.GetUTF8String();
        Check(fileName.size() <= TSFileNameTemplate::kMaxFileNameBytes && fileName.front() != '.');
        Check(TSFileNameTemplate::VisibleText(file).GetUTF8String() == fileName);
    } else {
        Check(file.IsEmpty());
    }

    PMString cleaned(text, PMString::kNoTranslate);
    TSFileNameTemplate::RemoveForbiddenCharacters(cleaned);
    Check(cleaned.GetUTF8String().find_first_of(kForbidden) == std::string::npos);
    return 0;
}
