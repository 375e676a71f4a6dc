// Receives the XML library's reports while a projects file is parsed or a job ticket is
// written. The first report is kept and the later ones only counted, so that one broken file
// costs the user one information alert ("Line No = …", with the number of further reports),
// shown by ShowReports once the library is done. The flag lets the caller tell a failed parse
// from a good one: the library hands back a partial document even after a fatal error.
// User-interface thread only; one handler serves one parse or one write.
#pragma once

#include <cstdint>
#include <string>

#include <xercesc/dom/DOMErrorHandler.hpp>

class TSDOMErrorHandler : public xercesc::DOMErrorHandler {
public:
    TSDOMErrorHandler() = default;
    TSDOMErrorHandler(const TSDOMErrorHandler&) = delete;
    TSDOMErrorHandler& operator=(const TSDOMErrorHandler&) = delete;
    ~TSDOMErrorHandler() override = default;

    // Goes on after errors the library can recover from, so that their number is known; a
    // fatal error ends the parse in any case.
    bool handleError(const xercesc::DOMError& error) override;
    // Counts a failure the library raised another way (an exception) like a report.
    void Add(uint64_t line, uint64_t column, const std::string& message);

    bool ErrorSeen() const { return fCount > 0; }
    // Shows the first report with the number of further ones, if there was any; once.
    void ShowReports();

    // Shows one report in the form the library's reports take; `further` reports followed it.
    static void ShowReport(uint64_t line, uint64_t column, const char* message, uint64_t further = 0);

private:
    uint64_t fCount = 0;
    bool fShown = false;
    uint64_t fLine = 0;
    uint64_t fColumn = 0;
    std::string fMessage;
};
