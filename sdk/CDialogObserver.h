// SDK base of a dialog's observer. AutoAttach attaches to the dialog's OK (0x602) and Cancel
// (0x603) buttons on the button protocol 0x62b; Update handles their presses: OK validates
// and, when every field is valid, applies and closes the dialog; Cancel closes it without
// applying (CDialogController.h gives the order of the controller's calls). A subclass calls
// the base AutoAttach, AutoDetach and Update first and then handles its own widgets.
// User-interface thread only.
#pragma once

#include "AbstractDialogObserver.h"

class CDialogObserver : public AbstractDialogObserver {
public:
    explicit CDialogObserver(IPMUnknown* boss, PMIID observerIID = IID_OF<IObserver>()) : AbstractDialogObserver(boss, observerIID) {}

    void AutoAttach() override;
    void AutoDetach() override;
    void Update(const ClassID& change, ISubject* subject, const PMIID& protocol, void* changedBy) override;
};
