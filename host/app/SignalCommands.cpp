// Console commands for the service providers and the document signals.
#include <cstdio>

#include "ConsoleCommands.h"
#include "Host.h"
#include "IServiceProvider.h"
#include "ServiceRegistry.h"
#include "Signals.h"
#include "Transcript.h"
#include "HexText.h"

namespace tshost {

namespace {

bool Services(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (!args.words.empty()) {
        error = "usage: services";
        return false;
    }
    ServiceRegistry* registry = ServiceRegistry::Current();
    std::vector<ServiceProviderInfo> providers = registry ? registry->Describe() : std::vector<ServiceProviderInfo>();
    if (providers.empty()) Show("no service providers");
    for (const ServiceProviderInfo& p : providers) {
        std::string line = p.className + (p.plugin.empty() ? " (host)" : " (" + p.plugin + ")") + ":";
        for (ServiceID s : p.services) {
            line += " " + Hex(s.Get());
            if (*SignalName(s)) line += std::string("/") + SignalName(s);
        }
        if (p.isDefault) line += " [default]";
        if (p.policy == IServiceProvider::kInstancePerUse) line += " [per use]";
        Show(line);
    }
    return true;
}

bool Signals(ConsoleContext&, const ConsoleArgs& args, std::string& error) {
    if (args.words.size() != 1 || (args.words[0] != "on" && args.words[0] != "off")) {
        error = "usage: signals on|off";
        return false;
    }
    SetSignalEcho(args.words[0] == "on");
    Show(std::string("document signals are ") + (SignalEcho() ? "shown" : "not shown"));
    return true;
}

ConsoleCommand gServices("services", "services", "list the service providers and the services each provides", Services);
ConsoleCommand gSignals("signals", "signals on|off", "show the document signals as they are sent, or stop", Signals);

}  // namespace

}  // namespace tshost
