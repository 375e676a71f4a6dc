// Reads back what the host's PDF export wrote, for the tests: the page count, each page's
// width in page order, and the document information strings (literal or UTF-16 hex, as
// cairo writes them). Only for the uncompressed structure cairo 1.16 writes.
#pragma once

#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "../HostTestSupport.h"

namespace tstest {

struct PdfFacts {
    bool readable = false;
    std::vector<double> pageWidths;  // in page order
    std::map<std::string, std::string> info;
};

inline std::string Utf16HexToUtf8(const std::string& hex) {
    std::string out;
    std::vector<unsigned> units;
    for (std::size_t i = 0; i + 4 <= hex.size(); i += 4) units.push_back(std::stoul(hex.substr(i, 4), nullptr, 16));
    std::size_t start = !units.empty() && units[0] == 0xFEFF ? 1 : 0;
    for (std::size_t i = start; i < units.size(); ++i) {
        unsigned cp = units[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units.size()) cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// The literal string starting after "(" at `at`, with its escapes undone.
inline std::string PdfLiteral(const std::string& text, std::size_t at) {
    std::string out;
    for (int depth = 1; at < text.size(); ++at) {
        char c = text[at];
        if (c == '\\' && at + 1 < text.size()) {
            out += text[++at];
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) break;
        out += c;
    }
    return out;
}

inline PdfFacts InspectPdf(const std::string& path) {
    PdfFacts facts;
    std::string pdf = ReadFile(path);
    if (pdf.rfind("%PDF-", 0) != 0 || pdf.find("%%EOF") == std::string::npos) return facts;
    facts.readable = true;
    static const std::regex page(R"(/Type /Page\b[^s][\s\S]*?/MediaBox \[ 0 0 ([0-9.]+) ([0-9.]+) \])");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), page); it != std::sregex_iterator(); ++it)
        facts.pageWidths.push_back(std::stod((*it)[1].str()));
    for (const char* key : {"Title", "Subject", "Keywords", "Creator"}) {
        std::string tag = std::string("/") + key + " ";
        std::size_t at = pdf.find(tag);
        if (at == std::string::npos) continue;
        at += tag.size();
        if (pdf[at] == '(') {
            facts.info[key] = PdfLiteral(pdf, at + 1);
        } else if (pdf[at] == '<') {
            std::size_t end = pdf.find('>', at);
            facts.info[key] = Utf16HexToUtf8(pdf.substr(at + 1, end - at - 1));
        }
    }
    return facts;
}

}  // namespace tstest
