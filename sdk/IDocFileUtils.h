// The host's document-file utility (reached with UtilsBoss::QueryUtils): saving and opening
// documents as the user would, with or without the host's messages. Both are synchronous.
// User-interface thread only.
#pragma once

#include "IDFile.h"
#include "IPMUnknown.h"
#include "UIDRef.h"

class IDocFileUtils : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x16309 };

    enum UIFlags : int32 {
        kSuppressUI = 0,  // failures are only returned
        kMinimalUI = 1,   // failures are also shown as error alerts
        kFullUI = 2,      // the same here: this host has no save or open dialogs
    };
    enum OpenMode : int32 {
        kOpenDefault = 0,
        kOpenCopy = 1,  // refused: this host opens documents only as themselves
        kOpenOriginal = 2,
    };

    // Saves the document to the file it has, with no dialog, and clears its modified state.
    // Works during the document's before-close signal. A document never saved to a file
    // cannot be saved this way (kFailure).
    virtual ErrorCode Save(const UIDRef& document, int32 uiFlags) = 0;

    // Opens the document file, makes it the front document and sends the after-open
    // (0xE0F) and front-document (0x16302) signals; sets `document` to its reference. A file
    // open already keeps its window: it becomes the front document when `bringToFront` is
    // true (only the front-document signal is sent then), and `document` names it. A new
    // document always comes to the front. `readOnly` true and kOpenCopy are refused
    // (kInvalidParameterError); `reserved` must be 0. On failure `document` is UIDRef::gNull.
    virtual ErrorCode OpenDoc(UIDRef& document, const IDFile& file, int32 openMode, int32 uiFlags, bool16 readOnly,
                              bool16 bringToFront, int32 reserved) = 0;
};
