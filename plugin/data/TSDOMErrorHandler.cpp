#include "TSDOMErrorHandler.h"

#include <xercesc/dom/DOMError.hpp>
#include <xercesc/dom/DOMLocator.hpp>
#include <xercesc/util/TransService.hpp>

#include "CAlert.h"
#include "PMString.h"

using namespace xercesc;

bool TSDOMErrorHandler::handleError(const DOMError& error) {
    if (fCount > 0) {
        ++fCount;
        return true;
    }
    const DOMLocator* where = error.getLocation();
    const XMLCh* text = error.getMessage();
    std::string message;
    if (text) {
        // The host's 8-bit text is UTF-8 whatever the process locale says.
        TranscodeToStr utf8(text, "UTF-8");
        message.assign(reinterpret_cast<const char*>(utf8.str()), utf8.length());
    }
    Add(where ? where->getLineNumber() : 0, where ? where->getColumnNumber() : 0, message);
    return true;
}

void TSDOMErrorHandler::Add(uint64_t line, uint64_t column, const std::string& message) {
    if (fCount++ > 0) return;
    fLine = line;
    fColumn = column;
    fMessage = message;
}

void TSDOMErrorHandler::ShowReports() {
    if (fCount == 0 || fShown) return;
    fShown = true;
    ShowReport(fLine, fColumn, fMessage.c_str(), fCount - 1);
}

void TSDOMErrorHandler::ShowReport(uint64_t line, uint64_t column, const char* message, uint64_t further) {
    PMString report("Line No = ", PMString::kNoTranslate);
    report.AppendNumber(static_cast<int64>(line));
    report.Append(" Col No = ");
    report.AppendNumber(static_cast<int64>(column));
    report.Append(" Error Msg = ");
    report.Append(message);
    if (further > 0) {
        report.Append(" (and ");
        report.AppendNumber(static_cast<int64>(further));
        report.Append(further == 1 ? " further error)" : " further errors)");
    }
    report.SetTranslatable(kFalse);
    CAlert::InformationAlert(report);
}
