#include "PageRange.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace tshost {

namespace {

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// Longer range texts are refused: no real range comes near it, and it bounds the work.
constexpr std::size_t kMaxRangeText = 64 * 1024;
// Blanks allowed around a name inside an item.
constexpr std::size_t kMaxPadding = 64;

class NameIndex {
public:
    explicit NameIndex(const std::vector<std::string>& names) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            fIndex.emplace(names[i], static_cast<int>(i));  // the first page of a name wins
            fLongest = std::max(fLongest, names[i].size());
        }
    }
    int Find(std::string_view name) const {
        if (name.size() > fLongest) return -1;
        auto it = fIndex.find(std::string(name));
        return it == fIndex.end() ? -1 : it->second;
    }
    std::size_t Longest() const { return fLongest; }

private:
    std::unordered_map<std::string, int> fIndex;
    std::size_t fLongest = 0;
};

}  // namespace

std::string FormatPageRange(const std::vector<std::string>& pageNames, const std::vector<int>& pages) {
    std::set<int> chosen;
    for (int p : pages)
        if (p >= 0 && static_cast<std::size_t>(p) < pageNames.size()) chosen.insert(p);
    std::string text;
    for (auto it = chosen.begin(); it != chosen.end();) {
        int first = *it, last = first;
        while (++it != chosen.end() && *it == last + 1) last = *it;
        if (!text.empty()) text += ", ";
        text += pageNames[static_cast<std::size_t>(first)];
        if (last != first) text += "-" + pageNames[static_cast<std::size_t>(last)];
    }
    return text;
}

std::optional<std::vector<int>> ParsePageRange(const std::vector<std::string>& pageNames, std::string_view text) {
    std::set<int> chosen;
    if (Trim(text).empty() || text.size() > kMaxRangeText) return std::nullopt;
    const NameIndex names(pageNames);
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = text.find(',', start);
        std::string_view item = Trim(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (item.empty()) return std::nullopt;
        int single = names.Find(item);
        if (single >= 0) {
            chosen.insert(single);
        } else {
            // A name may itself hold "-": try every split until one names two pages.
            bool found = false;
            const std::size_t reach = names.Longest() + kMaxPadding;
            for (std::size_t dash = item.find('-'); dash != std::string_view::npos && dash <= reach && !found;
                 dash = item.find('-', dash + 1)) {
                if (item.size() - dash - 1 > reach) continue;
                int first = names.Find(Trim(item.substr(0, dash)));
                int last = names.Find(Trim(item.substr(dash + 1)));
                if (first < 0 || last < 0) continue;
                if (first > last) return std::nullopt;
                for (int p = first; p <= last; ++p) chosen.insert(p);
                found = true;
            }
            if (!found) return std::nullopt;
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return std::vector<int>(chosen.begin(), chosen.end());
}

}  // namespace tshost
