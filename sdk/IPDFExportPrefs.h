// The settings of a PDF export: on each PDF preset (persistent, in the session workspace)
// and on the PDF export command (a copy made for one export). The progress bar is not a
// setting that is saved: it is the bar the export advances, handed over for one export and
// carried along by CopyPrefs, so a bar given to a preset reaches the command that copies it.
// The export moves a bar only while it is still shown; a bar destroyed since is left alone.
// User-interface thread only.
#pragma once

#include "IPMUnknown.h"
#include "PMString.h"

class RangeProgressBar;

class IPDFExportPrefs : public IPMUnknown {
public:
    enum : uint32 { kDefaultIID = 0x2507 };

    // Copies every setting of `from`, and its progress bar; null copies nothing.
    virtual void CopyPrefs(const IPDFExportPrefs* from) = 0;

    // The name of the preset the settings came from ("[High Quality Print]").
    virtual PMString GetPresetName() const = 0;
    virtual void SetPresetName(const PMString& name) = 0;

    // kTrue: each output item is written as one PDF page per spread, pages side by side.
    virtual bool16 GetExportReaderSpreads() const = 0;
    virtual void SetExportReaderSpreads(bool16 spreads) = 0;

    // Not owned; null for none.
    virtual void SetProgressBar(RangeProgressBar* bar) = 0;
    virtual RangeProgressBar* GetProgressBar() const = 0;
};
