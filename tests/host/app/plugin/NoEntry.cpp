// A library that is no plug-in: it has no GetPlugIn.
extern "C" int HostTestNoEntryMarker() { return 1; }
