// A document's metadata (XMP): stored with the document and saved into its file, so items
// appended in one session are still there, in order, after the document is reopened.
//
// Namespaces are registered for the whole process. Property names are "prefix:name" with
// the prefix registered for the namespace, or a bare name. A name that is not an XML name of
// ASCII letters, digits, "-", "." and "_" (a user name with a blank, a quote, "<", an accent,
// or starting with a digit) is stored under an encoded form: each other character becomes
// "_xHHHH_" (its code point in hex, "José" gives "Jos_x00E9_"), and so does a "_" that
// would otherwise read as the start of such a code. The same name always gives the same
// property, and different names never share one. Item values keep tabs and line breaks;
// other control characters, which XML cannot hold, are stored as blanks.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class IMetaDataAccess : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x12602 };
    enum ArrayForm : int32 { kUnorderedArray = 1, kOrderedArray = 2, kAlternativeArray = 3 };

    // Registers `namespaceURI` (or finds it registered) and gives back the prefix it has,
    // with its trailing colon ("tracking:"); that prefix may differ from the one suggested
    // when another namespace holds it. kFalse, with `registeredPrefix` empty, on failure.
    virtual bool16 RegisterNamespace(const PMString& namespaceURI, const PMString& suggestedPrefix,
                                     PMString& registeredPrefix) = 0;
    // The namespace registered under `prefix`, with or without its colon; kFalse when none.
    virtual bool16 GetNamespaceURI(const PMString& prefix, PMString& namespaceURI) const = 0;
    // Appends `itemValue` after the existing items of the array property, creating it in the
    // form asked for. kFalse, with nothing changed, for an unknown form, a namespace that is
    // not registered, a prefix of another namespace, an empty name, or text that is not UTF-8.
    // Item options other than 0 are not supported and are refused too.
    virtual bool16 AppendArrayItem(const PMString& namespaceURI, const PMString& arrayName, const PMString& itemValue,
                                   int32 arrayForm = kOrderedArray, int32 itemOptions = 0) = 0;
};
