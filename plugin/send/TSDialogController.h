// The send dialog's controller (view 250). When the dialog opens it shows the rows of the
// send target chosen in the preferences, fills the preset and status drop-downs and the file
// name, selects all pages and sizes the dialog; when the user confirms it sends the front
// document to that target: a PDF uploaded to the proofing server by a worker thread, a PDF
// in the export folder, or a job ticket in an InDesign Server hot folder; then it links the
// document to the selected project and logs the send.
//
// The temporary PDF of a server send lies in a folder of its own, made for that send with
// mode 0700 under "/tmp/" and named "tessaron-send-XXXXXX", under the document's name with
// ".pdf": no other user can put a file where the upload will read, and no earlier file at
// that path can pass for the export's result. The upload thread deletes the PDF and the
// folder.
// User-interface thread only.
#pragma once

#include <cstddef>

#include "CDialogController.h"
#include "PMString.h"

class IDocument;
class IPanelControlData;

class TSDialogController : public CDialogController {
public:
    // Longest POSIX path of the temporary PDF, terminator excluded; the document's name is
    // cut to fit.
    static constexpr std::size_t kTempPdfPathMax = 255;

    explicit TSDialogController(IPMUnknown* boss);

    void InitializeDialogFields(IActiveContext* context) override;
    WidgetID ValidateDialogFields(IActiveContext* context) override;
    void ApplyDialogFields(IActiveContext* context, const WidgetID& widgetID) override;

    // Exports the temporary PDF of a server send; on success its POSIX path goes into
    // `pdfPath` (`size` bytes), which is left empty otherwise.
    bool16 SendToTessaron(PMString docName, char* pdfPath, std::size_t size);
    // Exports a PDF named `fileName` (".pdf" added unless it ends so) into `folder`.
    bool16 SendToFolder(const PMString& folder, const PMString& fileName);
    // Writes the job ticket "<docName>.xml" into `hotFolder`.
    bool16 SendToIDServer(IDocument* doc, const PMString& hotFolder, const PMString& docName,
                          const PMString& fileName, const PMString& projectCode);

    // Exports the front document's chosen pages with the named preset (or
    // "[High Quality Print]" when there is none of that name) to `filePath`, a host path, and
    // logs the export. True only when the export succeeded.
    bool16 ExportAsPDF(const PMString& presetName, PMString filePath);
    // Stores the selected project and the chosen status in the document, and records a
    // saved document's path with the project.
    void UpdateDocumentData(IDocument* doc);

    void InitializePreset();
    void InitializeStatus();
    void InitializePages();
    void ResizeDialog(const PMString& sendToOption);
    void SetDialogTitle(const PMString& sendTo);
    void InitializeFilename();

    // The POSIX path of a server send's temporary PDF for a document of that base name, in a
    // new private folder; empty when no folder can be made.
    static PMString MakeTempPdfPath(const PMString& baseName);
};
