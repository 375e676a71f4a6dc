// The page-range parser on arbitrary text against documents of numbered, roman, sectioned or
// made-up page names: it must never crash or run long; any text it takes must give pages in
// order, each once and inside the document; and the range text of such a list, or of any set
// of pages, must read back as the same list wherever page names cannot be confused.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "PageRange.h"

namespace {

using Names = std::vector<std::string>;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::string Roman(int n) {
    static const struct { int value; const char* text; } kDigits[] = {
        {100, "c"}, {90, "xc"}, {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
    std::string text;
    for (const auto& d : kDigits)
        for (; n >= d.value; n -= d.value) text += d.text;
    return text;
}

// A made-up name could be read two ways when it holds a separator, is blank-padded, empty
// or repeated; the parser's contract is only about names that cannot.
bool Unambiguous(const Names& names) {
    std::set<std::string> seen;
    for (const std::string& name : names) {
        if (name.empty() || name.find_first_of(",-") != std::string::npos) return false;
        if (std::string(" \t\r\n").find(name.front()) != std::string::npos) return false;
        if (std::string(" \t\r\n").find(name.back()) != std::string::npos) return false;
        if (!seen.insert(name).second) return false;
    }
    return true;
}

Names MakeNames(FuzzedDataProvider& in, bool& unambiguous) {
    Names names;
    unambiguous = true;
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
            for (int i = 1, n = in.ConsumeIntegralInRange(1, 400); i <= n; ++i) names.push_back(std::to_string(i));
            break;
        case 1:
            for (int i = 1, n = in.ConsumeIntegralInRange(1, 120); i <= n; ++i) names.push_back(Roman(i));
            break;
        case 2:
            // Sections whose names themselves hold the range separator.
            for (int s = 0, sections = in.ConsumeIntegralInRange(1, 4); s < sections; ++s)
                for (int i = 1, n = in.ConsumeIntegralInRange(1, 30); i <= n; ++i)
                    names.push_back(std::string(1, static_cast<char>('A' + s)) + "-" + std::to_string(i));
            break;
        default:
            for (int i = 0, n = in.ConsumeIntegralInRange(1, 12); i < n; ++i) names.push_back(in.ConsumeRandomLengthString(10));
            unambiguous = Unambiguous(names);
            break;
    }
    return names;
}

void CheckRoundTrip(const Names& names, const std::vector<int>& pages) {
    std::optional<std::vector<int>> again = tshost::ParsePageRange(names, tshost::FormatPageRange(names, pages));
    Check(again.has_value() && *again == pages);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    bool unambiguous = false;
    const Names names = MakeNames(in, unambiguous);
    const uint64_t mask = in.ConsumeIntegral<uint64_t>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    std::optional<std::vector<int>> pages = tshost::ParsePageRange(names, text);
    if (pages) {
        Check(!pages->empty());
        for (std::size_t i = 0; i < pages->size(); ++i) {
            Check((*pages)[i] >= 0 && static_cast<std::size_t>((*pages)[i]) < names.size());
            if (i > 0) Check((*pages)[i - 1] < (*pages)[i]);
        }
        if (unambiguous) CheckRoundTrip(names, *pages);
    }

    if (unambiguous) {
        std::vector<int> chosen;
        for (std::size_t i = 0; i < names.size(); ++i)
            if (mask & (uint64_t(1) << (i % 64))) chosen.push_back(static_cast<int>(i));
        if (!chosen.empty()) CheckRoundTrip(names, chosen);
    }
    return 0;
}
