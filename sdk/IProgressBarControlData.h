// A progress bar widget inside a panel: its range, its value and how it draws.
// SetStyle chooses the drawing: kPlain (0) an empty track, kIndeterminate (1) a moving bar
// with no value, kDeterminate (2) a bar filled to its value. The value shows at once,
// whatever the flags and the style. Values are clamped into the range.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"

class IProgressBarControlData : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x609 };
    enum Style { kPlain = 0, kIndeterminate = 1, kDeterminate = 2 };

    virtual void SetStyle(int32 style) = 0;
    virtual int32 GetStyle() const = 0;
    virtual void SetMinimum(int32 minimum, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual void SetMaximum(int32 maximum, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual int32 GetMinimum() const = 0;
    virtual int32 GetMaximum() const = 0;
    virtual void SetValue(int32 value, bool16 invalidate = kTrue, bool16 notify = kTrue) = 0;
    virtual int32 GetValue() const = 0;
};
