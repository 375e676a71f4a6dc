// Console commands for documents and the undo history.
#include <charconv>

#include "ConsoleCommands.h"
#include "Host.h"
#include "PMString.h"
#include "Transcript.h"
#include "UndoHistory.h"

namespace tshost {

namespace {

bool New(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() > 1) return Usage("new", error);
    int32 pages = 1;
    if (!args.words.empty()) {
        const std::string& text = args.words[0];
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pages);
        if (ec != std::errc() || end != text.data() + text.size()) {
            error = "PAGES must be a number from 1 to " + std::to_string(Documents::kMaxPages) + ", not '" + text + "'";
            return false;
        }
    }
    IDocument* document = context.host.Docs().New(pages, error);
    if (!document) return false;
    Show("new document " + Documents::NameOf(document) + " (" + std::to_string(pages) + (pages == 1 ? " page)" : " pages)"));
    return true;
}

bool Open(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1) return Usage("open", error);
    int32 before = context.host.Docs().Count();
    IDocument* document = context.host.Docs().Open(args.words[0], error);
    if (!document) return false;
    Show(context.host.Docs().Count() == before ? Documents::NameOf(document) + " is open already: brought to the front"
                                               : "opened " + Documents::NameOf(document));
    return true;
}

bool Save(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("save", error);
    IDocument* document = FrontOrNamed(context.host, args, error);
    if (!document || !context.host.Docs().Save(document, error)) return false;
    Show("saved " + Documents::NameOf(document));
    return true;
}

bool SaveAs(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1) return Usage("save-as", error);
    IDocument* document = context.host.Docs().Front();
    if (!document) {
        error = "no document is open";
        return false;
    }
    std::string before = Documents::NameOf(document);
    if (!context.host.Docs().SaveAs(document, args.words[0], error)) return false;
    Show("saved " + before + " as " + Documents::DataBaseOf(document)->Path());
    return true;
}

bool Close(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() > 1) return Usage("close", error);
    IDocument* document = FrontOrNamed(context.host, args, error);
    if (!document) return false;
    std::string name = Documents::NameOf(document);
    bool discarded = Documents::DataBaseOf(document)->IsModified();
    context.host.Docs().Close(document);
    Show("closed " + name + (discarded ? " (unsaved changes discarded)" : ""));
    return true;
}

bool Front(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1) return Usage("front", error);
    IDocument* document = context.host.Docs().Find(args.words[0], error);
    if (!document) return false;
    context.host.Docs().BringToFront(document);
    Show("front document: " + Documents::NameOf(document));
    return true;
}

bool List(ConsoleContext& context, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("list", error);
    Documents& docs = context.host.Docs();
    if (docs.Count() == 0) Show("no documents open");
    for (int32 i = 0; i < docs.Count(); ++i) {
        IDocument* document = docs.At(i);
        DataBase* db = Documents::DataBaseOf(document);
        std::string line = document == docs.Front() ? "* " : "  ";
        line += Documents::NameOf(document);
        if (db->IsModified()) line += " [modified]";
        if (!db->Path().empty()) line += " " + db->Path();
        Show(line);
    }
    return true;
}

bool Undo(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("undo", error);
    UndoHistory& history = UndoHistory::Get();
    PMString name = history.UndoName();
    Show(history.Undo() ? "undone: " + DisplayText(name) : std::string("nothing to undo"));
    return true;
}

bool Redo(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return Usage("redo", error);
    UndoHistory& history = UndoHistory::Get();
    PMString name = history.RedoName();
    Show(history.Redo() ? "redone: " + DisplayText(name) : std::string("nothing to redo"));
    return true;
}

ConsoleCommand gNew("new", "new [PAGES]", "make a new document with PAGES pages (1 when not given)", New);
ConsoleCommand gOpen("open", "open PATH", "open a document file", Open);
ConsoleCommand gSave("save", "save", "save the front document to its file", Save);
ConsoleCommand gSaveAs("save-as", "save-as PATH", "save the front document to a new file", SaveAs);
ConsoleCommand gClose("close", "close [NAME]", "close the front document or the one named (unsaved changes are lost)", Close);
ConsoleCommand gFront("front", "front NAME", "bring a document to the front", Front);
ConsoleCommand gList("list", "list", "list the open documents: * front, [modified]", List);
ConsoleCommand gUndo("undo", "undo", "undo the last command", Undo);
ConsoleCommand gRedo("redo", "redo", "redo the last undone command", Redo);

}  // namespace

}  // namespace tshost
