// SDK base of edit-box event handlers. KeyCmd applies one keystroke to the edit box's text
// (the ITextControlData of the handler's own boss): a character is inserted at the end, the
// backspace and delete keys remove the last character; other keys change nothing. The host
// delivers every edit keystroke of an edit box as KeyCmd and then KeyUp, so a handler that
// announces edits on KeyUp sees the text already changed. Returns kTrue for a key it applied.
// CEditBoxEventHandler is the same class under the name plug-in code derives from.
// User-interface thread only.
#pragma once

#include "CEventHandler.h"

class MEditBoxEventHandler : public CEventHandler {
public:
    explicit MEditBoxEventHandler(IPMUnknown* boss) : CEventHandler(boss) {}

    bool16 KeyCmd(IEvent* e) override;
    bool16 KeyUp(IEvent* e) override { return kTrue; }
    bool16 CanHaveKeyFocus() const override { return kTrue; }
    bool16 WantsTabKeyFocus() const override { return kTrue; }
};

using CEditBoxEventHandler = MEditBoxEventHandler;
