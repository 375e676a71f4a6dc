#include "ServiceRegistry.h"

#include <algorithm>
#include <cstdio>

#include "BossClasses.h"
#include "Runtime.h"
#include "HostIDs.h"
#include "HostModule.h"
#include "ISession.h"
#include "SignalIDs.h"
#include "Transcript.h"
#include "HexText.h"

namespace tshost {

namespace {

std::vector<std::pair<ClassID, ServiceID>>& HostRegistrations() {
    static std::vector<std::pair<ClassID, ServiceID>> registrations;
    return registrations;
}

// The provider of a host class that brings none of its own.
class HostServiceProvider final : public CPMUnknown<IServiceProvider> {
public:
    explicit HostServiceProvider(IPMUnknown* boss) : CPMUnknown<IServiceProvider>(boss) {}

    void GetName(PMString* name) override {
        if (!name) return;
        const BossClass* c = BossClasses::Get().Find(Class());
        *name = PMString(c ? c->name : std::string(), PMString::kNoTranslate);
    }
    ServiceID GetServiceID() override {
        std::vector<ServiceID> services = HostServicesOf(Class());
        return services.empty() ? kInvalidService : services.front();
    }
    bool16 IsDefaultServiceProvider() override { return kFalse; }
    int32 GetInstantiationPolicy() override { return kInstancePerSession; }
    bool16 HasMultipleIDs() override { return HostServicesOf(Class()).size() > 1 ? kTrue : kFalse; }
    void GetServiceIDs(K2Vector<ServiceID>& serviceIDs) override {
        for (ServiceID s : HostServicesOf(Class())) serviceIDs.push_back(s);
    }

private:
    ClassID Class() const {
        tshost::Boss* boss = tshost::Boss::From(Boss());
        return boss ? boss->GetClass() : kInvalidClass;
    }
};

HostModule gModule("services", 1, [] {
    RegisterHostImplementation(HostImplementation<ServiceRegistry>(kServiceRegistryImpl));
    RegisterHostImplementation(HostImplementation<HostServiceProvider>(kHostServiceProviderImpl));
    BossClasses::Get().AddIn(kSessionBoss, IID_OF<IServiceRegistry>(), kServiceRegistryImpl);
});

}  // namespace

void RegisterHostServiceProvider(ClassID providerClass, ServiceID service) {
    if (!providerClass.IsValid() || !service.IsValid()) return;
    auto& all = HostRegistrations();
    if (std::find(all.begin(), all.end(), std::make_pair(providerClass, service)) == all.end())
        all.emplace_back(providerClass, service);
}

std::vector<ServiceID> HostServicesOf(ClassID providerClass) {
    std::vector<ServiceID> services;
    for (const auto& [cls, service] : HostRegistrations())
        if (cls == providerClass) services.push_back(service);
    return services;
}

ServiceRegistry::~ServiceRegistry() {
    for (std::vector<Entry>* entries : {&fPluginEntries, &fHostEntries})
        for (auto it = entries->rbegin(); it != entries->rend(); ++it)
            if (it->boss) it->boss->Release();
}

ServiceRegistry* ServiceRegistry::Current() {
    Runtime* host = Runtime::Current();
    ISession* session = host ? host->Session() : nullptr;
    InterfacePtr<IServiceRegistry> registry(session);
    // The session holds its registry for as long as it lives.
    return dynamic_cast<ServiceRegistry*>(registry.get());
}

void ServiceRegistry::Scan(ClassID cls, const std::string& plugin, const std::vector<ServiceID>* services,
                           std::vector<Entry>& into) {
    tshost::Boss* boss = tshost::Boss::Create(cls);
    if (!boss) return;
    auto* provider = static_cast<IServiceProvider*>(boss->QueryInterface(IID_OF<IServiceProvider>()));
    if (!provider) {
        boss->Release();
        return;
    }
    Entry entry;
    entry.info.providerClass = cls;
    const BossClass* c = BossClasses::Get().Find(cls);
    entry.info.className = c && !c->name.empty() ? c->name : Hex(cls.Get());
    entry.info.plugin = plugin;
    bool ok = true;
    try {
        PMString name;
        provider->GetName(&name);
        entry.info.name = name.GetUTF8String();
        K2Vector<ServiceID> ids;
        if (services) {
            ids = *services;
        } else if (provider->HasMultipleIDs()) {
            provider->GetServiceIDs(ids);
        } else {
            ids.push_back(provider->GetServiceID());
        }
        for (ServiceID id : ids)
            if (id.IsValid() && std::find(entry.info.services.begin(), entry.info.services.end(), id) == entry.info.services.end())
                entry.info.services.push_back(id);
        entry.info.isDefault = provider->IsDefaultServiceProvider() != kFalse;
        entry.info.policy = provider->GetInstantiationPolicy() == IServiceProvider::kInstancePerUse
                                ? IServiceProvider::kInstancePerUse
                                : IServiceProvider::kInstancePerSession;
    } catch (...) {
        ok = false;
        Diagnose("the service provider " + entry.info.className + (plugin.empty() ? "" : " of " + plugin) +
                 " failed with an exception and is left out");
    }
    provider->Release();
    if (ok && !entry.info.services.empty() && entry.info.policy == IServiceProvider::kInstancePerSession) {
        entry.boss = boss;
    } else {
        boss->Release();
    }
    if (ok && !entry.info.services.empty()) into.push_back(std::move(entry));
}

void ServiceRegistry::Refresh() {
    const auto& registrations = HostRegistrations();
    for (; fHostScanned < registrations.size(); ++fHostScanned) {
        ClassID cls = registrations[fHostScanned].first;
        if (!BossClasses::Get().Exists(cls)) continue;
        bool known = std::any_of(fHostEntries.begin(), fHostEntries.end(),
                                 [&](const Entry& e) { return e.info.providerClass == cls; });
        if (known) {
            for (Entry& e : fHostEntries)
                if (e.info.providerClass == cls) e.info.services = HostServicesOf(cls);
            continue;
        }
        // A plug-in class registered by the host after the registry first looked: the
        // registration decides its services now.
        std::erase_if(fPluginEntries, [&](const Entry& e) {
            if (e.info.providerClass != cls) return false;
            if (e.boss) e.boss->Release();
            return true;
        });
        if (!BossClasses::Get().Resolve(cls, IID_OF<IServiceProvider>()).IsValid())
            BossClasses::Get().AddIn(cls, IID_OF<IServiceProvider>(), kHostServiceProviderImpl);
        std::vector<ServiceID> services = HostServicesOf(cls);
        Scan(cls, {}, &services, fHostEntries);
    }
    Runtime* host = Runtime::Current();
    if (!host) return;
    const std::vector<LoadedPlugin>& plugins = host->Plugins();
    for (; fPluginsScanned < plugins.size(); ++fPluginsScanned) {
        const LoadedPlugin& plugin = plugins[fPluginsScanned];
        for (ClassID cls : plugin.classes) {
            bool registeredByHost = std::any_of(fHostEntries.begin(), fHostEntries.end(),
                                                [&](const Entry& e) { return e.info.providerClass == cls; });
            if (!registeredByHost && BossClasses::Get().Resolve(cls, IID_OF<IServiceProvider>()).IsValid())
                Scan(cls, plugin.name, nullptr, fPluginEntries);
        }
    }
}

std::vector<ServiceRegistry::Entry> ServiceRegistry::EntriesOf(ServiceID service) {
    Refresh();
    // Copies: a provider made while the caller walks them may consult the registry again.
    std::vector<Entry> found;
    for (const std::vector<Entry>* entries : {&fHostEntries, &fPluginEntries})
        for (const Entry& e : *entries)
            if (std::find(e.info.services.begin(), e.info.services.end(), service) != e.info.services.end())
                found.push_back(e);
    return found;
}

IServiceProvider* ServiceRegistry::Provide(const Entry& entry) {
    if (entry.boss) return static_cast<IServiceProvider*>(entry.boss->QueryInterface(IID_OF<IServiceProvider>()));
    tshost::Boss* boss = tshost::Boss::Create(entry.info.providerClass);
    if (!boss) return nullptr;
    auto* provider = static_cast<IServiceProvider*>(boss->QueryInterface(IID_OF<IServiceProvider>()));
    boss->Release();  // the provider's reference keeps the new boss
    return provider;
}

int32 ServiceRegistry::GetServiceProviderCount(ServiceID service) {
    return static_cast<int32>(EntriesOf(service).size());
}

IServiceProvider* ServiceRegistry::QueryNthServiceProvider(ServiceID service, int32 index) {
    std::vector<Entry> entries = EntriesOf(service);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    return Provide(entries[static_cast<std::size_t>(index)]);
}

IServiceProvider* ServiceRegistry::QueryDefaultServiceProvider(ServiceID service) {
    std::vector<Entry> entries = EntriesOf(service);
    if (entries.empty()) return nullptr;
    auto it = std::find_if(entries.begin(), entries.end(), [](const Entry& e) { return e.info.isDefault; });
    return Provide(it != entries.end() ? *it : entries.front());
}

IServiceProvider* ServiceRegistry::QueryServiceProviderByClassID(ServiceID service, ClassID providerClass) {
    for (const Entry& e : EntriesOf(service))
        if (e.info.providerClass == providerClass) return Provide(e);
    return nullptr;
}

std::vector<InterfacePtr<IServiceProvider>> ServiceRegistry::ProvidersOf(ServiceID service) {
    std::vector<InterfacePtr<IServiceProvider>> providers;
    for (const Entry& e : EntriesOf(service)) {
        InterfacePtr<IServiceProvider> provider(Provide(e));
        if (provider) providers.push_back(std::move(provider));
    }
    return providers;
}

std::vector<ServiceProviderInfo> ServiceRegistry::Describe() {
    Refresh();
    std::vector<ServiceProviderInfo> all;
    for (const std::vector<Entry>* entries : {&fHostEntries, &fPluginEntries})
        for (const Entry& e : *entries) all.push_back(e.info);
    return all;
}

}  // namespace tshost
