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

}  // namespace
