// The usage log of the open documents: per document an active-time timer, the seconds it
// was actively worked on, the seconds spent exporting it as PDF, and its tracking lines
// (one-line tag records of opening, activity, application switches, exports, sends and
// closing). At close the lines go into the document's XMP metadata, in an array property of
// the tracking namespace named after the user. The mapper only records: the document
// responder, the idle trackers, the layout view's handler and the send workflow decide when.
//
// Times are clock values (Time()): seconds elapsed on the host's steady clock since the
// mapper was made, so periods over midnight, a change to or from summer time or a setting of
// the date and time count what they really lasted. The lines show the local date and time of
// day the host's clock showed at a clock value.
//
// One process-wide object, made on the first TSActiveMapperFactory() call and never freed.
// User-interface thread only: there are no locks, and the creation is not guarded.
#pragma once

#include <map>
#include <utility>

#include "K2Vector.h"
#include "PMString.h"
#include "PMTypes.h"
#include "UIDRef.h"

class TSActiveMapper {
public:
    // The one mapper, made on the first call. Callers ask for it each time.
    static TSActiveMapper* TSActiveMapperFactory();
    static TSActiveMapper* TSActiveMapperPtr;

    // The clock: seconds elapsed on the host's steady clock since the mapper was made.
    int32 Time();
    // The local time of day of clock value `t`, seconds since midnight (0..86399), as the
    // host's clock showed it then (read back from the clock now): what the lines show.
    int32 TimeOfDay(int32 t);

    bool16 IsTracked(UIDRef doc);
    // Start of the document's current active period; 0 when it is not tracked.
    int32 LookUpActiveTime(UIDRef doc);
    // Restarts the document's active period at `t`; nothing for an untracked document.
    void UpdateActiveTimer(UIDRef doc, int32 t);
    // Books the seconds from the period's start up to `t` as active; the timer stays.
    void ModifyActiveTime(UIDRef doc, int32 t);
    void ModifyPdfGenerationTime(UIDRef doc, int32 seconds);
    // Starts tracking the document with its period beginning at `t`; nothing when tracked.
    void AddAction(UIDRef doc, int32 t);

    // Appends a line to the document's log, after every earlier line of it.
    void UpdateMonitorLog(UIDRef doc, PMString line);
    void ClearMonitorLog(UIDRef doc);

    // Append to `text`: today's date as YYYYMMDD; a duration or time of day as HH:MM:SS
    // (hours grow past 99 for long durations).
    void DateConversion(PMString& text);
    void TimeConversion(int32 seconds, PMString& text);

    // The tracking lines, stamped with the date and the time of day of `t`.
    void UpdateFirstActiveEntry(UIDRef doc, int32 t);
    void UpdateActiveEntry(UIDRef doc, int32 t);
    void UpdateInactiveEntry(UIDRef doc, int32 t);
    // Into the log of every open document.
    void UpdateActiveAppEntry(int32 t);
    void UpdateInactiveAppEntry(int32 t);

    // Appends the close, active-total and PDF-total lines and stops tracking the document;
    // nothing at all for an untracked document.
    void CloseXMPFile(UIDRef doc, int32 t);
    // Appends the document's lines to its metadata under the user's name, then saves a
    // document that has a file; writes nothing without a user name or while the document
    // has unsaved changes. The log itself is left as it is.
    void UpdateXMPProperty(UIDRef doc);

private:
    TSActiveMapper();

    using Entry = std::pair<UIDRef, int32>;

    // Index of the document's last entry in `entries`, or -1.
    static int32 LastIndexOf(const K2Vector<Entry>& entries, const UIDRef& doc);
    // The host's wall clock at clock value `t`, in whole seconds since the epoch.
    int64 WallSeconds(int32 t);
    // Appends "DATE TIME" of clock value `t` to `text`.
    void AppendStamp(int32 t, PMString& text);
    void AppendStampedLine(UIDRef doc, const char* tag, int32 t);
    void AppendToOpenDocuments(const char* tag, int32 t);

    // Parallel: entry i of each belongs to the same document.
    K2Vector<Entry> mActiveTimers;
    K2Vector<Entry> mActiveTimes;
    K2Vector<Entry> mPdfGenerationTimes;
    std::multimap<UIDRef, PMString> mMonitorLog;
    // The host's steady clock, in milliseconds, at clock value 0.
    int64 mClockOrigin;
};
