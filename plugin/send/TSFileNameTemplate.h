// The send dialog's file-name template: "$"-delimited pieces, each either a token name
// ("project_code", "file_name", "user_name", "page_number", "user_input",
// "project_group_name", "project_name") replaced by its value, or literal text copied as it
// is; text after the last "$" is dropped. The expanded name loses every character a file
// name must not hold (": / \" ? \\ < > | *"), so a name built from a project's or a
// document's name can never point into another folder.
//
// g_FileNameDefination is the template of the open send dialog: cleared when the dialog
// opens, loaded from the cached project list (or the default) for the folder targets, and
// re-expanded on every edit. The token sources read the projects panel's selection, the front
// document and the preferences. User-interface thread only.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "PMString.h"
#include "UIDRef.h"

class IDocument;

extern PMString g_FileNameDefination;

class TSFileNameTemplate {
public:
    static constexpr const char* kDefaultTemplate = "$project_code$_$file_name$-$user_input$";

    // The values the tokens stand for. A missing page range ends the expansion at the
    // "page_number" token: that piece and every piece after it are dropped.
    struct Values {
        PMString projectCode;
        PMString fileName;
        PMString userName;
        std::optional<PMString> pageNumber;
        PMString userInput;
        PMString projectGroupName;
        PMString projectName;
    };

    // The expanded, cleaned name, not translatable. `reachedUserInput`, when given, tells
    // whether the expansion came to a "user_input" token.
    static PMString Expand(const PMString& templateText, const Values& values, bool* reachedUserInput = nullptr);
    // Removes every character a file name must not hold.
    static void RemoveForbiddenCharacters(PMString& name);

    // Longest file name, in bytes, that file systems take.
    static constexpr std::size_t kMaxFileNameBytes = 255;
    // `text` without the characters that show nothing (controls, format characters, line and
    // paragraph separators, bidirectional controls and every other default-ignorable character,
    // by ICU's Unicode properties), each ill-formed UTF-8 sequence replaced by U+FFFD, and
    // blanks of any kind (U+00A0, U+3000 too) trimmed from both ends; not translatable. Empty
    // for a name that would show nothing or only blanks.
    static PMString VisibleText(const PMString& text);
    // A name typed or expanded in the send dialog made into the name of a file in a target
    // folder: the forbidden characters dropped, the rest made VisibleText, "." and `extension`
    // appended unless the name already has exactly that extension, and the part before the
    // extension cut at a character boundary so the whole fits kMaxFileNameBytes. False, with
    // `name` empty, when nothing but the extension would be left or the name would be hidden
    // (IsVisibleFileName).
    static bool CleanFileName(const PMString& typed, std::string_view extension, PMString& name);

    // False for an empty name and for one that starts with ".": file browsers and hot-folder
    // servers pass over such a file as hidden.
    static bool IsVisibleFileName(const PMString& name);

    // The document's name up to its first ".indd" (case-sensitive), or the whole name.
    static PMString DocumentBaseName(const PMString& documentName);
    // The values of the project, document and user tokens from the panel's selection, the
    // front document and the preferences; the page range and the user input are the caller's.
    static Values CurrentValues();
    // Every page of `document` in page order, in its database.
    static bool16 AllPages(IDocument* document, UIDList& pages);
    // The host's range text of every page of `document`; false without a document or pages.
    static bool16 AllPagesRangeText(IDocument* document, PMString& range);
};
