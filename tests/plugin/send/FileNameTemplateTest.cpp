// The file-name template on its own: pieces, tokens, the dropped tail, the end at a missing
// page range, and the characters no file name may hold.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "TSFileNameTemplate.h"

namespace {

TSFileNameTemplate::Values Sample() {
    TSFileNameTemplate::Values v;
    v.projectCode = PMString("P12");
    v.fileName = PMString("Flyer");
    v.userName = PMString("ana");
    v.pageNumber = PMString("1-5");
    v.userInput = PMString("user_input");
    v.projectGroupName = PMString("Spring");
    v.projectName = PMString("Cover");
    return v;
}

TEST(FileNameTemplate, ExpandsPiecesLeftToRight) {
    const struct {
        const char* templ;
        const char* expected;
    } cases[] = {
        {TSFileNameTemplate::kDefaultTemplate, "P12_Flyer-user_input"},
        {"abc", ""},
        {"$file_name$.pdf", "Flyer"},
        {"$$file_name$", "Flyer"},
        {"$file_name$", "Flyer"},
        {"$FILE_NAME$x$", "FILE_NAMEx"},
        {"$user_name$-$page_number$-$project_group_name$-$project_name$-", "ana-1-5-Spring-Cover"},
        {"$project_name$-$", "Cover-"},
        {"$$$$", ""},
        {"", ""},
        {"a$b$", "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.templ);
        EXPECT_EQ(TSFileNameTemplate::Expand(PMString(c.templ), Sample()).GetUTF8String(), c.expected);
    }
}

TEST(FileNameTemplate, AMissingPageRangeEndsTheExpansion) {
    TSFileNameTemplate::Values v = Sample();
    v.pageNumber.reset();
    bool reached = true;
    EXPECT_EQ(TSFileNameTemplate::Expand(PMString("$project_code$_$page_number$_$user_input$"), v, &reached).GetUTF8String(),
              "P12_");
    EXPECT_FALSE(reached);
    EXPECT_EQ(TSFileNameTemplate::Expand(PMString("$user_input$"), v, &reached).GetUTF8String(), "user_input");
    EXPECT_TRUE(reached);
}

// Names come from the server and from documents: none may lead out of the target folder.
TEST(FileNameTemplate, RemovesEveryCharacterAFileNameMustNotHold) {
    TSFileNameTemplate::Values v = Sample();
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"A/B: C?", "AB C"},
        {"../../etc/passwd", "....etcpasswd"},
        {"::up", "up"},
        {"a\\b<c>d|e*f\"g", "abcdefg"},
        {"100$ Café", "100$ Café"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        v.projectName = PMString(c.name);
        const PMString out = TSFileNameTemplate::Expand(PMString("$project_name$"), v);
        EXPECT_EQ(out.GetUTF8String(), c.expected);
        EXPECT_FALSE(out.GetTranslatable());
    }
}

TEST(FileNameTemplate, DocumentBaseNameEndsAtTheFirstIndd) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"Flyer.indd", "Flyer"}, {"a.indd.indd", "a"}, {"Flyer.INDD", "Flyer.INDD"}, {"Untitled-1", "Untitled-1"}, {".indd", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TSFileNameTemplate::DocumentBaseName(PMString(c.name)).GetUTF8String(), c.expected);
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

// Every kind of broken UTF-8 becomes U+FFFD, one per maximal broken part; well-formed
// characters of every length stay; control characters of C0, DEL and C1 go, and with them
// every character that would lead out of the folder; the name is cut at a character
// boundary to fit 255 bytes with its extension.
TEST(FileNameTemplate, CleanFileNameRepairsTextAndKeepsTheExtension) {
    const std::string r = "\xef\xbf\xbd";
    const struct {
        std::string typed;
        const char* extension;
        std::string expected;  // empty: refused
    } cases[] = {
        {"\xc0\xaf", "pdf", r + r + ".pdf"},                       // overlong "/"
        {"\xe0\x80\xaf", "pdf", r + r + r + ".pdf"},               // overlong, three bytes
        {"\xed\xbf\xbf", "pdf", r + r + r + ".pdf"},               // a surrogate
        {"\xf5\x80\x80\x80", "pdf", r + r + r + r + ".pdf"},       // past U+10FFFF
        {"a\x80" "b", "pdf", "a" + r + "b.pdf"},                   // stray continuation
        {"a\xf0\x9f\x98", "pdf", "a" + r + ".pdf"},                // cut at the end
        {"\xf0\x9f\x98\x80\xe2\x82\xac\xc3\xa9z", "pdf", "\xf0\x9f\x98\x80\xe2\x82\xac\xc3\xa9z.pdf"},
        {"a" + r, "pdf", "a" + r + ".pdf"},
        {"bad\xff\xc3(\xed\xa0\x80\xf4\x90\x80\x80\xe2\x82", "pdf", "bad" + r + r + "(" + Repeat(r, 8) + ".pdf"},
        {"::x/../../y", "pdf", "x....y.pdf"},
        {" \x01 spaced \x02 ", "pdf", "spaced.pdf"},
        {std::string("n\0u\x7f\xc2\x80\xc2\x9f\xc2\xa0l", 11), "pdf", "nu\xc2\xa0l.pdf"},
        {"x.pdf", "pdf", "x.pdf"},
        {"x.Pdf", "pdf", "x.Pdf.pdf"},
        {"x.pdf", "indd", "x.pdf.indd"},
        {"x.", "pdf", "x..pdf"},
        {std::string(251, 'a'), "pdf", std::string(251, 'a') + ".pdf"},
        {std::string(252, 'a'), "pdf", std::string(251, 'a') + ".pdf"},
        {std::string(250, 'a') + "\xc3\xa9", "pdf", std::string(250, 'a') + ".pdf"},
        {std::string(249, 'a') + "\xc3\xa9", "pdf", std::string(249, 'a') + "\xc3\xa9.pdf"},
        {"d" + Repeat("\xc3", 200), "pdf", "d" + Repeat(r, 83) + ".pdf"},
        {std::string(300, 'a'), "indd", std::string(250, 'a') + ".indd"},
        // Zero-width and bidirectional format characters go; their neighbours stay.
        {"\xe2\x80\xaetxt.exe", "pdf", "txt.exe.pdf"},
        {"a\xe2\x80\x8b" "b\xe2\x80\x8f" "c\xe2\x80\xaa" "d\xe2\x81\xa6" "e\xe2\x81\xa9", "indd", "abcde.indd"},
        // Whatever shows nothing goes, by its Unicode properties: U+2029 (a paragraph separator),
        // U+2065 (reserved, default-ignorable), U+206A (format); hair space, hyphen and narrow
        // no-break space show inside a name, and blanks of any kind are trimmed from its ends.
        {"a\xe2\x80\x8a\xe2\x80\x90\xe2\x80\xa9\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa" "b", "pdf",
         "a\xe2\x80\x8a\xe2\x80\x90\xe2\x80\xaf" "b.pdf"},
        {"a\xd8\x9c" "b\xc2\xad" "c\xcd\x8f" "d\xe1\xa0\x8e" "e\xef\xbb\xbf" "f\xf3\xa0\x80\x81" "g", "pdf", "abcdefg.pdf"},
        {"\xe3\x80\x80x\xc2\xa0\xe3\x80\x80", "pdf", "x.pdf"},
        {"\xe2\x81\xa0", "pdf", ""},                                                  // word joiner
        {"\xef\xbb\xbf\xc2\xad\xe1\xa0\x8e\xcd\x8f", "indd", ""},                  // BOM, soft hyphen, U+180E, CGJ
        {"\xe1\x85\x9f\xe3\x85\xa4", "pdf", ""},                                    // Hangul fillers
        {"\xf3\xa0\x80\x81\xf3\xa0\x81\xa1\xf3\xa0\x81\xbf", "pdf", ""},           // tags
        {"\xc2\xa0\xe3\x80\x80\xe2\x80\xa8", "pdf", ""},                            // blanks, line separator
        {"\xd8\x9c", "pdf", ""},                                                      // Arabic letter mark
        {"\xe2\x81\xa0.hidden", "pdf", ""},
        {"\xe3\x80\x80.x", "indd", ""},
        {"  \t", "pdf", ""},
        {".pdf", "pdf", ""},
        {"\x1b\x07", "indd", ""},
        {"\xe2\x80\x8b\xe2\x81\xa7", "pdf", ""},
        // A hidden file would never be seen.
        {".x", "pdf", ""},
        {"..pdf", "indd", ""},
        {" \x01.x.pdf", "pdf", ""},
        {"\xe2\x80\x8e.indd", "pdf", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        PMString name("stale");
        EXPECT_EQ(TSFileNameTemplate::CleanFileName(PMString(c.typed), c.extension, name), !c.expected.empty());
        EXPECT_EQ(name.GetUTF8String(), c.expected);
        EXPECT_LE(name.ByteLength(), 255);
        EXPECT_FALSE(name.GetTranslatable());
    }
}

}  // namespace
