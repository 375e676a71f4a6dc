// A progress bar the user sees while a long operation runs: a title (a string key, translated
// when shown), a range and a position. Destroying it removes it. A bar made with `showCancel`
// offers the user a way to cancel the operation, which WasCancelled then tells (the console
// host takes a first SIGINT or SIGTERM as that Cancel). User-interface thread only.
#pragma once

#include "PMString.h"

class RangeProgressBar {
public:
    RangeProgressBar(const PMString& title, int32 minimum, int32 maximum, bool16 showCancel = kFalse);
    ~RangeProgressBar();
    RangeProgressBar(const RangeProgressBar&) = delete;
    RangeProgressBar& operator=(const RangeProgressBar&) = delete;

    void SetPosition(int32 position);
    void SetTaskText(const PMString& text);
    // True once the user cancelled; always false for a bar that offers no Cancel.
    bool16 WasCancelled() const;

private:
    PMString fTitle;
    int32 fPosition;
    bool16 fCancellable;
};
