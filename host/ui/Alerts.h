// The host's alerts as the console shows them. Every CAlert call is recorded (kind, text
// translated if it was still translatable, buttons, the answer) and shown on the
// transcript as "[warning] text", "[info] text", "[error] text" or
// "[alert] text [OK] [Cancel] -> OK". Nothing blocks: a modal alert takes the next scripted
// answer, else its default button. While an alert is shown a ModalScope is held.
// User-interface thread only.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "PMTypes.h"

namespace tshost {

enum class AlertKind { kWarning, kInformation, kError, kModal };

struct AlertRecord {
    AlertKind kind;
    std::string text;
    std::vector<std::string> buttons;  // modal alerts only: the labels shown, in order
    int16 answer = 0;                  // modal alerts only: the 1-based button chosen
};

class AlertLog {
public:
    static AlertLog& Get();

    const std::vector<AlertRecord>& Records() const { return fRecords; }
    void Clear() { fRecords.clear(); fAnswers.clear(); }

    // The button the next modal alert answers with (1-based).
    void QueueAnswer(int16 button) { fAnswers.push_back(button); }
    int PendingAnswers() const { return static_cast<int>(fAnswers.size()); }

    // Called by CAlert.
    void Add(AlertRecord record);
    int16 TakeAnswer(int16 defaultButton, int buttonCount);

private:
    AlertLog() = default;
    std::vector<AlertRecord> fRecords;
    std::deque<int16> fAnswers;
};

const char* AlertKindName(AlertKind kind);

}  // namespace tshost
