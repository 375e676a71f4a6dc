#include "ResourceSections.h"

namespace tshost {

namespace {
ResourceSection*& Head() {
    static ResourceSection* head = nullptr;
    return head;
}
}  // namespace

ResourceSection::ResourceSection(const char* key, CheckFn check, ApplyFn apply)
    : fKey(key), fCheck(check), fApply(apply), fNext(Head()) {
    Head() = this;
}

const ResourceSection* ResourceSection::Find(const std::string& key) {
    for (const ResourceSection* s = Head(); s; s = s->fNext)
        if (key == s->fKey) return s;
    return nullptr;
}

}  // namespace tshost
