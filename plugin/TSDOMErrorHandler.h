// Receives the XML library's reports while a projects file is parsed or a job ticket is
// written. Each report, whatever its severity, is shown to the user as an information alert
// ("Line No = …") and remembered, so that the caller can tell a failed parse from a good one:
// the library hands back a partial document even after a fatal error.
// User-interface thread only; one handler serves one parse or one write.
#pragma once

#include <xercesc/dom/DOMErrorHandler.hpp>

class TSDOMErrorHandler : public xercesc::DOMErrorHandler {
public:
    TSDOMErrorHandler() = default;
    TSDOMErrorHandler(const TSDOMErrorHandler&) = delete;
    TSDOMErrorHandler& operator=(const TSDOMErrorHandler&) = delete;
    ~TSDOMErrorHandler() override = default;

    // Always true: the library goes on as far as it can, so one file may bring several alerts.
    bool handleError(const xercesc::DOMError& error) override;

    bool ErrorSeen() const { return fErrorSeen; }

    // Shows one report in the form the library's reports take.
    static void ShowReport(uint64_t line, uint64_t column, const char* message);

private:
    bool fErrorSeen = false;
};
