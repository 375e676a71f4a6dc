// The PDF export command (kPDFExportCmdBoss) and its parameter data, plus the test hooks of
// the export. Processing it checks every parameter, then writes exactly the listed pages or
// spreads with the copied settings (PDFWriter.h), advancing the settings' progress bar from
// its minimum to its maximum over the items while the bar is still shown. Any failure leaves
// no file, sets the global error code (which ProcessCommand returns) and keeps a reason
// that LastExportProblem gives. Items must belong to a document that is still open.
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include "PDFExportCmd.h"
#include "Command.h"
#include "IOutputPages.h"
#include "ISysFileData.h"
#include "IUIFlagData.h"

namespace tshost {

// Makes the next `count` exports fail with `code` before anything is written; 0 ends it.
void FailNextExports(int32 count, ErrorCode code = kFailure);
int32 PendingExportFailures();
// Makes every later export take `ms` of a virtual clock's time, as a long export does: both of
// its readings move on and no idle task runs meanwhile. 0 makes exports take no time again.
void SetExportTime(int64 ms);
// Why the last export failed; empty after one that succeeded.
const std::string& LastExportProblem();

class PDFExportCommand final : public Command {
public:
    explicit PDFExportCommand(IPMUnknown* boss) : Command(boss) {}

protected:
    void Do() override;
    PMString* CreateName() override { return new PMString("Export PDF", PMString::kNoTranslate); }

private:
    ErrorCode Export(std::string& problem);
};

class ExportFileData final : public CPMUnknown<ISysFileData> {
public:
    explicit ExportFileData(IPMUnknown* boss) : CPMUnknown<ISysFileData>(boss) {}
    void Set(const IDFile& file) override { fFile = file; }
    IDFile GetSysFile() const override { return fFile; }

private:
    IDFile fFile;
};

class ExportUIFlagData final : public CPMUnknown<IUIFlagData> {
public:
    explicit ExportUIFlagData(IPMUnknown* boss) : CPMUnknown<IUIFlagData>(boss) {}
    void Set(int32 flags) override { fFlags = flags; }
    int32 Get() const override { return fFlags; }

private:
    int32 fFlags = kShowFullUI;
};

class ExportOutputPages final : public CPMUnknown<IOutputPages> {
public:
    explicit ExportOutputPages(IPMUnknown* boss) : CPMUnknown<IOutputPages>(boss) {}
    void Clear() override;
    void SetDataBase(IDataBase* db) override { fDataBase = db; }
    IDataBase* GetDataBase() const override { return fDataBase; }
    void SetIsBook(bool16 isBook) override { fIsBook = isBook != kFalse; }
    bool16 GetIsBook() const override { return fIsBook ? kTrue : kFalse; }
    void AppendOutputPageUIDRef(const UIDRef& item) override;
    int32 GetOutputPageCount() const override { return static_cast<int32>(fItems.size()); }
    UIDRef GetNthOutputPageUIDRef(int32 index) const override;

private:
    IDataBase* fDataBase = nullptr;
    bool fIsBook = false;
    std::vector<UIDRef> fItems;
};

}  // namespace tshost
