// Making objects that live outside any document: a widget tree from a plug-in's view
// resource, or a boss of a class (such as the folder dialog, class 0xE1C).
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "RsrcSpec.h"

class IDataBase;

// Builds the view `spec` names, with every child widget, and returns interface `iid` of its
// top widget, counted; null when the view or the interface does not exist. `db` is the
// database of the asking widget; the host's widgets live in no database, so it may be null.
IPMUnknown* CreateObject(IDataBase* db, const RsrcSpec& spec, PMIID iid);
// A new boss of class `cls`; its interface `iid`, counted, or null.
IPMUnknown* CreateObject(ClassID cls, PMIID iid);
