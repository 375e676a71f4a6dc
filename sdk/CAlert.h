// Modal alerts. Each shows its message (translated when it is still translatable) and
// returns when the user dismisses it. User-interface thread only.
#pragma once

#include "PMString.h"

class CAlert {
public:
    static void WarningAlert(const PMString& message);
    static void InformationAlert(const PMString& message);
    static void ErrorAlert(const PMString& message);
    // Returns the 1-based number of the button the user chose.
    static int16 ModalAlert(const PMString& message, const PMString& button1, const PMString& button2,
                            const PMString& button3, int16 defaultButton, int16 iconType);
};
