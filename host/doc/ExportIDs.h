// The IDs of the host's PDF export, PDF presets, spreads and document metadata: boss
// classes, implementations and host-only interfaces, all in 0x30200..0x302ff. The export
// command's class (0x2505) is the SDK's, in PDFExportCmd.h.
// Plain constants; safe on any thread.
#pragma once

#include "IDTypes.h"

namespace tshost {

// Boss classes.
constexpr ClassID kPDFExportPresetBoss{0x30200};  // one PDF preset, in the workspace database
constexpr ClassID kSpreadBoss{0x30201};           // one spread, in a document's database

// Implementations.
constexpr ImplementationID kPDFPresetListImpl{0x30200};       // persistent, on the workspace
constexpr ImplementationID kPDFPresetPrefsImpl{0x30201};      // persistent, on each preset
constexpr ImplementationID kPDFExportCmdPrefsImpl{0x30202};   // the command's copy of the settings
constexpr ImplementationID kPDFExportCmdImpl{0x30203};
constexpr ImplementationID kPDFExportFileImpl{0x30204};
constexpr ImplementationID kPDFExportUIFlagsImpl{0x30205};
constexpr ImplementationID kPDFExportOutputPagesImpl{0x30206};
constexpr ImplementationID kSpreadListImpl{0x30207};          // persistent, on the document
constexpr ImplementationID kSpreadDataImpl{0x30208};          // persistent, on each spread
constexpr ImplementationID kMetaDataAccessImpl{0x30209};      // persistent, on the document

// Host-only interfaces declare their IDs beside them: ISpreadData 0x30200 (SpreadList.h).

}  // namespace tshost
