// Loading a plug-in: open its library (RTLD_NOW | RTLD_LOCAL), find GetPlugIn, read its
// resource file, call LoadFactories with the session, check that every implementation the
// resource file names is registered, then define its classes, add its add-ins and string
// tables. A plug-in is taken whole or not at all: any problem leaves nothing of it
// registered and gives an error naming the file. A library whose GetPlugIn was called is
// never unloaded again, since the plug-in may have kept pointers into the host.
// User-interface thread only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "IDTypes.h"
#include "PlugIn.h"

namespace tshost {

struct LoadedPlugin {
    PluginID id;
    std::string name;
    std::string file;          // the library, or how a linked-in plug-in was named
    std::string resourceFile;
    std::vector<ClassID> classes;  // the classes its resource file defined, in file order
};

// Loads the plug-in library at `path`; its resource file is ResourcePathFor(path).
std::optional<LoadedPlugin> LoadPluginLibrary(const std::string& path, ISession* session,
                                              const std::vector<LoadedPlugin>& loaded, std::string& error);
// Loads a plug-in linked into the program (tests): `entry` stands for its GetPlugIn.
std::optional<LoadedPlugin> LoadLinkedPlugin(GetPlugInFn entry, const std::string& resourcePath, ISession* session,
                                             const std::vector<LoadedPlugin>& loaded, std::string& error);

// The plug-in whose factories are being loaded now, or kInvalidPlugin.
PluginID PluginBeingLoaded();
// Called by the implementation registry for each registration it refused.
void NoteRegistrationProblem(const std::string& problem);

}  // namespace tshost
