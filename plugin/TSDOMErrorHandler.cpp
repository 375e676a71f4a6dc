#include "TSDOMErrorHandler.h"

#include <xercesc/dom/DOMError.hpp>
#include <xercesc/dom/DOMLocator.hpp>
#include <xercesc/util/TransService.hpp>

#include "CAlert.h"
#include "PMString.h"

using namespace xercesc;

bool TSDOMErrorHandler::handleError(const DOMError& error) {
    fErrorSeen = true;
    const DOMLocator* where = error.getLocation();
    const XMLCh* text = error.getMessage();
    std::string message;
    if (text) {
        // The host's 8-bit text is UTF-8 whatever the process locale says.
        TranscodeToStr utf8(text, "UTF-8");
        message.assign(reinterpret_cast<const char*>(utf8.str()), utf8.length());
    }
    ShowReport(where ? where->getLineNumber() : 0, where ? where->getColumnNumber() : 0, message.c_str());
    return true;
}

void TSDOMErrorHandler::ShowReport(uint64_t line, uint64_t column, const char* message) {
    PMString report("Line No = ", PMString::kNoTranslate);
    report.AppendNumber(static_cast<int64>(line));
    report.Append(" Col No = ");
    report.AppendNumber(static_cast<int64>(column));
    report.Append(" Error Msg = ");
    report.Append(message);
    report.SetTranslatable(kFalse);
    CAlert::InformationAlert(report);
}
