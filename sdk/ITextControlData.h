// The text of a text widget: an edit box, a static text, or a drop-down (whose text is its
// selected entry's, "" when none is selected; setting it selects the entry with that text).
// SetString shows the text at once whatever the flags say; it broadcasts nothing (see
// WidgetIDs.h), so a program's settings never look like user edits. The text is shown
// translated when it is still translatable. User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class ITextControlData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x603 };

    virtual void SetString(const PMString& text, bool16 invalidate = kTrue, bool16 notifyOfChange = kTrue,
                           bool16 notifyDuringUndo = kTrue) = 0;
    virtual PMString GetString() const = 0;
};
