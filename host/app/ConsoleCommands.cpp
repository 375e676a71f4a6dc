#include "ConsoleCommands.h"

#include <algorithm>
#include <cstring>

#include "Host.h"

namespace tshost {

namespace {
ConsoleCommand*& Head() {
    static ConsoleCommand* head = nullptr;
    return head;
}
}  // namespace

ConsoleCommand::ConsoleCommand(const char* name, const char* usage, const char* summary, Handler handler)
    : fName(name), fUsage(usage), fSummary(summary), fHandler(handler), fNext(Head()) {
    Head() = this;
}

const ConsoleCommand* ConsoleCommand::Find(std::string_view name) {
    for (const ConsoleCommand* c = Head(); c; c = c->fNext)
        if (name == c->fName) return c;
    return nullptr;
}

std::vector<const ConsoleCommand*> ConsoleCommand::All() {
    std::vector<const ConsoleCommand*> all;
    for (const ConsoleCommand* c = Head(); c; c = c->fNext) all.push_back(c);
    std::sort(all.begin(), all.end(), [](const ConsoleCommand* a, const ConsoleCommand* b) { return std::strcmp(a->Name(), b->Name()) < 0; });
    return all;
}

bool Usage(const char* name, std::string& error) {
    error = std::string("usage: ") + ConsoleCommand::Find(name)->Usage();
    return false;
}

IDocument* FrontOrNamed(Host& host, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) return host.Docs().Find(args.words[0], error);
    IDocument* front = host.Docs().Front();
    if (!front) error = "no document is open";
    return front;
}

}  // namespace tshost
