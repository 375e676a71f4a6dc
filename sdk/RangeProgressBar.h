// A progress bar the user sees while a long operation runs: a title (a string key, translated
// when shown), a range and a position. Destroying it removes it. User-interface thread only.
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

private:
    PMString fTitle;
    int32 fPosition;
};
