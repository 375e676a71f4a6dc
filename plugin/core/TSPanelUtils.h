// Static helpers of the plug-in: the settings folder and the cached project list, the
// conversion between the host's path form and POSIX paths, the machine's description for the
// request headers, the list of all status codes, and the projects panel's widgets, selection
// and buttons. They keep no state but the widgets of the shown projects panel.
// The path and system operations may run on any thread; the rest on the user-interface thread.
#pragma once

#include <cstddef>

#include "IDTypes.h"
#include "K2Vector.h"
#include "PMString.h"

class IControlView;
class IPanelControlData;
class StatusCodeInfo;
class TSPanelNodeData;

class TSPanelUtils {
public:
    // Sizes of the caller buffers the conversions fill.
    static constexpr std::size_t kUnixPathSize = 260;
    static constexpr std::size_t kMacPathSize = 256;

    // The POSIX form of an HFS path into `out` (kUnixPathSize bytes unless said otherwise).
    // False only for a null pointer; a path that cannot be converted or does not fit leaves
    // `out` empty.
    static bool GetAsUnixPath(const char* hfsPath, char* out, std::size_t outSize = kUnixPathSize);
    // The HFS form of a POSIX path into `out` (kMacPathSize bytes unless said otherwise).
    // False only for a null pointer; a path that cannot be converted or does not fit leaves
    // `out` empty.
    static bool GetAsMacPath(const char* posixPath, char* out, std::size_t outSize = kMacPathSize);
    // The HFS form of one POSIX file name, to be joined to an HFS folder path: a ":" in it
    // becomes "/". False, with `hostName` empty, for a name that is no single file name
    // (empty, ".", "..", or holding "/" or NUL).
    static bool GetAsMacName(const PMString& posixName, PMString& hostName);

    // The settings folder's POSIX path without a trailing "/", created when missing; empty when
    // the user's application-support folder cannot be found. Never the filesystem root.
    static PMString GetTessaronFolderPath();
    // `out` receives the cached project list's POSIX path (empty when there is no settings
    // folder); true only when that file exists.
    static bool16 GetTSProjectsFilePath(PMString& out);

    // Appends the machine's hardware model, or a fixed text.
    static void GetSystemOSInfo(PMString& text);
    // Appends the user's full name, the computer's name, the processor text, the memory text
    // and the screen text.
    static void GetSystemDetails(PMString& userName, PMString& workStation, PMString& cpu, PMString& ram,
                                 PMString& screen);

    // Appends every status code of the cached project list.
    static void GetStatusCodesInfo(K2Vector<StatusCodeInfo>& codes);

    // The projects panel. User-interface thread only.
    // A widget of the open panel, not counted; null while the panel is closed.
    static IControlView* GetWidgetOnPanel(WidgetID panelWidgetID, WidgetID widgetID);
    // Copies the first selected tree node into `node`; false when none is selected or the
    // panel is closed.
    static bool16 GetNodeData(TSPanelNodeData& node);
    // Enables or disables the Link and Upload buttons by the first selected node, the open
    // documents and the upload state, touching a button only when its state must change. The
    // idle task's run every 10 ms passes false and takes the selection as last read: the
    // tree announces every change of its selection, by the user or by program, and each
    // announcement runs an update that reads it.
    static void UpdateTSPanelBtnStates(bool readSelection = true);
    // The projects panel's observer gives the panel's children when the panel is shown, and
    // null when it is hidden or destroyed; the widgets live while the panel is shown.
    static void SetShownPanel(IPanelControlData* panel);
};
