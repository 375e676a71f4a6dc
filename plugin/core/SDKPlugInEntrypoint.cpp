#include "PlugIn.h"
#include "TSID.h"

ISession* gSession = nullptr;

namespace {
PlugIn gPlugIn(kTSPluginID);
}

extern "C" __attribute__((visibility("default"))) PlugIn* GetPlugIn() { return &gPlugIn; }
