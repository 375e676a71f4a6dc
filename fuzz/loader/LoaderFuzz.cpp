// The document and workspace loader on arbitrary bytes, as from a damaged or hostile file:
// the bytes become a SQLite file that is opened as a document and as a workspace. Every
// persistent implementation of every object is then read, and what it holds must write out
// and read back whole; the document's XMP packet is read and appended to, and a packet that
// cannot be read must be set aside whole by that append. Nothing may crash, leak or hang.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Alerts.h"
#include "BossClasses.h"
#include "DataBase.h"
#include "FuzzHost.h"
#include "Host.h"
#include "HostIDs.h"
#include "IDocument.h"
#include "IMetaDataAccess.h"
#include "ImplRegistry.h"
#include "InterfacePtr.h"
#include "MetaData.h"

namespace {

const char* const kNamespace = "http://ns.tessaron.test/fuzz/1.0/";

tshost::Host* gHost = nullptr;
std::string gInput;

void Check(bool condition) {
    if (!condition) std::abort();
}

// SQLite leaves journals beside a file it opened; one left from an earlier input would
// be replayed into the next.
void RemoveInput() {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::remove((gInput + suffix).c_str());
}

void ReadEveryImplementation(tshost::DataBase& db) {
    for (UID uid : db.UIDs()) {
        tshost::Boss* boss = db.GetBoss(uid);
        if (!boss) continue;
        for (const auto& [iid, impl] : tshost::BossClasses::Get().AllInterfaces(db.GetClass(uid))) {
            const tshost::ImplEntry* entry = tshost::ImplRegistry::Get().Find(impl);
            if (!entry || !entry->Persistent()) continue;
            tshost::Boss::Slot* slot = boss->InstantiateImpl(impl);
            if (!slot) continue;
            const std::string bytes = tshost::Boss::Serialize(*slot);
            Check(tshost::Boss::Deserialize(*slot, bytes));
            Check(tshost::Boss::Serialize(*slot) == bytes);
        }
    }
}

void ReadMetadata(IDocument* document) {
    const std::string packet = tshost::MetadataPacket(document);
    const bool readable = tshost::ReadAllMetadata(document).has_value();
    const std::size_t asideBefore = tshost::SetAsideMetadata(document).size();
    InterfacePtr<IMetaDataAccess> access(document, IID_OF<IMetaDataAccess>());
    Check(access != nullptr);
    PMString prefix;
    access->RegisterNamespace(PMString(kNamespace, PMString::kNoTranslate), PMString("fz", PMString::kNoTranslate), prefix);
    const bool appended = access->AppendArrayItem(PMString(kNamespace, PMString::kNoTranslate),
                                                  PMString("fz:seen", PMString::kNoTranslate),
                                                  PMString("1", PMString::kNoTranslate)) != kFalse;
    if (!appended) {
        Check(tshost::MetadataPacket(document) == packet);
        return;
    }
    Check(tshost::ReadAllMetadata(document).has_value());
    // A damaged packet is never lost: the append that replaced it set it aside.
    if (!packet.empty() && !readable) {
        const std::vector<std::string> aside = tshost::SetAsideMetadata(document);
        Check(aside.size() == asideBefore + 1 && aside.back() == packet);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string home;
    gHost = &tsfuzz::LaunchHost("loader", home);
    gInput = home + "/input.tsd";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    RemoveInput();
    FILE* file = std::fopen(gInput.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);

    std::string error;
    if (IDocument* document = gHost->Docs().Open(gInput, error)) {
        tshost::DataBase* db = tshost::Documents::DataBaseOf(document);
        Check(db != nullptr);
        ReadEveryImplementation(*db);
        ReadMetadata(document);
        Check(gHost->Docs().Close(document));
    } else {
        Check(!error.empty());
    }

    error.clear();
    if (std::unique_ptr<tshost::DataBase> workspace = tshost::DataBase::Open(gInput, error)) {
        if (workspace->GetClass(workspace->GetRootUID()) == tshost::kWorkspaceBoss) ReadEveryImplementation(*workspace);
    } else {
        Check(!error.empty());
    }
    tshost::AlertLog::Get().Clear();
    return 0;
}
