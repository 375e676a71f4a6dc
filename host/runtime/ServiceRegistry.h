// The service registry, interface 0x120 of the session: every service provider the host
// knows, and the host's own route to the responders of a signal.
//
// Where providers come from:
//   - host classes registered with RegisterHostServiceProvider (the Preferences dialog,
//     service 0x698 with class 0x63c, is registered by the dialog's subsystem);
//   - every boss class a loaded plug-in's resource file defines whose interfaces, its
//     parents' included, answer IServiceProvider.
// The registry looks for them the first time it is consulted after plug-ins were loaded
// (in practice when the first document signal is sent or a plug-in first asks): it makes one
// boss of each class, reads the provider's service IDs (GetServiceIDs when HasMultipleIDs,
// else GetServiceID), default flag, name and instantiation policy, keeps that boss for a
// provider of kInstancePerSession and releases it for one of kInstancePerUse, which gets a
// new boss each time it is handed out. Order: host registrations first, then plug-ins in
// load order and resource-file order. A provider whose calls throw is left out, with a
// diagnostic. The kept bosses are released with the session, before the host forgets its
// classes.
//
// The responder of a provider is IResponder on the provider's own boss.
// User-interface thread only.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "CPMUnknown.h"
#include "IServiceProvider.h"
#include "IServiceRegistry.h"
#include "InterfacePtr.h"

namespace tshost {

struct ServiceProviderInfo {
    ClassID providerClass;
    std::string className;
    std::string plugin;     // the plug-in's name; empty for the host's own
    std::string name;       // what GetName gave, untranslated
    std::vector<ServiceID> services;
    bool isDefault = false;
    int32 policy = IServiceProvider::kInstancePerSession;
};

// Makes `providerClass`, a host class, a provider of `service`. May be called at any time,
// from a HostModule function too; a repeated call does nothing, and the registration holds
// for every later host in the process. A class that answers no IServiceProvider is given the
// host's generic one, which names the services registered for its class. A class not
// defined when the registry looks is skipped.
void RegisterHostServiceProvider(ClassID providerClass, ServiceID service);
// The services registered for a host class, in registration order.
std::vector<ServiceID> HostServicesOf(ClassID providerClass);

class ServiceRegistry final : public CPMUnknown<IServiceRegistry> {
public:
    explicit ServiceRegistry(IPMUnknown* boss) : CPMUnknown<IServiceRegistry>(boss) {}
    ~ServiceRegistry() override;

    // The current host's registry, held by its session (not counted); null when there is no
    // host or its session answers no registry.
    static ServiceRegistry* Current();

    int32 GetServiceProviderCount(ServiceID service) override;
    IServiceProvider* QueryNthServiceProvider(ServiceID service, int32 index) override;
    IServiceProvider* QueryDefaultServiceProvider(ServiceID service) override;
    IServiceProvider* QueryServiceProviderByClassID(ServiceID service, ClassID providerClass) override;

    // Every provider of `service`, in order, counted.
    std::vector<InterfacePtr<IServiceProvider>> ProvidersOf(ServiceID service);
    std::vector<ServiceProviderInfo> Describe();

private:
    struct Entry {
        ServiceProviderInfo info;
        IPMUnknown* boss = nullptr;  // one reference, owned by the registry's own entry; kInstancePerSession only
    };

    void Refresh();
    void Scan(ClassID cls, const std::string& plugin, const std::vector<ServiceID>* services, std::vector<Entry>& into);
    std::vector<Entry> EntriesOf(ServiceID service);
    IServiceProvider* Provide(const Entry& entry);

    std::vector<Entry> fHostEntries;
    std::vector<Entry> fPluginEntries;
    std::size_t fHostScanned = 0;
    std::size_t fPluginsScanned = 0;
};

}  // namespace tshost
