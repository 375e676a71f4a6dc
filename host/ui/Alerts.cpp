#include "Alerts.h"

#include "CAlert.h"
#include "HostModule.h"
#include "Modal.h"
#include "Transcript.h"

namespace tshost {

namespace {

// A new host starts with no alerts recorded and no answers queued: modules run when it boots.
HostModule gModule("ui alerts", 20, [] { AlertLog::Get().Clear(); });

void ShowSimple(AlertKind kind, const PMString& message) {
    ModalScope modal;
    AlertRecord record{kind, DisplayText(message), {}, 0};
    Show("[" + std::string(AlertKindName(kind)) + "] " + record.text);
    AlertLog::Get().Add(std::move(record));
}

}  // namespace

AlertLog& AlertLog::Get() {
    static AlertLog* log = new AlertLog();
    return *log;
}

void AlertLog::Add(AlertRecord record) { fRecords.push_back(std::move(record)); }

int16 AlertLog::TakeAnswer(int16 defaultButton, int buttonCount) {
    int16 answer = defaultButton;
    if (!fAnswers.empty()) {
        answer = fAnswers.front();
        fAnswers.pop_front();
    }
    if (answer < 1 || answer > buttonCount) answer = defaultButton >= 1 && defaultButton <= buttonCount ? defaultButton : 1;
    return answer;
}

const char* AlertKindName(AlertKind kind) {
    switch (kind) {
        case AlertKind::kWarning: return "warning";
        case AlertKind::kInformation: return "info";
        case AlertKind::kError: return "error";
        case AlertKind::kModal: return "alert";
    }
    return "alert";
}

}  // namespace tshost

void CAlert::WarningAlert(const PMString& message) { tshost::ShowSimple(tshost::AlertKind::kWarning, message); }

void CAlert::InformationAlert(const PMString& message) { tshost::ShowSimple(tshost::AlertKind::kInformation, message); }

void CAlert::ErrorAlert(const PMString& message) { tshost::ShowSimple(tshost::AlertKind::kError, message); }

int16 CAlert::ModalAlert(const PMString& message, const PMString& button1, const PMString& button2,
                         const PMString& button3, int16 defaultButton, int16 iconType) {
    using namespace tshost;
    ModalScope modal;
    AlertRecord record{AlertKind::kModal, DisplayText(message), {}, 0};
    // Buttons are shown up to the last non-empty label; an alert always has at least one.
    for (const PMString* b : {&button1, &button2, &button3}) record.buttons.push_back(DisplayText(*b));
    while (record.buttons.size() > 1 && record.buttons.back().empty()) record.buttons.pop_back();
    if (record.buttons.size() == 1 && record.buttons[0].empty()) record.buttons[0] = "OK";
    record.answer = AlertLog::Get().TakeAnswer(defaultButton, static_cast<int>(record.buttons.size()));
    std::string line = "[alert] " + record.text;
    for (const std::string& b : record.buttons) line += " [" + b + "]";
    line += " -> " + record.buttons[static_cast<std::size_t>(record.answer - 1)];
    Show(line);
    int16 answer = record.answer;
    AlertLog::Get().Add(std::move(record));
    return answer;
}
